#include "imaging/ilfilesink.h"

#include <cerrno>
#include <cstring>
#include <string>

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include "imaging/ilfileerrors.h"
#include "imaging/iltextexception.h"
#include "imaging/iltrace.h"

ILFileSink::~ILFileSink()
{
    if (m_fd >= 0) {
        (void)Release();
        ILDataSink::Close();
    }
}

int ILFileSink::Open(const char* name, std::size_t maxSize)
{
    const std::string path = name != nullptr ? name : "";
    const int code = OpenPath(path, maxSize);
    if (code == ILTextException::none) {
        ILDataSink::Open(path.c_str(), static_cast<std::uint8_t*>(m_view), m_viewSize);
    }
    return code;
}

int ILFileSink::OpenW(const CString& name, std::size_t maxSize)
{
    const int code = OpenPath(name.ToUtf8(), maxSize);
    if (code == ILTextException::none) {
        ILDataSink::OpenW(name, static_cast<std::uint8_t*>(m_view), m_viewSize);
    }
    return code;
}

int ILFileSink::OpenPath(const std::string& utf8Path, std::size_t maxSize)
{
    if (m_fd >= 0) {
        Close();
    }
    m_fd = ::open(utf8Path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (m_fd < 0) {
        const int error = errno;
        m_fd = -1;
        return ILFileOpenErrorCode(error, utf8Path);
    }
    if (!Reserve(maxSize)) {
        const int error = errno;  // the caller reports the reason
        ::close(m_fd);
        errno = error;
        m_fd = -1;
        return ILTextException::accessDenied;
    }
    return ILTextException::none;
}

// Allocates the file's blocks for real and maps them, so that a full disk shows up here
// rather than as a fault when the mapping is written.
bool ILFileSink::Reserve(std::size_t size)
{
    if (size == 0) {
        return true;
    }
    const int error = ::posix_fallocate(m_fd, 0, static_cast<off_t>(size));
    if (error != 0) {
        errno = error;
        return false;
    }
    void* view = m_view == nullptr ? ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, m_fd, 0)
                                   : ::mremap(m_view, m_viewSize, size, MREMAP_MAYMOVE);
    if (view == MAP_FAILED) {
        return false;
    }
    m_view = view;
    m_viewSize = size;
    return true;
}

bool ILFileSink::Grow(std::size_t needed)
{
    if (m_fd < 0) {
        return false;
    }
    const std::size_t grown = m_viewSize + m_viewSize / 2;
    if (!Reserve(grown > needed ? grown : needed)) {
        return false;
    }
    SetBuffer(static_cast<std::uint8_t*>(m_view), m_viewSize);
    return true;
}

void ILFileSink::Close()
{
    const bool wasOpen = m_fd >= 0;
    const int error = Release();
    const std::string name = GetNameW() ? GetNameW()->ToUtf8() : GetName();
    ILDataSink::Close();
    if (wasOpen && error != 0) {
        ILRaiseError(ILTextException::accessDenied,
                     ("Closing " + name + " failed: " + std::strerror(error)).c_str());
    }
}

// Cuts the file to the bytes written and closes it; the first error number met, 0 when
// every step worked. Without the cut the file would keep the reserved space as garbage.
int ILFileSink::Release()
{
    int error = 0;
    const auto note = [&error](bool failed) {
        if (failed && error == 0) {
            error = errno;
        }
    };
    if (m_view != nullptr) {
        note(::munmap(m_view, m_viewSize) != 0);
        m_view = nullptr;
    }
    m_viewSize = 0;
    if (m_fd >= 0) {
        note(::ftruncate(m_fd, static_cast<off_t>(GetDataSize())) != 0);
        note(::close(m_fd) != 0);
        m_fd = -1;
    }
    return error;
}
