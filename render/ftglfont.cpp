#include "render/ftglfont.h"

#include <FTGL/ftgl.h>
#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "document/twfont.h"
#include "render/installedfontlist.h"
#include "render/textbitmaprenderer.h"

namespace {

// Glyph sizes are asked in points at 72 per inch, so points and pixels are one.
constexpr unsigned kFontResolution = 72;

std::unique_ptr<FTFont> MakeFont(int kind, const char* file)
{
    switch (kind) {
        case 0:
            return std::make_unique<FTBitmapFont>(file);
        case 1:
            return std::make_unique<FTPixmapFont>(file);
        case 2:
            return std::make_unique<FTOutlineFont>(file);
        case 3:
            return std::make_unique<FTTextureFont>(file);
        case 4:
            return std::make_unique<FTPolygonFont>(file);
        case 5: {
            auto font = std::make_unique<FTExtrudeFont>(file);
            font->Depth(1.0F);
            return font;
        }
        default:
            return nullptr;
    }
}

}  // namespace

CFTGLFont::CFTGLFont(std::unique_ptr<FTFont> font, int kind) : m_font(std::move(font)), m_kind(kind) {}

CFTGLFont::~CFTGLFont() = default;

void CFTGLFont::Render(const CString& text)
{
    if (text.IsEmpty()) {
        return;
    }
    if (m_kind == 1) {
        glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    }
    m_font->Render(text.ToUtf8().c_str());
}

double CFTGLFont::GetAdvance(const CString& text)
{
    return text.IsEmpty() ? 0.0 : m_font->Advance(text.ToUtf8().c_str());
}

double CFTGLFont::GetAscent() const
{
    return std::max(0.0, static_cast<double>(m_font->Ascender()));
}

double CFTGLFont::GetDescent() const
{
    return std::fabs(static_cast<double>(m_font->Descender()));
}

double CFTGLFont::GetLineHeight() const
{
    return std::max(static_cast<double>(m_font->LineHeight()), GetAscent() + GetDescent());
}

std::unique_ptr<IGLFont> CreateFTGLFont(int kind, const CString& path, int pixelSize)
{
    if (path.IsEmpty() || pixelSize < 1 || pixelSize > CTextRasterizer::kMaxPixelSize) {
        return nullptr;
    }
    std::unique_ptr<FTFont> font = MakeFont(kind, path.ToUtf8().c_str());
    if (font == nullptr || font->Error() != 0 ||
        !font->FaceSize(static_cast<unsigned>(pixelSize), kFontResolution)) {
        return nullptr;
    }
    return std::make_unique<CFTGLFont>(std::move(font), kind);
}

void RealizeFontForActiveView(CTwFont& font)
{
    if (font.IsRealized() || font.GetFontKind() == CTwFont::kKindTextImage) {
        return;
    }
    int points = font.GetHeight();
    if (points < 1 || points > 1000) {
        points = 10;
    }
    const CTextLogFont log = CreateTextLogFont(font.GetFaceName(), points, CTextBitmapRenderer::kPixelsPerInch,
                                               font.IsBold(), font.IsItalic(), true);
    const int kind = font.GetFontKind();
    CString path = font.GetFontPath();
    std::unique_ptr<IGLFont> glyphs = CreateFTGLFont(kind, path, log.height);
    if (glyphs == nullptr) {
        path = ResolveFontFile(font.GetFaceName(), font.IsBold(), font.IsItalic());
        glyphs = CreateFTGLFont(kind, path, log.height);
    }
    if (glyphs == nullptr) {
        return;
    }
    const int lineHeight = static_cast<int>(std::ceil(glyphs->GetLineHeight()));
    font.SetGLFont(std::move(glyphs), path, lineHeight);
}
