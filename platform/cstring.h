#pragma once
// CString: a text held as UTF-16 code units, the form the model file stores.
// It converts to UTF-8 only where text leaves the program (file names, the
// terminal, Qt, printf-style formatting).

#include <compare>
#include <cstdint>
#include <string>
#include <string_view>

class CString
{
public:
    CString() = default;
    CString(const char* utf8);                 // NOLINT: implicit like the framework's
    CString(std::string_view utf8);            // NOLINT
    CString(const std::string& utf8);          // NOLINT
    CString(const char16_t* units);            // NOLINT
    CString(std::u16string units);             // NOLINT
    CString(char16_t ch, int repeat = 1);

    [[nodiscard]] static CString FromUtf8(std::string_view utf8);
    // Bytes in the 8-bit code page of older files (Windows-1252), widened to UTF-16.
    [[nodiscard]] static CString FromAnsi(std::string_view bytes);

    [[nodiscard]] std::string ToUtf8() const;
    // Narrows to the 8-bit code page; characters it cannot hold become '?'.
    [[nodiscard]] std::string ToAnsi() const;

    [[nodiscard]] int GetLength() const { return static_cast<int>(m_units.size()); }
    [[nodiscard]] bool IsEmpty() const { return m_units.empty(); }
    void Empty() { m_units.clear(); }
    [[nodiscard]] const char16_t* c_str() const { return m_units.c_str(); }
    [[nodiscard]] const std::u16string& Units() const { return m_units; }
    [[nodiscard]] char16_t GetAt(int index) const { return m_units.at(static_cast<size_t>(index)); }
    [[nodiscard]] char16_t operator[](int index) const { return GetAt(index); }
    void SetAt(int index, char16_t ch) { m_units.at(static_cast<size_t>(index)) = ch; }

    CString& operator+=(const CString& other);
    CString& operator+=(char16_t ch);
    friend CString operator+(CString a, const CString& b) { return a += b; }

    friend bool operator==(const CString& a, const CString& b) { return a.m_units == b.m_units; }
    friend std::strong_ordering operator<=>(const CString& a, const CString& b)
    {
        return a.m_units <=> b.m_units;
    }
    [[nodiscard]] int Compare(const CString& other) const;        // <0, 0, >0 by code unit
    [[nodiscard]] int CompareNoCase(const CString& other) const;  // ASCII letters folded

    [[nodiscard]] int Find(const CString& sub, int start = 0) const;  // -1 when absent
    [[nodiscard]] int Find(char16_t ch, int start = 0) const;
    [[nodiscard]] int ReverseFind(char16_t ch) const;
    [[nodiscard]] CString Left(int count) const;
    [[nodiscard]] CString Right(int count) const;
    [[nodiscard]] CString Mid(int first, int count = -1) const;
    int Replace(const CString& from, const CString& to);  // returns the number replaced
    CString& MakeLower();  // ASCII letters only, like the file's class and unit names
    CString& MakeUpper();
    CString& TrimLeft();
    CString& TrimRight();
    CString& Trim();

    // printf-style formatting with a UTF-8 format; CString arguments may stand for %s.
    template <typename... Args>
    void Format(const char* format, const Args&... args)
    {
        *this = FormatV(format, CStr(Narrow(args))...);
    }
    template <typename... Args>
    [[nodiscard]] static CString Formatted(const char* format, const Args&... args)
    {
        return FormatV(format, CStr(Narrow(args))...);
    }

private:
    static CString FormatV(const char* format, ...);

    // A CString argument becomes a UTF-8 temporary that lives until the formatting
    // expression ends; other arguments pass through unchanged.
    static std::string Narrow(const CString& value) { return value.ToUtf8(); }
    template <typename T>
    static const T& Narrow(const T& value)
    {
        return value;
    }
    static const char* CStr(const std::string& value) { return value.c_str(); }
    // Arrays decay to pointers and small integers promote, as varargs expect.
    template <typename T>
    static auto CStr(const T& value) -> decltype(+value)
    {
        return +value;
    }

    std::u16string m_units;
};

// Hash support so CString can key unordered containers.
template <>
struct std::hash<CString>
{
    size_t operator()(const CString& s) const noexcept { return std::hash<std::u16string>{}(s.Units()); }
};
