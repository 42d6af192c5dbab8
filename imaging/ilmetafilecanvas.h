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
#include <vector>

#include "imaging/ilcanvasregion.h"
#include "imaging/ilpixel32.h"

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
};

class ILMetafileCanvas
{
public:
    // A white, opaque canvas. workBudget 0 chooses a budget in proportion to the size.
    ILMetafileCanvas(int width, int height, std::int64_t workBudget = 0);

    [[nodiscard]] int GetWidth() const { return m_width; }
    [[nodiscard]] int GetHeight() const { return m_height; }
    [[nodiscard]] const ILPixel32* GetRow(int y) const { return &m_pixels[static_cast<std::size_t>(y) * m_width]; }
    [[nodiscard]] ILPixel32 GetPixel(int x, int y) const { return GetRow(y)[x]; }
    [[nodiscard]] bool IsExhausted() const { return m_work < 0; }

    // The region outside which nothing is drawn; null for the whole canvas. The canvas
    // keeps the pointer: the caller keeps the region alive while it is set.
    void SetClip(const ILCanvasRegion* region) { m_clip = region; }

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
                    double right, double bottom);

private:
    void DrawThinLine(ILCanvasPoint a, ILCanvasPoint b, ILPixel32 colour);
    void FillSpan(int y, double from, double to, const ILCanvasPaint& paint);
    void FillColumns(int y, int first, int last, const ILCanvasPaint& paint);
    // Calls draw(first, last) for the parts of columns [first, last) of row y inside the clip.
    template <typename Draw>
    void ForVisible(int y, int first, int last, Draw draw) const;
    bool Spend(std::int64_t work);

    int m_width;
    int m_height;
    std::vector<ILPixel32> m_pixels;
    std::int64_t m_work;
    const ILCanvasRegion* m_clip = nullptr;
};
