#include "imaging/ilfilesource.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "imaging/ilfileerrors.h"
#include "imaging/iltextexception.h"

ILFileSource::~ILFileSource()
{
    ILFileSource::Close();
}

int ILFileSource::Open(const char* path)
{
    Close();
    const std::string utf8 = path != nullptr ? path : "";
    const int code = OpenPath(utf8);
    if (code == ILTextException::none) {
        ILDataSource::Open(utf8.c_str(), static_cast<std::int64_t>(m_viewSize));
    }
    return code;
}

int ILFileSource::OpenW(const CString& path)
{
    Close();
    const int code = OpenPath(path.ToUtf8());
    if (code == ILTextException::none) {
        ILDataSource::OpenW(path, static_cast<std::int64_t>(m_viewSize));
    }
    return code;
}

int ILFileSource::OpenPath(const std::string& utf8Path)
{
    m_fd = ::open(utf8Path.c_str(), O_RDONLY | O_CLOEXEC);
    if (m_fd < 0) {
        const int error = errno;
        m_fd = -1;
        return ILFileOpenErrorCode(error, utf8Path);
    }
    struct stat info {};
    // An empty file cannot be mapped, and neither can a folder.
    if (::fstat(m_fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size <= 0) {
        Unmap();
        return ILTextException::accessDenied;
    }
    (void)::posix_fadvise(m_fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    m_viewSize = static_cast<std::size_t>(info.st_size);
    m_view = ::mmap(nullptr, m_viewSize, PROT_READ, MAP_PRIVATE, m_fd, 0);
    if (m_view == MAP_FAILED) {
        m_view = nullptr;
        Unmap();
        return ILTextException::accessDenied;
    }
    m_current = static_cast<const std::uint8_t*>(m_view);
    return ILTextException::none;
}

void ILFileSource::Close()
{
    ILDataSource::Close();
    Unmap();
}

void ILFileSource::Unmap()
{
    if (m_view != nullptr) {
        ::munmap(m_view, m_viewSize);
        m_view = nullptr;
    }
    m_viewSize = 0;
    m_current = nullptr;
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

const std::uint8_t* ILFileSource::GetBufferPtr(std::int64_t minBytes)
{
    CheckAvailable(minBytes);
    return m_current;
}

const std::uint8_t* ILFileSource::ReadNBytes(std::int64_t count)
{
    ILDataSource::ReadNBytes(count);
    const std::uint8_t* start = m_current;
    m_current += count;
    return start;
}

const std::uint8_t* ILFileSource::ReadEverything()
{
    return m_current;
}
