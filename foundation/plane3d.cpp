#include "foundation/plane3d.h"

#include <cmath>
#include <initializer_list>

#include "foundation/boundingbox3d.h"
#include "foundation/line3d.h"

namespace {

// The box's corner nearest the plane's negative side: per axis the minimum where the
// normal's component is not negative, the maximum where it is.
CPoint3d LowestCorner(const CPlane3d& plane, const CBoundingBox3d& box)
{
    return {plane.a >= 0.0 ? box.xmin : box.xmax, plane.b >= 0.0 ? box.ymin : box.ymax,
            plane.c >= 0.0 ? box.zmin : box.zmax};
}

}  // namespace

CPlane3d::CPlane3d(const CPoint3d& point, const CVector3d& normal)
{
    Set(point, normal);
}

CPlane3d::CPlane3d(const CPoint3d& p1, const CPoint3d& p2, const CPoint3d& p3)
{
    Set(p1, CUnitVector3d((p2 - p1).CrossProduct(p3 - p1)));
}

CPlane3d::CPlane3d(double aValue, double bValue, double cValue, double dValue)
{
    Set(aValue, bValue, cValue, dValue);
}

void CPlane3d::Set(double aValue, double bValue, double cValue, double dValue)
{
    const double squared = aValue * aValue + bValue * bValue + cValue * cValue;
    if (!(squared > kZeroLengthSquared)) {
        a = b = c = 0.0;
        d = dValue;
        return;
    }
    const double inverse = 1.0 / std::sqrt(squared);
    a = aValue * inverse;
    b = bValue * inverse;
    c = cValue * inverse;
    d = dValue * inverse;
}

void CPlane3d::Set(const CPoint3d& point, const CVector3d& normal)
{
    a = normal.x;
    b = normal.y;
    c = normal.z;
    d = -(a * point.x + b * point.y + c * point.z);
}

void CPlane3d::Reverse()
{
    a = -a;
    b = -b;
    c = -c;
    d = -d;
}

void CPlane3d::GetNormal(CUnitVector3d& normal) const
{
    normal.x = a;
    normal.y = b;
    normal.z = c;
}

CUnitVector3d CPlane3d::GetNormal() const
{
    CUnitVector3d normal;
    GetNormal(normal);
    return normal;
}

double CPlane3d::GetDistance(const CPoint3d& p) const
{
    return std::fabs(GetSignedDistance(p));
}

void CPlane3d::ProjectPoint(const CPoint3d& p, CPoint3d& result) const
{
    p.Offset(-GetSignedDistance(p), GetNormal(), result);
}

bool CPlane3d::IntersectLine(const CLine3d& line, double& t) const
{
    const CVector3d normal(a, b, c);
    const double slope = DotProduct(normal, line.direction);
    if (!(std::fabs(slope) >= kUnitTolerance)) {
        return false;
    }
    t = -(DotProduct(normal, CVector3d(line.origin)) + d) / slope;
    return true;
}

bool CPlane3d::IntersectLine(const CLine3d& line, CPoint3d& point) const
{
    double t = 0.0;
    if (!IntersectLine(line, t)) {
        return false;
    }
    line.GetPoint(t, point);
    return true;
}

int CPlane3d::ClassifyBox(const CBoundingBox3d& box) const
{
    // The farthest corner takes, per axis, the other side from the nearest.
    const CPoint3d lowest = LowestCorner(*this, box);
    const CPoint3d highest(a >= 0.0 ? box.xmax : box.xmin, b >= 0.0 ? box.ymax : box.ymin,
                           c >= 0.0 ? box.zmax : box.zmin);
    if (GetSignedDistance(lowest) > 0.0) {
        return kBoxAbovePlane;
    }
    if (GetSignedDistance(highest) < 0.0) {
        return kBoxBelowPlane;
    }
    return kBoxCrossesPlane;
}

bool CPlane3d::IsBoxPartlyBelow(const CBoundingBox3d& box) const
{
    if (box.IsEmpty()) {
        return false;
    }
    return GetSignedDistance(LowestCorner(*this, box)) < -kLengthTolerance;
}

bool CPlane3d::IsBoxWhollyBelow(const CBoundingBox3d& box) const
{
    // Axis-aligned section planes are common and need only one bound.
    if (AreEqualTol(c, 1.0)) {
        return box.zmax + d <= -kLengthTolerance;
    }
    if (AreEqualTol(c, -1.0)) {
        return box.zmin - d >= kLengthTolerance;
    }
    if (AreEqualTol(a, 1.0)) {
        return box.xmax + d <= -kLengthTolerance;
    }
    if (AreEqualTol(a, -1.0)) {
        return box.xmin - d >= kLengthTolerance;
    }
    if (AreEqualTol(b, 1.0)) {
        return box.ymax + d <= -kLengthTolerance;
    }
    if (AreEqualTol(b, -1.0)) {
        return box.ymin - d >= kLengthTolerance;
    }
    const double centreValue = GetSignedDistance(box.GetCentre());
    if (centreValue > 0.0) {
        return false;
    }
    if (box.GetDiagonalSquared() < centreValue * centreValue) {
        return true;
    }
    for (int mask = 0; mask < 8; ++mask) {
        if (GetSignedDistance(box.GetCorner(mask)) > 0.0) {
            return false;
        }
    }
    return true;
}

void CPlane3d::MakeCanonical()
{
    for (const double value : {d, c, b, a}) {
        if (value <= -kLengthTolerance) {
            Reverse();
            return;
        }
        if (value >= kLengthTolerance) {
            return;
        }
    }
}

void CPlane3d::GetPointNearestOrigin(CPoint3d& result) const
{
    if (d > -kLengthTolerance && d < kLengthTolerance) {
        result = CPoint3d(0.0, 0.0, 0.0);
        return;
    }
    result = CPoint3d(-d * a, -d * b, -d * c);
}

CPoint2d CPlane3d::ProjectTo2d(const CPoint3d& p) const
{
    CPlane3d canonical = *this;
    canonical.MakeCanonical();
    CPoint3d origin;
    canonical.GetPointNearestOrigin(origin);
    CUnitVector3d xAxis;
    CUnitVector3d yAxis;
    canonical.GetNormal().GetPerpendicularAxes(xAxis, yAxis);
    const CVector3d offset = p - origin;
    return {DotProduct(offset, xAxis), DotProduct(offset, yAxis)};
}

bool CPlane3d::IsEqual(const CPlane3d& other, bool oriented, double tol) const
{
    bool sameOrientation = true;
    if (!oriented) {
        if (std::fabs(d) <= kLengthTolerance) {
            sameOrientation = a * other.a + b * other.b + c * other.c >= 0.0;
        } else {
            sameOrientation = HaveSameSign(d, other.d);
        }
    }
    const double sign = sameOrientation ? 1.0 : -1.0;
    return AreEqualWithin(a, sign * other.a, tol) && AreEqualWithin(b, sign * other.b, tol) &&
           AreEqualWithin(c, sign * other.c, tol) && AreEqualWithin(d, sign * other.d, tol);
}

bool CPlane3d::Intersect(const CPlane3d& other, CLine3d& line) const
{
    const CVector3d normalA(a, b, c);
    const CVector3d normalB(other.a, other.b, other.c);
    const CUnitVector3d direction(normalA.CrossProduct(normalB));
    if (direction.x == 0.0 && direction.y == 0.0 && direction.z == 0.0) {
        return false;
    }
    // From this plane's point nearest the origin, along this plane towards the other.
    const CPoint3d start(-d * a, -d * b, -d * c);
    const CLine3d towardsOther(start, CUnitVector3d(normalA.CrossProduct(direction)));
    CPoint3d onBoth;
    if (!other.IntersectLine(towardsOther, onBoth)) {
        return false;
    }
    line = CLine3d(onBoth, direction);
    return true;
}

bool CPlane3d::SolvePlaneFromMoments(const Moments& s)
{
    const double mxx = s.xx - s.x * s.x / s.n;
    const double myy = s.yy - s.y * s.y / s.n;
    const double mzz = s.zz - s.z * s.z / s.n;
    const double mxy = s.xy - s.x * s.y / s.n;
    const double mxz = s.xz - s.x * s.z / s.n;
    const double myz = s.yz - s.y * s.z / s.n;
    const double dz = mxx * myy - mxy * mxy;
    const double dy = mxx * mzz - mxz * mxz;
    const double dx = myy * mzz - myz * myz;
    double na = 0.0;
    double nb = 0.0;
    double nc = 0.0;
    double chosen = 0.0;
    // One normal component is fixed at 1: the one whose system is best conditioned.
    if (std::fabs(dz) >= std::fabs(dy) && std::fabs(dz) >= std::fabs(dx)) {
        chosen = dz;
        nc = 1.0;
        na = (mxy * myz - myy * mxz) / dz;
        nb = (mxy * mxz - mxx * myz) / dz;
    } else if (std::fabs(dy) >= std::fabs(dx)) {
        chosen = dy;
        nb = 1.0;
        na = (mxz * myz - mzz * mxy) / dy;
        nc = (mxz * mxy - mxx * myz) / dy;
    } else {
        chosen = dx;
        na = 1.0;
        nb = (mxz * myz - mzz * mxy) / dx;
        nc = (mxy * myz - myy * mxz) / dx;
    }
    if (!(std::fabs(chosen) >= kDivisionTolerance)) {
        return false;
    }
    const double nd = -(na * s.x + nb * s.y + nc * s.z) / s.n;
    const double inverse = 1.0 / std::sqrt(na * na + nb * nb + nc * nc);
    a = na * inverse;
    b = nb * inverse;
    c = nc * inverse;
    d = nd * inverse;
    return true;
}

bool CPlane3d::FitToPoints(int n, const CPoint3d* points)
{
    if (n < 3 || points == nullptr) {
        return false;
    }
    CVector3d sum;
    for (int i = 0; i < n; ++i) {
        sum += CVector3d(points[i]);
    }
    const CPoint3d centroid(sum / static_cast<double>(n));
    Moments moments;
    for (int i = 0; i < n; ++i) {
        const CVector3d p = points[i] - centroid;
        moments.xx += p.x * p.x;
        moments.yy += p.y * p.y;
        moments.zz += p.z * p.z;
        moments.xy += p.x * p.y;
        moments.xz += p.x * p.z;
        moments.yz += p.y * p.z;
        moments.x += p.x;
        moments.y += p.y;
        moments.z += p.z;
        moments.n += 1.0;
    }
    CPlane3d fitted = *this;
    if (!fitted.SolvePlaneFromMoments(moments)) {
        return false;
    }
    fitted.d -= centroid.x * fitted.a + centroid.y * fitted.b + centroid.z * fitted.c;
    CVector3d areaNormal;
    GetPolygonAreaNormal(n, points, areaNormal);
    if (DotProduct(CVector3d(fitted.a, fitted.b, fitted.c), areaNormal) < 0.0) {
        fitted.Reverse();
    }
    *this = fitted;
    for (int i = 0; i < n; ++i) {
        if (!(GetDistance(points[i]) <= kLengthTolerance)) {
            return false;
        }
    }
    return true;
}

bool CPlane3d::IsValid() const
{
    return IsValidDouble(a) && IsValidDouble(b) && IsValidDouble(c) && IsValidDouble(d);
}

void GetPolygonAreaNormal(int n, const CPoint3d* points, CVector3d& normal)
{
    normal = CVector3d();
    for (int i = 1; i + 1 < n; ++i) {
        normal += (points[i] - points[0]).CrossProduct(points[i + 1] - points[0]);
    }
}
