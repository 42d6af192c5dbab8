#pragma once
// Two preferences the OpenGL settings and the preferences window set: whether a model's
// validity errors are always repaired without asking, and the fast-feedback choice of
// the pixel format. Each setter writes its value to the profile; ReadViewPreferences
// reads both back at start-up, before the view chooses its pixel format. Globals of
// the user-interface thread.

// Stores the choice and writes "Preferences" / "AlwaysFixValidityErrors".
void SetAlwaysFixValidityErrors(bool fix);
[[nodiscard]] bool GetAlwaysFixValidityErrors();
// Writes g_UseFastFeedback as "Preferences" / "UseFastFeedback5".
void SetUseFastFeedback();
// The values the setters wrote; a fast-feedback value other than 0, 1 or 2 is ignored.
// The live configuration's swap-copy word follows the fast-feedback value.
void ReadViewPreferences();
