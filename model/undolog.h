#pragma once
// CUndoLog: the undo manager's text log "TarnwickUndo<n>.log" in the folder it is given
// (the user's runtime folder). Each program (and each model within one) takes the first
// of the 20 names that no one else holds: an open log is locked, and a name whose lock
// is held is passed over without its file being touched. A name where anything but a
// file of this user's own stands (a link, a pipe, someone else's file) is passed over the
// same way, should the folder ever be one that others can write to.

#include "platform/cstring.h"
#include "platform/file.h"

class CUndoLog
{
public:
    static constexpr int kMaxLogFiles = 20;

    CUndoLog();
    ~CUndoLog();

    CUndoLog(const CUndoLog&) = delete;
    CUndoLog& operator=(const CUndoLog&) = delete;

    // Opens (creating or truncating) the first free log in the folder; false, with the
    // log left closed, when none of the 20 names can be taken.
    bool Open(const CString& folder);
    // Writes the text as it stands, straight to the file. A failed write closes the log
    // quietly: the log must never break the action it describes.
    void Write(const CString& text);
    void Close();

    [[nodiscard]] bool IsOpen() const;
    // Empty while closed.
    [[nodiscard]] const CString& GetPath() const { return m_path; }

    // The log's file name for a number: "TarnwickUndo<n>.log".
    [[nodiscard]] static CString FileName(int number);

private:
    bool TryOpen(const CString& path);

    CFile m_file;  // holds the lock while open
    CString m_path;
};
