#pragma once
// The application's profile: its settings under one root key of the settings store,
// grouped in sections ("Preferences", "Undo", "MainFrame" ...). The calls mirror the
// ones the program's code was written against: integers are stored as 32-bit words,
// a Boolean as the word 1 or 0, and a value of the wrong type reads as missing.

#include <cstdint>
#include <vector>

#include "platform/cstring.h"

class CSettingsStore;

// The root key the profile starts with: "Software\Orvell Software\Glimra".
[[nodiscard]] CString GetDefaultProfileRoot();

// Moves the profile to "Software\<company>\<application>".
void SetProfileRoot(const CString& company, const CString& application);
[[nodiscard]] CString GetProfileRoot();

// The store the profile reads and writes; the user's store unless another was installed.
// Code that keeps keys of its own outside the profile root uses the same store.
[[nodiscard]] CSettingsStore& GetProfileStore();
// Installs a store in place of the user's (for tests); null returns to the user's store.
// The caller keeps ownership and keeps it alive while it is installed.
void SetProfileStore(CSettingsStore* store);

// The default when the value is missing or not an integer.
[[nodiscard]] int GetProfileInt(const CString& section, const CString& entry, int defaultValue);
// False when the setting could not be written to the file (it still holds for this run).
bool WriteProfileInt(const CString& section, const CString& entry, int value);

// The default when the value is missing or not a text.
[[nodiscard]] CString GetProfileString(const CString& section, const CString& entry, const CString& defaultValue);
bool WriteProfileString(const CString& section, const CString& entry, const CString& value);

// False, with `bytes` unchanged, when the value is missing or not binary.
[[nodiscard]] bool GetProfileBinary(const CString& section, const CString& entry, std::vector<uint8_t>& bytes);
bool WriteProfileBinary(const CString& section, const CString& entry, const std::vector<uint8_t>& bytes);

// True when the stored integer is above 0, so a stored negative number reads as false.
[[nodiscard]] bool GetProfileBool(const CString& section, const CString& entry, bool defaultValue);
bool WriteProfileBool(const CString& section, const CString& entry, bool value);
