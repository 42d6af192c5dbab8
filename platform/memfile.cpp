#include "platform/memfile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>
#include <stdexcept>

#include "platform/exceptions.h"

CMemFile::CMemFile(UINT growBytes) : m_growBytes(std::max<UINT>(growBytes, 1)) {}

CMemFile::CMemFile(const BYTE* data, UINT size)
{
    Attach(data, size);
}

bool CMemFile::Open(const CString& path, UINT /*flags*/, CFileException* error)
{
    if (error != nullptr) {
        *error = CFileException(CFileException::badPath, EINVAL, path);
    }
    return false;
}

const BYTE* CMemFile::Data() const
{
    return m_attached != nullptr ? m_attached : m_owned.data();
}

void CMemFile::CheckWritable() const
{
    if (m_attached != nullptr) {
        ThrowCause(CFileException::accessDenied, EACCES);
    }
}

UINT CMemFile::Read(void* buffer, UINT count)
{
    const ULONGLONG length = GetLength();
    if (m_position >= length || count == 0) {
        return 0;
    }
    const auto got = static_cast<UINT>(std::min<ULONGLONG>(count, length - m_position));
    std::memcpy(buffer, Data() + m_position, got);
    m_position += got;
    return got;
}

void CMemFile::Write(const void* buffer, UINT count)
{
    CheckWritable();
    if (count == 0) {
        return;
    }
    const ULONGLONG needed = m_position + count;
    if (needed > m_owned.size()) {
        try {
            if (needed > m_owned.capacity()) {
                const ULONGLONG steps = (needed + m_growBytes - 1) / m_growBytes;
                // Growing by at least half keeps many small writes linear overall.
                m_owned.reserve(std::max<ULONGLONG>(steps * m_growBytes, m_owned.capacity() + m_owned.capacity() / 2));
            }
            m_owned.resize(needed);
        } catch (const std::bad_alloc&) {
            AfxThrowMemoryException();
        } catch (const std::length_error&) {
            AfxThrowMemoryException();
        }
    }
    std::memcpy(m_owned.data() + m_position, buffer, count);
    m_position = needed;
}

ULONGLONG CMemFile::Seek(LONGLONG offset, UINT from)
{
    LONGLONG base = 0;
    if (from == current) {
        base = static_cast<LONGLONG>(m_position);
    } else if (from == end) {
        base = static_cast<LONGLONG>(GetLength());
    } else if (from != begin) {
        ThrowCause(CFileException::badSeek, EINVAL);
    }
    if ((offset < 0 && base + offset < 0) || (offset > 0 && base > INT64_MAX - offset)) {
        ThrowCause(CFileException::badSeek, EINVAL);
    }
    m_position = static_cast<ULONGLONG>(base + offset);
    return m_position;
}

ULONGLONG CMemFile::GetPosition() const
{
    return m_position;
}

ULONGLONG CMemFile::GetLength() const
{
    return m_attached != nullptr ? m_attachedSize : m_owned.size();
}

void CMemFile::SetLength(ULONGLONG newLength)
{
    CheckWritable();
    try {
        m_owned.resize(newLength);
    } catch (const std::bad_alloc&) {
        AfxThrowMemoryException();
    } catch (const std::length_error&) {
        AfxThrowMemoryException();
    }
    m_position = std::min(m_position, newLength);
}

void CMemFile::Close()
{
    Abort();
}

void CMemFile::Abort()
{
    m_owned.clear();
    m_owned.shrink_to_fit();
    m_attached = nullptr;
    m_attachedSize = 0;
    m_position = 0;
}

void CMemFile::Attach(const BYTE* data, UINT size)
{
    Abort();
    static const BYTE kEmpty = 0;
    m_attached = data != nullptr ? data : &kEmpty;
    m_attachedSize = data != nullptr ? size : 0;
}

std::vector<BYTE> CMemFile::Detach()
{
    std::vector<BYTE> contents;
    if (m_attached != nullptr) {
        contents.assign(m_attached, m_attached + m_attachedSize);
    } else {
        contents = std::move(m_owned);
    }
    Abort();
    return contents;
}
