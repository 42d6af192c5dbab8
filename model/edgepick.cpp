// How an edge answers the picks and the walks other than its drawing: the window
// selection test, the ray and line tests, the extents a view sees, the pick drawing
// and its geometry for an exporter.

#include <vector>

#include "annotations/sectionclipstack.h"
#include "document/renderingoptions.h"
#include "drawapi/glenums.h"
#include "drawapi/pickhelper.h"
#include "drawapi/tarnisview.h"
#include "foundation/boundedline3d.h"
#include "foundation/line3d.h"
#include "model/arccurve.h"
#include "model/edge.h"
#include "model/exportsink.h"
#include "model/vertex.h"

namespace {

// Answers of CEdge::IntersectLine.
constexpr int kEdgeMeetsLine = 1;
constexpr int kEdgeMissesLine = 4;

}  // namespace

bool CEdge::IsHiddenSoftEdge(ITarnisView* view, const CPoint3d& p1, const CPoint3d& p2) const
{
    const CRenderingOptions* options = view != nullptr ? view->GetRenderingOptions() : nullptr;
    if (options == nullptr || !IsSoft() || !options->IsHideSoftEdges() || IsSelected() ||
        options->IsShowHiddenGeometry()) {
        return false;
    }
    return !IsProfile(p1, p2, GetSightLine(view, p1, p2));
}

bool CEdge::IsSelectedBy(IPickHelper* selector, const CInstancePath* /*path*/) const
{
    ITarnisView* view = selector != nullptr ? selector->GetPickView() : nullptr;
    if (view == nullptr || m_start == nullptr || m_end == nullptr) {
        return false;
    }
    CPoint3d p1 = m_start->GetPosition();
    CPoint3d p2 = m_end->GetPosition();
    // A soft edge that is not drawn is taken only by a window that holds it whole.
    if (selector->GetMode() != IPickHelper::kModeWindow && IsHiddenSoftEdge(view, p1, p2)) {
        return false;
    }
    return view->GetSectionFilters().ClipSegment(p1, p2) && selector->TestSegment(p1, p2);
}

int CEdge::IntersectLine(const CLine3d& line, CPoint3d& point) const
{
    if (m_start == nullptr || m_end == nullptr) {
        return 0;
    }
    (void)IntersectLineSegment(m_start->GetPosition(), m_end->GetPosition(), line.origin, line.direction, point);
    return point.IsOnLine(line) ? kEdgeMeetsLine : kEdgeMissesLine;
}

bool CEdge::IntersectPickRay(const CBoundedLine3d& ray, double /*pixelScale*/, CPoint3d& hitPoint,
                             double& hitParameter, CInstancePath* /*hitPath*/, bool skipHidden) const
{
    if ((skipHidden && IsHiddenFlagSet()) || m_start == nullptr || m_end == nullptr) {
        return false;
    }
    CPoint3d nearest;
    (void)IntersectLineSegment(m_start->GetPosition(), m_end->GetPosition(), ray.line.origin, ray.line.direction,
                               nearest);
    if (!nearest.IsOnLine(ray.line)) {
        return false;
    }
    const double t = ray.line.GetParameter(nearest);
    if (t < -kLengthTolerance || (ray.IsEndBounded() && t > ray.end + kLengthTolerance)) {
        return false;
    }
    hitPoint = nearest;
    hitParameter = t;
    return true;
}

void CEdge::AccumulateExtentsVariant(ITarnisView* view, CBoundingBox3d& box) const
{
    if (view == nullptr) {
        return;
    }
    for (const CVertex* vertex : {m_start, m_end}) {
        CPoint3d projected;
        if (vertex != nullptr && view->ModelToScreen(vertex->GetPosition(), projected)) {
            box.Add(projected);
        }
    }
}

void CEdge::DrawIfShown(ITarnisView* view)
{
    if (!IsShown(view)) {
        return;
    }
    const CPoint3d p1 = m_start->GetPosition();
    const CPoint3d p2 = m_end->GetPosition();
    if (!view->IsDrawingEverything() && IsHiddenSoftEdge(view, p1, p2)) {
        return;
    }
    // An edge lying in a section plane stays whole in this drawing.
    const CSectionClipStack& sections = view->GetSectionFilters();
    const unsigned planes = sections.IsEmpty() ? 0u : sections.GetPlanesThroughSegment(p1, p2);
    sections.DisableClipPlanes(planes);
    view->BeginElement(this);
    view->BeginPrimitive(glenum::kLines);
    view->VertexV(p1);
    view->VertexV(p2);
    view->EndPrimitive();
    view->EndElement();
    sections.EnableClipPlanes(planes);
}

bool CEdge::ExportTessellation(IExportSink* sink)
{
    if (sink == nullptr || !sink->AcceptsEdges() || m_start == nullptr || m_end == nullptr) {
        return true;
    }
    const CColor color = GetOwnColor(nullptr);
    CArcCurve* arc = GetArcCurve();
    if (arc == nullptr) {
        sink->AddSegment(m_start->GetPosition(), m_end->GetPosition(), color, GetEffectiveLayer());
        return true;
    }
    // The arc goes out once, as its chain of points, from its first edge.
    if (arc->GetFirstEdge() != this) {
        return true;
    }
    std::vector<CVertex*> vertices;
    arc->GetVertices(vertices);
    std::vector<CPoint3d> points;
    points.reserve(vertices.size());
    for (const CVertex* vertex : vertices) {
        points.push_back(vertex->GetPosition());
    }
    sink->AddPolyline(std::move(points), color, GetEffectiveLayer());
    return true;
}
