#include "app/langhandler.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/commandlineinfoex.h"
#include "foundation/syshelpers.h"
#include "foundation/versioninfo.h"
#include "platform/resources.h"
#include "platform/ui/messagebox.h"

namespace {

struct LanguageRow
{
    int primary;
    int sub;
    const char* code;
    // The locale's language name for the row.
    const char* locale;
};

constexpr LanguageRow kLanguages[] = {
    {0x09, 1, "", "en"},     {0x04, 1, "Cht", "zh_TW"}, {0x04, 2, "Chs", "zh"}, {0x0C, 1, "Fra", "fr"},
    {0x07, 1, "Deu", "de"},  {0x10, 1, "Ita", "it"},    {0x0A, 1, "Esp", "es"}, {0x11, 1, "Jpn", "ja"},
    {0x12, 1, "Kor", "ko"},  {0x1D, 1, "Sve", "sv"},    {0x16, 2, "Ptg", "pt"}, {0x05, 1, "Csy", "cs"},
    {0x1A, 1, "Hrv", "hr"},  {0x14, 1, "Nor", "nb"},    {0x0B, 1, "Fin", "fi"},
};

constexpr int kMaxCodeLength = 8;
// A language file is a string table; more than this is not one.
constexpr std::streamoff kMaxLanguageFileSize = 4 * 1024 * 1024;

CString LocaleName()
{
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"})
        if (const char* value = std::getenv(name); value != nullptr && *value != '\0')
            return CString(value);
    return {};
}

std::string ReadFirstLine(const CString& path)
{
    // Opening a pipe would wait for a writer that never comes.
    std::error_code error;
    if (!std::filesystem::is_regular_file(std::filesystem::path(path.ToUtf8()), error))
        return {};
    std::ifstream file(path.ToUtf8(), std::ios::binary);
    std::string line;
    std::getline(file, line);
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return line;
}

}  // namespace

bool IsValidLanguageCode(const CString& code)
{
    if (code.IsEmpty() || code.GetLength() > kMaxCodeLength)
        return false;
    for (char16_t c : code.Units())
        if (!((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9')))
            return false;
    return true;
}

CString GetLanguageCode(LANGID language, bool noFallback)
{
    const int primary = language & 0x3FF;
    const int sub = language >> 10;
    const LanguageRow* samePrimary = nullptr;
    for (const LanguageRow& row : kLanguages)
    {
        if (row.primary != primary)
            continue;
        if (row.sub == sub)
            return CString(row.code);
        if (samePrimary == nullptr)
            samePrimary = &row;
    }
    if (samePrimary != nullptr && !noFallback)
        return CString(samePrimary->code);
    return CString::Formatted("%.4X", primary * 256 + sub);
}

LANGID GetUserDefaultLangID()
{
    const std::string locale = LocaleName().ToUtf8();
    // The longest locale name that starts the setting wins ("zh_TW" before "zh").
    const LanguageRow* best = nullptr;
    size_t bestLength = 0;
    for (const LanguageRow& row : kLanguages)
    {
        const std::string name = row.locale;
        if (locale.compare(0, name.size(), name) == 0 && name.size() > bestLength)
        {
            best = &row;
            bestLength = name.size();
        }
    }
    if (best == nullptr)
        return static_cast<LANGID>(0x09 | (1 << 10));
    return static_cast<LANGID>(best->primary | (best->sub << 10));
}

bool ReadLanguageFileVersion(const CString& path, CVersionInfo& version)
{
    const std::string line = ReadFirstLine(path);
    const std::string prefix = "ProductVersion ";
    if (line.compare(0, prefix.size(), prefix) != 0)
        return false;
    return version.Parse(CString::FromUtf8(line.substr(prefix.size())));
}

bool CLangHandler::Load(const char* namePattern, const CCommandLineInfoEx* commandLine)
{
    CString code;
    if (commandLine == nullptr || !commandLine->GetOption(CString("lang"), code))
        code = GetLanguageCode(GetUserDefaultLangID(), false);
    if (code.IsEmpty())
        return false;
    // The code becomes part of a file name: a path, a dot or a blank has no place in it.
    if (!IsValidLanguageCode(code))
        return false;
    const CString fileName = CString::Formatted(namePattern, code);
    const CString path = FindProgramFile(fileName);
    if (path.IsEmpty())
        return false;
    if (!LoadFile(path, fileName))
        return false;
    m_code = code;
    m_loaded = true;
    return true;
}

bool CLangHandler::LoadFile(const CString& path, const CString& fileName)
{
    CVersionInfo fileVersion;
    if (!ReadLanguageFileVersion(path, fileVersion))
    {
        AfxMessageBox(CString::Formatted("Language resource file %s has an invalid format and will not be used.",
                                         fileName));
        return false;
    }
    const CVersionInfo programVersion;
    if (programVersion.GetBuildNumber() / 1000 > fileVersion.GetBuildNumber() / 1000)
    {
        AfxMessageBox(
            CString::Formatted("Language resource file %s is out-of-date and will not be used.\r\n\r\n", fileName) +
            CString::Formatted("Tarnwick version: %s.\r\n%s version: %s.\r\n\r\n", programVersion.GetText(),
                               fileName, fileVersion.GetText()) +
            CString("English resources will be used instead."));
        return false;
    }
    std::ifstream file(path.ToUtf8(), std::ios::binary | std::ios::ate);
    const std::streamoff size = file.tellg();
    if (!file || size < 0 || size > kMaxLanguageFileSize)
        return false;
    std::vector<std::uint8_t> bytes(static_cast<size_t>(size));
    file.seekg(0);
    if (!file.read(reinterpret_cast<char*>(bytes.data()), size))
        return false;
    // The version line does not start with a number, so the table reader skips it.
    RegisterTranslatedStringTable(bytes.data(), bytes.size());
    return true;
}

void CLangHandler::Unload()
{
    if (!m_loaded)
        return;
    ClearTranslatedStrings();
    m_loaded = false;
    m_code.Empty();
}
