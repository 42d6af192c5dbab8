// Where a text lies as a view places it: the layout's point and codes, the box of the
// leader and label, its extents on the screen, and the model point of a screen text's
// pixel.

#include <vector>

#include "annotations/dimensiondrawing.h"
#include "annotations/text.h"
#include "drawapi/gltextimagecache.h"
#include "drawapi/tarnisview.h"
#include "foundation/line3d.h"
#include "foundation/point2d.h"

namespace {

// Placement codes of the label beside its shoulder, and the box codes of the view's
// text drawing that go with them.
constexpr int kLabelLeft = 10;
constexpr int kBoxLeftOfPoint = 5;
constexpr int kBoxRightOfPoint = 3;

// The corners of the label, at the size its cache last rendered it, placed by the box
// code at the point facing the screen, carried back into the model at the point's
// depth. None before the label is rendered.
void AddLabelCorners(ITarnisView* view, const CPoint3d& point, const IGLTextImageCache* label, int code,
                     std::vector<CPoint3d>& points)
{
    CPoint3d screen;
    if (label == nullptr || label->GetWidth() <= 0 || label->GetHeight() <= 0 || !view->ModelToScreen(point, screen)) {
        return;
    }
    for (const CPoint3d& pixel : GetLabelScreenCorners(screen, label->GetWidth(), label->GetHeight(), code)) {
        CPoint3d corner;
        if (view->ScreenToModel(pixel, corner)) {
            points.push_back(corner);
        }
    }
}

// The point of the line of sight through the pixel at the depth in front of the eye,
// in the current local coordinates.
CPoint3d PointAtDepth(ITarnisView* view, const CPoint2d& pixel, double depth)
{
    const CCameraState camera = view->GetCameraState();
    const CLine3d ray = view->GetPickRay(pixel);
    const CVector3d along(ray.direction.x, ray.direction.y, ray.direction.z);
    const double slope = DotProduct(along, camera.viewDirection);
    const double t = slope != 0.0 ? (depth - DotProduct(ray.origin - camera.eyePoint, camera.viewDirection)) / slope
                                  : 0.0;
    return view->GetInverseTransform() * ray.GetPoint(t);
}

}  // namespace

CPoint3d CText::ComputeLayoutBox(ITarnisView* view, int& placement, int& alignment)
{
    const Layout layout = LayoutText(view);
    placement = layout.placement;
    alignment = layout.alignment;
    return layout.points[3];
}

std::vector<CPoint3d> CText::GetViewPoints(ITarnisView* view) const
{
    std::vector<CPoint3d> points;
    if (view == nullptr || !IsAttached()) {
        return points;
    }
    // The layout only refreshes the anchor's position.
    const Layout layout = const_cast<CText*>(this)->LayoutText(view);
    points.push_back(layout.points[3]);
    AddLabelCorners(view, layout.points[3], m_textImage.get(),
                    layout.placement == kLabelLeft ? kBoxLeftOfPoint : kBoxRightOfPoint, points);
    points.push_back(layout.points[0]);
    points.push_back(layout.points[1]);
    return points;
}

CBoundingBox3d CText::GetBoundingBox(ITarnisView* view) const
{
    CBoundingBox3d box;
    for (const CPoint3d& point : GetViewPoints(view)) {
        box.Add(point);
    }
    return box;
}

void CText::AccumulateExtentsVariant(ITarnisView* view, CBoundingBox3d& box) const
{
    for (const CPoint3d& point : GetViewPoints(view)) {
        CPoint3d projected;
        if (view->ModelToScreen(point, projected)) {
            box.Add(projected);
        }
    }
}

CPoint3d CText::ScreenToModelPoint(ITarnisView* view, double x, double y)
{
    const CCameraState camera = view->GetCameraState();
    const CPoint2d pixel(x, y);
    // With the model reaching the near plane a label can only stand on it.
    if (camera.nearDistance >= camera.modelNearDistance - 0.001) {
        return PointAtDepth(view, pixel, camera.nearDistance);
    }
    double depth = 1.0;
    CPoint3d surface;
    if (view->ReadWindowDepth(static_cast<int>(x), static_cast<int>(y), depth) && depth < 1.0 &&
        view->ScreenToModel(CPoint3d(x, y, depth), surface)) {
        return surface;
    }
    return PointAtDepth(view, pixel, camera.modelNearDistance);
}
