// How a face answers the picks and the walks other than its drawing: the selection
// test, the extents a view sees and the pick drawing with its edges.

#include <algorithm>
#include <vector>

#include "annotations/sectionclipstack.h"
#include "drawapi/pickhelper.h"
#include "drawapi/tarnisview.h"
#include "model/edge.h"
#include "model/edgeuse.h"
#include "model/face.h"
#include "model/facegl.h"
#include "model/faceprojection2d.h"
#include "model/loop.h"

namespace {

// Inside, on an edge or on a vertex of the face's projection.
constexpr int kInsideOrOnBoundary = 0x7;

}  // namespace

bool CFace::IsSelectedBy(IPickHelper* selector, const CInstancePath* /*path*/) const
{
    ITarnisView* view = selector != nullptr ? selector->GetPickView() : nullptr;
    const CLoop* outer = GetOuterLoop();
    if (view == nullptr || outer == nullptr) {
        return false;
    }
    const int mode = selector->GetMode();
    if (mode == IPickHelper::kModePoint) {
        CPoint3d hit;
        if (!m_plane.IntersectLine(selector->GetLocalPickLine(), hit)) {
            return false;
        }
        const CFaceProjection2d projection(this);
        return (projection.ClassifyPoint(hit) & kInsideOrOnBoundary) != 0;
    }
    if (mode != IPickHelper::kModeWindow && mode != IPickHelper::kModeCrossing) {
        return false;
    }
    // The holes lie inside the outer loop: its points decide.
    std::vector<CPoint3d> points;
    outer->GetPoints(points, nullptr);
    const CSectionClipStack& sections = view->GetSectionFilters();
    if (!sections.IsEmpty() && (sections.GetCoincidentPlanes(m_plane) != 0 || !sections.ClipPolyline(points))) {
        return false;
    }
    return !points.empty() &&
           std::all_of(points.begin(), points.end(), [selector](const CPoint3d& p) { return selector->TestPoint(p); });
}

void CFace::AccumulateExtentsVariant(ITarnisView* view, CBoundingBox3d& box) const
{
    const CLoop* outer = GetOuterLoop();
    if (view == nullptr || outer == nullptr) {
        return;
    }
    std::vector<CPoint3d> points;
    outer->GetPoints(points, nullptr);
    for (const CPoint3d& point : points) {
        CPoint3d projected;
        if (view->ModelToScreen(point, projected)) {
            box.Add(projected);
        }
    }
}

void CFace::DrawIfShown(ITarnisView* view)
{
    DrawEdgesIfShown(view);
    IFaceGL* gl = GetFaceGL();
    if (gl == nullptr || GetLoopCount() == 0 || view->DrawsEdgesAlone() || !IsShown(view)) {
        return;
    }
    const CSectionClipStack& sections = view->GetSectionFilters();
    if (!sections.IsEmpty() && sections.GetCoincidentPlanes(GetPlane()) != 0) {
        return;
    }
    gl->Flush(view);
    view->BeginElement(this);
    gl->AddFace(view, *this, view->GetColor(), false);
    gl->Flush(view);
    view->EndElement();
}

void CFace::DrawEdgesIfShown(ITarnisView* view)
{
    for (int i = 0; i < GetLoopCount(); ++i) {
        const CLoop* loop = GetLoop(i);
        const CEdgeUse* first = loop != nullptr ? loop->GetFirstEdgeUse() : nullptr;
        for (const CEdgeUse* use = first; use != nullptr;) {
            // An edge between faces is drawn by the first of them only.
            CEdge* edge = use->GetEdge();
            if (edge != nullptr && edge->IsFirstUseOnFace(this)) {
                edge->DrawIfShown(view);
            }
            use = use->GetNext();
            if (use == first) {
                break;
            }
        }
    }
}
