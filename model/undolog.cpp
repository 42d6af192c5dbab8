#include "model/undolog.h"

#include <cerrno>
#include <string>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

CUndoLog::CUndoLog() = default;

CUndoLog::~CUndoLog()
{
    Close();
}

CString CUndoLog::FileName(int number)
{
    return CString::Formatted("TarnwickUndo%d.log", number);
}

bool CUndoLog::Open(const CString& folder)
{
    Close();
    for (int number = 0; number < kMaxLogFiles; ++number) {
        if (TryOpen(folder + FileName(number))) {
            return true;
        }
    }
    return false;
}

bool CUndoLog::TryOpen(const CString& path)
{
    // The lock is taken before the file is truncated, so the log of another program
    // (or another model) that holds this name is left whole.
    const std::string utf8 = path.ToUtf8();
    const int fd = ::open(utf8.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
        return false;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || ::ftruncate(fd, 0) != 0) {
        ::close(fd);
        return false;
    }
    m_fd = fd;
    m_path = path;
    return true;
}

void CUndoLog::Write(const CString& text)
{
    if (m_fd < 0) {
        return;
    }
    // Each write reaches the system at once, so a crash loses no line; syncing to the
    // disk after every line would slow every edit down.
    const std::string utf8 = text.ToUtf8();
    std::size_t written = 0;
    while (written < utf8.size()) {
        const ssize_t n = ::write(m_fd, utf8.data() + written, utf8.size() - written);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            Close();
            return;
        }
        written += static_cast<std::size_t>(n);
    }
}

void CUndoLog::Close()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    m_path.Empty();
}

bool CUndoLog::IsOpen() const
{
    return m_fd >= 0;
}
