#include "tools/cameramotions.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "foundation/plane3d.h"
#include "render/depthclamp.h"
#include "render/viewdefinition.h"

namespace {

constexpr double kMinimumFieldOfView = 1.0;
constexpr double kMaximumFieldOfView = 120.0;
constexpr double kDegenerate = 1e-6;

double Radians(double degrees)
{
    return degrees * std::numbers::pi / 180.0;
}

// Turns eye, target and up about the axis, then sets the up vector upright again.
void RotateKeepingUpright(CViewDefinition& view, const CPoint3d& axisPoint, const CVector3d& axis, double angle)
{
    const CVector3d previousUp = view.GetYAxis();
    view.RotateCamera(axisPoint, axis, angle);
    CVector3d up;
    ComputeCameraUp(view.GetEye(), view.GetTarget(), previousUp, up);
    view.SetEyeTarget(view.GetEye(), view.GetTarget(), up);
}

void MoveCamera(CViewDefinition& view, const CVector3d& offset)
{
    view.SetEyeTarget(view.GetEye() + offset, view.GetTarget() + offset, view.GetCamera().GetUp());
}

// The point on a sphere about the pivot that the position maps to.
CVector3d TrackballDirection(const CViewDefinition& view, const CPoint3d& pivot, double radius,
                             const CPoint2d& position)
{
    const CPoint3d offset = view.PixelToPoint(position);
    const double planar = offset.x * offset.x + offset.y * offset.y;
    const double height = planar < radius * radius ? std::sqrt(radius * radius - planar) : 0.0;
    const CPoint3d point = pivot + view.GetXAxis() * offset.x + view.GetYAxis() * offset.y + view.GetZAxis() * height;
    CVector3d direction = point - pivot;
    direction.Normalize();
    return direction;
}

}  // namespace

bool OrbitCamera(CViewDefinition& view, const CPoint3d& pivot, const CPoint2d& last, const CPoint2d& current)
{
    const int height = view.GetViewportHeight();
    if (height <= 0)
        return false;
    double dx = current.x - last.x;
    const double dy = last.y - current.y;
    dx *= view.GetZAxis().CrossProduct(CVector3d(0.0, 0.0, 1.0)).GetLength();
    CVector3d axis = view.GetXAxis() * dy - view.GetYAxis() * dx;
    if (!axis.Normalize())
        return false;
    const double angle = std::sqrt(dx * dx + dy * dy) / height * std::numbers::pi / 2.0;
    RotateKeepingUpright(view, pivot, axis, angle);
    return true;
}

bool TrackballCamera(CViewDefinition& view, const CPoint3d& pivot, double radius, const CPoint2d& last,
                     const CPoint2d& current)
{
    const CVector3d from = TrackballDirection(view, pivot, radius, last);
    const CVector3d to = TrackballDirection(view, pivot, radius, current);
    CVector3d axis = from.CrossProduct(to);
    const double sine = axis.GetLength();
    if (sine < kDegenerate)
        return false;
    axis.Normalize();
    view.RotateCamera(pivot, axis, -std::asin(std::min(sine, 1.0)));
    return true;
}

bool PanCamera(CViewDefinition& view, const CPoint3d& reference, const CPoint2d& last, const CPoint2d& current)
{
    if (last == current)
        return false;
    const CPlane3d plane(reference, view.GetZAxis());
    CPoint3d from;
    CPoint3d to;
    if (!view.ScreenToModelLine(last).Intersect(plane, from) || !view.ScreenToModelLine(current).Intersect(plane, to))
        return false;
    MoveCamera(view, from - to);
    return true;
}

bool LookAroundCamera(CViewDefinition& view, const CPoint2d& last, const CPoint2d& current)
{
    const int height = view.GetViewportHeight();
    const double dx = current.x - last.x;
    const double dy = current.y - last.y;
    if ((dx == 0.0 && dy == 0.0) || height <= 0)
        return false;
    CVector3d axis = view.GetXAxis() * -dy - view.GetYAxis() * dx;
    if (!axis.Normalize())
        return false;
    const double angle = std::sqrt(dx * dx + dy * dy) / height * std::numbers::pi / 4.0;
    RotateKeepingUpright(view, view.GetEye(), axis, angle);
    return true;
}

bool ChangeFieldOfViewKeepingFraming(CViewDefinition& view, const CPoint3d& reference, double degrees)
{
    if (!view.IsPerspective())
        return false;
    const double wanted = std::clamp(degrees, kMinimumFieldOfView, kMaximumFieldOfView);
    const double old = view.GetCamera().GetFieldOfView();
    if (std::abs(wanted - old) < 0.001)
        return false;
    view.SetFieldOfView(wanted);
    const double distance = (reference - view.GetEye()).GetLength();
    const double step = distance - distance * std::tan(Radians(old) / 2.0) / std::tan(Radians(wanted) / 2.0);
    MoveCamera(view, view.GetViewDirection() * step);
    return true;
}

double ComputeOrbitRadius(const CViewDefinition& view, const CPoint3d& pivot)
{
    double radius = 0.5 * (view.IsPerspective()
                               ? (pivot - view.GetEye()).GetLength() * 2.0 * std::tan(Radians(view.GetFieldOfView()) / 2.0)
                               : view.GetViewHeight());
    const int width = view.GetViewportWidth();
    const int height = view.GetViewportHeight();
    if (width > height && std::abs(height) > 0.001)
        radius *= static_cast<double>(width) / height;
    return radius;
}
