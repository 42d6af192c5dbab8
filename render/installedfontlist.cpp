#include "render/installedfontlist.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <tuple>

namespace {

struct LibraryDeleter
{
    void operator()(FT_Library library) const { FT_Done_FreeType(library); }
};
using LibraryPtr = std::unique_ptr<FT_LibraryRec_, LibraryDeleter>;

struct FaceDeleter
{
    void operator()(FT_Face face) const { FT_Done_Face(face); }
};
using FacePtr = std::unique_ptr<FT_FaceRec_, FaceDeleter>;

LibraryPtr OpenLibrary()
{
    FT_Library library = nullptr;
    return LibraryPtr(FT_Init_FreeType(&library) == 0 ? library : nullptr);
}

// The file's first face, when it holds at least one and has outlines to draw.
FacePtr OpenFace(FT_Library library, const std::string& path)
{
    FT_Face face = nullptr;
    if (library == nullptr || FT_New_Face(library, path.c_str(), 0, &face) != 0) {
        return nullptr;
    }
    FacePtr owned(face);
    if (face->num_faces < 1 || face->num_glyphs < 1 || !FT_IS_SCALABLE(face)) {
        return nullptr;
    }
    return owned;
}

bool EndsWithTtf(const CString& file)
{
    const int length = file.GetLength();
    return length >= 4 && file.Mid(length - 4).CompareNoCase(CString(".ttf")) == 0;
}

// The string of a fontconfig pattern's element, when it is present and not too long.
std::string PatternString(FcPattern* pattern, const char* element, std::size_t maxLength)
{
    FcChar8* value = nullptr;
    if (FcPatternGetString(pattern, element, 0, &value) != FcResultMatch || value == nullptr) {
        return {};
    }
    const auto* text = reinterpret_cast<const char*>(value);
    const std::size_t length = strnlen(text, maxLength + 1);
    return length > maxLength ? std::string() : std::string(text, length);
}

// fontconfig's own configuration and font list, which the window system's text drawing
// has usually read already: reading a configuration of our own for each text's face cost
// more than the first frame of a small model.
FcConfig* SharedConfig()
{
    return FcInit() ? FcConfigGetCurrent() : nullptr;
}

// The file fontconfig puts in place of the face, with its own substitutions.
CString MatchSubstitute(const CString& face, bool bold, bool italic)
{
    FcConfig* config = SharedConfig();
    if (config == nullptr) {
        return {};
    }
    const std::string family = face.ToUtf8();
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(config, pattern, &result);
    CString path;
    if (match != nullptr) {
        path = CString::FromUtf8(PatternString(match, FC_FILE, CInstalledFontList::kMaxPathLength));
        FcPatternDestroy(match);
    }
    FcPatternDestroy(pattern);
    return path;
}

bool CanRead(const CString& path)
{
    const LibraryPtr library = OpenLibrary();
    return !path.IsEmpty() && OpenFace(library.get(), path.ToUtf8()) != nullptr;
}

}  // namespace

bool IsTrueTypeFontEntry(const CString& name, const CString& file)
{
    return name.Find(CString("(TrueType)")) >= 0 || name.Find(CString("(True Type)")) >= 0 || EndsWithTtf(file);
}

bool CInstalledFontList::AddFile(const CString& path)
{
    const LibraryPtr library = OpenLibrary();
    const FacePtr face = OpenFace(library.get(), path.ToUtf8());
    if (face == nullptr || face->family_name == nullptr) {
        return false;
    }
    const std::size_t length = strnlen(face->family_name, kMaxNameLength + 1);
    if (length == 0 || length > kMaxNameLength) {
        return false;
    }
    CInstalledFont font;
    font.family = CString::FromUtf8(std::string(face->family_name, length));
    font.path = path;
    font.bold = (face->style_flags & FT_STYLE_FLAG_BOLD) != 0;
    font.italic = (face->style_flags & FT_STYLE_FLAG_ITALIC) != 0;
    m_fonts.push_back(font);
    return true;
}

void CInstalledFontList::AddInstalledFiles()
{
    FcConfig* config = SharedConfig();
    if (config == nullptr) {
        return;
    }
    FcPattern* pattern = FcPatternCreate();
    FcObjectSet* elements = FcObjectSetBuild(FC_FAMILY, FC_FILE, FC_FONTFORMAT, nullptr);
    FcFontSet* set = FcFontList(config, pattern, elements);
    const int count = set != nullptr && set->fonts != nullptr ? set->nfont : 0;
    for (int i = 0; i < count; ++i) {
        FcPattern* entry = set->fonts[i];
        if (entry == nullptr) {
            continue;
        }
        const std::string file = PatternString(entry, FC_FILE, kMaxPathLength);
        const std::string family = PatternString(entry, FC_FAMILY, kMaxNameLength);
        const std::string format = PatternString(entry, FC_FONTFORMAT, kMaxNameLength);
        const CString name = CString::FromUtf8(family + " (" + format + ")");
        if (!file.empty() && IsTrueTypeFontEntry(name, CString::FromUtf8(file))) {
            AddFile(CString::FromUtf8(file));
        }
    }
    if (set != nullptr) {
        FcFontSetDestroy(set);
    }
    FcObjectSetDestroy(elements);
    FcPatternDestroy(pattern);
}

CString CInstalledFontList::Find(const CString& family, bool bold, bool italic) const
{
    for (const CInstalledFont& font : m_fonts) {
        if (font.family.CompareNoCase(family) == 0 && font.bold == bold && font.italic == italic) {
            return font.path;
        }
    }
    return {};
}

CString CInstalledFontList::FindAny(bool bold, bool italic) const
{
    for (const CInstalledFont& font : m_fonts) {
        if (font.bold == bold && font.italic == italic) {
            return font.path;
        }
    }
    return m_fonts.empty() ? CString() : m_fonts.front().path;
}

const CInstalledFontList& CInstalledFontList::GetInstalled()
{
    static const CInstalledFontList list = [] {
        CInstalledFontList installed;
        installed.AddInstalledFiles();
        return installed;
    }();
    return list;
}

CString FindFontFile(const CString& face, bool bold, bool italic)
{
    return CInstalledFontList::GetInstalled().Find(face, bold, italic);
}

CString ResolveFontFile(const CString& face, bool bold, bool italic)
{
    // Each face and style is resolved once for the run, as the installed list is read once.
    static std::map<std::tuple<std::string, bool, bool>, CString> resolved;
    const auto [found, added] = resolved.try_emplace({face.ToUtf8(), bold, italic});
    if (!added) {
        return found->second;
    }
    const CString candidates[] = {
        FindFontFile(face, bold, italic),
        MatchSubstitute(face, bold, italic),
        CInstalledFontList::GetInstalled().FindAny(bold, italic),
    };
    for (const CString& path : candidates) {
        if (CanRead(path)) {
            found->second = path;
            break;
        }
    }
    return found->second;
}
