#include "render/glglyphfont.h"

#include <FTGL/ftgl.h>
#include <fontconfig/fontconfig.h>

#include <cmath>
#include <string>

namespace {

// Glyph sizes are asked in points at 72 per inch, so points and pixels are one.
constexpr unsigned kPixelsPerInch = 72;

}  // namespace

CGLGlyphFont::CGLGlyphFont() = default;

CGLGlyphFont::~CGLGlyphFont() = default;

CString CGLGlyphFont::FindFontFile(const CString& faceName, bool bold, bool italic)
{
    FcConfig* config = FcInitLoadConfigAndFonts();
    if (config == nullptr) {
        return {};
    }
    const std::string family = faceName.ToUtf8();
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    // Only outline fonts can be drawn at any size.
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(config, pattern, &result);
    CString path;
    FcChar8* file = nullptr;
    if (match != nullptr && FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file != nullptr) {
        path = CString::FromUtf8(reinterpret_cast<const char*>(file));
    }
    if (match != nullptr) {
        FcPatternDestroy(match);
    }
    FcPatternDestroy(pattern);
    FcConfigDestroy(config);
    return path;
}

bool CGLGlyphFont::Open(const CString& path, int pixelSize)
{
    Close();
    if (path.IsEmpty() || pixelSize <= 0) {
        return false;
    }
    const std::string file = path.ToUtf8();
    auto font = std::make_unique<FTPixmapFont>(file.c_str());
    if (font->Error() != 0 || !font->FaceSize(static_cast<unsigned>(pixelSize), kPixelsPerInch)) {
        return false;
    }
    m_font = std::move(font);
    m_path = path;
    m_pixelSize = pixelSize;
    return true;
}

void CGLGlyphFont::Close()
{
    m_font.reset();
    m_path = CString();
    m_pixelSize = 0;
}

int CGLGlyphFont::GetLineHeight() const
{
    if (m_font == nullptr) {
        return 0;
    }
    return static_cast<int>(std::ceil(m_font->Ascender())) + GetDescent();
}

int CGLGlyphFont::GetDescent() const
{
    if (m_font == nullptr) {
        return 0;
    }
    return static_cast<int>(std::ceil(std::fabs(m_font->Descender())));
}

void CGLGlyphFont::Draw(const CString& text) const
{
    if (m_font == nullptr || text.IsEmpty()) {
        return;
    }
    const std::string utf8 = text.ToUtf8();
    m_font->Render(utf8.c_str());
}
