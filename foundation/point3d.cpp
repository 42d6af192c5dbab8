#include "foundation/point3d.h"

#include <cmath>

#include "foundation/line3d.h"
#include "foundation/plane3d.h"
#include "foundation/unitvector3d.h"

CPoint3d::CPoint3d(const CUnitVector3d& u) : x(u.x), y(u.y), z(u.z) {}

bool CPoint3d::IsEqual(const CPoint3d& p, double tol) const
{
    // The per-axis tests reject most points before the squared distance is formed.
    return IsEqualPerAxis(p, tol) && DistanceSquared(p) < tol * tol;
}

bool CPoint3d::IsEqualPerAxis(const CPoint3d& p, double tol) const
{
    return AreEqualWithin(x, p.x, tol) && AreEqualWithin(y, p.y, tol) && AreEqualWithin(z, p.z, tol);
}

double CPoint3d::DistanceSquared(const CPoint3d& p) const
{
    return (*this - p).GetLengthSquared();
}

double CPoint3d::Distance(const CPoint3d& p) const
{
    return (*this - p).GetLength();
}

void CPoint3d::Offset(double s, const CVector3d& v, CPoint3d& result) const
{
    result = CPoint3d(x + s * v.x, y + s * v.y, z + s * v.z);
}

void CPoint3d::SetSum(const CPoint3d& a, const CVector3d& b)
{
    *this = a + b;
}

void CPoint3d::SetOffset(const CPoint3d& p, double s, const CVector3d& v)
{
    p.Offset(s, v, *this);
}

const CPoint3d& CPoint3d::GetNearerPoint(const CPoint3d& a, const CPoint3d& b) const
{
    return DistanceSquared(b) < DistanceSquared(a) ? b : a;
}

bool CPoint3d::IsValid() const
{
    return IsValidDouble(x) && IsValidDouble(y) && IsValidDouble(z);
}

bool CPoint3d::IsOnPlane(const CPlane3d& plane) const
{
    return plane.GetDistance(*this) < kLengthTolerance;
}

void CPoint3d::ProjectToPlane(const CPlane3d& plane, CPoint3d& result) const
{
    plane.ProjectPoint(*this, result);
}

bool CPoint3d::IsOnLine(const CLine3d& line) const
{
    return DistanceToLine(line) < kLengthTolerance;
}

void CPoint3d::ProjectToLine(const CLine3d& line, CPoint3d& result) const
{
    line.ProjectPoint(*this, result);
}

double CPoint3d::DistanceToLine(const CLine3d& line) const
{
    const double squared = DistanceSquaredToLine(line);
    return squared <= kZeroLengthSquared ? 0.0 : std::sqrt(squared);
}

double CPoint3d::DistanceSquaredToLine(const CLine3d& line) const
{
    return CVector3d(line.direction).CrossProduct(*this - line.origin).GetLengthSquared();
}
