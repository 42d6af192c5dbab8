#include "foundation/syshelpers.h"

#include <langinfo.h>
#include <locale.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "platform/folders.h"
#include "platform/sysinfo.h"

namespace {

// Build folders of the Windows folder layout, kept so that a tree copied from a
// Windows machine still finds its data.
constexpr const char* kWindowsBuildFolders[] = {
    "Source\\Tarnwick\\Debug\\",          "Source\\Tarnwick\\DebugU\\",
    "Source\\Tarnwick\\Release\\",        "Source\\Tarnwick\\ReleaseU\\",
    "Source\\Tarnwick\\ReleaseS\\",       "Source\\Tarnwick\\Profile\\",
    "Source\\Tarnwick\\Bounds_Checker\\", "Source\\Tarnwick\\ReleasePDB\\",
    "Source\\Tarnwick\\ReleaseUPDB\\",    "Source\\Tarnwick\\DebugUNOAPI\\",
};

bool IsSeparator(char16_t ch)
{
    return ch == u'/' || ch == u'\\';
}

CString WithForwardSlashes(CString path)
{
    path.Replace(CString(u'\\'), CString(u'/'));
    return path;
}

std::vector<CString> SplitFolder(const CString& folder)
{
    std::vector<CString> parts;
    int start = 0;
    for (int i = 0; i < folder.GetLength(); ++i) {
        if (folder[i] == u'/') {
            parts.push_back(folder.Mid(start, i - start));
            start = i + 1;
        }
    }
    parts.push_back(folder.Mid(start));
    return parts;
}

// Length of the source-tree top inside "<top>build/<preset>/app/" or
// "<top>build-<name>/app/"; -1 when the folder has neither shape.
int SourceTopLength(const CString& folder)
{
    const std::vector<CString> parts = SplitFolder(folder);
    // The trailing separator leaves an empty last part.
    const size_t count = parts.size();
    if (count < 3 || !parts[count - 1].IsEmpty() || parts[count - 2] != CString("app")) {
        return -1;
    }
    int tail = 0;
    const CString& owner = parts[count - 3];
    if (owner.GetLength() > 6 && owner.Left(6) == CString("build-")) {
        tail = owner.GetLength() + 5;  // "<owner>/app/"
    } else if (count >= 4 && !owner.IsEmpty() && parts[count - 4] == CString("build")) {
        tail = owner.GetLength() + 11;  // "build/<owner>/app/"
    } else {
        return -1;
    }
    return folder.GetLength() - tail;
}

std::optional<char16_t> g_cachedSeparator;
char16_t g_testSeparator = 0;

locale_t ClassicLocale()
{
    static const locale_t classic = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return classic;
}

// Characters that may stand in a plain decimal number, apart from the separator.
// strtod also reads "inf", "nan" and hexadecimal numbers, which no length or
// setting is written as; their letters must end the number instead.
bool IsPlainNumberCharacter(char16_t ch)
{
    return (ch >= u'0' && ch <= u'9') || ch == u'+' || ch == u'-' || ch == u'e' || ch == u'E' ||
           ch == u' ' || (ch >= u'\t' && ch <= u'\r');
}

// The text in the characters the classic reader knows: the locale's separator
// becomes '.', and any other character that a plain decimal number cannot hold
// (a '.' that is not the separator among them) becomes one that ends the number.
std::string ToClassicNumberText(const CString& text, char16_t separator)
{
    constexpr char kStop = '\x7f';
    std::string narrow;
    narrow.reserve(static_cast<size_t>(text.GetLength()));
    for (char16_t ch : text.Units()) {
        if (ch == separator) {
            narrow.push_back('.');
        } else if (IsPlainNumberCharacter(ch)) {
            narrow.push_back(static_cast<char>(ch));
        } else {
            narrow.push_back(kStop);
        }
    }
    return narrow;
}

size_t SkipBlanks(const std::string& text, size_t pos)
{
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) {
        ++pos;
    }
    return pos;
}

} // namespace

CColor GetWindowColor()
{
    CColor color;
    color.SetFromCOLORREF(GetSysColor(COLOR_WINDOW));
    return color;
}

CColor GetWindowTextColor()
{
    CColor color;
    color.SetFromCOLORREF(GetSysColor(COLOR_WINDOWTEXT));
    return color;
}

CString GetProgramFolder()
{
    const CString path = GetModulePath();
    int cut = -1;
    for (int i = path.GetLength() - 1; i >= 0; --i) {
        if (IsSeparator(path[i])) {
            cut = i;
            break;
        }
    }
    return cut < 0 ? CString() : path.Left(cut + 1);
}

bool StripSuffixNoCase(const CString& suffix, const CString& text, CString& result)
{
    const int keep = text.GetLength() - suffix.GetLength();
    if (keep < 0 || text.Right(suffix.GetLength()).CompareNoCase(suffix) != 0) {
        return false;
    }
    result = text.Left(keep);
    return true;
}

CString StripBuildFolderFrom(const CString& folder)
{
    const CString slashed = WithForwardSlashes(folder);
    CString stripped;
    for (const char* buildFolder : kWindowsBuildFolders) {
        if (StripSuffixNoCase(WithForwardSlashes(CString(buildFolder)), slashed, stripped)) {
            return folder.Left(stripped.GetLength());
        }
    }
    const int top = SourceTopLength(slashed);
    return top >= 0 ? folder.Left(top) : folder;
}

CString StripBuildFolder()
{
    return StripBuildFolderFrom(GetProgramFolder());
}

CString AppendPathPart(const CString& folder, const CString& name)
{
    if (folder.IsEmpty()) {
        return name;
    }
    CString path = folder;
    if (!IsSeparator(folder[folder.GetLength() - 1])) {
        path += u'/';
    }
    return path + name;
}

CString GetFileNameFromPath(const CString& path, bool withExtension)
{
    int start = 0;
    for (int i = path.GetLength() - 1; i >= 0; --i) {
        if (IsSeparator(path[i])) {
            start = i + 1;
            break;
        }
    }
    const CString name = path.Mid(start);
    if (withExtension) {
        return name;
    }
    const int dot = name.ReverseFind(u'.');
    return dot < 0 ? name : name.Left(dot);
}

CString FindProgramFile(const CString& name, const CString& subfolder)
{
    std::vector<CString> candidates;
    const CString programFolder = GetProgramFolder();
    const CString sourceTop = StripBuildFolderFrom(programFolder);
    for (const CString& folder : {programFolder, sourceTop}) {
        candidates.push_back(AppendPathPart(folder, name));
        if (!subfolder.IsEmpty()) {
            candidates.push_back(AppendPathPart(AppendPathPart(folder, subfolder), name));
        }
    }
    for (const CString& candidate : candidates) {
        if (FileExists(candidate)) {
            return candidate;
        }
    }
    return {};
}

char16_t GetLocaleDecimalSeparator()
{
    // A locale object of its own leaves the process locale as it was.
    const locale_t user = newlocale(LC_NUMERIC_MASK, "", static_cast<locale_t>(nullptr));
    if (user == static_cast<locale_t>(nullptr)) {
        return u'.';
    }
    const char* point = nl_langinfo_l(RADIXCHAR, user);
    const CString separator = CString::FromUtf8(point != nullptr ? point : "");
    freelocale(user);
    return separator.IsEmpty() ? u'.' : separator[0];
}

char16_t GetDecimalSeparator()
{
    if (g_testSeparator != 0) {
        return g_testSeparator;
    }
    if (!g_cachedSeparator) {
        g_cachedSeparator = GetLocaleDecimalSeparator();
    }
    return *g_cachedSeparator;
}

void SetDecimalSeparatorForTesting(char16_t separator)
{
    g_testSeparator = separator;
}

bool ParseDouble(const CString& text, double& value)
{
    const std::string narrow = ToClassicNumberText(text, GetDecimalSeparator());
    const size_t start = SkipBlanks(narrow, 0);
    char* end = nullptr;
    value = strtod_l(narrow.c_str() + start, &end, ClassicLocale());
    const size_t after = SkipBlanks(narrow, static_cast<size_t>(end - narrow.c_str()));
    if (after != narrow.size()) {
        return false;
    }
    return value != 0.0 || (start < narrow.size() && narrow[start] == '0');
}

double ParseLocaleDouble(const CString& text)
{
    double value = 0.0;
    (void)ParseDouble(text, value);
    return value;
}

int GetOSVersionText(CString& text)
{
    OsVersionInfo info;
    if (!GetOsVersionInfo(info)) {
        return 0;
    }
    text = CString::Formatted("%s (Build %d)", info.servicePack, info.build);
    return kOsLaterVersion;
}

int GetOSVersion()
{
    CString text;
    return GetOSVersionText(text);
}

int GetMonitorCount()
{
    if (GetOSVersion() == kOsWindowsNT4) {
        return 1;
    }
    return GetSystemMetrics(SM_CMONITORS);
}

void GetVirtualScreenRect(int& left, int& top, int& width, int& height)
{
    if (GetOSVersion() == kOsWindowsNT4) {
        left = 0;
        top = 0;
        width = GetSystemMetrics(SM_CXSCREEN);
        height = GetSystemMetrics(SM_CYSCREEN);
        return;
    }
    left = GetSystemMetrics(SM_XVIRTUALSCREEN);
    top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    width = GetSystemMetrics(SM_CXVIRTUALSCREEN);
    height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
}

void GetVirtualScreenSize(int& width, int& height)
{
    int left = 0;
    int top = 0;
    GetVirtualScreenRect(left, top, width, height);
}
