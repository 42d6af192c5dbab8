#pragma once
// CLangHandler: picks the language of the interface at start-up. A translated string table
// may lie among the program's files as "Glimra<code>.lang"; the code comes from the
// command line ("lang") or the user's language. The file is data: a first line
// "ProductVersion <major>.<minor>.<build>" and then "id text" lines, which replace the
// built-in strings. Any problem keeps the built-in English strings.
#include <cstdint>

#include "platform/cstring.h"

class CCommandLineInfoEx;
class CVersionInfo;

// A language id: primary language in the low 10 bits, sublanguage above them.
using LANGID = std::uint16_t;

// Language codes are short words of letters and digits: anything else is refused before
// it becomes part of a file name.
[[nodiscard]] bool IsValidLanguageCode(const CString& code);
// The code of a language id: the exact row, else (unless noFallback) the first row of the
// same primary language, else the id as four hexadecimal digits.
[[nodiscard]] CString GetLanguageCode(LANGID language, bool noFallback);
// The user's language from the locale settings (LC_ALL, LC_MESSAGES, LANG); English
// (United States) when they name none the program knows.
[[nodiscard]] LANGID GetUserDefaultLangID();
// False unless the file's first line carries a version.
bool ReadLanguageFileVersion(const CString& path, CVersionInfo& version);

class CLangHandler
{
public:
    // The pattern holds one "%s" for the code. Returns true when a language file was loaded.
    bool Load(const char* namePattern, const CCommandLineInfoEx* commandLine);
    // Puts the built-in strings back when a file was loaded.
    void Unload();
    [[nodiscard]] const CString& GetCode() const { return m_code; }
    [[nodiscard]] bool IsLoaded() const { return m_loaded; }

private:
    bool LoadFile(const CString& path, const CString& fileName);

    bool m_loaded = false;
    CString m_code;
};
