#pragma once
// ILMetafileCanvas: the 32-bit picture that metafile playback draws into, with the few
// raster operations the player needs: polygons filled by the even-odd or the winding rule,
// lines of any width, and stretched pixel blocks. No anti-aliasing: a pixel belongs to a
// shape when its centre does. Coordinates are canvas pixels as doubles; everything is
// clipped to the canvas, and shapes with coordinates that are not finite are dropped.
//
// A clip region, when set, limits every drawing operation to its pixels.
//
// Drawing costs work (pixels filled, edges visited); once the budget given at construction
// is spent the canvas ignores further drawing and reports itself exhausted, so that a small
// file cannot keep playback busy for long.

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "imaging/ilcanvasregion.h"
#include "imaging/ilpixel32.h"
#include "imaging/ilrasteroperation.h"

struct ILCanvasPoint
{
    double x = 0;
    double y = 0;
};

// What a fill paints: one colour, or a pattern of pixels repeated across the canvas from
// its origin, whose pixels of alpha 0 leave the canvas as it was.
struct ILCanvasPaint
{
    ILPixel32 colour{0, 0, 0, 255};
    std::shared_ptr<const std::vector<ILPixel32>> pattern;  // top row first
    int patternWidth = 0;
    int patternHeight = 0;
    int originX = 0;
    int originY = 0;

    [[nodiscard]] bool HasPattern() const { return pattern && patternWidth > 0 && patternHeight > 0; }
    // What it paints on the canvas pixel (x, y).
    [[nodiscard]] ILPixel32 At(int x, int y) const;
    // With a pattern: the pattern's row that canvas row y takes, and the column of it that
    // canvas column x takes.
    [[nodiscard]] const ILPixel32* PatternRow(int y) const;
    [[nodiscard]] int PatternColumn(int x) const;
};

class ILMetafileCanvas
{
public:
    // How a block of pixels meets the canvas: copied; copied where its alpha is not 0 (the
    // other pixels are transparent); or laid over the canvas with its alpha, its colours
    // already multiplied by it.
    enum class PixelMode
    {
        copy,
        keyed,
        blend
    };

    // The binary raster operation pens and fills draw with: 1 black, 13 the pen's colour
    // (the default), 16 white, and the other combinations of pen and canvas bits between.
    static constexpr int kMixCopy = 13;

    // The default budget: this many fills of the whole canvas, which plays the costliest
    // files of the largest canvas in under two seconds.
    static constexpr std::int64_t kPasses = 8;

    // A white, opaque canvas. workBudget 0 chooses a budget in proportion to the size.
    ILMetafileCanvas(int width, int height, std::int64_t workBudget = 0);

    [[nodiscard]] int GetWidth() const { return m_width; }
    [[nodiscard]] int GetHeight() const { return m_height; }
    [[nodiscard]] const ILPixel32* GetRow(int y) const { return &m_pixels[static_cast<std::size_t>(y) * m_width]; }
    [[nodiscard]] ILPixel32 GetPixel(int x, int y) const { return GetRow(y)[x]; }
    [[nodiscard]] bool IsExhausted() const { return m_work < 0; }
    // The work the budget still allows; below 0 once it is spent.
    [[nodiscard]] std::int64_t GetWorkLeft() const { return m_work; }
    // Charges work done for the canvas outside it (outlines made, bitmaps decoded); false
    // once the budget is spent.
    bool Spend(std::int64_t work);

    // The region outside which nothing is drawn; null for the whole canvas. The canvas
    // keeps the pointer: the caller keeps the region alive while it is set.
    void SetClip(const ILCanvasRegion* region) { m_clip = region; }
    // Lines and fills combine with the canvas by the mix; text, pixel blocks, single pixels
    // and shading ignore it. A value outside 1..16 is the copy.
    void SetMix(int mix) { m_mix = mix >= 1 && mix <= 16 ? mix : kMixCopy; }
    [[nodiscard]] int GetMix() const { return m_mix; }

    // The pixel at (x, y) when it lies on the canvas and inside the clip.
    void SetPixel(int x, int y, ILPixel32 colour);
    // Paints the pixels joined to (x, y) side by side: with `surface` those of the colour,
    // otherwise those up to a border of the colour. Nothing when (x, y) does not qualify.
    void FloodFill(int x, int y, ILPixel32 colour, bool surface, const ILCanvasPaint& paint);
    // Fills the triangle with colours blended linearly between those of its corners.
    void ShadeTriangle(const ILCanvasPoint (&corners)[3], const ILPixel32 (&colours)[3]);
    // The outline of a wide pen's stroke along the polyline: pieces that all turn the same
    // way, to be filled together by the winding rule.
    [[nodiscard]] static std::vector<std::vector<ILCanvasPoint>> PenOutline(const std::vector<ILCanvasPoint>& points,
                                                                          bool closed, double width);

    // Fills the area inside the polygons taken together.
    void FillPolygons(const std::vector<std::vector<ILCanvasPoint>>& polygons, bool winding, ILPixel32 colour);
    void FillPolygons(const std::vector<std::vector<ILCanvasPoint>>& polygons, bool winding, const ILCanvasPaint& paint);
    // Fills the pixels of the region.
    void FillRegion(const ILCanvasRegion& region, const ILCanvasPaint& paint);
    // Blends the colour over the block of width × height pixels at (left, top) by the
    // coverage values (0 none, 255 full), `pitch` bytes a row.
    void BlendCoverage(int left, int top, int width, int height, const std::uint8_t* coverage, int pitch,
                       ILPixel32 colour);
    // Strokes the open or closed polyline with a pen of the given width (1 pixel at least).
    void StrokePolyline(const std::vector<ILCanvasPoint>& points, bool closed, double width, ILPixel32 colour);
    // Draws a block of source pixels (top row first) stretched into the rectangle from
    // (left, top) to (right, bottom); a rectangle given right to left or bottom to top
    // mirrors the block.
    void DrawPixels(const std::vector<ILPixel32>& source, int sourceWidth, int sourceHeight, double left, double top,
                    double right, double bottom, PixelMode mode = PixelMode::copy);
    // Combines a block of source pixels, stretched into the rectangle as DrawPixels does,
    // with the paint and the canvas: by `foreground` where the block's pixel has alpha, by
    // `background` where it has none. Where an operation reads the paint and the paint's
    // pixel has no alpha, the canvas stays as it was.
    void CombinePixels(const std::vector<ILPixel32>& source, int sourceWidth, int sourceHeight, double left, double top,
                       double right, double bottom, const ILCanvasPaint& paint, ILRasterOperation foreground,
                       ILRasterOperation background);
    // Draws the block into the parallelogram whose corners take the block's top-left
    // (`origin`), top-right and bottom-left corners.
    void DrawPixelsOnto(const std::vector<ILPixel32>& source, int sourceWidth, int sourceHeight, ILCanvasPoint origin,
                        ILCanvasPoint topRight, ILCanvasPoint bottomLeft, PixelMode mode);

private:
    // Calls put(canvas pixel, source pixel, x, y) for each visible pixel of the rectangle
    // that the stretched block covers.
    template <typename Visit>
    void ForStretched(const std::vector<ILPixel32>& source, int sourceWidth, int sourceHeight, double left, double top,
                      double right, double bottom, Visit put);
    void DrawThinLine(ILCanvasPoint a, ILCanvasPoint b, ILPixel32 colour);
    void FillSpan(int y, double from, double to, const ILCanvasPaint& paint);
    void FillColumns(int y, int first, int last, const ILCanvasPaint& paint);
    // What the mix makes of the colour where a canvas bit is set, and where it is clear.
    std::pair<ILPixel32, ILPixel32> MixedBits(ILPixel32 colour);
    // Calls draw(first, last) for the parts of columns [first, last) of row y inside the clip.
    template <typename Draw>
    void ForVisible(int y, int first, int last, Draw draw);
    [[nodiscard]] bool IsVisible(int x, int y) const;
    static void Put(ILPixel32& under, ILPixel32 source, PixelMode mode);

    int m_width;
    int m_height;
    std::vector<ILPixel32> m_pixels;
    std::int64_t m_work;
    const ILCanvasRegion* m_clip = nullptr;
    int m_mix = kMixCopy;
    struct
    {
        int mix = 0;
        ILPixel32 colour;
        ILPixel32 set;
        ILPixel32 clear;
    } m_mixedBits;
};
