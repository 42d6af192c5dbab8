#include "platform/exceptions.h"

#include <cerrno>

namespace {

const char* ArchiveCauseText(int cause)
{
    switch (cause) {
    case CArchiveException::none: return "no error";
    case CArchiveException::genericException: return "the data are damaged";
    case CArchiveException::readOnly: return "an attempt to write to an archive opened for reading";
    case CArchiveException::endOfFile: return "the file is cut short";
    case CArchiveException::writeOnly: return "an attempt to read from an archive opened for writing";
    case CArchiveException::badIndex: return "an object reference points at nothing the file holds";
    case CArchiveException::badClass: return "an object is of an unknown or unexpected class";
    case CArchiveException::badSchema: return "an object is of an unknown version";
    case CArchiveException::nestedTooDeep: return "the model nests too deep";
    default: return "an unknown archive error";
    }
}

const char* FileCauseText(int cause)
{
    switch (cause) {
    case CFileException::none: return "no error";
    case CFileException::fileNotFound: return "the file could not be found";
    case CFileException::badPath: return "the path is invalid";
    case CFileException::tooManyOpenFiles: return "too many files are open";
    case CFileException::accessDenied: return "access was denied";
    case CFileException::invalidFile: return "the file handle is invalid";
    case CFileException::removeCurrentDir: return "the current folder cannot be removed";
    case CFileException::directoryFull: return "the folder is full";
    case CFileException::badSeek: return "the file position could not be set";
    case CFileException::hardIO: return "a hardware input/output error occurred";
    case CFileException::sharingViolation: return "the file is in use";
    case CFileException::lockViolation: return "the file is locked";
    case CFileException::diskFull: return "the disk is full";
    case CFileException::endOfFile: return "the end of the file was reached";
    default: return "an unexpected error occurred";
    }
}

}  // namespace

CString CException::GetErrorMessage() const
{
    return CString(m_what);
}

const char* CException::what() const noexcept
{
    return m_what.c_str();
}

void CException::SetMessage(const CString& message)
{
    m_what = message.ToUtf8();
}

CArchiveException::CArchiveException(int cause, const CString& fileName, const char* reason)
    : m_cause(cause), m_strFileName(fileName), m_reason(reason)
{
    SetMessage(GetErrorMessage());
}

CString CArchiveException::GetErrorMessage() const
{
    if (m_strFileName.IsEmpty()) {
        return CString::Formatted("Reading or writing an archive failed: %s.", GetReason());
    }
    return CString::Formatted("Reading or writing %s failed: %s.", m_strFileName, GetReason());
}

CString CArchiveException::GetReason() const
{
    return CString(m_reason != nullptr ? m_reason : ArchiveCauseText(m_cause));
}

CFileException::CFileException(int cause, long osError, const CString& fileName)
    : m_cause(cause), m_lOsError(osError), m_strFileName(fileName)
{
    SetMessage(GetErrorMessage());
}

CString CFileException::GetErrorMessage() const
{
    const CString name = m_strFileName.IsEmpty() ? CString("a file") : m_strFileName;
    return CString::Formatted("Accessing %s failed: %s.", name, FileCauseText(m_cause));
}

int CFileException::OsErrorToCause(int osError)
{
    switch (osError) {
    case 0: return none;
    case ENOENT: return fileNotFound;
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP:
    case EINVAL: return badPath;
    case EMFILE:
    case ENFILE: return tooManyOpenFiles;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case EEXIST: return accessDenied;
    case EBADF: return invalidFile;
    case EBUSY:
    case ETXTBSY: return sharingViolation;
    case ESPIPE:
    case EOVERFLOW: return badSeek;
    case EIO: return hardIO;
    case ENOLCK: return lockViolation;
    case ENOSPC:
    case EDQUOT:
    case EFBIG: return diskFull;
    default: return genericException;
    }
}

CMemoryException::CMemoryException()
{
    SetMessage("Out of memory.");
}

CInvalidArgException::CInvalidArgException()
{
    SetMessage("An invalid argument was given.");
}

CUserException::CUserException()
{
    SetMessage("The operation was stopped.");
}

void AfxThrowArchiveException(int cause, const CString& fileName, const char* reason)
{
    throw CArchiveException(cause, fileName, reason);
}

void AfxThrowFileException(int cause, long osError, const CString& fileName)
{
    throw CFileException(cause, osError, fileName);
}

void AfxThrowInvalidArgException()
{
    throw CInvalidArgException();
}

void AfxThrowUserException()
{
    throw CUserException();
}

void AfxThrowMemoryException()
{
    throw CMemoryException();
}
