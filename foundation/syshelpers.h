#pragma once
// Small helpers between the program and the system: window colours, the program's
// folder and the files beside it, path pieces, the locale's decimal separator and
// number reading, the system version and the monitor layout.

#include "foundation/color.h"
#include "platform/cstring.h"

// Opaque colours of text windows.
[[nodiscard]] CColor GetWindowColor();
[[nodiscard]] CColor GetWindowTextColor();

// The folder of the running program's file, ending in '/'; empty when the system
// does not name the program's file (names appended to it then stay relative).
[[nodiscard]] CString GetProgramFolder();
// True, with result set, when text ends with suffix (ASCII case ignored); else
// false with result untouched.
bool StripSuffixNoCase(const CString& suffix, const CString& text, CString& result);
// A folder with a build folder removed from its end, so that a program run from its
// build tree finds the data at the top of the source tree; other folders unchanged.
[[nodiscard]] CString StripBuildFolderFrom(const CString& folder);
// StripBuildFolderFrom of the program folder.
[[nodiscard]] CString StripBuildFolder();
// The name alone for an empty folder; else folder, '/' unless it ends in a
// separator already, and the name.
[[nodiscard]] CString AppendPathPart(const CString& folder, const CString& name);
// The last component of path ('/' and '\' both separate), with or without its extension.
[[nodiscard]] CString GetFileNameFromPath(const CString& path, bool withExtension);
// The first existing one of: the name in the program folder, in its subfolder, in
// the stripped build folder, in that folder's subfolder. An empty subfolder is not
// tried. Empty when none exists.
[[nodiscard]] CString FindProgramFile(const CString& name, const CString& subfolder = {});

// The first character of the user locale's decimal separator, '.' when the locale
// names none or cannot be loaded. The process locale is not changed.
[[nodiscard]] char16_t GetLocaleDecimalSeparator();
// GetLocaleDecimalSeparator, asked once and kept for the run, unless a separator
// was set for testing.
[[nodiscard]] char16_t GetDecimalSeparator();
// Makes GetDecimalSeparator answer separator from now on; 0 returns to the locale's.
void SetDecimalSeparatorForTesting(char16_t separator);

// Reads a number written with GetDecimalSeparator, blanks and tabs around it allowed.
// True only when nothing else follows and the number is not 0 unless it is spelled
// with a leading digit '0' (so "-0", underflows and empty texts fail). Only plain
// decimal numbers are read: "inf", "nan" and hexadecimal text fail with 0. value
// holds what was read (0 when nothing) in every case.
bool ParseDouble(const CString& text, double& value);
// The value ParseDouble reads, whatever its answer.
[[nodiscard]] double ParseLocaleDouble(const CString& text);

// Codes of GetOSVersion; only kOsWindowsNT4 changes behaviour (single monitor).
enum EOsVersionCode
{
    kOsLaterVersion = 0,
    kOsWindows95 = 1,
    kOsWindows98 = 2,
    kOsWindowsMe = 3,
    kOsWindowsNT4 = 4,
    kOsWindows2000 = 5,
    kOsWindowsXP = 6
};

// Fills text with "<release> (Build <n>)" and answers the code (kOsLaterVersion on
// this system). Answers 0 with text untouched when the system gives no version.
int GetOSVersionText(CString& text);
[[nodiscard]] int GetOSVersion();

[[nodiscard]] int GetMonitorCount();
void GetVirtualScreenRect(int& left, int& top, int& width, int& height);
void GetVirtualScreenSize(int& width, int& height);
