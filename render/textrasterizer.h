#pragma once
// CTextRasterizer: lines of text drawn black into a white bitmap with the glyphs of one
// TrueType file at one pixel size, smoothed or not: the text drawing that the view's
// text images are made with. Sizes and counts that the
// font file gives (glyph bitmaps, advances, line metrics) are checked before they are
// used; a glyph that fails is left out, the rest of the line is drawn. Rendered glyphs
// are kept across lines, faces and sizes (CGlyphCache) until Release.

#include <array>
#include <cstdint>
#include <string>

#include "platform/cstring.h"
#include "render/glyphcache.h"

struct FT_LibraryRec_;
struct FT_FaceRec_;

class CTextRasterizer
{
public:
    static constexpr int kMaxPixelSize = 1000;

    // Where lines are drawn: rows top first, blue, green, red (and a fourth byte).
    struct Target
    {
        std::uint8_t* pixels = nullptr;
        int width = 0;
        int height = 0;
        int stride = 0;
        int bytesPerPixel = 3;
    };
    // The columns a line covers from its pen position: left may be negative where a
    // glyph reaches back, right is at least the advance.
    struct Extent
    {
        int left = 0;
        int right = 0;
    };

    CTextRasterizer();
    CTextRasterizer(const CTextRasterizer&) = delete;
    CTextRasterizer& operator=(const CTextRasterizer&) = delete;
    ~CTextRasterizer();

    // False, and closed, when the file is not a scalable font FreeType reads or the
    // size is outside 1..kMaxPixelSize.
    bool Open(const CString& path, int pixelSize, bool smooth);
    void Close();
    // Closes the face and lets the kept glyphs go.
    void Release();
    [[nodiscard]] bool IsOpen() const { return m_face != nullptr; }
    [[nodiscard]] bool IsOpenFor(const CString& path, int pixelSize, bool smooth) const;

    [[nodiscard]] int GetAscent() const { return m_ascent; }
    [[nodiscard]] int GetDescent() const { return m_descent; }
    [[nodiscard]] int GetLineHeight() const { return m_lineHeight; }

    // Less than the width the line's glyphs will take once rendered, from the font's
    // metrics alone (no glyph is rendered), at most kMaxLeastWidth: a block too wide to
    // draw is refused before its glyphs cost anything. 0 when no face is open.
    [[nodiscard]] int LeastWidth(const std::u32string& line) const;
    static constexpr int kMaxLeastWidth = 1 << 24;
    // Renders the glyphs it has not kept (each charged to the frame by its pixels); a
    // frame that must stop renders none, and the extent leaves them out.
    [[nodiscard]] Extent MeasureLine(const std::u32string& line);
    // Draws the line with its pen starting at x on the baseline row; what falls outside
    // the target is clipped.
    void DrawLine(const std::u32string& line, int x, int baseline, const Target& target);

    // UTF-16 to code points; a lone surrogate becomes U+FFFD.
    [[nodiscard]] static std::u32string ToCodePoints(const CString& text);

    [[nodiscard]] const CGlyphCache& GetGlyphCache() const { return m_glyphs; }

private:
    // The glyph of the character in the open face, kept or rendered now; null when the
    // face has no usable bitmap for it.
    const CGlyphCache::Glyph* GetGlyph(char32_t character);
    // Loads and renders the glyph into m_scratch.
    void RenderGlyph(char32_t character);
    [[nodiscard]] int GlyphAdvance() const;
    [[nodiscard]] int LeastAdvance(char32_t character) const;

    FT_LibraryRec_* m_library = nullptr;
    FT_FaceRec_* m_face = nullptr;
    CString m_path;
    int m_pixelSize = 0;
    bool m_smooth = true;
    int m_ascent = 0;
    int m_descent = 0;
    int m_lineHeight = 0;
    std::uint32_t m_faceId = 0;
    CGlyphCache m_glyphs;
    // A glyph too large to keep.
    CGlyphCache::Glyph m_scratch;
    // The least advances of the open face's first characters, -1 until looked up.
    mutable std::array<int, 256> m_leastAdvances{};
};
