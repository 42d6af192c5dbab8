#pragma once
// ILMetafilePlayer: draws the records of a metafile into an ILMetafileCanvas in place of
// the platform's metafile playback. The base keeps the drawing state that both metafile
// kinds share (pens, brushes, the object table, the mapping from logical coordinates to
// the canvas, the current position, saved states) and draws the common shapes: lines,
// polylines, polygons, rectangles, ellipses, arcs, chords, pies, Bézier curves, text and
// device-independent bitmaps, fills them with solid, hatched or pattern brushes, collects
// them into paths while a path is open, and keeps the clip region. ILWMFPlayer and
// ILEMFPlayer read the records of their kind and call it.
//
// Records the player does not know are skipped and counted; a record whose size is 0 or
// runs past the data ends playback (the decoder refuses such files before they are played). Playback also ends when the canvas has spent its work.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "imaging/ilcanvasregion.h"
#include "imaging/ilmetafilecanvas.h"
#include "imaging/ilpixel32.h"

class ILMetafileTextPainter;

class ILMetafilePlayer
{
public:
    explicit ILMetafilePlayer(ILMetafileCanvas& canvas);
    ILMetafilePlayer(const ILMetafilePlayer&) = delete;
    ILMetafilePlayer& operator=(const ILMetafilePlayer&) = delete;
    virtual ~ILMetafilePlayer();

    // Where a walk over the records, from the first after the header, stops.
    enum class RecordsEnd
    {
        endRecord,  // at the end record
        cutShort,   // the data ends before an end record, or inside a record
        badSize,    // at a record whose size cannot be a record's
        stopped     // the walker's caller stopped it
    };

    // Plays the records of `size` bytes of metafile data, header included.
    virtual void Play(const std::uint8_t* data, std::size_t size) = 0;

    // Records that were skipped: of a kind the player does not know or cannot draw.
    [[nodiscard]] int GetSkippedCount() const { return m_skipped; }

protected:
    // Map modes of the graphics interface.
    enum
    {
        mapText = 1,
        mapLoMetric = 2,
        mapHiMetric = 3,
        mapLoEnglish = 4,
        mapHiEnglish = 5,
        mapTwips = 6,
        mapIsotropic = 7,
        mapAnisotropic = 8
    };

    struct Pen
    {
        int style = 0;  // 5: no line
        double width = 0;
        ILPixel32 colour{0, 0, 0, 255};

        [[nodiscard]] bool IsNull() const { return style == 5; }
    };

    struct Brush
    {
        int style = 0;  // 0 solid, 1 none, 2 hatched, 3 and above a pattern
        ILPixel32 colour{255, 255, 255, 255};
        int hatch = 0;  // 0 horizontal, 1 vertical, 2 falling, 3 rising, 4 cross, 5 diagonal cross
        // The pattern's pixels, top row first, when style is a pattern.
        std::shared_ptr<const std::vector<ILPixel32>> pattern;
        int patternWidth = 0;
        int patternHeight = 0;

        [[nodiscard]] bool IsNull() const { return style == 1; }
    };

    struct Font
    {
        double height = 0;  // logical units; negative: the character height, positive: the cell's
        double width = 0;
        double escapement = 0;  // tenths of a degree
        int weight = 400;
        bool italic = false;
        bool underline = false;
        bool strikeOut = false;
        std::string face;  // UTF-8
    };

    struct GdiObject
    {
        enum Kind
        {
            empty,
            pen,
            brush,
            font,
            region,
            other
        };
        Kind kind = empty;
        Pen penValue;
        Brush brushValue;
        Font fontValue;
        std::shared_ptr<const ILCanvasRegion> regionValue;  // in canvas pixels
    };

    // a x + c y + e, b x + d y + f
    struct Transform
    {
        double a = 1, b = 0, c = 0, d = 1, e = 0, f = 0;
    };

    struct State
    {
        Pen pen;
        Brush brush;
        bool winding = false;
        double x = 0;  // current position, logical
        double y = 0;
        int mapMode = mapText;
        double windowX = 0, windowY = 0, windowWidth = 1, windowHeight = 1;
        double viewportX = 0, viewportY = 0, viewportWidth = 1, viewportHeight = 1;
        Transform world;
        Font font;
        ILPixel32 textColour{0, 0, 0, 255};
        ILPixel32 backgroundColour{255, 255, 255, 255};
        bool opaqueBackground = true;  // the background mode: text and hatches fill their gaps
        int textAlign = 0;
        // Logical units added to each character's advance, and shared among the breaks
        // (spaces) of each text, where the record does not give the advances.
        double characterExtra = 0;
        double breakExtra = 0;
        int breakCount = 0;
        bool clockwise = false;  // arc direction
        int mix = ILMetafileCanvas::kMixCopy;  // the binary raster operation of pens and fills
        double brushOriginX = 0;  // device units
        double brushOriginY = 0;
        std::shared_ptr<const ILCanvasRegion> clip;  // null: no clipping
        // The meta region, which every later clip region lies within; null: none.
        std::shared_ptr<const ILCanvasRegion> metaClip;
    };

    // Text alignment bits of the graphics interface.
    enum
    {
        alignUpdatePosition = 1,
        alignRight = 2,
        alignCentre = 6,
        alignBottom = 8,
        alignBaseline = 24
    };

    // Text output options.
    enum
    {
        textOpaque = 2,
        textClipped = 4
    };

    // A text record's run, in logical units.
    struct TextRecord
    {
        std::u32string text;
        double x = 0;
        double y = 0;
        int options = 0;
        bool hasRectangle = false;
        double rectangle[4] = {0, 0, 0, 0};  // left, top, right, bottom
        std::vector<double> advances;     // logical units
        bool escapementTurns = true;      // false where the world transform alone turns the text
    };

    // Bounded reading of a record's parameters.
    class Reader
    {
    public:
        Reader(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}
        [[nodiscard]] bool Has(std::size_t offset, std::size_t count) const
        {
            return offset <= m_size && count <= m_size - offset;
        }
        [[nodiscard]] std::int16_t S16(std::size_t offset) const;
        [[nodiscard]] std::uint16_t U16(std::size_t offset) const;
        [[nodiscard]] std::int32_t S32(std::size_t offset) const;
        [[nodiscard]] std::uint32_t U32(std::size_t offset) const;
        [[nodiscard]] float F32(std::size_t offset) const;
        [[nodiscard]] const std::uint8_t* At(std::size_t offset) const { return m_data + offset; }
        [[nodiscard]] std::size_t Size() const { return m_size; }

    private:
        const std::uint8_t* m_data;
        std::size_t m_size;
    };

    [[nodiscard]] static ILPixel32 ColourOf(std::uint32_t colourRef);
    [[nodiscard]] ILCanvasPoint ToCanvas(double x, double y) const;
    // How many canvas pixels one logical unit spans, for pen widths.
    [[nodiscard]] double LogicalScale() const;

    void MoveTo(double x, double y);
    void LineTo(double x, double y);
    void Polyline(const std::vector<ILCanvasPoint>& logical);
    // A polyline from the current position, which moves to its last point.
    void PolylineTo(const std::vector<ILCanvasPoint>& logical);
    void Polygons(const std::vector<std::vector<ILCanvasPoint>>& logical);
    void Rectangle(double left, double top, double right, double bottom);
    // A rectangle whose corners are quarters of an ellipse `cornerWidth` × `cornerHeight`.
    void RoundRect(double left, double top, double right, double bottom, double cornerWidth, double cornerHeight);
    void Ellipse(double left, double top, double right, double bottom);
    // Elliptic arcs in the box from the ray through the start point to the ray through the
    // end point, in the arc direction. An arc is a line, a chord closes it with a straight
    // side, a pie closes it through the centre; ArcTo draws a line from the current
    // position to the arc's start and moves to its end.
    enum class ArcKind
    {
        arc,
        arcTo,
        chord,
        pie
    };
    void Arc(ArcKind kind, double left, double top, double right, double bottom, double startX, double startY,
             double endX, double endY);
    // A circular arc from the current position's line: centre, radius, start and sweep in degrees.
    void AngleArc(double x, double y, double radius, double startDegrees, double sweepDegrees);
    // Cubic Bézier curves: 1 + 3n points, or 3n from the current position.
    void PolyBezier(const std::vector<ILCanvasPoint>& logical, bool fromCurrent);
    // Point types of a mixed figure: 1 close figure, 2 line to, 4 Bézier to, 6 move to.
    void PolyDraw(const std::vector<ILCanvasPoint>& logical, const std::vector<std::uint8_t>& types);
    // Combines the rectangle with the current brush by the raster operation of the 32-bit
    // code; skipped when the operation needs a source.
    void PatternBlt(double left, double top, double right, double bottom, std::uint32_t rasterOperation);
    // Draws the device-independent bitmap (its header and colour table in `info`, its rows in
    // `bits`) from the source rectangle into the destination rectangle, both in logical
    // units, by the raster operation of the 32-bit code. False when the bitmap is not one
    // the player can draw.
    bool StretchBitmap(const Reader& info, const Reader& bits, double left, double top, double width, double height,
                       int sourceX, int sourceY, int sourceWidth, int sourceHeight, std::uint32_t rasterOperation);
    // A block of a device-independent bitmap's pixels: the source rectangle clipped to the
    // bitmap, top row first; `alpha` keeps a 32-bit bitmap's fourth byte. False when the
    // bitmap cannot be read; an empty block when nothing of the rectangle lies on it.
    struct PixelBlock
    {
        std::vector<ILPixel32> pixels;
        int width = 0;
        int height = 0;
    };
    bool ReadPixelBlock(const Reader& info, const Reader& bits, int sourceX, int sourceY, int sourceWidth,
                        int sourceHeight, bool alpha, PixelBlock& block) const;
    // A block of width × height opaque black pixels, for operations that read no source; its
    // making is charged to the canvas. False when it is empty, larger than one record may
    // decode, or the canvas's work is spent.
    bool BlankBlock(int width, int height, PixelBlock& block);
    // The bits of a one-bit mask bitmap over the block's rectangle, from (maskX, maskY):
    // alpha 0 where the bit is clear. False when the mask cannot be read.
    bool ApplyMask(const Reader& info, const Reader& bits, int maskX, int maskY, PixelBlock& block) const;
    void DrawBlock(const PixelBlock& block, double left, double top, double width, double height,
                   ILMetafileCanvas::PixelMode mode);
    // Combines the block, stretched into the logical rectangle, with the current brush and
    // the canvas: by `foreground` where the block's alpha is not 0, by `background` where it is.
    void CombineBlock(const PixelBlock& block, double left, double top, double width, double height,
                      ILRasterOperation foreground, ILRasterOperation background);
    // Draws the block into the parallelogram of three logical points: where the block's
    // top-left, top-right and bottom-left corners go.
    void DrawBlockOnto(const PixelBlock& block, const ILCanvasPoint (&corners)[3], ILMetafileCanvas::PixelMode mode);

    // Single pixels, flood fills and shading.
    void SetPixelAt(double x, double y, ILPixel32 colour);
    void FloodFill(double x, double y, ILPixel32 colour, bool surface);
    struct ShadeVertex
    {
        double x = 0;  // logical
        double y = 0;
        ILPixel32 colour;
    };
    // Fills triangles (three vertex indices each) or, with `rectangles`, boxes between two
    // vertices whose colours run across (`horizontal`) or down.
    void GradientFill(const std::vector<ShadeVertex>& vertices, const std::vector<std::uint32_t>& indices,
                      bool rectangles, bool horizontal);
    // Scales the viewport's or the window's extent by the fractions; a fraction with a
    // denominator of 0 or a result of 0 changes nothing.
    void ScaleExtent(bool viewport, double xNumerator, double xDenominator, double yNumerator, double yDenominator);
    // The raster operation of later lines and fills.
    void SetMix(int mix);

    // Where the rows of a packed bitmap (header, colour table, rows) begin; 0 when its header
    // is not one the player can draw.
    [[nodiscard]] static std::size_t PackedBitsOffset(const Reader& dib);
    // A pattern brush from a device-independent bitmap; `monochrome` paints its 0 bits in the
    // text colour and its 1 bits in the background colour. False when the bitmap cannot be a
    // pattern.
    bool MakePatternBrush(const Reader& info, const Reader& bits, bool monochrome, Brush& brush) const;

    // Paths: while a path is open the shapes above are collected instead of drawn.
    void BeginPath();
    void EndPath() { m_pathOpen = false; }
    void AbortPath();
    void CloseFigure();
    void FillPath(bool stroke, bool fill);
    // Combines the path's area with the clip region by the mode and discards the path.
    void SelectClipPath(ILCanvasRegion::Mode mode);
    // Replaces the closed path by the outline of the current pen drawn along it.
    void WidenPath();

    // Clipping, with rectangles in logical units.
    void IntersectClipRectangle(double left, double top, double right, double bottom);
    void ExcludeClipRectangle(double left, double top, double right, double bottom);
    void OffsetClip(double x, double y);
    // Combines a region in canvas pixels with the clip region; a null region with the copy
    // mode removes the clip.
    void CombineClip(const ILCanvasRegion* region, ILCanvasRegion::Mode mode);
    // Fills the region (canvas pixels) with the brush.
    void FillRegion(const ILCanvasRegion& region, const Brush& brush);
    // Inverts the colours of the region's pixels, whatever the raster operation.
    void InvertRegion(const ILCanvasRegion& region);
    // Paints a border inside the region, `width` × `height` logical units thick, with the brush.
    void FrameRegion(const ILCanvasRegion& region, const Brush& brush, double width, double height);
    // The clip region as it stands becomes the meta region, and the clip region is reset.
    void SetMetaRegion();
    // A region from rectangles given in device units.
    [[nodiscard]] ILCanvasRegion DeviceRectangles(const std::vector<std::int32_t>& leftTopRightBottom) const;
    // A region from rectangles given in logical units.
    [[nodiscard]] ILCanvasRegion LogicalRectangle(double left, double top, double right, double bottom) const;

    void DrawText(const TextRecord& record);
    // The italic, underline and strike-out bytes that both font records keep side by side from offset at.
    static void ReadFontStyle(const Reader& record, std::size_t at, Font& font);
    // Character conversions for text records.
    [[nodiscard]] static char32_t FromWindows1252(std::uint8_t byte);
    [[nodiscard]] static std::u32string JoinSurrogates(const std::u32string& utf16);
    [[nodiscard]] static std::string ToUtf8(const std::u32string& text);

    void SaveState();
    // Restores the state saved `level` saves ago (level < 0) or the one at depth `level`.
    void RestoreState(int level);
    // The object table: a new object takes the given slot; selecting an empty slot does nothing.
    void SetObject(std::size_t index, const GdiObject& object);
    void SelectObject(std::size_t index);
    void DeleteObject(std::size_t index);

    void Skipped() { ++m_skipped; }
    [[nodiscard]] bool IsExhausted() const { return m_canvas.IsExhausted(); }
    // Charges the canvas for combining the two regions; false once its work is spent.
    bool ChargeRegions(const ILCanvasRegion& a, const ILCanvasRegion& b);
    // region = region (mode) other, charged to the canvas first; false, leaving the region
    // as it was, once the work is spent or when the result would be too large.
    bool CombineCharged(ILCanvasRegion& region, const ILCanvasRegion& other, ILCanvasRegion::Mode mode);
    // Charges the canvas for the work of building a region, before it is built.
    [[nodiscard]] ILCanvasRegion::Spend RegionWork() const;
    // The work of making outlines of so many points for a path, in the canvas's units.
    [[nodiscard]] static std::int64_t OutlineWork(const std::vector<std::vector<ILCanvasPoint>>& outlines);

    [[nodiscard]] const ILMetafileCanvas& Canvas() const { return m_canvas; }

    ILMetafileCanvas& m_canvas;
    State m_state;
    std::vector<State> m_saved;
    std::vector<GdiObject> m_objects;
    // Device units to canvas pixels, and device pixels per millimetre for the metric modes.
    double m_deviceScaleX = 1;
    double m_deviceScaleY = 1;
    double m_deviceOffsetX = 0;
    double m_deviceOffsetY = 0;
    double m_pixelsPerMillimetre = 96 / 25.4;

private:
    static constexpr std::size_t kMaxPathFigures = 65536;

    struct Figure
    {
        std::vector<ILCanvasPoint> points;  // canvas pixels
        bool closed = false;
    };

    [[nodiscard]] std::vector<ILCanvasPoint> ToCanvas(const std::vector<ILCanvasPoint>& logical) const;
    [[nodiscard]] double PenWidth() const;
    [[nodiscard]] ILCanvasPaint BrushPaint(const Brush& brush) const;
    // Draws or, while a path is open, collects closed figures: filled with the brush and framed with the pen.
    void ClosedFigures(std::vector<std::vector<ILCanvasPoint>> canvasFigures);
    // Draws or collects an open line; `extend` continues the path's current figure.
    void OpenFigure(std::vector<ILCanvasPoint> canvasPoints, bool extend);
    [[nodiscard]] std::vector<ILCanvasPoint> ArcPoints(double left, double top, double right, double bottom,
                                                       double startX, double startY, double endX, double endY) const;
    [[nodiscard]] int CurveSteps(double logicalLength) const;
    // The canvas clips to the clip region within the meta region.
    void ApplyClip();
    [[nodiscard]] ILCanvasRegion WholeCanvas() const;
    [[nodiscard]] double TextAngle(double escapementDegrees) const;

    int m_skipped = 0;
    bool m_pathOpen = false;
    bool m_pathWidened = false;  // a widened path is filled by the winding rule
    std::shared_ptr<const ILCanvasRegion> m_effectiveClip;
    std::vector<Figure> m_path;
    std::unique_ptr<ILMetafileTextPainter> m_text;  // made at the first text
};
