#include "foundation/arc3d.h"

#include <cmath>

#include "foundation/geometryarchive.h"
#include "foundation/line3d.h"
#include "foundation/transformation.h"
#include "foundation/unitvector3d.h"
#include "platform/archive.h"

namespace {

// The radius of the circle that stands in for an arc through points on one line:
// large enough to look straight, small enough to keep angles representable.
constexpr double kFarRadius = 1e9;
// Beyond this the wrapping loops below would take too long; fmod brings such an
// angle close first.
constexpr double kLargeAngle = 1024.0 * kTwoPi;

double BringIntoRange(double angle)
{
    if (!IsValidDouble(angle)) {
        return angle;
    }
    if (std::fabs(angle) > kLargeAngle) {
        angle = std::fmod(angle, kTwoPi);
    }
    while (angle < -kUnitTolerance) {
        angle += kTwoPi;
    }
    while (angle > kTwoPi + kUnitTolerance) {
        angle -= kTwoPi;
    }
    return angle;
}

CPoint3d Midpoint(const CPoint3d& a, const CPoint3d& b)
{
    return {(a.x + b.x) * 0.5, (a.y + b.y) * 0.5, (a.z + b.z) * 0.5};
}

bool IsZero(const CUnitVector3d& u)
{
    return u.x == 0.0 && u.y == 0.0 && u.z == 0.0;
}

// The coordinates (u, v) of offset = u*xAxis + v*yAxis + w*normal, by Cramer's rule.
// False when the three axes do not span space.
bool SolveInFrame(const CVector3d& xAxis, const CVector3d& yAxis, const CVector3d& normal,
                  const CVector3d& offset, double& u, double& v)
{
    const double determinant = DotProduct(xAxis.CrossProduct(yAxis), normal);
    if (determinant == 0.0) {
        return false;
    }
    u = DotProduct(offset.CrossProduct(yAxis), normal) / determinant;
    v = DotProduct(xAxis.CrossProduct(offset), normal) / determinant;
    return true;
}

}  // namespace

CArc3d::CArc3d(const CPoint3d& p1, const CPoint3d& p2, const CPoint3d& p3)
{
    SetCircleThroughPoints(p1, p2, p3);
    startAngle = 0.0;
    endAngle = GetAngleOfPoint(p3);
    if (GetAngleOfPoint(p2) > endAngle) {
        // p2 lies beyond p3 this way round: run the other way about the reversed normal.
        plane.Reverse();
        Update(true);
        endAngle = kTwoPi - endAngle;
    }
}

CArc3d CArc3d::FullCircle()
{
    CArc3d arc;
    arc.startAngle = 0.0;
    arc.endAngle = kTwoPi;
    return arc;
}

void CArc3d::SetNormal(const CVector3d& normal)
{
    plane.a = normal.x;
    plane.b = normal.y;
    plane.c = normal.z;
}

void CArc3d::Update(bool withYAxis)
{
    radius = xAxis.GetLength();
    const CVector3d normal = GetNormalVector();
    plane.Set(centre, normal);
    if (withYAxis) {
        yAxis = normal.CrossProduct(xAxis);
    }
}

void CArc3d::GetPointAtAngle(double angle, CPoint3d& point) const
{
    const double a = BringIntoRange(angle);
    CVector3d offset;
    offset.SetLinearCombination(std::cos(a), xAxis, std::sin(a), yAxis);
    point = centre + offset;
}

void CArc3d::GetStartPoint(CPoint3d& point) const
{
    GetPointAtAngle(startAngle, point);
}

void CArc3d::GetEndPoint(CPoint3d& point) const
{
    GetPointAtAngle(endAngle, point);
}

double CArc3d::GetAngleOfPoint(const CPoint3d& point) const
{
    const CVector3d normal = GetNormalVector();
    double angle = 0.0;
    double u = 0.0;
    double v = 0.0;
    const double skew = DotProduct(xAxis.CrossProduct(yAxis), normal);
    if (!HasValidAxes() && !IsWithin(skew, kUnitTolerance) &&
        SolveInFrame(xAxis, yAxis, normal, point - centre, u, v)) {
        // In the arc's own (possibly skewed) frame the point's parameter is its angle.
        angle = std::atan2(v, u);
    } else {
        CPoint3d projected;
        plane.ProjectPoint(point, projected);
        const CVector3d towards(CUnitVector3d(centre, projected));
        angle = std::atan2(DotProduct(xAxis.CrossProduct(towards), normal), DotProduct(towards, xAxis));
    }
    if (!IsValidDouble(angle)) {
        return 0.0;
    }
    return BringIntoRange(angle);
}

bool CArc3d::IsEqual(const CArc3d& other) const
{
    return CVector3d(centre).IsEqual(CVector3d(other.centre)) && plane.IsEqual(other.plane, false) &&
           AreEqualTol(radius, other.radius);
}

bool CArc3d::HasValidAxes() const
{
    if (!AreEqualTol(xAxis.GetLength(), yAxis.GetLength())) {
        return false;
    }
    const CUnitVector3d unitX(xAxis);
    const CUnitVector3d unitY(yAxis);
    if (!IsWithin(DotProduct(unitX, unitY), kLengthTolerance)) {
        return false;
    }
    const CUnitVector3d spanned(CVector3d(unitX).CrossProduct(unitY));
    return spanned.IsParallelTo(plane.GetNormal());
}

bool CArc3d::IsClosed(bool geometric) const
{
    if (startAngle == 0.0 && endAngle == 0.0) {
        return true;
    }
    return geometric && AreEqualTol(kTwoPi - std::fabs(endAngle - startAngle), 0.0);
}

bool CArc3d::IsValid() const
{
    return centre.IsValid() && xAxis.IsValid() && plane.IsValid() && IsValidDouble(radius) && yAxis.IsValid() &&
           IsValidDouble(startAngle) && IsValidDouble(endAngle);
}

void CArc3d::Transform(const CTransformation& transformation)
{
    transformation.TransformPoint(centre);
    transformation.TransformPlane(plane);
    transformation.TransformVector(xAxis);
    transformation.TransformVector(yAxis);
    if (DotProduct(xAxis.CrossProduct(yAxis), GetNormalVector()) < 0.0) {
        plane.Reverse();
    }
    Update(false);
}

void CArc3d::Serialize(CArchive& ar, bool withYAxis)
{
    if (ar.IsStoring()) {
        const CVector3d normal = GetNormalVector();
        ar << centre.x << centre.y << centre.z;
        ar << normal.x << normal.y << normal.z;
        ar << xAxis.x << xAxis.y << xAxis.z;
        ar << startAngle << endAngle;
        ar << yAxis.x << yAxis.y << yAxis.z;
        return;
    }
    CVector3d normal;
    ar >> centre >> normal >> xAxis >> Finite(startAngle) >> Finite(endAngle);
    plane.Set(centre, normal);
    if (withYAxis) {
        ar >> yAxis;
    }
    Update(!withYAxis);
}

void CArc3d::SetCircleThroughPoints(const CPoint3d& p1, const CPoint3d& p2, const CPoint3d& p3)
{
    *this = CArc3d();
    const CVector3d v = p2 - p1;
    const CVector3d w = p3 - p1;
    if (v.GetLength() < kDivisionTolerance || w.GetLength() < kDivisionTolerance ||
        IsZero(CUnitVector3d(v.CrossProduct(w)))) {
        SetFarCircleThroughChord(p1, p2, p3);
        return;
    }
    const CPlane3d arcPlane(p1, p2, p3);
    const CPlane3d bisector12(Midpoint(p1, p2), CUnitVector3d(p1, p2));
    const CPlane3d bisector23(Midpoint(p2, p3), CUnitVector3d(p2, p3));
    CLine3d axis;
    CPoint3d circleCentre;
    if (!bisector12.Intersect(bisector23, axis) || !arcPlane.IntersectLine(axis, circleCentre)) {
        SetFarCircleThroughChord(p1, p2, p3);
        return;
    }
    plane = arcPlane;
    centre = circleCentre;
    xAxis = p1 - centre;
    Update(true);
}

void CArc3d::SetFarCircleThroughChord(const CPoint3d& p1, const CPoint3d& p2, const CPoint3d& p3)
{
    const double d12 = p1.Distance(p2);
    const double d23 = p2.Distance(p3);
    const double d13 = p1.Distance(p3);
    const CPoint3d* first = &p1;
    const CPoint3d* second = &p2;
    if (d12 < d23 || d12 < d13) {
        if (d23 >= d13) {
            first = &p2;
            second = &p3;
        } else {
            second = &p3;
        }
    }
    const CPoint3d middle = Midpoint(*first, *second);
    const CVector3d chord(CUnitVector3d(*first, *second));
    const CUnitVector3d sideways(chord.CrossProduct(CVector3d(0.0, 0.0, 1.0)));
    CVector3d normal(0.0, 1.0, 0.0);
    if (!IsZero(sideways)) {
        normal = CVector3d(CUnitVector3d(CVector3d(sideways).CrossProduct(chord)));
    }
    plane.Set(middle, normal);
    // The centre lies far off the chord's middle, in the plane, so the arc runs
    // almost straight through both chord points.
    centre = middle + normal.CrossProduct(chord) * kFarRadius;
    xAxis = *first - centre;
    Update(true);
}
