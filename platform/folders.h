#pragma once
// The folders the program works in: temporary files, its settings, its own file.

#include "platform/cstring.h"

// The folder for temporary files, always ending in '/': $TMPDIR when set, else /tmp/.
[[nodiscard]] CString GetTempFolder();

// A folder for files of a running program that only this user can enter, always ending
// in '/': $XDG_RUNTIME_DIR when it names such a folder, else the folder "glimra-<uid>" in
// the temporary folder, made when missing. A name there that is a link, a folder of
// another user's or one others may enter is not used. Empty when neither can be had.
[[nodiscard]] CString GetUserRuntimeFolder();

// The folder that holds the program's settings, without a trailing '/':
// $GLIMRA_CONFIG_HOME when set (tests and portable set-ups point it elsewhere),
// else $XDG_CONFIG_HOME/glimra, else ~/.config/glimra.
// Empty when no home folder can be found; the folder need not exist yet.
[[nodiscard]] CString GetConfigFolder();

// The full path of the running program's file; empty when the system does not tell it.
[[nodiscard]] CString GetModulePath();

// True when something (a file or a folder) exists at the path.
[[nodiscard]] bool FileExists(const CString& path);
