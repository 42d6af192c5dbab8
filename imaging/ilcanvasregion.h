#pragma once
// ILCanvasRegion: an area of a metafile canvas in whole pixels, kept as horizontal bands,
// each a run of rows that share the same sorted, disjoint spans of columns. Clip regions
// and region fills of metafile playback are made from rectangles and polygons and combined
// by the graphics interface's five combination modes.
//
// A region never grows past kMaxSpans spans: an operation whose result would is refused
// (Combine answers false and the region stays as it was), so that a file cannot make
// playback hold more than a bounded amount of clip data.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

struct ILCanvasPoint;

class ILCanvasRegion
{
public:
    static constexpr std::size_t kMaxSpans = 16384;

    // The graphics interface's combination modes.
    enum class Mode
    {
        intersect = 1,
        unite = 2,
        exclusiveOr = 3,
        difference = 4,
        copy = 5
    };

    struct Span
    {
        int from;  // first column inside
        int to;    // first column outside
    };

    struct Band
    {
        int top;     // first row inside
        int bottom;  // first row outside
        std::vector<Span> spans;
    };

    // Asked before a region is built for the work building it takes, in pixels filled;
    // false refuses the work and the region is empty. None: the work is free.
    using Spend = std::function<bool(std::int64_t)>;

    ILCanvasRegion() = default;
    // The pixels whose centres lie in the rectangle; an inverted rectangle is normalised.
    static ILCanvasRegion FromRectangle(double left, double top, double right, double bottom);
    // The union of rectangles in pixel units, each left, top, right, bottom; empty when there
    // are more than kMaxRectangles of them or the result would be too large. The work is
    // each rectangle once and, for every band between two edges, the rectangles it meets.
    static constexpr std::size_t kMaxRectangles = 4096;
    static ILCanvasRegion FromRectangles(const std::vector<double>& leftTopRightBottom, const Spend& spend = {});
    // The pixels whose centres lie inside the polygons taken together, by the even-odd or the
    // winding rule, within the canvas of width × height pixels. Empty when the result would
    // be too large. The work is every edge on every row between the polygons' top and bottom.
    static ILCanvasRegion FromPolygons(const std::vector<std::vector<ILCanvasPoint>>& polygons, bool winding,
                                       int width, int height, const Spend& spend = {});

    [[nodiscard]] bool IsEmpty() const { return m_bands.empty(); }
    [[nodiscard]] const std::vector<Band>& GetBands() const { return m_bands; }
    [[nodiscard]] std::size_t GetSpanCount() const;
    [[nodiscard]] bool Contains(int x, int y) const;
    // The spans of row y's band; none outside every band.
    [[nodiscard]] const std::vector<Span>& GetSpans(int y) const;
    // The index range [first, second) of the spans that meet columns [first, last), found
    // by search so that a row of many spans costs only those it meets.
    [[nodiscard]] static std::pair<std::size_t, std::size_t> FindSpans(const std::vector<Span>& spans, int first,
                                                                       int last);

    // this = this (mode) other; false, leaving this as it was, when the result is too large.
    bool Combine(const ILCanvasRegion& other, Mode mode);
    void Offset(int dx, int dy);

private:
    void Append(int top, int bottom, std::vector<Span> spans);

    std::vector<Band> m_bands;  // sorted by row, disjoint, no empty band
};
