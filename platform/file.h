#pragma once
// CFile: a binary file on disk behind a POSIX file descriptor. Paths are UTF-16
// inside the program and UTF-8 at the operating system.

#include <cstddef>
#include <string>

#include "platform/cstring.h"
#include "platform/types.h"

class CFileException;

class CFile
{
public:
    enum OpenFlags
    {
        modeRead = 0,
        modeWrite = 1,
        modeReadWrite = 2,
        shareCompat = 0,
        shareExclusive = 0x10,
        shareDenyWrite = 0x20,
        shareDenyRead = 0x30,
        shareDenyNone = 0x40,
        modeNoInherit = 0x80,
        modeCreate = 0x1000,
        modeNoTruncate = 0x2000,
        typeText = 0x4000,
        typeBinary = 0x8000
    };

    enum SeekPosition
    {
        begin = 0,
        current = 1,
        end = 2
    };

    CFile() = default;
    // Opens the file or throws CFileException.
    CFile(const CString& path, UINT flags);
    // Closes the descriptor; errors on closing are ignored here.
    virtual ~CFile();

    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    // Answers false, and fills error when given, instead of throwing. A file that is
    // already open is closed first. The share flags are accepted and have no effect:
    // the system has no mandatory sharing modes. Text and binary files are alike.
    virtual bool Open(const CString& path, UINT flags, CFileException* error = nullptr);

    // Creates a new file for writing, named the prefix and a random suffix, exclusively:
    // never an existing file, never through a link, readable by the owner alone. Answers
    // false, and fills error with the system's cause when given, when none could be made.
    bool OpenUnique(const CString& pathPrefix, CFileException* error = nullptr);
    // The random suffix's length; its letters are ASCII letters and digits.
    static constexpr std::size_t kUniqueSuffixLength = 12;
    // A random suffix as OpenUnique gives its files, for a name nobody can foresee.
    [[nodiscard]] static std::string UniqueSuffix();

    // For files in folders that others may write to (the temporary and documents folders):
    // opens the file for writing, creating it readable by the owner alone. Never through a
    // link, and only a regular file of this user that has no other name: whatever else
    // stands at the name (a link, a pipe, a folder, someone else's file) is refused and
    // left untouched (false, with the system's cause when given). An existing file keeps
    // its bytes until the caller cuts it (SetLength), so that a file another holder still
    // uses can be passed over first.
    bool OpenPrivate(const CString& path, CFileException* error = nullptr);
    // As OpenPrivate, but only a file that does not exist yet: anything at the name, even
    // a dangling link, answers false with EEXIST.
    bool OpenPrivateNew(const CString& path, CFileException* error = nullptr);
    // The bytes as the whole of a file opened with OpenPrivate; false, never throwing,
    // when the file was refused or could not be written.
    static bool WritePrivate(const CString& path, const void* bytes, std::size_t count);

    // The number of bytes read; fewer than count only at the end of the file.
    // Throws CFileException on an input error.
    virtual UINT Read(void* buffer, UINT count);
    // Writes every byte or throws CFileException (diskFull, accessDenied, hardIO ...).
    virtual void Write(const void* buffer, UINT count);
    // The new position; throws CFileException badSeek for a position before the start.
    virtual ULONGLONG Seek(LONGLONG offset, UINT from);
    void SeekToBegin() { Seek(0, begin); }
    ULONGLONG SeekToEnd() { return Seek(0, end); }
    [[nodiscard]] virtual ULONGLONG GetPosition() const;
    [[nodiscard]] virtual ULONGLONG GetLength() const;
    virtual void SetLength(ULONGLONG newLength);
    virtual void Flush();
    // Throws CFileException when the system reports an error on closing.
    virtual void Close();
    // Closes, ignoring every error; never throws.
    virtual void Abort();

    [[nodiscard]] virtual bool IsOpen() const { return m_fd >= 0; }
    // The system's descriptor, -1 when closed.
    [[nodiscard]] int GetDescriptor() const { return m_fd; }
    [[nodiscard]] const CString& GetFilePath() const { return m_path; }
    // The last path component.
    [[nodiscard]] CString GetFileName() const;

    // False when the system refuses; errors are not thrown.
    static bool Remove(const CString& path);
    static bool Rename(const CString& oldPath, const CString& newPath);
    // The permission bits the user's new files get: 0666 less the creation mask, read
    // without changing it (changing it is not safe while other threads create files).
    [[nodiscard]] static unsigned int NewFilePermissions();

protected:
    [[noreturn]] void ThrowOsError(int osError) const;
    [[noreturn]] void ThrowCause(int cause, int osError = -1) const;
    void CheckOpen() const;

    int m_fd = -1;
    CString m_path;

private:
    bool OpenOwnFile(const CString& path, int extraFlags, CFileException* error);
};
