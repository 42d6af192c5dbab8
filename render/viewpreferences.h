#pragma once
// Preferences the OpenGL settings and the preferences window set: whether a model's
// validity errors are always repaired without asking, the fast-feedback choice of the
// pixel format, and how shadow volumes treat an eye inside them. Each setter writes its value to the profile; ReadViewPreferences
// reads both back at start-up, before the view chooses its pixel format. Globals of
// the user-interface thread.

// Stores the choice and writes "Preferences" / "AlwaysFixValidityErrors".
void SetAlwaysFixValidityErrors(bool fix);
[[nodiscard]] bool GetAlwaysFixValidityErrors();
// Writes g_UseFastFeedback as "Preferences" / "UseFastFeedback5".
void SetUseFastFeedback();
// The values the setters wrote, and the shadow-volume method the OpenGL settings store
// as "Preferences" / "CarmackReverse"; a fast-feedback value or a method other than 0,
// 1 or 2 is ignored.
// The live configuration's swap-copy word follows the fast-feedback value.
void ReadViewPreferences();
