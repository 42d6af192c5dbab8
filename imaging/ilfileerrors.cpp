#include "imaging/ilfileerrors.h"

#include <cerrno>
#include <filesystem>
#include <system_error>

#include "imaging/iltextexception.h"

namespace {

// The system says "no such file" for a missing file and a missing folder alike.
bool FolderExists(const std::string& utf8Path)
{
    std::filesystem::path folder = std::filesystem::path(utf8Path).parent_path();
    if (folder.empty()) {
        return true;
    }
    std::error_code error;
    return std::filesystem::is_directory(folder, error);
}

}  // namespace

int ILFileOpenErrorCode(int osError, const std::string& utf8Path)
{
    switch (osError) {
    case ENOENT:
        return FolderExists(utf8Path) ? ILTextException::fileNotFound : ILTextException::pathNotFound;
    case ENOTDIR:
        return ILTextException::pathNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
    case ETXTBSY:
    case EISDIR:
        return ILTextException::accessDenied;
    default:
        return ILTextException::fileNotFound;
    }
}
