#include "platform/filekind.h"

#include <sys/stat.h>

CString KindRefusal(mode_t mode)
{
    if (S_ISREG(mode))
        return {};
    const char* kind = "something else";
    if (S_ISFIFO(mode))
        kind = "a pipe";
    else if (S_ISCHR(mode) || S_ISBLK(mode))
        kind = "a device";
    else if (S_ISSOCK(mode))
        kind = "a socket";
    else if (S_ISDIR(mode))
        kind = "a folder";
    return CString("It is ") + CString(kind) + CString(", not a file: only model files can be opened.");
}

CString NamedKindRefusal(const CString& path)
{
    struct stat info {};
    return ::stat(path.ToUtf8().c_str(), &info) == 0 ? KindRefusal(info.st_mode) : CString();
}

CString OpenKindRefusal(int fd)
{
    struct stat info {};
    return ::fstat(fd, &info) == 0 ? KindRefusal(info.st_mode) : CString();
}

bool NamesRegularFile(const CString& path)
{
    struct stat info {};
    return ::stat(path.ToUtf8().c_str(), &info) == 0 && KindRefusal(info.st_mode).IsEmpty();
}
