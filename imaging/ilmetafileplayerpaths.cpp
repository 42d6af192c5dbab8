// The metafile player's curves, paths and clip regions.

#include <algorithm>
#include <cmath>

#include "imaging/ilmetafileplayer.h"

namespace {

constexpr int kBezierSteps = 16;
constexpr std::size_t kMaxBezierPoints = 1 << 20;
// The work of one outline point and of one span of a region combined, in pixels filled:
// each takes the time of several.
constexpr std::int64_t kOutlinePointCost = 4;
constexpr std::int64_t kRegionSpanCost = 16;

ILCanvasPoint Bezier(const ILCanvasPoint& p0, const ILCanvasPoint& p1, const ILCanvasPoint& p2,
                     const ILCanvasPoint& p3, double t)
{
    const double u = 1 - t;
    const double a = u * u * u;
    const double b = 3 * u * u * t;
    const double c = 3 * u * t * t;
    const double d = t * t * t;
    return {a * p0.x + b * p1.x + c * p2.x + d * p3.x, a * p0.y + b * p1.y + c * p2.y + d * p3.y};
}

// Appends the flattened curve from `from` through the three control points after it.
void AppendBezier(std::vector<ILCanvasPoint>& out, ILCanvasPoint from, const ILCanvasPoint* controls)
{
    for (int i = 1; i <= kBezierSteps; ++i) {
        out.push_back(Bezier(from, controls[0], controls[1], controls[2], static_cast<double>(i) / kBezierSteps));
    }
}

}  // namespace

bool ILMetafilePlayer::ChargeRegions(const ILCanvasRegion& a, const ILCanvasRegion& b)
{
    // Combining regions is work in proportion to their spans, so that a file of many clip
    // changes ends.
    return m_canvas.Spend(kRegionSpanCost *
                          static_cast<std::int64_t>(a.GetSpanCount() + a.GetBands().size() + b.GetSpanCount() +
                                                    b.GetBands().size() + 1));
}

bool ILMetafilePlayer::CombineCharged(ILCanvasRegion& region, const ILCanvasRegion& other, ILCanvasRegion::Mode mode)
{
    return ChargeRegions(region, other) && region.Combine(other, mode);
}

std::int64_t ILMetafilePlayer::OutlineWork(const std::vector<std::vector<ILCanvasPoint>>& outlines)
{
    std::int64_t points = 0;
    for (const auto& outline : outlines) {
        points += static_cast<std::int64_t>(outline.size());
    }
    return kOutlinePointCost * (points + 1);
}

ILCanvasRegion::Spend ILMetafilePlayer::RegionWork() const
{
    return [&canvas = m_canvas](std::int64_t work) { return canvas.Spend(work); };
}

ILCanvasRegion ILMetafilePlayer::WholeCanvas() const
{
    return ILCanvasRegion::FromRectangle(0, 0, m_canvas.GetWidth(), m_canvas.GetHeight());
}

std::vector<ILCanvasPoint> ILMetafilePlayer::ArcPoints(double left, double top, double right, double bottom,
                                                       double startX, double startY, double endX, double endY) const
{
    const double cx = (left + right) / 2;
    const double cy = (top + bottom) / 2;
    const double rx = std::fabs(right - left) / 2;
    const double ry = std::fabs(bottom - top) / 2;
    if (rx == 0 || ry == 0) {
        return {};
    }
    // Angles of the ellipse's points on the two rays, counter-clockwise as seen with rows downwards.
    const double start = std::atan2(-(startY - cy) / ry, (startX - cx) / rx);
    const double end = std::atan2(-(endY - cy) / ry, (endX - cx) / rx);
    double sweep = m_state.clockwise ? start - end : end - start;
    sweep = std::fmod(sweep, 2 * M_PI);
    if (!(sweep > 1e-9)) {
        sweep += 2 * M_PI;  // the same ray twice is the whole ellipse
    }
    if (m_state.clockwise) {
        sweep = -sweep;
    }
    const int steps = std::max(4, static_cast<int>(CurveSteps((rx + ry) * M_PI) * std::fabs(sweep) / (2 * M_PI)));
    std::vector<ILCanvasPoint> points;
    for (int i = 0; i <= steps; ++i) {
        const double angle = start + sweep * i / steps;
        points.push_back({cx + rx * std::cos(angle), cy - ry * std::sin(angle)});
    }
    return points;
}

void ILMetafilePlayer::Arc(ArcKind kind, double left, double top, double right, double bottom, double startX,
                           double startY, double endX, double endY)
{
    std::vector<ILCanvasPoint> points = ArcPoints(left, top, right, bottom, startX, startY, endX, endY);
    if (points.empty()) {
        return;
    }
    switch (kind) {
    case ArcKind::arc: Polyline(points); break;
    case ArcKind::arcTo: PolylineTo(points); break;
    case ArcKind::chord: Polygons({points}); break;
    case ArcKind::pie:
        points.push_back({(left + right) / 2, (top + bottom) / 2});
        Polygons({points});
        break;
    }
}

void ILMetafilePlayer::AngleArc(double x, double y, double radius, double startDegrees, double sweepDegrees)
{
    if (!std::isfinite(startDegrees) || !std::isfinite(sweepDegrees) || !std::isfinite(radius)) {
        return;
    }
    const double start = startDegrees * M_PI / 180;
    const double sweep = std::clamp(sweepDegrees, -3600.0, 3600.0) * M_PI / 180;
    const int steps = std::max(
        4, static_cast<int>(CurveSteps(2 * M_PI * std::fabs(radius)) * std::min(10.0, std::fabs(sweep) / (2 * M_PI))));
    std::vector<ILCanvasPoint> points;
    for (int i = 0; i <= steps; ++i) {
        const double angle = start + sweep * i / steps;
        points.push_back({x + radius * std::cos(angle), y - radius * std::sin(angle)});
    }
    PolylineTo(points);
}

void ILMetafilePlayer::PolyBezier(const std::vector<ILCanvasPoint>& logical, bool fromCurrent)
{
    std::vector<ILCanvasPoint> points;
    std::size_t at = 0;
    if (fromCurrent) {
        points.push_back({m_state.x, m_state.y});
    } else if (!logical.empty()) {
        points.push_back(logical[0]);
        at = 1;
    }
    if (points.empty() || (logical.size() - at) / 3 * kBezierSteps > kMaxBezierPoints) {
        return;
    }
    for (; at + 3 <= logical.size(); at += 3) {
        AppendBezier(points, points.back(), &logical[at]);
    }
    if (fromCurrent) {
        points.erase(points.begin());
        PolylineTo(points);
    } else {
        Polyline(points);
    }
}

void ILMetafilePlayer::PolyDraw(const std::vector<ILCanvasPoint>& logical, const std::vector<std::uint8_t>& types)
{
    const std::size_t count = std::min(logical.size(), types.size());
    for (std::size_t i = 0; i < count; ++i) {
        const int type = types[i] & 0x06;
        if (type == 6) {
            MoveTo(logical[i].x, logical[i].y);
        } else if (type == 2) {
            LineTo(logical[i].x, logical[i].y);
        } else if (type == 4 && i + 3 <= count) {
            PolyBezier({logical[i], logical[i + 1], logical[i + 2]}, true);
            i += 2;
        }
        if ((types[i] & 0x01) != 0 && m_pathOpen) {
            CloseFigure();
        }
    }
}

void ILMetafilePlayer::BeginPath()
{
    m_path.clear();
    m_pathOpen = true;
    m_pathWidened = false;
}

void ILMetafilePlayer::AbortPath()
{
    m_path.clear();
    m_pathOpen = false;
}

void ILMetafilePlayer::CloseFigure()
{
    if (!m_path.empty()) {
        m_path.back().closed = true;
    }
}

void ILMetafilePlayer::FillPath(bool stroke, bool fill)
{
    m_pathOpen = false;
    std::vector<std::vector<ILCanvasPoint>> areas;
    for (const Figure& figure : m_path) {
        if (figure.points.size() > 1) {
            areas.push_back(figure.points);
        }
    }
    if (fill && !m_state.brush.IsNull()) {
        m_canvas.FillPolygons(areas, m_state.winding || m_pathWidened, BrushPaint(m_state.brush));
    }
    if (stroke && !m_state.pen.IsNull()) {
        for (const Figure& figure : m_path) {
            m_canvas.StrokePolyline(figure.points, figure.closed || fill, std::max(1.0, m_state.pen.width * LogicalScale()),
                                    m_state.pen.colour);
        }
    }
    m_path.clear();
}

void ILMetafilePlayer::SelectClipPath(ILCanvasRegion::Mode mode)
{
    m_pathOpen = false;
    std::vector<std::vector<ILCanvasPoint>> areas;
    for (const Figure& figure : m_path) {
        areas.push_back(figure.points);
    }
    const ILCanvasRegion area = ILCanvasRegion::FromPolygons(areas, m_state.winding || m_pathWidened,
                                                             m_canvas.GetWidth(), m_canvas.GetHeight(), RegionWork());
    if (!IsExhausted()) {
        CombineClip(&area, mode);
    }
    m_path.clear();
}

void ILMetafilePlayer::WidenPath()
{
    if (m_pathOpen) {
        return;  // only a closed path has an outline
    }
    std::vector<Figure> widened;
    for (const Figure& figure : m_path) {
        if (widened.size() >= kMaxPathFigures) {
            break;
        }
        auto pieces = ILMetafileCanvas::PenOutline(figure.points, figure.closed, PenWidth());
        // Every outline point is work, so that widening a path again and again ends.
        if (!m_canvas.Spend(OutlineWork(pieces))) {
            break;
        }
        for (auto& piece : pieces) {
            if (widened.size() < kMaxPathFigures) {
                widened.push_back({std::move(piece), true});
            }
        }
    }
    m_path = std::move(widened);
    m_pathWidened = true;
}

void ILMetafilePlayer::CombineClip(const ILCanvasRegion* region, ILCanvasRegion::Mode mode)
{
    if (region == nullptr) {
        if (mode == ILCanvasRegion::Mode::copy) {
            m_state.clip.reset();
            ApplyClip();
        }
        return;
    }
    ILCanvasRegion clip = m_state.clip ? *m_state.clip : WholeCanvas();
    if (CombineCharged(clip, *region, mode)) {
        m_state.clip = std::make_shared<const ILCanvasRegion>(std::move(clip));
        ApplyClip();
    }
}

ILCanvasRegion ILMetafilePlayer::LogicalRectangle(double left, double top, double right, double bottom) const
{
    const std::vector<ILCanvasPoint> corners = {ToCanvas(left, top), ToCanvas(right, top), ToCanvas(right, bottom),
                                                ToCanvas(left, bottom)};
    if (corners[0].y == corners[1].y && corners[0].x == corners[3].x) {
        return ILCanvasRegion::FromRectangle(corners[0].x, corners[0].y, corners[2].x, corners[2].y);
    }
    return ILCanvasRegion::FromPolygons({corners}, false, m_canvas.GetWidth(), m_canvas.GetHeight(), RegionWork());
}

void ILMetafilePlayer::IntersectClipRectangle(double left, double top, double right, double bottom)
{
    const ILCanvasRegion area = LogicalRectangle(left, top, right, bottom);
    CombineClip(&area, ILCanvasRegion::Mode::intersect);
}

void ILMetafilePlayer::ExcludeClipRectangle(double left, double top, double right, double bottom)
{
    const ILCanvasRegion area = LogicalRectangle(left, top, right, bottom);
    CombineClip(&area, ILCanvasRegion::Mode::difference);
}

void ILMetafilePlayer::OffsetClip(double x, double y)
{
    if (!m_state.clip) {
        return;
    }
    const ILCanvasPoint o = ToCanvas(0, 0);
    const ILCanvasPoint p = ToCanvas(x, y);
    const double dx = p.x - o.x;
    const double dy = p.y - o.y;
    if (!std::isfinite(dx) || !std::isfinite(dy)) {
        return;
    }
    // Moving the clip copies it, which costs its bands and spans.
    if (!ChargeRegions(*m_state.clip, ILCanvasRegion())) {
        return;
    }
    ILCanvasRegion moved = *m_state.clip;
    moved.Offset(static_cast<int>(std::lround(std::clamp(dx, -1e9, 1e9))),
                 static_cast<int>(std::lround(std::clamp(dy, -1e9, 1e9))));
    m_state.clip = std::make_shared<const ILCanvasRegion>(std::move(moved));
    ApplyClip();
}

ILCanvasRegion ILMetafilePlayer::DeviceRectangles(const std::vector<std::int32_t>& leftTopRightBottom) const
{
    std::vector<double> canvas;
    canvas.reserve(leftTopRightBottom.size());
    for (std::size_t i = 0; i < leftTopRightBottom.size(); ++i) {
        canvas.push_back(i % 2 == 0 ? leftTopRightBottom[i] * m_deviceScaleX + m_deviceOffsetX
                                    : leftTopRightBottom[i] * m_deviceScaleY + m_deviceOffsetY);
    }
    return ILCanvasRegion::FromRectangles(canvas, RegionWork());
}

void ILMetafilePlayer::FillRegion(const ILCanvasRegion& region, const Brush& brush)
{
    if (!brush.IsNull()) {
        m_canvas.FillRegion(region, BrushPaint(brush));
    }
}
