#pragma once
// The desktop's link from ".twk" files to this program: a MIME type for the extension, the
// program's icon in the user's icon theme and a desktop entry that names the icon and opens
// such files with this program, written under the user's data folder ($XDG_DATA_HOME, else
// ~/.local/share), each only when its text differs. The desktop's MIME and application
// databases are then brought up to date with its own tools, where they are installed.
#include "platform/cstring.h"

inline constexpr const char* kModelMimeType = "application/x-tarnwick-model";
// The icon's name in the theme, and so in the desktop entry.
inline constexpr const char* kProgramIconName = "glimra";
// The desktop entry's file name without ".desktop": how the desktop knows the program.
inline constexpr const char* kDesktopEntryName = "glimra";

// The data folder the desktop reads; empty when neither variable names one.
[[nodiscard]] CString GetUserDataHome();
// The desktop entry's text for the program at that path.
[[nodiscard]] CString MakeDesktopEntry(const CString& programPath);
[[nodiscard]] CString MakeMimeTypeDefinition();
// Writes what differs; stops at the first write that fails. The number of files written.
int RegisterFileAssociation(const CString& programPath, const CString& dataHome);
