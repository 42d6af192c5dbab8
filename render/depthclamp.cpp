#include "render/depthclamp.h"

#include <cmath>

#include "drawapi/modelview.h"
#include "foundation/line3d.h"
#include "foundation/plane3d.h"
#include "render/viewdefinition.h"

namespace {

constexpr double kFarClampFactor = 0.9999;
constexpr double kNearClampFactor = 1.0001;
constexpr double kMinCrossLength = 1e-6;

CPoint3d FarReference(const CViewDefinition& view)
{
    return view.GetEye() + view.GetViewDirection() * (kFarClampFactor * view.GetUsedFar());
}

CPoint3d NearReference(const CViewDefinition& view)
{
    return view.GetEye() + view.GetViewDirection() * (kNearClampFactor * view.GetUsedNear());
}

CPlane3d ClampPlane(const CViewDefinition& view, const CPoint3d& reference)
{
    return CPlane3d(reference, view.GetViewDirection());
}

CPoint3d ClampToPlane(const CViewDefinition& view, const CPoint3d& reference, const CPoint3d& point)
{
    const CPlane3d plane = ClampPlane(view, reference);
    CPoint3d result = reference;
    if (!view.IsPerspective()) {
        plane.ProjectPoint(point, result);
        return result;
    }
    const CLine3d ray(view.GetEye(), point);
    if (!ray.direction.IsValid() || !plane.IntersectLine(ray, result)) {
        return reference;
    }
    return result;
}

CPoint3d IntersectPlane(const CViewDefinition& view, const CPoint3d& reference, const CPoint3d& a,
                        const CPoint3d& b)
{
    const CLine3d line(a, b);
    CPoint3d result = reference;
    if (!line.direction.IsValid() || !ClampPlane(view, reference).IntersectLine(line, result)) {
        return reference;
    }
    return result;
}

double AlongView(const CViewDefinition& view, const CPoint3d& point)
{
    return DotProduct(point - view.GetEye(), view.GetViewDirection());
}

bool UsableCross(const CVector3d& n)
{
    return n.GetLengthSquared() > kZeroLengthSquared && n.GetLength() >= kMinCrossLength;
}

CVector3d UnitCross(const CVector3d& a, const CVector3d& b)
{
    CVector3d result = a.CrossProduct(b);
    result.Normalize();
    return result;
}

}  // namespace

bool IsBeyondFarClamp(const CViewDefinition& view, const CPoint3d& point)
{
    return ClampPlane(view, FarReference(view)).GetSignedDistance(point) > 0.0;
}

bool IsInsideNearClamp(const CViewDefinition& view, const CPoint3d& point)
{
    const double distance = ClampPlane(view, NearReference(view)).GetSignedDistance(point);
    return !(distance >= 0.0);
}

CPoint3d ClampToFarPlane(const CViewDefinition& view, const CPoint3d& point)
{
    return ClampToPlane(view, FarReference(view), point);
}

CPoint3d ClampToNearPlane(const CViewDefinition& view, const CPoint3d& point)
{
    return ClampToPlane(view, NearReference(view), point);
}

CPoint3d IntersectFarClamp(const CViewDefinition& view, const CPoint3d& a, const CPoint3d& b)
{
    return IntersectPlane(view, FarReference(view), a, b);
}

CPoint3d IntersectNearClamp(const CViewDefinition& view, const CPoint3d& a, const CPoint3d& b)
{
    return IntersectPlane(view, NearReference(view), a, b);
}

void DrawDepthClampedSegment(IModelView& view, const CPoint3d& p, const CPoint3d& q)
{
    if (p.IsEqualPerAxis(q)) {
        return;
    }
    const CViewDefinition& definition = view.GetViewDefinition();
    const bool pFarther = AlongView(definition, p) > AlongView(definition, q);
    const CPoint3d& farEnd = pFarther ? p : q;
    const CPoint3d& nearEnd = pFarther ? q : p;

    if (IsBeyondFarClamp(definition, farEnd)) {
        if (IsBeyondFarClamp(definition, nearEnd)) {
            view.DrawLine(ClampToFarPlane(definition, nearEnd), ClampToFarPlane(definition, farEnd));
            return;
        }
        const CPoint3d x = IntersectFarClamp(definition, nearEnd, farEnd);
        view.DrawLine(ClampToFarPlane(definition, farEnd), x);
        if (IsInsideNearClamp(definition, nearEnd)) {
            const CPoint3d y = IntersectNearClamp(definition, nearEnd, x);
            view.DrawLine(x, y);
            view.DrawLine(y, ClampToNearPlane(definition, nearEnd));
        } else {
            view.DrawLine(x, nearEnd);
        }
    } else if (IsInsideNearClamp(definition, farEnd)) {
        view.DrawLine(ClampToNearPlane(definition, nearEnd), ClampToNearPlane(definition, farEnd));
    } else if (IsInsideNearClamp(definition, nearEnd)) {
        const CPoint3d y = IntersectNearClamp(definition, nearEnd, farEnd);
        view.DrawLine(farEnd, y);
        view.DrawLine(y, ClampToNearPlane(definition, nearEnd));
    } else {
        view.DrawLine(farEnd, nearEnd);
    }
}

void ScaleVectorInPlace(CVector3d& vector, double factor)
{
    vector.x *= factor;
    vector.y *= factor;
    vector.z *= factor;
}

void ComputeCameraUp(const CPoint3d& eye, const CPoint3d& target, const CVector3d& hint, CVector3d& up)
{
    CVector3d d = target - eye;
    d.Normalize();
    CVector3d n = CVector3d(0.0, 0.0, 1.0).CrossProduct(d);
    if (UsableCross(n)) {
        up = UnitCross(d, n);
        if (DotProduct(hint, up) < 0.0) {
            up.Negate();
        }
        return;
    }
    n = hint.CrossProduct(d);
    if (UsableCross(n)) {
        up = UnitCross(d, n);
        return;
    }
    up = UnitCross(d, CVector3d(0.0, 1.0, 0.0).CrossProduct(d));
    if (DotProduct(hint, up) < 0.0) {
        up.Negate();
    }
}
