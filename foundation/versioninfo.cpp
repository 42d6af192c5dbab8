#include "foundation/versioninfo.h"

#include <cctype>
#include <climits>
#include <cstdint>
#include <string>

#include "platform/archive.h"

IMPLEMENT_SERIAL(CVersionInfo, CObject, 0)

namespace {

int g_saveFormat = kSaveFormat5000;

// One "%d" of scanf: blanks, an optional sign and at least one digit. Numbers beyond
// 32 bits saturate rather than wrap.
bool ScanInt(const std::string& text, size_t& pos, int& value)
{
    while (pos < text.size() && std::isspace(static_cast<unsigned char>(text[pos])) != 0) {
        ++pos;
    }
    size_t at = pos;
    bool negative = false;
    if (at < text.size() && (text[at] == '-' || text[at] == '+')) {
        negative = text[at] == '-';
        ++at;
    }
    if (at >= text.size() || std::isdigit(static_cast<unsigned char>(text[at])) == 0) {
        return false;
    }
    std::int64_t magnitude = 0;
    while (at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])) != 0) {
        if (magnitude <= INT_MAX) {
            magnitude = magnitude * 10 + (text[at] - '0');
        }
        ++at;
    }
    const std::int64_t signedValue = negative ? -magnitude : magnitude;
    value = signedValue > INT_MAX ? INT_MAX : signedValue < INT_MIN ? INT_MIN : static_cast<int>(signedValue);
    pos = at;
    return true;
}

// Scans "[{]%d.%d.%d" like scanf and answers how many numbers were read.
int ScanVersion(const std::string& text, bool braced, int numbers[3])
{
    size_t pos = 0;
    if (braced) {
        if (text.empty() || text[0] != '{') {
            return 0;
        }
        pos = 1;
    }
    for (int i = 0; i < 3; ++i) {
        if (i > 0) {
            if (pos >= text.size() || text[pos] != '.') {
                return i;
            }
            ++pos;
        }
        if (!ScanInt(text, pos, numbers[i])) {
            return i;
        }
    }
    return 3;
}

CVersionInfo& FileVersionInfo()
{
    static CVersionInfo version;
    return version;
}

} // namespace

void SetSaveFormat(int saveFormat)
{
    g_saveFormat = saveFormat;
}

int GetSaveFormat()
{
    return g_saveFormat;
}

CVersionInfo::CVersionInfo()
{
    switch (GetSaveFormat()) {
    case kSaveFormat4000:
        m_major = 4;
        m_build = 1;
        break;
    case kSaveFormat3000:
        m_major = 3;
        m_build = 1;
        break;
    default:
        m_major = 5;
        m_build = 232;
        break;
    }
}

CVersionInfo::CVersionInfo(int major, int minor, int build) : m_major(major), m_minor(minor), m_build(build)
{
}

void CVersionInfo::Assign(const CVersionInfo& other)
{
    m_major = other.m_major;
    m_minor = other.m_minor;
    m_build = other.m_build;
}

int CVersionInfo::GetBuildNumber() const
{
    const std::int64_t combined =
        (static_cast<std::int64_t>(m_major) * 1000 + m_minor) * 1000 + m_build;
    if (combined > INT_MAX) {
        return INT_MAX;
    }
    return combined < INT_MIN ? INT_MIN : static_cast<int>(combined);
}

CString CVersionInfo::GetText() const
{
    return CString::Formatted("%d.%d.%d", m_major, m_minor, m_build);
}

bool CVersionInfo::Parse(const CString& text)
{
    int numbers[3] = {0, 0, 0};
    if (ScanVersion(text.ToAnsi(), false, numbers) != 3) {
        return false;
    }
    m_major = numbers[0];
    m_minor = numbers[1];
    m_build = numbers[2];
    return true;
}

void CVersionInfo::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        ArchiveWriteString(ar, CString::Formatted("{%d.%d.%d}", m_major, m_minor, m_build));
        return;
    }
    // Numbers the text does not supply keep their values.
    int numbers[3] = {m_major, m_minor, m_build};
    (void)ScanVersion(ArchiveReadString(ar).ToAnsi(), true, numbers);
    m_major = numbers[0];
    m_minor = numbers[1];
    m_build = numbers[2];
}

void SetFileVersionInfo(const CVersionInfo& version)
{
    FileVersionInfo().Assign(version);
}

const CVersionInfo& GetFileVersionInfo()
{
    return FileVersionInfo();
}
