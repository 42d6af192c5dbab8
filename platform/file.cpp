#include "platform/file.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <fstream>
#include <random>
#include <string>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/exceptions.h"

namespace {

int AccessFlags(UINT flags)
{
    switch (flags & 0x3) {
    case CFile::modeWrite: return O_WRONLY;
    case CFile::modeReadWrite: return O_RDWR;
    default: return O_RDONLY;
    }
}

int OpenFlagsFor(UINT flags)
{
    // Descriptors are never meant for child processes, whatever modeNoInherit says.
    int result = AccessFlags(flags) | O_CLOEXEC;
    if ((flags & CFile::modeCreate) != 0) {
        result |= O_CREAT;
        if ((flags & CFile::modeNoTruncate) == 0) {
            result |= O_TRUNC;
        }
    }
    return result;
}

constexpr int kUniqueNameAttempts = 100;

// A descriptor for writing to a file of this user's own; -1 with errno set otherwise.
int OpenPrivateDescriptor(const std::string& path, int extraFlags)
{
    // O_NONBLOCK keeps a planted pipe from holding the program; the fstat below refuses it.
    int fd = -1;
    do {
        fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_NOCTTY | O_NONBLOCK | O_CLOEXEC | extraFlags,
                    0600);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        return -1;
    }
    // A second name (a hard link planted beside the file) would let the writing reach a
    // file kept elsewhere.
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != ::geteuid() || info.st_nlink != 1) {
        ::close(fd);
        errno = EACCES;
        return -1;
    }
    // A file of our own left from before may have been readable by others.
    (void)::fchmod(fd, 0600);
    const int status = ::fcntl(fd, F_GETFL);
    if (status >= 0) {
        (void)::fcntl(fd, F_SETFL, status & ~O_NONBLOCK);
    }
    return fd;
}

}  // namespace

CFile::CFile(const CString& path, UINT flags)
{
    CFileException error;
    if (!Open(path, flags, &error)) {
        throw error;
    }
}

CFile::~CFile()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

bool CFile::Open(const CString& path, UINT flags, CFileException* error)
{
    Abort();
    const auto fail = [&](int osError) {
        if (error != nullptr) {
            *error = CFileException(CFileException::OsErrorToCause(osError), osError, path);
        }
        return false;
    };
    if (path.IsEmpty()) {
        return fail(ENOENT);
    }
    const std::string osPath = path.ToUtf8();
    int fd = -1;
    do {
        // Without O_NONBLOCK, opening a pipe that nothing writes to waits for ever; the flag
        // is dropped again at once, so reads and writes block as usual.
        fd = ::open(osPath.c_str(), OpenFlagsFor(flags) | O_NONBLOCK, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        return fail(errno);
    }
    const int status = ::fcntl(fd, F_GETFL);
    if (status >= 0) {
        (void)::fcntl(fd, F_SETFL, status & ~O_NONBLOCK);
    }
    // A folder opens for reading on this system but is no file to read.
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) {
        ::close(fd);
        return fail(EISDIR);
    }
    m_fd = fd;
    m_path = path;
    return true;
}

// Letters and digits from the system's random source: about 71 bits.
std::string CFile::UniqueSuffix()
{
    static constexpr char kAlphabet[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::random_device source;
    std::uniform_int_distribution<int> pick(0, static_cast<int>(sizeof kAlphabet) - 2);
    std::string suffix(CFile::kUniqueSuffixLength, ' ');
    for (char& c : suffix) {
        c = kAlphabet[pick(source)];
    }
    return suffix;
}

bool CFile::OpenUnique(const CString& pathPrefix, CFileException* error)
{
    Abort();
    int osError = EEXIST;
    for (int attempt = 0; attempt < kUniqueNameAttempts && osError == EEXIST; ++attempt) {
        const std::string path = pathPrefix.ToUtf8() + UniqueSuffix();
        const int fd = OpenPrivateDescriptor(path, O_EXCL);
        if (fd >= 0) {
            m_fd = fd;
            m_path = CString::FromUtf8(path);
            return true;
        }
        osError = errno;
    }
    if (error != nullptr) {
        *error = CFileException(CFileException::OsErrorToCause(osError), osError, pathPrefix);
    }
    return false;
}

bool CFile::OpenPrivate(const CString& path, CFileException* error)
{
    return OpenOwnFile(path, 0, error);
}

bool CFile::OpenPrivateNew(const CString& path, CFileException* error)
{
    return OpenOwnFile(path, O_EXCL, error);
}

bool CFile::OpenOwnFile(const CString& path, int extraFlags, CFileException* error)
{
    Abort();
    const int fd = path.IsEmpty() ? -1 : OpenPrivateDescriptor(path.ToUtf8(), extraFlags);
    if (fd < 0) {
        const int osError = path.IsEmpty() ? ENOENT : errno;
        if (error != nullptr) {
            *error = CFileException(CFileException::OsErrorToCause(osError), osError, path);
        }
        return false;
    }
    m_fd = fd;
    m_path = path;
    return true;
}

bool CFile::WritePrivate(const CString& path, const void* bytes, std::size_t count)
{
    CFile file;
    if (count > UINT_MAX || !file.OpenPrivate(path)) {
        return false;
    }
    try {
        file.SetLength(0);
        file.Write(bytes, static_cast<UINT>(count));
        file.Close();
    } catch (const CFileException&) {
        return false;
    }
    return true;
}

void CFile::ThrowCause(int cause, int osError) const
{
    AfxThrowFileException(cause, osError, m_path);
}

void CFile::ThrowOsError(int osError) const
{
    ThrowCause(CFileException::OsErrorToCause(osError), osError);
}

void CFile::CheckOpen() const
{
    if (m_fd < 0) {
        ThrowCause(CFileException::invalidFile, EBADF);
    }
}

UINT CFile::Read(void* buffer, UINT count)
{
    CheckOpen();
    auto* out = static_cast<char*>(buffer);
    UINT done = 0;
    while (done < count) {
        const ssize_t got = ::read(m_fd, out + done, count - done);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            ThrowOsError(errno);
        }
        if (got == 0) {
            break;
        }
        done += static_cast<UINT>(got);
    }
    return done;
}

void CFile::Write(const void* buffer, UINT count)
{
    CheckOpen();
    const auto* in = static_cast<const char*>(buffer);
    UINT done = 0;
    while (done < count) {
        const ssize_t put = ::write(m_fd, in + done, count - done);
        if (put < 0) {
            if (errno == EINTR) {
                continue;
            }
            ThrowOsError(errno);
        }
        if (put == 0) {
            ThrowCause(CFileException::diskFull, ENOSPC);
        }
        done += static_cast<UINT>(put);
    }
}

ULONGLONG CFile::Seek(LONGLONG offset, UINT from)
{
    CheckOpen();
    int whence = SEEK_SET;
    if (from == current) {
        whence = SEEK_CUR;
    } else if (from == end) {
        whence = SEEK_END;
    } else if (from != begin) {
        ThrowCause(CFileException::badSeek, EINVAL);
    }
    const off_t position = ::lseek(m_fd, static_cast<off_t>(offset), whence);
    if (position < 0) {
        ThrowCause(CFileException::badSeek, errno);
    }
    return static_cast<ULONGLONG>(position);
}

ULONGLONG CFile::GetPosition() const
{
    CheckOpen();
    const off_t position = ::lseek(m_fd, 0, SEEK_CUR);
    if (position < 0) {
        ThrowCause(CFileException::badSeek, errno);
    }
    return static_cast<ULONGLONG>(position);
}

ULONGLONG CFile::GetLength() const
{
    CheckOpen();
    struct stat info {};
    if (::fstat(m_fd, &info) != 0) {
        ThrowOsError(errno);
    }
    // A pipe or terminal has no length; saying 0 would read as an empty file.
    if (!S_ISREG(info.st_mode)) {
        ThrowCause(CFileException::badSeek, ESPIPE);
    }
    return static_cast<ULONGLONG>(info.st_size);
}

void CFile::SetLength(ULONGLONG newLength)
{
    CheckOpen();
    if (::ftruncate(m_fd, static_cast<off_t>(newLength)) != 0) {
        ThrowOsError(errno);
    }
}

void CFile::Flush()
{
    CheckOpen();
    // Pipes and terminals cannot be synced; that is no error of the data.
    if (::fsync(m_fd) != 0 && errno != EINVAL && errno != EROFS) {
        ThrowOsError(errno);
    }
}

void CFile::Close()
{
    if (m_fd < 0) {
        return;
    }
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0 && errno != EINTR) {
        ThrowOsError(errno);
    }
}

void CFile::Abort()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

CString CFile::GetFileName() const
{
    const int slash = m_path.ReverseFind(u'/');
    return slash < 0 ? m_path : m_path.Mid(slash + 1);
}

unsigned int CFile::NewFilePermissions()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("Umask:", 0) == 0)
            return 0666U & ~static_cast<unsigned int>(std::stoul(line.substr(6), nullptr, 8));
    return 0644;
}

bool CFile::Remove(const CString& path)
{
    return ::unlink(path.ToUtf8().c_str()) == 0;
}

bool CFile::Rename(const CString& oldPath, const CString& newPath)
{
    return ::rename(oldPath.ToUtf8().c_str(), newPath.ToUtf8().c_str()) == 0;
}
