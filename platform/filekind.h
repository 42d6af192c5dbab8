#pragma once
// What stands at a name, told before a model is read from it: only a regular file holds a
// model. A pipe or a device may never answer a read, which would hold the interface thread
// for good; a folder or a socket holds no model. Each look is a stat, never an open.
#include <sys/types.h>

#include "platform/cstring.h"

// Why what has this mode is no model to read ("It is a pipe, not a file: ..."); empty for a
// regular file.
[[nodiscard]] CString KindRefusal(mode_t mode);
// The same for the file the name stands for (a link's target); empty too when the name
// cannot be looked at, so that the open that follows says why.
[[nodiscard]] CString NamedKindRefusal(const CString& path);
// The same for an open file, looked at again once open: another file may have taken the name.
[[nodiscard]] CString OpenKindRefusal(int fd);
// True when the name stands for a regular file (through a link); false for anything else and
// for a name that cannot be looked at.
[[nodiscard]] bool NamesRegularFile(const CString& path);
