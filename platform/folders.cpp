#include "platform/folders.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// An unset variable and an empty one mean the same to every caller here.
const char* NonEmptyEnv(const char* name)
{
    const char* value = std::getenv(name);
    return (value && *value) ? value : nullptr;
}

std::string HomeFolder()
{
    if (const char* home = NonEmptyEnv("HOME")) {
        return home;
    }
    // A service started without HOME still has a password-file entry.
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_dir) {
        return found->pw_dir;
    }
    return {};
}

std::string WithoutTrailingSlashes(std::string path)
{
    while (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    return path;
}

// Only the user may enter it: the user's own, not a link (the caller looked with lstat),
// no access for anyone else.
bool IsPrivateFolder(const struct stat& info)
{
    return S_ISDIR(info.st_mode) && info.st_uid == getuid() && (info.st_mode & 077) == 0;
}

std::string WithTrailingSlash(std::string path)
{
    if (path.back() != '/') {
        path += '/';
    }
    return path;
}

}  // namespace

CString GetUserRuntimeFolder()
{
    struct stat info{};
    // A relative XDG_RUNTIME_DIR is invalid by its own rules and is ignored.
    if (const char* xdg = NonEmptyEnv("XDG_RUNTIME_DIR");
        xdg && xdg[0] == '/' && stat(xdg, &info) == 0 && IsPrivateFolder(info)) {
        return CString::FromUtf8(WithTrailingSlash(xdg));
    }
    // The temporary folder is shared: someone else may have made the name first, as a
    // link or a folder of theirs, so what stands there is looked at without following it.
    const std::string folder = GetTempFolder().ToUtf8() + "glimra-" + std::to_string(getuid());
    if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        return {};
    }
    if (lstat(folder.c_str(), &info) != 0 || !IsPrivateFolder(info)) {
        return {};
    }
    return CString::FromUtf8(folder + '/');
}

CString GetTempFolder()
{
    std::string folder = "/tmp";
    if (const char* tmp = NonEmptyEnv("TMPDIR")) {
        folder = tmp;
    }
    return CString::FromUtf8(WithTrailingSlash(folder));
}

CString GetConfigFolder()
{
    if (const char* own = NonEmptyEnv("GLIMRA_CONFIG_HOME")) {
        return CString::FromUtf8(WithoutTrailingSlashes(own));
    }
    // A relative XDG_CONFIG_HOME is invalid by its own rules and is ignored.
    if (const char* xdg = NonEmptyEnv("XDG_CONFIG_HOME"); xdg && xdg[0] == '/') {
        return CString::FromUtf8(WithoutTrailingSlashes(xdg) + "/glimra");
    }
    const std::string home = HomeFolder();
    if (home.empty()) {
        return {};
    }
    return CString::FromUtf8(WithoutTrailingSlashes(home) + "/.config/glimra");
}

CString GetModulePath()
{
    // readlink does not say whether it truncated, so grow until the answer fits with room to spare.
    std::vector<char> buffer(512);
    while (buffer.size() <= 65536) {
        const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (length < 0) {
            return {};
        }
        if (static_cast<size_t>(length) < buffer.size()) {
            return CString::FromUtf8(std::string_view(buffer.data(), static_cast<size_t>(length)));
        }
        buffer.resize(buffer.size() * 2);
    }
    return {};
}

bool FileExists(const CString& path)
{
    if (path.IsEmpty()) {
        return false;
    }
    return access(path.ToUtf8().c_str(), F_OK) == 0;
}
