#pragma once
// CTextBitmapRenderer: renders a block of text in a font description's face, size and
// style, black on white, into one bitmap buffer that is reused and grown as needed,
// for the view's text images. The face's file is the font's own path when it reads,
// else the installed file of the face, else the font the system puts in its place: a
// family the machine lacks is still drawn. The program has one renderer; its buffer
// and font are let go at exit (ReleaseTextBitmap). User-interface thread only.

#include <cstdint>
#include <vector>

#include "platform/cstring.h"
#include "render/textrasterizer.h"

class CTwFont;
class IGLTextImageCache;
class ITarnisView;

// How the platform's text drawing would describe the font.
struct CTextLogFont
{
    CString face;
    // The character height in pixels (the size of the em).
    int height = 0;
    // 600 for bold, 400 otherwise.
    int weight = 400;
    bool italic = false;
    // 4 smoothed, 3 not.
    int quality = 4;
};

[[nodiscard]] CTextLogFont CreateTextLogFont(const CString& face, int pointSize, int pixelsPerInch, bool bold,
                                             bool italic, bool smooth);

class CTextBitmapRenderer
{
public:
    // The screen's pixels per inch that point sizes are seen at.
    static constexpr int kPixelsPerInch = 96;
    // Larger blocks are not rendered.
    static constexpr int kMaxSide = 16384;
    static constexpr int kMaxLines = 1000;

    // The rendered block: rows top first, 24 bits blue, green, red, each row a whole
    // number of 4-byte words.
    struct Bitmap
    {
        const std::uint8_t* pixels = nullptr;
        int width = 0;
        int height = 0;
        int bitsPerPixel = 24;
        int stride = 0;
    };

    // Line breaks are "\n" written as two characters, CR LF, CR or LF; lines are
    // aligned left, centred or right (0, 1, 2) within the widest. A null font draws in
    // the view's default face. False, and nothing rendered, for an empty text, a block
    // above the limits (refused before its glyphs are rendered where the font's metrics
    // tell), when no font can be read at all, or when the frame must stop
    // (CFrameMeter): the glyphs and the picture's pixels are charged to it.
    // The scale enlarges the block for an output whose pixels are finer than the
    // screen's (a printed sheet): the font is rendered at scale times the screen's pixels
    // per inch.
    bool Render(const CTwFont* font, const CString& text, int alignment, Bitmap& result, double scale = 1.0);
    // The size Render would give, without drawing.
    bool Measure(const CTwFont* font, const CString& text, int& width, int& height, double scale = 1.0);
    // Frees the buffer and the kept glyphs and closes the font.
    void Release();
    // "TextStyle" / "AntiAliasText" (default on), read on first use.
    [[nodiscard]] bool IsSmoothing();

private:
    bool OpenFont(const CTwFont* font, double scale);
    bool Layout(const CTwFont* font, const CString& text, int& width, int& height, double scale);

    CTextRasterizer m_rasterizer;
    std::vector<std::uint8_t> m_buffer;
    std::vector<std::u32string> m_lines;
    std::vector<CTextRasterizer::Extent> m_extents;
    // How far every line starts right of the bitmap's left edge.
    int m_shift = 0;
    int m_smoothing = -1;
};

[[nodiscard]] CTextBitmapRenderer& GetTextBitmapRenderer();
// The scale at which the view shows text: its text pixel scale (a screen pixel's size in
// output pixels), 1 on the screen and without a view.
[[nodiscard]] double GetTextScale(const ITarnisView* view);
// Renders with the program's renderer and hands the bitmap to the cache's upload, the
// first row as the top of the label. With a null cache it only measures. Text is seen at
// the screen's 96 pixels per inch times the view's text scale.
bool RenderTextToBitmap(const CTwFont* font, const CString& text, int alignment, ITarnisView* view,
                        IGLTextImageCache* cache);
void ReleaseTextBitmap();
