#include "imaging/ilmetafilecanvas.h"

#include <algorithm>
#include <cmath>

namespace {

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

}  // namespace

ILMetafileCanvas::ILMetafileCanvas(int width, int height, std::int64_t workBudget)
    : m_width(width), m_height(height),
      m_pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), ILPixel32(255, 255, 255, 255)),
      m_work(workBudget > 0 ? workBudget : 16 * static_cast<std::int64_t>(width) * height + (1 << 20))
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
void ILMetafileCanvas::ForVisible(int y, int first, int last, Draw draw) const
{
    if (m_clip == nullptr) {
        draw(first, last);
        return;
    }
    for (const ILCanvasRegion::Band& band : m_clip->GetBands()) {
        if (y < band.top || y >= band.bottom) {
            continue;
        }
        for (const ILCanvasRegion::Span& span : band.spans) {
            const int from = std::max(first, span.from);
            const int to = std::min(last, span.to);
            if (from < to) {
                draw(from, to);
            }
        }
        return;
    }
}

void ILMetafileCanvas::FillColumns(int y, int first, int last, const ILCanvasPaint& paint)
{
    ILPixel32* row = &m_pixels[static_cast<std::size_t>(y) * m_width];
    ForVisible(y, first, last, [&](int from, int to) {
        if (!paint.HasPattern()) {
            std::fill(row + from, row + to, paint.colour);
            return;
        }
        const auto wrap = [](std::int64_t value, int period) { return static_cast<int>(((value % period) + period) % period); };
        const ILPixel32* patternRow =
            &(*paint.pattern)[static_cast<std::size_t>(wrap(std::int64_t{y} - paint.originY, paint.patternHeight)) *
                              paint.patternWidth];
        for (int x = from; x < to; ++x) {
            const ILPixel32 p = patternRow[wrap(std::int64_t{x} - paint.originX, paint.patternWidth)];
            if (p.a != 0) {
                row[x] = p;
            }
        }
    });
}

void ILMetafileCanvas::FillSpan(int y, double from, double to, const ILCanvasPaint& paint)
{
    // Pixels whose centres lie in [from, to).
    const double first = std::max(0.0, std::ceil(from - 0.5));
    const double last = std::min(static_cast<double>(m_width), std::ceil(to - 0.5));
    if (first >= last || !Spend(static_cast<std::int64_t>(last - first))) {
        return;
    }
    FillColumns(y, static_cast<int>(first), static_cast<int>(last), paint);
}

void ILMetafileCanvas::FillRegion(const ILCanvasRegion& region, const ILCanvasPaint& paint)
{
    for (const ILCanvasRegion::Band& band : region.GetBands()) {
        for (int y = std::max(0, band.top); y < std::min(m_height, band.bottom); ++y) {
            for (const ILCanvasRegion::Span& span : band.spans) {
                FillSpan(y, span.from, span.to, paint);
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
    const double steps = std::ceil(std::max(std::fabs(b.x - a.x), std::fabs(b.y - a.y)));
    if (!Spend(static_cast<std::int64_t>(steps) + 1)) {
        return;
    }
    for (int i = 0; i <= static_cast<int>(steps); ++i) {
        const double t = steps > 0 ? i / steps : 0;
        const int x = static_cast<int>(std::floor(a.x + t * (b.x - a.x)));
        const int y = static_cast<int>(std::floor(a.y + t * (b.y - a.y)));
        if (x >= 0 && x < m_width && y >= 0 && y < m_height && (m_clip == nullptr || m_clip->Contains(x, y))) {
            m_pixels[static_cast<std::size_t>(y) * m_width + x] = colour;
        }
    }
}

void ILMetafileCanvas::StrokePolyline(const std::vector<ILCanvasPoint>& points, bool closed, double width,
                                      ILPixel32 colour)
{
    if (points.empty() || !std::all_of(points.begin(), points.end(), IsFinite) || !std::isfinite(width)) {
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
    // Wide pens: each segment is a rectangle around it, each joint an octagon.
    const double half = width / 2;
    std::vector<std::vector<ILCanvasPoint>> shapes;
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
    FillPolygons(shapes, true, colour);
}

void ILMetafileCanvas::DrawPixels(const std::vector<ILPixel32>& source, int sourceWidth, int sourceHeight,
                                  double left, double top, double right, double bottom)
{
    if (sourceWidth <= 0 || sourceHeight <= 0 || !std::isfinite(left) || !std::isfinite(top) ||
        !std::isfinite(right) || !std::isfinite(bottom) || left == right || top == bottom) {
        return;
    }
    const double x0 = std::max(0.0, std::ceil(std::min(left, right) - 0.5));
    const double x1 = std::min(static_cast<double>(m_width), std::ceil(std::max(left, right) - 0.5));
    const double y0 = std::max(0.0, std::ceil(std::min(top, bottom) - 0.5));
    const double y1 = std::min(static_cast<double>(m_height), std::ceil(std::max(top, bottom) - 0.5));
    if (x0 >= x1 || y0 >= y1 || !Spend(static_cast<std::int64_t>((x1 - x0) * (y1 - y0)))) {
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
                row[x] = source[static_cast<std::size_t>(sy) * sourceWidth + sx];
            }
        });
    }
}
