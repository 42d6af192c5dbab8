#include "platform/cstring.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <vector>

namespace {

constexpr char16_t kReplacement = 0xFFFD;

// Windows-1252 positions 0x80..0x9F; the rest of the page equals Latin-1. The five
// unassigned bytes map to the control characters of the same value so they round-trip.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

void AppendCodePoint(std::u16string& out, char32_t cp)
{
    if (cp < 0x10000) {
        out.push_back(static_cast<char16_t>(cp));
    } else {
        cp -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    }
}

void AppendUtf8(std::string& out, char32_t cp)
{
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

std::u16string DecodeUtf8(std::string_view in)
{
    std::u16string out;
    out.reserve(in.size());
    size_t i = 0;
    while (i < in.size()) {
        const auto b0 = static_cast<unsigned char>(in[i]);
        int extra = 0;
        char32_t cp = 0;
        if (b0 < 0x80) {
            cp = b0;
        } else if ((b0 & 0xE0) == 0xC0) {
            extra = 1;
            cp = b0 & 0x1F;
        } else if ((b0 & 0xF0) == 0xE0) {
            extra = 2;
            cp = b0 & 0x0F;
        } else if ((b0 & 0xF8) == 0xF0) {
            extra = 3;
            cp = b0 & 0x07;
        } else {
            out.push_back(kReplacement);
            ++i;
            continue;
        }
        bool ok = true;
        for (int k = 1; k <= extra; ++k) {
            if (i + k >= in.size()) {
                ok = false;
                break;
            }
            const auto b = static_cast<unsigned char>(in[i + k]);
            if ((b & 0xC0) != 0x80) {
                ok = false;
                break;
            }
            cp = (cp << 6) | (b & 0x3F);
        }
        const bool overlong = (extra == 1 && cp < 0x80) || (extra == 2 && cp < 0x800) || (extra == 3 && cp < 0x10000);
        if (!ok || overlong || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            out.push_back(kReplacement);
            ++i;
            continue;
        }
        AppendCodePoint(out, cp);
        i += static_cast<size_t>(extra) + 1;
    }
    return out;
}

char16_t FoldAscii(char16_t c)
{
    return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c - u'A' + u'a') : c;
}

bool IsSpace(char16_t c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\v' || c == u'\f';
}

}  // namespace

CString::CString(const char* utf8) : m_units(utf8 ? DecodeUtf8(utf8) : std::u16string()) {}
CString::CString(std::string_view utf8) : m_units(DecodeUtf8(utf8)) {}
CString::CString(const std::string& utf8) : m_units(DecodeUtf8(utf8)) {}
CString::CString(const char16_t* units) : m_units(units ? units : u"") {}
CString::CString(std::u16string units) : m_units(std::move(units)) {}
CString::CString(char16_t ch, int repeat) : m_units(static_cast<size_t>(std::max(repeat, 0)), ch) {}

CString CString::FromUtf8(std::string_view utf8)
{
    return CString(utf8);
}

CString CString::FromAnsi(std::string_view bytes)
{
    std::u16string out;
    out.reserve(bytes.size());
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        out.push_back(b >= 0x80 && b < 0xA0 ? kCp1252High[b - 0x80] : static_cast<char16_t>(b));
    }
    return CString(std::move(out));
}

std::string CString::ToUtf8() const
{
    std::string out;
    out.reserve(m_units.size());
    for (size_t i = 0; i < m_units.size(); ++i) {
        char32_t cp = m_units[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < m_units.size() && m_units[i + 1] >= 0xDC00 &&
            m_units[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (m_units[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = kReplacement;  // a lone surrogate has no UTF-8 form
        }
        AppendUtf8(out, cp);
    }
    return out;
}

std::string CString::ToAnsi() const
{
    std::string out;
    out.reserve(m_units.size());
    for (char16_t u : m_units) {
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
            out.push_back(static_cast<char>(u));
            continue;
        }
        const auto* it = std::find(std::begin(kCp1252High), std::end(kCp1252High), u);
        if (it != std::end(kCp1252High)) {
            out.push_back(static_cast<char>(0x80 + (it - std::begin(kCp1252High))));
        } else {
            out.push_back('?');
        }
    }
    return out;
}

CString& CString::operator+=(const CString& other)
{
    m_units += other.m_units;
    return *this;
}

CString& CString::operator+=(char16_t ch)
{
    m_units.push_back(ch);
    return *this;
}

int CString::Compare(const CString& other) const
{
    const int r = m_units.compare(other.m_units);
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

int CString::CompareNoCase(const CString& other) const
{
    const size_t n = std::min(m_units.size(), other.m_units.size());
    for (size_t i = 0; i < n; ++i) {
        const char16_t a = FoldAscii(m_units[i]);
        const char16_t b = FoldAscii(other.m_units[i]);
        if (a != b) {
            return a < b ? -1 : 1;
        }
    }
    if (m_units.size() == other.m_units.size()) {
        return 0;
    }
    return m_units.size() < other.m_units.size() ? -1 : 1;
}

int CString::Find(const CString& sub, int start) const
{
    if (start < 0 || static_cast<size_t>(start) > m_units.size()) {
        return -1;
    }
    const size_t pos = m_units.find(sub.m_units, static_cast<size_t>(start));
    return pos == std::u16string::npos ? -1 : static_cast<int>(pos);
}

int CString::Find(char16_t ch, int start) const
{
    if (start < 0 || static_cast<size_t>(start) > m_units.size()) {
        return -1;
    }
    const size_t pos = m_units.find(ch, static_cast<size_t>(start));
    return pos == std::u16string::npos ? -1 : static_cast<int>(pos);
}

int CString::ReverseFind(char16_t ch) const
{
    const size_t pos = m_units.rfind(ch);
    return pos == std::u16string::npos ? -1 : static_cast<int>(pos);
}

CString CString::Left(int count) const
{
    count = std::clamp(count, 0, GetLength());
    return CString(m_units.substr(0, static_cast<size_t>(count)));
}

CString CString::Right(int count) const
{
    count = std::clamp(count, 0, GetLength());
    return CString(m_units.substr(m_units.size() - static_cast<size_t>(count)));
}

CString CString::Mid(int first, int count) const
{
    first = std::clamp(first, 0, GetLength());
    const int available = GetLength() - first;
    if (count < 0 || count > available) {
        count = available;
    }
    return CString(m_units.substr(static_cast<size_t>(first), static_cast<size_t>(count)));
}

int CString::Replace(const CString& from, const CString& to)
{
    if (from.IsEmpty()) {
        return 0;
    }
    int replaced = 0;
    size_t pos = 0;
    while ((pos = m_units.find(from.m_units, pos)) != std::u16string::npos) {
        m_units.replace(pos, from.m_units.size(), to.m_units);
        pos += to.m_units.size();
        ++replaced;
    }
    return replaced;
}

CString& CString::MakeLower()
{
    for (auto& c : m_units) {
        c = FoldAscii(c);
    }
    return *this;
}

CString& CString::MakeUpper()
{
    for (auto& c : m_units) {
        if (c >= u'a' && c <= u'z') {
            c = static_cast<char16_t>(c - u'a' + u'A');
        }
    }
    return *this;
}

CString& CString::TrimLeft()
{
    size_t i = 0;
    while (i < m_units.size() && IsSpace(m_units[i])) {
        ++i;
    }
    m_units.erase(0, i);
    return *this;
}

CString& CString::TrimRight()
{
    while (!m_units.empty() && IsSpace(m_units.back())) {
        m_units.pop_back();
    }
    return *this;
}

CString& CString::Trim()
{
    return TrimRight().TrimLeft();
}

CString CString::FormatV(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    const int needed = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (needed < 0) {
        va_end(args);
        return CString();
    }
    std::vector<char> buffer(static_cast<size_t>(needed) + 1);
    std::vsnprintf(buffer.data(), buffer.size(), format, args);
    va_end(args);
    return CString(std::string_view(buffer.data(), static_cast<size_t>(needed)));
}
