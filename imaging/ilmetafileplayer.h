#pragma once
// ILMetafilePlayer: draws the records of a metafile into an ILMetafileCanvas in place of
// the platform's metafile playback. The base keeps the drawing state that both metafile
// kinds share (pens, brushes, the object table, the mapping from logical coordinates to
// the canvas, the current position, saved states) and draws the common shapes: lines,
// polylines, polygons, rectangles, ellipses and device-independent bitmaps. ILWMFPlayer
// and ILEMFPlayer read the records of their kind and call it.
//
// Records the player does not know are skipped and counted; a record whose size is 0 or
// runs past the data ends playback (the decoder refuses such files before they are played). Playback also ends when the canvas has spent its work.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "imaging/ilmetafilecanvas.h"
#include "imaging/ilpixel32.h"

class ILMetafilePlayer
{
public:
    explicit ILMetafilePlayer(ILMetafileCanvas& canvas) : m_canvas(canvas) {}
    ILMetafilePlayer(const ILMetafilePlayer&) = delete;
    ILMetafilePlayer& operator=(const ILMetafilePlayer&) = delete;
    virtual ~ILMetafilePlayer() = default;

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

    // Records that drew or changed the drawing state, and records that were skipped.
    [[nodiscard]] int GetPlayedCount() const { return m_played; }
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
    };

    struct Brush
    {
        int style = 0;  // 0 solid, 1 none, 2 hatched (drawn solid); patterns are drawn as none
        ILPixel32 colour{255, 255, 255, 255};
    };

    struct GdiObject
    {
        enum Kind
        {
            empty,
            pen,
            brush,
            other
        };
        Kind kind = empty;
        Pen penValue;
        Brush brushValue;
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
    void Polygons(const std::vector<std::vector<ILCanvasPoint>>& logical);
    void Rectangle(double left, double top, double right, double bottom);
    void Ellipse(double left, double top, double right, double bottom);
    // Fills the rectangle with the current brush, black or white (a raster operation without source).
    void PatternBlt(double left, double top, double right, double bottom, std::uint32_t rasterOperation);
    // Draws the device-independent bitmap (its header and colour table in `info`, its rows in
    // `bits`) from the source rectangle into the destination rectangle, both in logical
    // units. False when the bitmap or raster operation is not one the player can draw.
    bool StretchBitmap(const Reader& info, const Reader& bits, double left, double top, double width, double height,
                       int sourceX, int sourceY, int sourceWidth, int sourceHeight, std::uint32_t rasterOperation);

    // Where the rows of a packed bitmap (header, colour table, rows) begin; 0 when its header
    // is not one the player can draw.
    [[nodiscard]] static std::size_t PackedBitsOffset(const Reader& dib);

    void SaveState();
    // Restores the state saved `level` saves ago (level < 0) or the one at depth `level`.
    void RestoreState(int level);
    // The object table: a new object takes the given slot; selecting an empty slot does nothing.
    void SetObject(std::size_t index, const GdiObject& object);
    void SelectObject(std::size_t index);
    void DeleteObject(std::size_t index);

    void Played() { ++m_played; }
    void Skipped() { ++m_skipped; }
    [[nodiscard]] bool IsExhausted() const { return m_canvas.IsExhausted(); }

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
    [[nodiscard]] std::vector<ILCanvasPoint> ToCanvas(const std::vector<ILCanvasPoint>& logical) const;
    [[nodiscard]] double PenWidth() const;
    void FillAndFrame(const std::vector<ILCanvasPoint>& canvasPoints);

    int m_played = 0;
    int m_skipped = 0;
};
