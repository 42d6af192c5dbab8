#include "imaging/ilmetafilecanvas.h"

#include <algorithm>
#include <cmath>

namespace {

// Work counts pixels filled; drawing that costs more a pixel, and the spans of a row, are
// charged as many pixels as they take time (measured on the largest canvas).
constexpr std::int64_t kShadeCost = 2;
constexpr std::int64_t kMapCost = 2;
constexpr std::int64_t kStretchCost = 2;
constexpr std::int64_t kFloodCost = 2;
constexpr std::int64_t kSpanCost = 4;
// A wide pen's outline: a rectangle for each segment and an octagon for each point, built
// before a row is filled.
constexpr std::int64_t kOutlineCornersPerPoint = 4 + 8;
constexpr std::int64_t kOutlineCornerCost = 4;

struct Edge
{
    double x0;
    double y0;
    double x1;
    double y1;
    int direction;  // +1 downwards, -1 upwards
};

struct Crossing
{
    double x;
    int direction;
};

bool IsFinite(const ILCanvasPoint& p)
{
    return std::isfinite(p.x) && std::isfinite(p.y);
}

// The value as a column or row index in [0, size]; not a number counts as 0.
int ToIndex(double value, int size)
{
    return value > 0 ? static_cast<int>(std::min(value, static_cast<double>(size))) : 0;
}

// Clips the segment to the box by its parameter range; false when nothing is left.
bool ClipSegment(ILCanvasPoint& a, ILCanvasPoint& b, double minX, double minY, double maxX, double maxY)
{
    double t0 = 0;
    double t1 = 1;
    const double dx = b.x - a.x;
    const double dy = b.y - a.y;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {a.x - minX, maxX - a.x, a.y - minY, maxY - a.y};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0) {
                return false;
            }
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0) {
            t0 = std::max(t0, t);
        } else {
            t1 = std::min(t1, t);
        }
        if (t0 > t1) {
            return false;
        }
    }
    const ILCanvasPoint start{a.x + t0 * dx, a.y + t0 * dy};
    b = ILCanvasPoint{a.x + t1 * dx, a.y + t1 * dy};
    a = start;
    return true;
}

ILPixel32 Mixed(ILPixel32 canvas, ILPixel32 pen, int mix)
{
    if (mix == ILMetafileCanvas::kMixCopy) {
        return pen;
    }
    return ILRasterOperation::FromMix(mix).Apply(pen, pen, canvas);
}

// The value in [0, period).
int Wrap(std::int64_t value, int period)
{
    return static_cast<int>(((value % period) + period) % period);
}

double Cross(const ILCanvasPoint& o, const ILCanvasPoint& a, const ILCanvasPoint& b)
{
    return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x);
}

}  // namespace

ILPixel32 ILCanvasPaint::At(int x, int y) const
{
    return HasPattern() ? PatternRow(y)[PatternColumn(x)] : colour;
}

const ILPixel32* ILCanvasPaint::PatternRow(int y) const
{
    return &(*pattern)[static_cast<std::size_t>(Wrap(std::int64_t{y} - originY, patternHeight)) * patternWidth];
}

int ILCanvasPaint::PatternColumn(int x) const
{
    return Wrap(std::int64_t{x} - originX, patternWidth);
}

ILMetafileCanvas::ILMetafileCanvas(int width, int height, std::int64_t workBudget)
    : m_width(width), m_height(height),
      m_pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), ILPixel32(255, 255, 255, 255)),
      m_work(workBudget > 0 ? workBudget : kPasses * static_cast<std::int64_t>(width) * height + (1 << 20))
{
}

bool ILMetafileCanvas::Spend(std::int64_t work)
{
    if (m_work < 0) {
        return false;
    }
    m_work -= work;
    return m_work >= 0;
}

template <typename Draw>
void ILMetafileCanvas::ForVisible(int y, int first, int last, Draw draw)
{
    if (m_clip == nullptr) {
        draw(first, last);
        return;
    }
    // Each span met is work, so that a clip of many thin spans costs what it makes the canvas visit.
    const std::vector<ILCanvasRegion::Span>& spans = m_clip->GetSpans(y);
    const auto [begin, end] = ILCanvasRegion::FindSpans(spans, first, last);
    if (!Spend(kSpanCost * static_cast<std::int64_t>(end - begin))) {
        return;
    }
    for (std::size_t i = begin; i < end; ++i) {
        draw(std::max(first, spans[i].from), std::min(last, spans[i].to));
    }
}

void ILMetafileCanvas::FillColumns(int y, int first, int last, const ILCanvasPaint& paint)
{
    ILPixel32* row = &m_pixels[static_cast<std::size_t>(y) * m_width];
    ForVisible(y, first, last, [&](int from, int to) {
        if (!paint.HasPattern()) {
            if (m_mix == kMixCopy) {
                std::fill(row + from, row + to, paint.colour);
                return;
            }
            const auto [set, clear] = MixedBits(paint.colour);
            const auto channel = [](std::uint8_t canvas, std::uint8_t ifSet, std::uint8_t ifClear) {
                return static_cast<std::uint8_t>((canvas & ifSet) | (~canvas & ifClear));
            };
            for (int x = from; x < to; ++x) {
                const ILPixel32 p = row[x];
                row[x] = ILPixel32(channel(p.r, set.r, clear.r), channel(p.g, set.g, clear.g),
                                   channel(p.b, set.b, clear.b), 255);
            }
            return;
        }
        // The pattern's row is found once and its columns stepped through.
        const ILPixel32* patternRow = paint.PatternRow(y);
        for (int x = from, column = paint.PatternColumn(from); x < to; ++x) {
            const ILPixel32 p = patternRow[column];
            if (p.a != 0) {
                row[x] = Mixed(row[x], p, m_mix);
            }
            if (++column == paint.patternWidth) {
                column = 0;
            }
        }
    });
}

std::pair<ILPixel32, ILPixel32> ILMetafileCanvas::MixedBits(ILPixel32 colour)
{
    // A mix works bit by bit, so one colour's result is known for a canvas bit set and for
    // one clear: working that out once for many spans keeps inversions as quick as fills.
    if (m_mixedBits.mix != m_mix || !(m_mixedBits.colour == colour)) {
        m_mixedBits = {m_mix, colour, Mixed(ILPixel32(255, 255, 255, 255), colour, m_mix),
                       Mixed(ILPixel32(0, 0, 0, 255), colour, m_mix)};
    }
    return {m_mixedBits.set, m_mixedBits.clear};
}

void ILMetafileCanvas::FillSpan(int y, double from, double to, const ILCanvasPaint& paint)
{
    // Pixels whose centres lie in [from, to).
    const double first = std::max(0.0, std::ceil(from - 0.5));
    const double last = std::min(static_cast<double>(m_width), std::ceil(to - 0.5));
    if (first >= last || !Spend(static_cast<std::int64_t>(last - first) + kSpanCost)) {
        return;
    }
    FillColumns(y, static_cast<int>(first), static_cast<int>(last), paint);
}

void ILMetafileCanvas::FillRegion(const ILCanvasRegion& region, const ILCanvasPaint& paint)
{
    // Regions are kept whole, beside the canvas too, since a clip moved later may bring
    // them onto it; a fill finds by search the bands and spans that meet the canvas, and
    // charges each band it searches, so that thousands of spans beside it cost nothing
    // unpaid.
    const std::vector<ILCanvasRegion::Band>& bands = region.GetBands();
    auto band = std::upper_bound(bands.begin(), bands.end(), 0,
                                 [](int y, const ILCanvasRegion::Band& b) { return y < b.bottom; });
    for (; band != bands.end() && band->top < m_height; ++band) {
        if (!Spend(kSpanCost)) {
            return;
        }
        const auto [begin, end] = ILCanvasRegion::FindSpans(band->spans, 0, m_width);
        for (int y = std::max(0, band->top); y < std::min(m_height, band->bottom) && !IsExhausted(); ++y) {
            for (std::size_t i = begin; i < end; ++i) {
                FillSpan(y, band->spans[i].from, band->spans[i].to, paint);
            }
        }
    }
}

void ILMetafileCanvas::BlendCoverage(int left, int top, int width, int height, const std::uint8_t* coverage,
                                     int pitch, ILPixel32 colour)
{
    const int x0 = std::max(0, left);
    const int x1 = static_cast<int>(std::min<std::int64_t>(m_width, std::int64_t{left} + width));
    const int y0 = std::max(0, top);
    const int y1 = static_cast<int>(std::min<std::int64_t>(m_height, std::int64_t{top} + height));
    if (x0 >= x1 || y0 >= y1 || !Spend(std::int64_t{x1 - x0} * (y1 - y0))) {
        return;
    }
    const auto mix = [](std::uint8_t under, std::uint8_t over, int alpha) {
        return static_cast<std::uint8_t>((under * (255 - alpha) + over * alpha + 127) / 255);
    };
    for (int y = y0; y < y1; ++y) {
        const std::uint8_t* cover = coverage + static_cast<std::ptrdiff_t>(y - top) * pitch;
        ILPixel32* row = &m_pixels[static_cast<std::size_t>(y) * m_width];
        ForVisible(y, x0, x1, [&](int from, int to) {
            for (int x = from; x < to; ++x) {
                const int alpha = cover[x - left];
                ILPixel32& p = row[x];
                p = ILPixel32(mix(p.r, colour.r, alpha), mix(p.g, colour.g, alpha), mix(p.b, colour.b, alpha), 255);
            }
        });
    }
}

void ILMetafileCanvas::FillPolygons(const std::vector<std::vector<ILCanvasPoint>>& polygons, bool winding,
                                    ILPixel32 colour)
{
    ILCanvasPaint paint;
    paint.colour = colour;
    FillPolygons(polygons, winding, paint);
}

void ILMetafileCanvas::FillPolygons(const std::vector<std::vector<ILCanvasPoint>>& polygons, bool winding,
                                    const ILCanvasPaint& paint)
{
    // Every corner is work before a row is filled: a path of tens of thousands of figures
    // off the canvas, or stroked after the work is spent, would otherwise cost its edges free.
    std::int64_t corners = 0;
    for (const auto& polygon : polygons) {
        corners += static_cast<std::int64_t>(polygon.size());
    }
    if (!Spend(corners + 1)) {
        return;
    }
    std::vector<Edge> edges;
    double top = m_height;
    double bottom = 0;
    for (const auto& polygon : polygons) {
        for (std::size_t i = 0; i < polygon.size(); ++i) {
            const ILCanvasPoint& a = polygon[i];
            const ILCanvasPoint& b = polygon[(i + 1) % polygon.size()];
            if (!IsFinite(a) || !IsFinite(b)) {
                return;
            }
            if (a.y == b.y) {
                continue;
            }
            edges.push_back(a.y < b.y ? Edge{a.x, a.y, b.x, b.y, 1} : Edge{b.x, b.y, a.x, a.y, -1});
            top = std::min({top, a.y, b.y});
            bottom = std::max({bottom, a.y, b.y});
        }
    }
    const int firstRow = static_cast<int>(std::max(0.0, std::floor(top)));
    const int lastRow = static_cast<int>(std::min(static_cast<double>(m_height), std::ceil(bottom)));
    std::vector<Crossing> crossings;
    for (int y = firstRow; y < lastRow; ++y) {
        if (!Spend(static_cast<std::int64_t>(edges.size()) + 1)) {
            return;
        }
        const double centre = y + 0.5;
        crossings.clear();
        for (const Edge& e : edges) {
            if (centre >= e.y0 && centre < e.y1) {
                crossings.push_back({e.x0 + (centre - e.y0) * (e.x1 - e.x0) / (e.y1 - e.y0), e.direction});
            }
        }
        std::sort(crossings.begin(), crossings.end(), [](const Crossing& a, const Crossing& b) { return a.x < b.x; });
        int inside = 0;
        for (std::size_t i = 0; i + 1 < crossings.size(); ++i) {
            inside += winding ? crossings[i].direction : 1;
            if (winding ? inside != 0 : (inside % 2) != 0) {
                FillSpan(y, crossings[i].x, crossings[i + 1].x, paint);
            }
        }
    }
}

void ILMetafileCanvas::DrawThinLine(ILCanvasPoint a, ILCanvasPoint b, ILPixel32 colour)
{
    if (!ClipSegment(a, b, -1, -1, m_width + 1, m_height + 1)) {
        return;
    }
    // Clipping far ends loses precision and can leave them far outside, or not numbers at all.
    if (!IsFinite(a) || !IsFinite(b)) {
        return;
    }
    for (ILCanvasPoint* p : {&a, &b}) {
        p->x = std::clamp(p->x, -1.0, m_width + 1.0);
        p->y = std::clamp(p->y, -1.0, m_height + 1.0);
    }
    const double steps = std::ceil(std::max(std::fabs(b.x - a.x), std::fabs(b.y - a.y)));
    if (!Spend(static_cast<std::int64_t>(steps) + 1)) {
        return;
    }
    for (int i = 0; i <= static_cast<int>(steps); ++i) {
        const double t = steps > 0 ? i / steps : 0;
        const int x = static_cast<int>(std::floor(a.x + t * (b.x - a.x)));
        const int y = static_cast<int>(std::floor(a.y + t * (b.y - a.y)));
        if (IsVisible(x, y)) {
            ILPixel32& pixel = m_pixels[static_cast<std::size_t>(y) * m_width + x];
            pixel = Mixed(pixel, colour, m_mix);
        }
    }
}

void ILMetafileCanvas::StrokePolyline(const std::vector<ILCanvasPoint>& points, bool closed, double width,
                                      ILPixel32 colour)
{
    if (points.empty() || IsExhausted() || !std::all_of(points.begin(), points.end(), IsFinite) ||
        !std::isfinite(width)) {
        return;
    }
    const std::size_t segments = closed ? points.size() : points.size() - 1;
    if (width <= 1.5) {
        for (std::size_t i = 0; i < segments; ++i) {
            DrawThinLine(points[i], points[(i + 1) % points.size()], colour);
        }
        if (points.size() == 1) {
            DrawThinLine(points[0], points[0], colour);
        }
        return;
    }
    if (!Spend(kOutlineCornerCost * kOutlineCornersPerPoint * static_cast<std::int64_t>(points.size()))) {
        return;
    }
    FillPolygons(PenOutline(points, closed, width), true, colour);
}

std::vector<std::vector<ILCanvasPoint>> ILMetafileCanvas::PenOutline(const std::vector<ILCanvasPoint>& points,
                                                                    bool closed, double width)
{
    // Each segment is a rectangle around it, each joint an octagon.
    std::vector<std::vector<ILCanvasPoint>> shapes;
    if (points.empty() || !std::isfinite(width)) {
        return shapes;
    }
    const std::size_t segments = closed ? points.size() : points.size() - 1;
    const double half = std::max(width, 1.0) / 2;
    for (std::size_t i = 0; i < segments; ++i) {
        const ILCanvasPoint& a = points[i];
        const ILCanvasPoint& b = points[(i + 1) % points.size()];
        const double length = std::hypot(b.x - a.x, b.y - a.y);
        if (length > 0) {
            const double nx = -(b.y - a.y) / length * half;
            const double ny = (b.x - a.x) / length * half;
            shapes.push_back({{a.x + nx, a.y + ny}, {b.x + nx, b.y + ny}, {b.x - nx, b.y - ny}, {a.x - nx, a.y - ny}});
        }
    }
    // The pieces overlap and are filled by the winding rule, so all must turn the same way.
    for (auto& shape : shapes) {
        double area = 0;
        for (std::size_t i = 0; i < shape.size(); ++i) {
            const ILCanvasPoint& a = shape[i];
            const ILCanvasPoint& b = shape[(i + 1) % shape.size()];
            area += a.x * b.y - b.x * a.y;
        }
        if (area < 0) {
            std::reverse(shape.begin(), shape.end());
        }
    }
    for (const ILCanvasPoint& p : points) {
        std::vector<ILCanvasPoint> joint;
        for (int k = 0; k < 8; ++k) {
            const double angle = k * M_PI / 4;
            joint.push_back({p.x + half * std::cos(angle), p.y + half * std::sin(angle)});
        }
        shapes.push_back(std::move(joint));
    }
    return shapes;
}

bool ILMetafileCanvas::IsVisible(int x, int y) const
{
    return x >= 0 && x < m_width && y >= 0 && y < m_height && (m_clip == nullptr || m_clip->Contains(x, y));
}

void ILMetafileCanvas::Put(ILPixel32& under, ILPixel32 source, PixelMode mode)
{
    if (mode == PixelMode::copy) {
        under = source;
    } else if (mode == PixelMode::keyed) {
        if (source.a != 0) {
            under = ILPixel32(source.r, source.g, source.b, 255);
        }
    } else {
        const int keep = 255 - source.a;
        const auto over = [keep](std::uint8_t below, std::uint8_t above) {
            return static_cast<std::uint8_t>(std::min(255, above + (below * keep + 127) / 255));
        };
        under = ILPixel32(over(under.r, source.r), over(under.g, source.g), over(under.b, source.b), 255);
    }
}

void ILMetafileCanvas::SetPixel(int x, int y, ILPixel32 colour)
{
    if (IsVisible(x, y) && Spend(1)) {
        m_pixels[static_cast<std::size_t>(y) * m_width + x] = ILPixel32(colour.r, colour.g, colour.b, 255);
    }
}

void ILMetafileCanvas::FloodFill(int x, int y, ILPixel32 colour, bool surface, const ILCanvasPaint& paint)
{
    const auto same = [](ILPixel32 a, ILPixel32 b) { return a.r == b.r && a.g == b.g && a.b == b.b; };
    // The marks of a whole canvas are work too, so that a file of many fills ends soon.
    if (!IsVisible(x, y) || same(GetPixel(x, y), colour) != surface ||
        !Spend(static_cast<std::int64_t>(m_pixels.size() / 16) + 1)) {
        return;
    }
    std::vector<std::uint8_t> seen(m_pixels.size(), 0);
    const auto qualifies = [&](int px, int py) {
        if (!IsVisible(px, py) || seen[static_cast<std::size_t>(py) * m_width + px] != 0) {
            return false;
        }
        return same(GetPixel(px, py), colour) == surface;
    };
    // Runs of a row are found first and painted after, so that the paint cannot change
    // which pixels qualify.
    struct Run
    {
        int y;
        int from;
        int to;
    };
    std::vector<Run> runs;
    std::vector<std::pair<int, int>> seeds = {{x, y}};
    while (!seeds.empty()) {
        const auto [sx, sy] = seeds.back();
        seeds.pop_back();
        if (!qualifies(sx, sy)) {
            continue;
        }
        int from = sx;
        int to = sx + 1;
        while (qualifies(from - 1, sy)) {
            --from;
        }
        while (qualifies(to, sy)) {
            ++to;
        }
        if (!Spend(kFloodCost * (to - from))) {
            return;
        }
        std::fill(seen.begin() + static_cast<std::ptrdiff_t>(sy) * m_width + from,
                  seen.begin() + static_cast<std::ptrdiff_t>(sy) * m_width + to, 1);
        runs.push_back({sy, from, to});
        for (const int ny : {sy - 1, sy + 1}) {
            for (int nx = from; nx < to; ++nx) {
                if (qualifies(nx, ny) && !qualifies(nx - 1, ny)) {
                    seeds.emplace_back(nx, ny);
                }
            }
        }
    }
    for (const Run& run : runs) {
        FillColumns(run.y, run.from, run.to, paint);
    }
}

void ILMetafileCanvas::ShadeTriangle(const ILCanvasPoint (&corners)[3], const ILPixel32 (&colours)[3])
{
    for (const ILCanvasPoint& p : corners) {
        if (!IsFinite(p)) {
            return;
        }
    }
    const double area = Cross(corners[0], corners[1], corners[2]);
    if (area == 0) {
        return;
    }
    const double minX = std::min({corners[0].x, corners[1].x, corners[2].x});
    const double maxX = std::max({corners[0].x, corners[1].x, corners[2].x});
    const double minY = std::min({corners[0].y, corners[1].y, corners[2].y});
    const double maxY = std::max({corners[0].y, corners[1].y, corners[2].y});
    const int x0 = ToIndex(std::floor(minX), m_width);
    const int x1 = ToIndex(std::ceil(maxX), m_width);
    const int y0 = ToIndex(std::floor(minY), m_height);
    const int y1 = ToIndex(std::ceil(maxY), m_height);
    if (x0 >= x1 || y0 >= y1 || !Spend(kShadeCost * std::int64_t{x1 - x0} * (y1 - y0))) {
        return;
    }
    const auto blend = [&](double w0, double w1, double w2, auto channel) {
        const double v = w0 * channel(colours[0]) + w1 * channel(colours[1]) + w2 * channel(colours[2]);
        return static_cast<std::uint8_t>(std::clamp(std::lround(v), 0L, 255L));
    };
    for (int y = y0; y < y1; ++y) {
        ILPixel32* row = &m_pixels[static_cast<std::size_t>(y) * m_width];
        ForVisible(y, x0, x1, [&](int from, int to) {
            for (int x = from; x < to; ++x) {
                const ILCanvasPoint centre{x + 0.5, y + 0.5};
                const double w0 = Cross(corners[1], corners[2], centre) / area;
                const double w1 = Cross(corners[2], corners[0], centre) / area;
                const double w2 = 1 - w0 - w1;
                if (w0 >= 0 && w1 >= 0 && w2 >= 0) {
                    row[x] = ILPixel32(blend(w0, w1, w2, [](ILPixel32 c) { return c.r; }),
                                       blend(w0, w1, w2, [](ILPixel32 c) { return c.g; }),
                                       blend(w0, w1, w2, [](ILPixel32 c) { return c.b; }), 255);
                }
            }
        });
    }
}

void ILMetafileCanvas::DrawPixelsOnto(const std::vector<ILPixel32>& source, int sourceWidth, int sourceHeight,
                                      ILCanvasPoint origin, ILCanvasPoint topRight, ILCanvasPoint bottomLeft,
                                      PixelMode mode)
{
    const ILCanvasPoint u{topRight.x - origin.x, topRight.y - origin.y};
    const ILCanvasPoint v{bottomLeft.x - origin.x, bottomLeft.y - origin.y};
    const double determinant = u.x * v.y - u.y * v.x;
    if (sourceWidth <= 0 || sourceHeight <= 0 || !IsFinite(origin) || !IsFinite(topRight) || !IsFinite(bottomLeft) ||
        determinant == 0) {
        return;
    }
    const double xs[4] = {origin.x, topRight.x, bottomLeft.x, topRight.x + v.x};
    const double ys[4] = {origin.y, topRight.y, bottomLeft.y, topRight.y + v.y};
    const int x0 = ToIndex(std::floor(*std::min_element(xs, xs + 4)), m_width);
    const int x1 = ToIndex(std::ceil(*std::max_element(xs, xs + 4)), m_width);
    const int y0 = ToIndex(std::floor(*std::min_element(ys, ys + 4)), m_height);
    const int y1 = ToIndex(std::ceil(*std::max_element(ys, ys + 4)), m_height);
    if (x0 >= x1 || y0 >= y1 || !Spend(kMapCost * std::int64_t{x1 - x0} * (y1 - y0))) {
        return;
    }
    for (int y = y0; y < y1; ++y) {
        ILPixel32* row = &m_pixels[static_cast<std::size_t>(y) * m_width];
        ForVisible(y, x0, x1, [&](int from, int to) {
            for (int x = from; x < to; ++x) {
                const double dx = x + 0.5 - origin.x;
                const double dy = y + 0.5 - origin.y;
                const double s = (dx * v.y - dy * v.x) / determinant;
                const double t = (u.x * dy - u.y * dx) / determinant;
                if (s < 0 || s >= 1 || t < 0 || t >= 1) {
                    continue;
                }
                const int sx = std::min(static_cast<int>(s * sourceWidth), sourceWidth - 1);
                const int sy = std::min(static_cast<int>(t * sourceHeight), sourceHeight - 1);
                Put(row[x], source[static_cast<std::size_t>(sy) * sourceWidth + sx], mode);
            }
        });
    }
}

template <typename Visit>
void ILMetafileCanvas::ForStretched(const std::vector<ILPixel32>& source, int sourceWidth, int sourceHeight,
                                    double left, double top, double right, double bottom, Visit put)
{
    if (sourceWidth <= 0 || sourceHeight <= 0 || !std::isfinite(left) || !std::isfinite(top) ||
        !std::isfinite(right) || !std::isfinite(bottom) || left == right || top == bottom) {
        return;
    }
    const double x0 = std::max(0.0, std::ceil(std::min(left, right) - 0.5));
    const double x1 = std::min(static_cast<double>(m_width), std::ceil(std::max(left, right) - 0.5));
    const double y0 = std::max(0.0, std::ceil(std::min(top, bottom) - 0.5));
    const double y1 = std::min(static_cast<double>(m_height), std::ceil(std::max(top, bottom) - 0.5));
    if (x0 >= x1 || y0 >= y1 || !Spend(kStretchCost * static_cast<std::int64_t>((x1 - x0) * (y1 - y0)))) {
        return;
    }
    for (int y = static_cast<int>(y0); y < static_cast<int>(y1); ++y) {
        const double v = (y + 0.5 - top) / (bottom - top);
        const int sy = std::clamp(static_cast<int>(v * sourceHeight), 0, sourceHeight - 1);
        ILPixel32* row = &m_pixels[static_cast<std::size_t>(y) * m_width];
        ForVisible(y, static_cast<int>(x0), static_cast<int>(x1), [&](int from, int to) {
            for (int x = from; x < to; ++x) {
                const double u = (x + 0.5 - left) / (right - left);
                const int sx = std::clamp(static_cast<int>(u * sourceWidth), 0, sourceWidth - 1);
                put(row[x], source[static_cast<std::size_t>(sy) * sourceWidth + sx], x, y);
            }
        });
    }
}

void ILMetafileCanvas::DrawPixels(const std::vector<ILPixel32>& source, int sourceWidth, int sourceHeight,
                                  double left, double top, double right, double bottom, PixelMode mode)
{
    ForStretched(source, sourceWidth, sourceHeight, left, top, right, bottom,
                 [mode](ILPixel32& under, ILPixel32 pixel, int, int) { Put(under, pixel, mode); });
}

void ILMetafileCanvas::CombinePixels(const std::vector<ILPixel32>& source, int sourceWidth, int sourceHeight,
                                     double left, double top, double right, double bottom, const ILCanvasPaint& paint,
                                     ILRasterOperation foreground, ILRasterOperation background)
{
    ForStretched(source, sourceWidth, sourceHeight, left, top, right, bottom,
                 [&](ILPixel32& under, ILPixel32 pixel, int x, int y) {
                     const ILRasterOperation& operation = pixel.a != 0 ? foreground : background;
                     const ILPixel32 pattern = operation.UsesPattern() ? paint.At(x, y) : ILPixel32(0, 0, 0, 255);
                     if (pattern.a != 0) {
                         under = operation.Apply(pattern, pixel, under);
                     }
                 });
}
