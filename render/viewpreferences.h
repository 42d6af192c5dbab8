#pragma once
// Preferences the OpenGL settings and the preferences window set: whether a model's
// validity errors are always repaired without asking, the fast-feedback choice of the
// pixel format, and how shadow volumes treat an eye inside them. Each setter writes its
// value to the profile; ReadViewPreferences runs at start-up, before the view chooses
// its pixel format. Globals of the user-interface thread.

// Stores the choice and writes "Preferences" / "AlwaysFixValidityErrors".
void SetAlwaysFixValidityErrors(bool fix);
[[nodiscard]] bool GetAlwaysFixValidityErrors();
// Writes g_UseFastFeedback as "Preferences" / "UseFastFeedback5".
void SetUseFastFeedback();
// Reads the repair choice back; fast feedback starts at 1 and the shadow-volume method
// at 0 whatever was stored, and the live configuration's swap-copy word follows.
void ReadViewPreferences();
