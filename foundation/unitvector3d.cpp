#include "foundation/unitvector3d.h"

#include <cmath>

#include "foundation/point3d.h"

CUnitVector3d::CUnitVector3d(double xValue, double yValue, double zValue) : x(xValue), y(yValue), z(zValue)
{
    Normalize();
}

CUnitVector3d::CUnitVector3d(const CVector3d& v) : CUnitVector3d(v.x, v.y, v.z) {}

CUnitVector3d::CUnitVector3d(const CPoint3d& from, const CPoint3d& to) : CUnitVector3d(to - from) {}

bool CUnitVector3d::Normalize()
{
    const double squared = x * x + y * y + z * z;
    if (!(squared > kZeroLengthSquared)) {
        x = y = z = 0.0;
        return false;
    }
    if (std::fabs(squared - 1.0) <= kZeroLengthSquared) {
        return true;
    }
    const double inverse = 1.0 / std::sqrt(squared);
    x *= inverse;
    y *= inverse;
    z *= inverse;
    return true;
}

bool CUnitVector3d::IsValid() const
{
    if (!IsValidDouble(x) || !IsValidDouble(y) || !IsValidDouble(z)) {
        return false;
    }
    return AreEqualWithin(x * x + y * y + z * z, 1.0, kUnitTolerance);
}

CUnitVector3d CUnitVector3d::operator-() const
{
    CUnitVector3d reversed;
    reversed.x = -x;
    reversed.y = -y;
    reversed.z = -z;
    return reversed;
}

double CUnitVector3d::AngleTo(const CUnitVector3d& u) const
{
    const double dot = DotProduct(*this, u);
    if (dot >= 1.0) {
        return 0.0;
    }
    if (dot <= -1.0) {
        return kPi;
    }
    return std::acos(dot);
}

double CUnitVector3d::AngleBetweenAround(const CUnitVector3d& a, const CUnitVector3d& b) const
{
    const CVector3d axis(*this);
    // The parts of a and b perpendicular to the axis.
    const CUnitVector3d inPlaneA(axis.CrossProduct(a).CrossProduct(axis));
    const CUnitVector3d inPlaneB(axis.CrossProduct(b).CrossProduct(axis));
    if (CVector3d(inPlaneA).GetLengthSquared() == 0.0 || CVector3d(inPlaneB).GetLengthSquared() == 0.0) {
        return 0.0;
    }
    const double angle = inPlaneA.AngleTo(inPlaneB);
    if (DotProduct(CVector3d(inPlaneA).CrossProduct(inPlaneB), axis) < 0.0) {
        return kTwoPi - angle;
    }
    return angle;
}

bool CUnitVector3d::IsParallelTo(const CUnitVector3d& u) const
{
    const CVector3d self(*this);
    return self.IsEqual(u) || self.IsEqual(-u);
}

bool CUnitVector3d::GetPerpendicularAxes(CUnitVector3d& xAxis, CUnitVector3d& yAxis) const
{
    const CUnitVector3d zAxis(0.0, 0.0, 1.0);
    const CVector3d reference = IsParallelTo(zAxis) ? CVector3d(0.0, 1.0, 0.0) : CVector3d(zAxis);
    xAxis = CUnitVector3d(reference.CrossProduct(*this));
    yAxis = CUnitVector3d(CVector3d(*this).CrossProduct(xAxis));
    return yAxis.Normalize();
}
