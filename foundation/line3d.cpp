#include "foundation/line3d.h"

#include <cmath>

#include "foundation/boundingbox3d.h"
#include "foundation/plane3d.h"
#include "foundation/transformation.h"

namespace {

double Coordinate(const CPoint3d& p, int axis)
{
    return axis == 0 ? p.x : (axis == 1 ? p.y : p.z);
}

double Component(const CUnitVector3d& u, int axis)
{
    return axis == 0 ? u.x : (axis == 1 ? u.y : u.z);
}

// Projection parameter of p on a->b; 0 for a segment shorter than 0.001.
double SegmentParameter(const CPoint3d& a, const CPoint3d& b, const CPoint3d& p)
{
    const CVector3d ab = b - a;
    const double lengthSquared = ab.GetLengthSquared();
    if (lengthSquared < kUnitTolerance) {
        return 0.0;
    }
    return DotProduct(p - a, ab) / lengthSquared;
}

}  // namespace

void CLine3d::GetPoint(double t, CPoint3d& point) const
{
    origin.Offset(t, direction, point);
}

CPoint3d CLine3d::GetPoint(double t) const
{
    CPoint3d point;
    GetPoint(t, point);
    return point;
}

double CLine3d::GetParameter(const CPoint3d& p) const
{
    return DotProduct(p - origin, direction);
}

void CLine3d::ProjectPoint(const CPoint3d& p, CPoint3d& result) const
{
    GetPoint(GetParameter(p), result);
}

bool CLine3d::Intersect(const CPlane3d& plane, double& t) const
{
    return plane.IntersectLine(*this, t);
}

bool CLine3d::Intersect(const CPlane3d& plane, CPoint3d& point) const
{
    return plane.IntersectLine(*this, point);
}

void CLine3d::Transform(const CTransformation& transformation)
{
    transformation.TransformPoint(origin);
    direction = CUnitVector3d(transformation * CVector3d(direction));
}

bool CLine3d::GetClosestPoints(const CLine3d& other, CPoint3d& q1, CPoint3d& q2) const
{
    return ::GetClosestPoints(origin, direction, other.origin, other.direction, q1, q2);
}

bool CLine3d::IntersectLine(const CLine3d& other, CPoint3d& point) const
{
    CPoint3d q1;
    CPoint3d q2;
    const bool crossing = GetClosestPoints(other, q1, q2);
    point = CPoint3d((q1.x + q2.x) * 0.5, (q1.y + q2.y) * 0.5, (q1.z + q2.z) * 0.5);
    return crossing && q1 == q2;
}

bool CLine3d::IntersectSegment(const CPoint3d& a, const CPoint3d& b, double& t) const
{
    const CVector3d ab = b - a;
    if (ab.GetLengthSquared() < kUnitTolerance) {
        // A segment this short counts as its midpoint.
        const CPoint3d midpoint = a + ab * 0.5;
        t = GetParameter(midpoint);
        return GetPoint(t) == midpoint;
    }
    const CVector3d abCrossDirection = ab.CrossProduct(direction);
    const double crossSquared = abCrossDirection.GetLengthSquared();
    if (crossSquared < kDivisionTolerance) {
        t = GetParameter(a);
        return GetPoint(t) == a;
    }
    const double s = DotProduct((origin - a).CrossProduct(direction), abCrossDirection) / crossSquared;
    const CPoint3d q = a + ab * s;
    if ((s < 0.0 || s > 1.0) && q != a && q != b) {
        return false;
    }
    t = GetParameter(q);
    // The segment may pass the line at a distance; only a meeting within the
    // tolerance counts.
    return GetPoint(t) == q;
}

bool CLine3d::IntersectBox(const CBoundingBox3d& box, CPoint3d& point, int& face) const
{
    if (box.xmax < box.xmin) {
        return false;
    }
    const double minimum[3] = {box.xmin, box.ymin, box.zmin};
    const double maximum[3] = {box.xmax, box.ymax, box.zmax};
    double candidate[3] = {0.0, 0.0, 0.0};
    int candidateFace[3] = {0, 0, 0};
    bool inside = true;
    for (int axis = 0; axis < 3; ++axis) {
        const double v = Coordinate(origin, axis);
        if (v < minimum[axis]) {
            candidate[axis] = minimum[axis];
            candidateFace[axis] = 2 * axis + 1;
            inside = false;
        } else if (v > maximum[axis]) {
            candidate[axis] = maximum[axis];
            candidateFace[axis] = 2 * axis + 2;
            inside = false;
        }
    }
    if (inside) {
        point = origin;
        face = 0;
        return true;
    }
    int chosen = 0;
    double largest = -1.0;
    for (int axis = 0; axis < 3; ++axis) {
        double t = -1.0;
        if (candidateFace[axis] != 0 && Component(direction, axis) != 0.0) {
            t = (candidate[axis] - Coordinate(origin, axis)) / Component(direction, axis);
        }
        if (axis == 0 || t > largest) {
            largest = t;
            chosen = axis;
        }
    }
    if (largest < 0.0) {
        return false;
    }
    double hit[3] = {0.0, 0.0, 0.0};
    for (int axis = 0; axis < 3; ++axis) {
        if (axis == chosen) {
            hit[axis] = candidate[axis];
            continue;
        }
        hit[axis] = Coordinate(origin, axis) + largest * Component(direction, axis);
        if (hit[axis] < minimum[axis] || hit[axis] > maximum[axis]) {
            return false;
        }
    }
    point = CPoint3d(hit[0], hit[1], hit[2]);
    face = candidateFace[chosen];
    return true;
}

bool CLine3d::IsValid() const
{
    return origin.IsValid() && direction.IsValid();
}

bool GetClosestLineParameters(const CPoint3d& p1, const CUnitVector3d& d1, const CPoint3d& p2,
                              const CUnitVector3d& d2, double& t1, double& t2)
{
    const CVector3d w = p1 - p2;
    const double c = DotProduct(d1, d2);
    const double denominator = 1.0 - c * c;
    if (denominator >= kDivisionTolerance) {
        const double a = DotProduct(w, d1);
        const double b = DotProduct(w, d2);
        t1 = (b * c - a) / denominator;
        t2 = (b - a * c) / denominator;
        return true;
    }
    t1 = 0.0;
    t2 = DotProduct(w, d2);
    return false;
}

bool GetClosestPoints(const CPoint3d& p1, const CUnitVector3d& d1, const CPoint3d& p2, const CUnitVector3d& d2,
                      CPoint3d& q1, CPoint3d& q2)
{
    double t1 = 0.0;
    double t2 = 0.0;
    const bool result = GetClosestLineParameters(p1, d1, p2, d2, t1, t2);
    p1.Offset(t1, d1, q1);
    p2.Offset(t2, d2, q2);
    return result;
}

int IntersectLineSegment(const CPoint3d& p, const CPoint3d& a, const CPoint3d& b, const CUnitVector3d& d,
                         CPoint3d& q)
{
    const CVector3d u = a - p;
    const CVector3d w = b - p;
    const double uDotD = DotProduct(u, d);
    const double denominator = u.GetLengthSquared() - uDotD * uDotD;
    if (denominator < kDivisionTolerance) {
        q = b.GetNearerPoint(a, p);
        return kSegmentParallel;
    }
    const double s = (DotProduct(w, u) - DotProduct(w, d) * uDotD) / denominator;
    if (s < 0.0) {
        q = p;
        return kSegmentNearestAtStart;
    }
    if (s > 1.0) {
        q = a;
        return kSegmentNearestAtEnd;
    }
    q = CPoint3d((1.0 - s) * p.x + s * a.x, (1.0 - s) * p.y + s * a.y, (1.0 - s) * p.z + s * a.z);
    return kSegmentNearestInside;
}

bool IsPointNearLine(const CPoint3d& a, const CPoint3d& b, const CPoint3d& p, double tol)
{
    const CVector3d ab = b - a;
    const double length = ab.GetLength();
    if (length < tol) {
        return true;
    }
    const CVector3d offset = p - a;
    const double distanceSquared = ab.CrossProduct(offset).GetLengthSquared() / (length * length);
    return distanceSquared < tol * tol;
}

bool IsPointOnSegment(const CPoint3d& a, const CPoint3d& b, const CPoint3d& p, double tol)
{
    const double t = SegmentParameter(a, b, p);
    if (t < 0.0) {
        return p.IsEqual(a, tol);
    }
    if (t > 1.0) {
        return p.IsEqual(b, tol);
    }
    const CPoint3d nearest((1.0 - t) * a.x + t * b.x, (1.0 - t) * a.y + t * b.y, (1.0 - t) * a.z + t * b.z);
    return p.IsEqual(nearest, tol);
}

