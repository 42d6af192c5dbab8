#include "imaging/ilcanvasregion.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "imaging/ilmetafilecanvas.h"

namespace {

// Coordinates far beyond any canvas, so that sums of two stay inside an int.
constexpr double kFar = 1e9;

using Span = ILCanvasRegion::Span;

// The first pixel whose centre lies at or after the coordinate.
int PixelAtOrAfter(double coordinate)
{
    return static_cast<int>(std::clamp(std::ceil(coordinate - 0.5), -kFar, kFar));
}

bool Inside(bool a, bool b, ILCanvasRegion::Mode mode)
{
    switch (mode) {
    case ILCanvasRegion::Mode::intersect: return a && b;
    case ILCanvasRegion::Mode::unite: return a || b;
    case ILCanvasRegion::Mode::exclusiveOr: return a != b;
    case ILCanvasRegion::Mode::difference: return a && !b;
    case ILCanvasRegion::Mode::copy: return b;
    }
    return false;
}

struct Toggle
{
    int x;
    bool first;
};

// The edges of sorted, disjoint spans, in order, each toggling its own list's membership.
void AddToggles(const std::vector<Span>& spans, bool first, std::vector<Toggle>& toggles)
{
    for (const Span& s : spans) {
        toggles.insert(toggles.end(), {{s.from, first}, {s.to, first}});
    }
}

// `toggles` is room the caller keeps, so that a combination of many bands allocates little.
std::vector<Span> CombineSpans(const std::vector<Span>& a, const std::vector<Span>& b, ILCanvasRegion::Mode mode,
                               std::vector<Toggle>& toggles)
{
    toggles.clear();
    AddToggles(a, true, toggles);
    AddToggles(b, false, toggles);
    std::inplace_merge(toggles.begin(), toggles.begin() + static_cast<std::ptrdiff_t>(2 * a.size()), toggles.end(),
                       [](const Toggle& p, const Toggle& q) { return p.x < q.x; });
    std::vector<Span> result;
    bool inA = false;
    bool inB = false;
    for (std::size_t i = 0; i < toggles.size();) {
        const int x = toggles[i].x;
        for (; i < toggles.size() && toggles[i].x == x; ++i) {
            (toggles[i].first ? inA : inB) = !(toggles[i].first ? inA : inB);
        }
        const bool inside = Inside(inA, inB, mode);
        const bool open = !result.empty() && result.back().to == INT_MIN;
        if (inside && !open) {
            result.push_back({x, INT_MIN});
        } else if (!inside && open) {
            result.back().to = x;
        }
    }
    return result;
}

// The spans of the band that covers the row, or none.
const std::vector<Span>& SpansAt(const std::vector<ILCanvasRegion::Band>& bands, int row)
{
    static const std::vector<Span> kNone;
    const auto band = std::upper_bound(bands.begin(), bands.end(), row,
                                       [](int y, const ILCanvasRegion::Band& b) { return y < b.bottom; });
    return band != bands.end() && band->top <= row ? band->spans : kNone;
}

// As SpansAt for rows that only increase, stepping the cursor `at` through the bands.
const std::vector<Span>& SpansFrom(const std::vector<ILCanvasRegion::Band>& bands, std::size_t& at, int row)
{
    static const std::vector<Span> kNone;
    while (at < bands.size() && bands[at].bottom <= row) {
        ++at;
    }
    return at < bands.size() && bands[at].top <= row ? bands[at].spans : kNone;
}

// The rows where a band of either list starts or ends, sorted and once each: each list's
// own edges are in order already.
std::vector<int> BandEdges(const std::vector<ILCanvasRegion::Band>& a, const std::vector<ILCanvasRegion::Band>& b)
{
    std::vector<int> rows;
    rows.reserve(2 * (a.size() + b.size()));
    for (const auto* bands : {&a, &b}) {
        for (const ILCanvasRegion::Band& band : *bands) {
            rows.insert(rows.end(), {band.top, band.bottom});
        }
    }
    std::inplace_merge(rows.begin(), rows.begin() + static_cast<std::ptrdiff_t>(2 * a.size()), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

struct Crossing
{
    double x;
    int direction;
};

struct Edge
{
    double x0;
    double y0;  // the upper end
    double x1;
    double y1;
    int direction;  // +1 downwards, -1 upwards
};

// The pixels whose centres lie in a rectangle: columns [x0, x1), rows [y0, y1).
struct Box
{
    int x0;
    int y0;
    int x1;
    int y1;
};

// False when the rectangle is not finite or holds no pixel centre.
bool PixelBox(double left, double top, double right, double bottom, Box& box)
{
    if (!std::isfinite(left) || !std::isfinite(top) || !std::isfinite(right) || !std::isfinite(bottom)) {
        return false;
    }
    box = {PixelAtOrAfter(std::min(left, right)), PixelAtOrAfter(std::min(top, bottom)),
           PixelAtOrAfter(std::max(left, right)), PixelAtOrAfter(std::max(top, bottom))};
    return box.x0 < box.x1 && box.y0 < box.y1;
}

bool Granted(const ILCanvasRegion::Spend& spend, std::int64_t work)
{
    return !spend || spend(work);
}

}  // namespace

ILCanvasRegion ILCanvasRegion::FromRectangle(double left, double top, double right, double bottom)
{
    ILCanvasRegion region;
    Box box{};
    if (PixelBox(left, top, right, bottom, box)) {
        region.m_bands.push_back({box.y0, box.y1, {{box.x0, box.x1}}});
    }
    return region;
}

ILCanvasRegion ILCanvasRegion::FromRectangles(const std::vector<double>& leftTopRightBottom, const Spend& spend)
{
    if (leftTopRightBottom.size() / 4 > kMaxRectangles) {
        return {};
    }
    std::vector<Box> boxes;
    std::vector<int> rows;
    for (std::size_t i = 0; i + 4 <= leftTopRightBottom.size(); i += 4) {
        Box box{};
        if (PixelBox(leftTopRightBottom[i], leftTopRightBottom[i + 1], leftTopRightBottom[i + 2],
                     leftTopRightBottom[i + 3], box)) {
            boxes.push_back(box);
            rows.insert(rows.end(), {box.y0, box.y1});
        }
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    // Rectangles of many heights make many bands, each of which meets the rectangles
    // across it: that count is known before the bands are made.
    const auto edgeIndex = [&rows](int row) { return std::lower_bound(rows.begin(), rows.end(), row) - rows.begin(); };
    std::int64_t work = static_cast<std::int64_t>(boxes.size()) + 1;
    for (const Box& box : boxes) {
        work += edgeIndex(box.y1) - edgeIndex(box.y0);
    }
    if (!Granted(spend, work)) {
        return {};
    }
    // A sweep down the edges keeps the rectangles across the current band sorted by their left.
    const auto byLeft = [](const Box& p, const Box& q) { return p.x0 < q.x0; };
    std::sort(boxes.begin(), boxes.end(),
              [](const Box& p, const Box& q) { return p.y0 < q.y0 || (p.y0 == q.y0 && p.x0 < q.x0); });
    std::vector<Box> across;
    std::size_t next = 0;
    ILCanvasRegion region;
    std::size_t spans = 0;
    for (std::size_t r = 0; r + 1 < rows.size(); ++r) {
        across.erase(std::remove_if(across.begin(), across.end(), [&](const Box& box) { return box.y1 <= rows[r]; }),
                     across.end());
        const auto before = static_cast<std::ptrdiff_t>(across.size());
        for (; next < boxes.size() && boxes[next].y0 == rows[r]; ++next) {
            across.push_back(boxes[next]);
        }
        std::inplace_merge(across.begin(), across.begin() + before, across.end(), byLeft);
        std::vector<Span> merged;
        for (const Box& box : across) {
            if (!merged.empty() && merged.back().to >= box.x0) {
                merged.back().to = std::max(merged.back().to, box.x1);
            } else {
                merged.push_back({box.x0, box.x1});
            }
        }
        spans += merged.size();
        if (spans > kMaxSpans) {
            return {};
        }
        region.Append(rows[r], rows[r + 1], std::move(merged));
    }
    return region;
}

ILCanvasRegion ILCanvasRegion::FromPolygons(const std::vector<std::vector<ILCanvasPoint>>& polygons, bool winding,
                                            int width, int height, const Spend& spend)
{
    std::vector<Edge> edges;
    double top = kFar;
    double bottom = -kFar;
    for (const auto& polygon : polygons) {
        for (std::size_t i = 0; i < polygon.size(); ++i) {
            const ILCanvasPoint& a = polygon[i];
            const ILCanvasPoint& b = polygon[(i + 1) % polygon.size()];
            if (!std::isfinite(a.x) || !std::isfinite(a.y) || !std::isfinite(b.x) || !std::isfinite(b.y)) {
                return {};
            }
            if (a.y == b.y) {
                continue;  // no row's centre crosses it
            }
            edges.push_back(a.y < b.y ? Edge{a.x, a.y, b.x, b.y, 1} : Edge{b.x, b.y, a.x, a.y, -1});
            top = std::min({top, a.y, b.y});
            bottom = std::max({bottom, a.y, b.y});
        }
    }
    // Only the rows whose centres lie between the top and the bottom can hold pixels.
    const int firstRow = static_cast<int>(std::clamp(std::ceil(top - 0.5), 0.0, static_cast<double>(height)));
    const int endRow = static_cast<int>(std::clamp(std::ceil(bottom - 0.5), 0.0, static_cast<double>(height)));
    if (firstRow >= endRow ||
        !Granted(spend, std::int64_t{endRow - firstRow} * (static_cast<std::int64_t>(edges.size()) + 1))) {
        return {};
    }
    ILCanvasRegion region;
    std::vector<Crossing> crossings;
    std::size_t spans = 0;
    for (int y = firstRow; y < endRow; ++y) {
        const double centre = y + 0.5;
        crossings.clear();
        for (const Edge& e : edges) {
            if (centre >= e.y0 && centre < e.y1) {
                crossings.push_back({e.x0 + (centre - e.y0) * (e.x1 - e.x0) / (e.y1 - e.y0), e.direction});
            }
        }
        std::sort(crossings.begin(), crossings.end(), [](const Crossing& p, const Crossing& q) { return p.x < q.x; });
        std::vector<Span> row;
        int inside = 0;
        for (std::size_t i = 0; i + 1 < crossings.size(); ++i) {
            inside += winding ? crossings[i].direction : 1;
            if (winding ? inside == 0 : inside % 2 == 0) {
                continue;
            }
            const int from = std::max(0, PixelAtOrAfter(crossings[i].x));
            const int to = std::min(width, PixelAtOrAfter(crossings[i + 1].x));
            if (from >= to) {
                continue;
            }
            if (!row.empty() && row.back().to >= from) {
                row.back().to = std::max(row.back().to, to);
            } else {
                row.push_back({from, to});
            }
        }
        spans += row.size();
        if (spans > kMaxSpans) {
            return {};
        }
        region.Append(y, y + 1, std::move(row));
    }
    return region;
}

std::size_t ILCanvasRegion::GetSpanCount() const
{
    std::size_t count = 0;
    for (const Band& band : m_bands) {
        count += band.spans.size();
    }
    return count;
}

const std::vector<Span>& ILCanvasRegion::GetSpans(int y) const
{
    return SpansAt(m_bands, y);
}

std::pair<std::size_t, std::size_t> ILCanvasRegion::FindSpans(const std::vector<Span>& spans, int first, int last)
{
    // Sorted and disjoint spans also have sorted ends.
    const auto begin = std::upper_bound(spans.begin(), spans.end(), first, [](int x, const Span& s) { return x < s.to; });
    const auto end = std::lower_bound(begin, spans.end(), last, [](const Span& s, int x) { return s.from < x; });
    return {static_cast<std::size_t>(begin - spans.begin()), static_cast<std::size_t>(end - spans.begin())};
}

bool ILCanvasRegion::Contains(int x, int y) const
{
    const std::vector<Span>& spans = SpansAt(m_bands, y);
    const auto span = std::upper_bound(spans.begin(), spans.end(), x, [](int column, const Span& s) { return column < s.to; });
    return span != spans.end() && span->from <= x;
}

void ILCanvasRegion::Append(int top, int bottom, std::vector<Span> spans)
{
    if (spans.empty() || top >= bottom) {
        return;
    }
    if (!m_bands.empty() && m_bands.back().bottom == top && m_bands.back().spans.size() == spans.size() &&
        std::equal(spans.begin(), spans.end(), m_bands.back().spans.begin(),
                   [](const Span& p, const Span& q) { return p.from == q.from && p.to == q.to; })) {
        m_bands.back().bottom = bottom;
        return;
    }
    m_bands.push_back({top, bottom, std::move(spans)});
}

bool ILCanvasRegion::Combine(const ILCanvasRegion& other, Mode mode)
{
    const std::vector<int> rows = BandEdges(m_bands, other.m_bands);
    ILCanvasRegion result;
    std::size_t spans = 0;
    std::size_t inThis = 0;
    std::size_t inOther = 0;
    std::vector<Toggle> toggles;
    for (std::size_t i = 0; i + 1 < rows.size(); ++i) {
        std::vector<Span> combined = CombineSpans(SpansFrom(m_bands, inThis, rows[i]),
                                                  SpansFrom(other.m_bands, inOther, rows[i]), mode, toggles);
        spans += combined.size();
        if (spans > kMaxSpans) {
            return false;
        }
        result.Append(rows[i], rows[i + 1], std::move(combined));
    }
    m_bands = std::move(result.m_bands);
    return true;
}

void ILCanvasRegion::Offset(int dx, int dy)
{
    const auto shift = [](int value, int by) {
        return static_cast<int>(std::clamp(static_cast<double>(value) + by, -kFar, kFar));
    };
    for (Band& band : m_bands) {
        band.top = shift(band.top, dy);
        band.bottom = shift(band.bottom, dy);
        for (Span& span : band.spans) {
            span.from = shift(span.from, dx);
            span.to = shift(span.to, dx);
        }
    }
}
