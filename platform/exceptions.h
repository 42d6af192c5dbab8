#pragma once
// The exceptions the platform layer throws. They are thrown by value and caught by
// reference; nothing is allocated on the heap for them and nothing needs deleting.

#include <exception>
#include <string>

#include "platform/cstring.h"

class CException : public std::exception
{
public:
    CException() = default;
    ~CException() override = default;

    // A sentence for a person; never empty.
    [[nodiscard]] virtual CString GetErrorMessage() const;
    // The same sentence in UTF-8.
    [[nodiscard]] const char* what() const noexcept override;

protected:
    // Called by derived constructors once their fields are set, so what() can hand out a stable pointer.
    void SetMessage(const CString& message);

private:
    std::string m_what = "unknown error";
};

class CArchiveException : public CException
{
public:
    enum
    {
        none = 0,
        genericException = 1,
        readOnly = 2,
        endOfFile = 3,
        writeOnly = 4,
        badIndex = 5,
        badClass = 6,
        badSchema = 7,
        // A model whose objects or components nest deeper than a reader takes.
        nestedTooDeep = 8
    };

    // reason: what the reader found, in plain words, where the cause alone says too little
    // (a static text: it is kept, not copied).
    explicit CArchiveException(int cause = none, const CString& fileName = {}, const char* reason = nullptr);
    [[nodiscard]] CString GetErrorMessage() const override;
    // The thrower's reason when it gave one, else the cause's own words ("the file is cut short").
    [[nodiscard]] CString GetReason() const;

    int m_cause = none;
    CString m_strFileName;
    const char* m_reason = nullptr;
};

class CFileException : public CException
{
public:
    enum
    {
        none = 0,
        genericException = 1,
        fileNotFound = 2,
        badPath = 3,
        tooManyOpenFiles = 4,
        accessDenied = 5,
        invalidFile = 6,
        removeCurrentDir = 7,
        directoryFull = 8,
        badSeek = 9,
        hardIO = 10,
        sharingViolation = 11,
        lockViolation = 12,
        diskFull = 13,
        endOfFile = 14
    };

    explicit CFileException(int cause = none, long osError = -1, const CString& fileName = {});
    [[nodiscard]] CString GetErrorMessage() const override;

    // Maps an errno value to the nearest cause; unknown values become genericException.
    [[nodiscard]] static int OsErrorToCause(int osError);

    int m_cause = none;
    long m_lOsError = -1;
    CString m_strFileName;
};

class CMemoryException : public CException
{
public:
    CMemoryException();
};

class CInvalidArgException : public CException
{
public:
    CInvalidArgException();
};

// Thrown after the user has already been told what went wrong; callers stop quietly.
class CUserException : public CException
{
public:
    CUserException();
};

[[noreturn]] void AfxThrowArchiveException(int cause, const CString& fileName = {}, const char* reason = nullptr);
[[noreturn]] void AfxThrowFileException(int cause, long osError = -1, const CString& fileName = {});
[[noreturn]] void AfxThrowInvalidArgException();
[[noreturn]] void AfxThrowUserException();
[[noreturn]] void AfxThrowMemoryException();
