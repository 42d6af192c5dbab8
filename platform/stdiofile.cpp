#include "platform/stdiofile.h"

#include <algorithm>
#include <cstring>

#include "platform/exceptions.h"

namespace {

constexpr std::size_t kReadChunk = 4096;

}  // namespace

CStdioFile::CStdioFile(const CString& path, UINT flags)
{
    CFileException error;
    if (!Open(path, flags, &error)) {
        throw error;
    }
}

bool CStdioFile::Open(const CString& path, UINT flags, CFileException* error)
{
    m_readAhead.clear();
    m_readPos = 0;
    return CFile::Open(path, flags, error);
}

void CStdioFile::DropReadAhead()
{
    const std::size_t unread = Unread();
    m_readAhead.clear();
    m_readPos = 0;
    if (unread > 0) {
        CFile::Seek(-static_cast<LONGLONG>(unread), current);
    }
}

bool CStdioFile::FillReadAhead()
{
    m_readAhead.erase(0, m_readPos);
    m_readPos = 0;
    const std::size_t kept = m_readAhead.size();
    m_readAhead.resize(kept + kReadChunk);
    const UINT got = CFile::Read(m_readAhead.data() + kept, static_cast<UINT>(kReadChunk));
    m_readAhead.resize(kept + got);
    return got > 0;
}

void CStdioFile::WriteString(const CString& text)
{
    const std::string utf8 = text.ToUtf8();
    Write(utf8.data(), static_cast<UINT>(utf8.size()));
}

bool CStdioFile::ReadString(CString& line)
{
    line.Empty();
    std::size_t searchFrom = m_readPos;
    std::size_t newline = std::string::npos;
    while ((newline = m_readAhead.find('\n', searchFrom)) == std::string::npos) {
        searchFrom = Unread();  // the tail moves to the front when refilled
        if (!FillReadAhead()) {
            break;
        }
    }
    const bool atEnd = newline == std::string::npos;
    if (atEnd && Unread() == 0) {
        return false;
    }
    const std::size_t stop = atEnd ? m_readAhead.size() : newline;
    std::size_t length = stop - m_readPos;
    if (length > 0 && m_readAhead[m_readPos + length - 1] == '\r') {
        --length;
    }
    line = CString(std::string_view(m_readAhead).substr(m_readPos, length));
    m_readPos = atEnd ? stop : stop + 1;
    return true;
}

UINT CStdioFile::Read(void* buffer, UINT count)
{
    const auto fromBuffer = static_cast<UINT>(std::min<std::size_t>(count, Unread()));
    std::memcpy(buffer, m_readAhead.data() + m_readPos, fromBuffer);
    m_readPos += fromBuffer;
    if (fromBuffer == count) {
        return count;
    }
    return fromBuffer + CFile::Read(static_cast<char*>(buffer) + fromBuffer, count - fromBuffer);
}

void CStdioFile::Write(const void* buffer, UINT count)
{
    DropReadAhead();
    CFile::Write(buffer, count);
}

ULONGLONG CStdioFile::Seek(LONGLONG offset, UINT from)
{
    DropReadAhead();
    return CFile::Seek(offset, from);
}

ULONGLONG CStdioFile::GetPosition() const
{
    return CFile::GetPosition() - Unread();
}

void CStdioFile::Close()
{
    m_readAhead.clear();
    m_readPos = 0;
    CFile::Close();
}

void CStdioFile::Abort()
{
    m_readAhead.clear();
    m_readPos = 0;
    CFile::Abort();
}
