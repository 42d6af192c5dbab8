#include "render/textrasterizer.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cstdlib>

namespace {

// 26.6 fixed point to whole pixels, rounded up.
int Ceil26(long value)
{
    return static_cast<int>((value + 63) / 64);
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
    m_path = path;
    m_pixelSize = pixelSize;
    m_smooth = smooth;
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

bool CTextRasterizer::LoadGlyph(char32_t character)
{
    const FT_UInt index = FT_Get_Char_Index(m_face, character);
    const FT_Int32 target = m_smooth ? FT_LOAD_TARGET_NORMAL : FT_LOAD_TARGET_MONO;
    if (FT_Load_Glyph(m_face, index, FT_LOAD_DEFAULT | target) != 0 ||
        FT_Render_Glyph(m_face->glyph, m_smooth ? FT_RENDER_MODE_NORMAL : FT_RENDER_MODE_MONO) != 0) {
        return false;
    }
    const FT_Bitmap& bitmap = m_face->glyph->bitmap;
    const int limit = 4 * m_pixelSize + 64;
    const bool mono = bitmap.pixel_mode == FT_PIXEL_MODE_MONO;
    if (!mono && bitmap.pixel_mode != FT_PIXEL_MODE_GRAY) {
        return false;
    }
    const int width = static_cast<int>(bitmap.width);
    const int rows = static_cast<int>(bitmap.rows);
    const int rowBytes = mono ? (width + 7) / 8 : width;
    return width <= limit && rows <= limit && std::abs(bitmap.pitch) >= rowBytes &&
           std::abs(m_face->glyph->bitmap_left) <= limit && std::abs(m_face->glyph->bitmap_top) <= limit &&
           (bitmap.buffer != nullptr || width == 0 || rows == 0);
}

int CTextRasterizer::GlyphAdvance() const
{
    const int advance = Ceil26(m_face->glyph->advance.x);
    return std::clamp(advance, 0, 4 * m_pixelSize + 64);
}

CTextRasterizer::Extent CTextRasterizer::MeasureLine(const std::u32string& line)
{
    Extent extent;
    if (m_face == nullptr) {
        return extent;
    }
    int pen = 0;
    for (const char32_t character : line) {
        if (!LoadGlyph(character)) {
            continue;
        }
        const FT_GlyphSlot glyph = m_face->glyph;
        extent.left = std::min(extent.left, pen + glyph->bitmap_left);
        extent.right = std::max(extent.right, pen + glyph->bitmap_left + static_cast<int>(glyph->bitmap.width));
        pen += GlyphAdvance();
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
        if (!LoadGlyph(character)) {
            continue;
        }
        const FT_GlyphSlot glyph = m_face->glyph;
        const FT_Bitmap& bitmap = glyph->bitmap;
        const bool mono = bitmap.pixel_mode == FT_PIXEL_MODE_MONO;
        const int left = pen + glyph->bitmap_left;
        const int top = baseline - glyph->bitmap_top;
        for (int row = 0; row < static_cast<int>(bitmap.rows); ++row) {
            const int y = top + row;
            if (y < 0 || y >= target.height) {
                continue;
            }
            const unsigned char* source = bitmap.buffer + static_cast<long>(row) * bitmap.pitch;
            std::uint8_t* out = target.pixels + static_cast<long>(y) * target.stride;
            for (int column = 0; column < static_cast<int>(bitmap.width); ++column) {
                const int px = left + column;
                if (px < 0 || px >= target.width) {
                    continue;
                }
                const int coverage =
                    mono ? ((source[column / 8] >> (7 - column % 8)) & 1) * 255 : source[column];
                const auto ink = static_cast<std::uint8_t>(255 - coverage);
                std::uint8_t* pixel = out + static_cast<long>(px) * target.bytesPerPixel;
                for (int channel = 0; channel < 3; ++channel) {
                    pixel[channel] = std::min(pixel[channel], ink);
                }
            }
        }
        pen += GlyphAdvance();
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
