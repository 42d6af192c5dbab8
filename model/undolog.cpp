#include "model/undolog.h"

#include <string>

#include <sys/file.h>
#include <unistd.h>

#include "platform/exceptions.h"

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
    // The lock is taken before the file is cut, so the log of another program (or another
    // model) that holds this name is left whole.
    if (!m_file.OpenPrivate(path)) {
        return false;
    }
    const int fd = m_file.GetDescriptor();
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || ::ftruncate(fd, 0) != 0) {
        m_file.Abort();
        return false;
    }
    m_path = path;
    return true;
}

void CUndoLog::Write(const CString& text)
{
    if (!m_file.IsOpen()) {
        return;
    }
    // Each write reaches the system at once, so a crash loses no line; syncing to the
    // disk after every line would slow every edit down.
    const std::string utf8 = text.ToUtf8();
    try {
        m_file.Write(utf8.data(), static_cast<UINT>(utf8.size()));
    } catch (const CFileException&) {
        Close();
    }
}

void CUndoLog::Close()
{
    m_file.Abort();
    m_path.Empty();
}

bool CUndoLog::IsOpen() const
{
    return m_file.IsOpen();
}
