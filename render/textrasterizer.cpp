#include "render/textrasterizer.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_ADVANCES_H

#include <algorithm>
#include <cstdlib>

#include "foundation/framemeter.h"

namespace {

// 26.6 fixed point to whole pixels, rounded up.
int Ceil26(long value)
{
    return static_cast<int>((value + 63) / 64);
}

// Darkens the target under the glyph's coverage placed with its top left at (left, top);
// what falls outside is clipped.
void DrawGlyph(const CGlyphCache::Glyph& glyph, int left, int top, const CTextRasterizer::Target& target)
{
    const int firstRow = std::max(0, -top);
    const int endRow = std::min(glyph.rows, target.height - top);
    const int firstColumn = std::max(0, -left);
    const int endColumn = std::min(glyph.width, target.width - left);
    // Held apart from the target, which the stores below might otherwise alias.
    const long step = target.bytesPerPixel;
    for (int row = firstRow; row < endRow; ++row) {
        const std::uint8_t* source = glyph.coverage.data() + static_cast<std::size_t>(row) * glyph.width;
        std::uint8_t* pixel =
            target.pixels + static_cast<long>(top + row) * target.stride + (left + firstColumn) * step;
        for (int column = firstColumn; column < endColumn; ++column, pixel += step) {
            const auto ink = static_cast<std::uint8_t>(255 - source[column]);
            pixel[0] = std::min(pixel[0], ink);
            pixel[1] = std::min(pixel[1], ink);
            pixel[2] = std::min(pixel[2], ink);
        }
    }
}

}  // namespace

CTextRasterizer::CTextRasterizer() = default;

CTextRasterizer::~CTextRasterizer()
{
    Close();
    if (m_library != nullptr) {
        FT_Done_FreeType(m_library);
    }
}

void CTextRasterizer::Close()
{
    if (m_face != nullptr) {
        FT_Done_Face(m_face);
        m_face = nullptr;
    }
    m_path = CString();
    m_pixelSize = 0;
    m_ascent = 0;
    m_descent = 0;
    m_lineHeight = 0;
}

void CTextRasterizer::Release()
{
    Close();
    m_glyphs.Clear();
    m_scratch = CGlyphCache::Glyph{};
}

bool CTextRasterizer::IsOpenFor(const CString& path, int pixelSize, bool smooth) const
{
    return m_face != nullptr && m_path == path && m_pixelSize == pixelSize && m_smooth == smooth;
}

bool CTextRasterizer::Open(const CString& path, int pixelSize, bool smooth)
{
    Close();
    if (path.IsEmpty() || pixelSize < 1 || pixelSize > kMaxPixelSize) {
        return false;
    }
    if (m_library == nullptr && FT_Init_FreeType(&m_library) != 0) {
        m_library = nullptr;
        return false;
    }
    FT_Face face = nullptr;
    if (FT_New_Face(m_library, path.ToUtf8().c_str(), 0, &face) != 0) {
        return false;
    }
    m_face = face;
    if (face->num_glyphs < 1 || !FT_IS_SCALABLE(face) ||
        FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixelSize)) != 0) {
        Close();
        return false;
    }
    m_leastAdvances.fill(-1);
    m_path = path;
    m_pixelSize = pixelSize;
    m_smooth = smooth;
    m_faceId = m_glyphs.FaceId(path, pixelSize, smooth);
    // A damaged file may give any metrics; lines keep to a few times the size.
    const int limit = 4 * pixelSize;
    const FT_Size_Metrics& metrics = face->size->metrics;
    m_ascent = Ceil26(metrics.ascender);
    m_descent = Ceil26(-metrics.descender);
    if (m_ascent < 1 || m_ascent > limit || m_descent < 0 || m_descent > limit) {
        m_ascent = pixelSize;
        m_descent = (pixelSize + 3) / 4;
    }
    m_lineHeight = Ceil26(metrics.height);
    if (m_lineHeight < m_ascent + m_descent || m_lineHeight > limit) {
        m_lineHeight = m_ascent + m_descent;
    }
    return true;
}

void CTextRasterizer::RenderGlyph(char32_t character)
{
    m_scratch.usable = false;
    m_scratch.coverage.clear();
    const FT_UInt index = FT_Get_Char_Index(m_face, character);
    const FT_Int32 target = m_smooth ? FT_LOAD_TARGET_NORMAL : FT_LOAD_TARGET_MONO;
    if (FT_Load_Glyph(m_face, index, FT_LOAD_DEFAULT | target) != 0 ||
        FT_Render_Glyph(m_face->glyph, m_smooth ? FT_RENDER_MODE_NORMAL : FT_RENDER_MODE_MONO) != 0) {
        return;
    }
    const FT_GlyphSlot glyph = m_face->glyph;
    const FT_Bitmap& bitmap = glyph->bitmap;
    const int limit = 4 * m_pixelSize + 64;
    const bool mono = bitmap.pixel_mode == FT_PIXEL_MODE_MONO;
    if (!mono && bitmap.pixel_mode != FT_PIXEL_MODE_GRAY) {
        return;
    }
    const int width = static_cast<int>(bitmap.width);
    const int rows = static_cast<int>(bitmap.rows);
    const int rowBytes = mono ? (width + 7) / 8 : width;
    if (width > limit || rows > limit || std::abs(bitmap.pitch) < rowBytes || std::abs(glyph->bitmap_left) > limit ||
        std::abs(glyph->bitmap_top) > limit || (bitmap.buffer == nullptr && width != 0 && rows != 0)) {
        return;
    }
    m_scratch.usable = true;
    m_scratch.left = glyph->bitmap_left;
    m_scratch.top = glyph->bitmap_top;
    m_scratch.width = width;
    m_scratch.rows = rows;
    m_scratch.advance = GlyphAdvance();
    m_scratch.coverage.resize(static_cast<std::size_t>(width) * rows);
    for (int row = 0; row < rows; ++row) {
        const unsigned char* source = bitmap.buffer + static_cast<long>(row) * bitmap.pitch;
        std::uint8_t* out = m_scratch.coverage.data() + static_cast<std::size_t>(row) * width;
        for (int column = 0; column < width; ++column) {
            out[column] = mono ? static_cast<std::uint8_t>(((source[column / 8] >> (7 - column % 8)) & 1) * 255)
                               : source[column];
        }
    }
}

const CGlyphCache::Glyph* CTextRasterizer::GetGlyph(char32_t character)
{
    // A frame that must stop (its budget spent, or the program asked to end) renders no
    // more glyphs: a block of large ones takes long. The caller gives the block up.
    if (CFrameMeter::ShouldStop()) {
        return nullptr;
    }
    const CGlyphCache::Glyph* glyph = m_glyphs.Find(m_faceId, character);
    if (glyph == nullptr) {
        RenderGlyph(character);
        // A glyph costs with its size: what the rasteriser filled.
        (void)CFrameMeter::Charge(CFrameMeter::PixelUnits(m_scratch.coverage.size(), CFrameMeter::kPixelsPerUnit));
        glyph = m_glyphs.Insert(m_faceId, character, m_scratch);
        if (glyph == nullptr) {
            glyph = &m_scratch;
        }
    }
    return glyph->usable ? glyph : nullptr;
}

int CTextRasterizer::GlyphAdvance() const
{
    const int advance = Ceil26(m_face->glyph->advance.x);
    return std::clamp(advance, 0, 4 * m_pixelSize + 64);
}

int CTextRasterizer::LeastWidth(const std::u32string& line) const
{
    if (m_face == nullptr) {
        return 0;
    }
    long width = 0;
    for (const char32_t character : line) {
        width += LeastAdvance(character);
        if (width > kMaxLeastWidth) {
            return kMaxLeastWidth;
        }
    }
    return static_cast<int>(width);
}

int CTextRasterizer::LeastAdvance(char32_t character) const
{
    const bool kept = character < m_leastAdvances.size();
    if (kept && m_leastAdvances[character] >= 0) {
        return m_leastAdvances[character];
    }
    // Unhinted advances come from the font's metrics, without loading an outline; hinting
    // moves each by a pixel or two, and a tenth is left for any more.
    constexpr int kHintingSlack = 2;
    FT_Fixed advance = 0;
    int least = 0;
    const FT_UInt index = FT_Get_Char_Index(m_face, character);
    if (FT_Get_Advance(m_face, index, FT_LOAD_NO_HINTING, &advance) == 0 && advance > 0) {
        const int pixels = static_cast<int>(std::min<FT_Fixed>(advance >> 16, 4L * m_pixelSize + 64));
        least = std::max(0, pixels - pixels / 10 - kHintingSlack);
    }
    if (kept) {
        m_leastAdvances[character] = least;
    }
    return least;
}

CTextRasterizer::Extent CTextRasterizer::MeasureLine(const std::u32string& line)
{
    Extent extent;
    if (m_face == nullptr) {
        return extent;
    }
    int pen = 0;
    for (const char32_t character : line) {
        const CGlyphCache::Glyph* glyph = GetGlyph(character);
        if (glyph == nullptr) {
            continue;
        }
        extent.left = std::min(extent.left, pen + glyph->left);
        extent.right = std::max(extent.right, pen + glyph->left + glyph->width);
        pen += glyph->advance;
        extent.right = std::max(extent.right, pen);
    }
    return extent;
}

void CTextRasterizer::DrawLine(const std::u32string& line, int x, int baseline, const Target& target)
{
    if (m_face == nullptr || target.pixels == nullptr) {
        return;
    }
    int pen = x;
    for (const char32_t character : line) {
        const CGlyphCache::Glyph* glyph = GetGlyph(character);
        if (glyph == nullptr) {
            continue;
        }
        DrawGlyph(*glyph, pen + glyph->left, baseline - glyph->top, target);
        pen += glyph->advance;
    }
}

std::u32string CTextRasterizer::ToCodePoints(const CString& text)
{
    std::u32string result;
    const int length = text.GetLength();
    result.reserve(static_cast<std::size_t>(length));
    for (int i = 0; i < length; ++i) {
        const char16_t unit = text[i];
        if (unit >= 0xD800 && unit < 0xDC00 && i + 1 < length && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
            result.push_back(0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) + (text[i + 1] - 0xDC00));
            ++i;
        } else if (unit >= 0xD800 && unit < 0xE000) {
            result.push_back(0xFFFD);
        } else {
            result.push_back(unit);
        }
    }
    return result;
}
