#pragma once
// The desktop's link from ".twk" files to this program: a MIME type for the extension and
// a desktop entry that opens such files with this program, written under the user's data
// folder ($XDG_DATA_HOME, else ~/.local/share), each only when its text differs.
#include "platform/cstring.h"

inline constexpr const char* kModelMimeType = "application/x-tarnwick-model";

// The data folder the desktop reads; empty when neither variable names one.
[[nodiscard]] CString GetUserDataHome();
// The desktop entry's text for the program at that path.
[[nodiscard]] CString MakeDesktopEntry(const CString& programPath);
[[nodiscard]] CString MakeMimeTypeDefinition();
// Writes what differs; stops at the first write that fails. The number of files written.
int RegisterFileAssociation(const CString& programPath, const CString& dataHome);
