#include "foundation/vector3d.h"

#include <cmath>

#include "foundation/point3d.h"
#include "foundation/unitvector3d.h"

CVector3d::CVector3d(const CPoint3d& p) : x(p.x), y(p.y), z(p.z) {}

CVector3d::CVector3d(const CUnitVector3d& u) : x(u.x), y(u.y), z(u.z) {}

double CVector3d::GetLength() const
{
    const double squared = GetLengthSquared();
    return squared <= kZeroLengthSquared ? 0.0 : std::sqrt(squared);
}

bool CVector3d::Normalize(double& length)
{
    length = GetLength();
    if (length < kDivisionTolerance) {
        *this = CVector3d();
        return false;
    }
    *this *= 1.0 / length;
    return true;
}

bool CVector3d::Normalize()
{
    const double squared = GetLengthSquared();
    if (!(squared > kZeroLengthSquared)) {
        *this = CVector3d();
        return false;
    }
    *this *= 1.0 / std::sqrt(squared);
    return true;
}

double CVector3d::SetNormalized(const CVector3d& v)
{
    *this = v;
    double length = 0.0;
    Normalize(length);
    return length;
}

double CVector3d::SetDirection(const CPoint3d& a, const CPoint3d& b)
{
    return SetNormalized(b - a);
}

bool CVector3d::SetLength(double length)
{
    const double current = GetLength();
    if (current < kDivisionTolerance) {
        return false;
    }
    *this *= length / current;
    return true;
}

CVector3d CVector3d::operator/(double s) const
{
    return *this * (1.0 / s);
}

CVector3d& CVector3d::operator+=(const CVector3d& v)
{
    x += v.x;
    y += v.y;
    z += v.z;
    return *this;
}

CVector3d& CVector3d::operator-=(const CVector3d& v)
{
    x -= v.x;
    y -= v.y;
    z -= v.z;
    return *this;
}

CVector3d& CVector3d::operator*=(double s)
{
    x *= s;
    y *= s;
    z *= s;
    return *this;
}

CVector3d& CVector3d::operator/=(double s)
{
    return *this *= 1.0 / s;
}

void CVector3d::Negate()
{
    x = -x;
    y = -y;
    z = -z;
}

void CVector3d::SetSum(const CVector3d& a, const CVector3d& b)
{
    *this = a + b;
}

void CVector3d::SetScaled(double s, const CVector3d& v)
{
    *this = v * s;
}

void CVector3d::SetLinearCombination(double a, const CVector3d& u, double b, const CVector3d& v)
{
    *this = CVector3d(a * u.x + b * v.x, a * u.y + b * v.y, a * u.z + b * v.z);
}

void CVector3d::SetLinearCombination(double a, const CVector3d& u, double b, const CVector3d& v,
                                     double c, const CVector3d& w)
{
    *this = CVector3d(a * u.x + b * v.x + c * w.x, a * u.y + b * v.y + c * w.y,
                      a * u.z + b * v.z + c * w.z);
}

bool CVector3d::IsEqual(const CVector3d& v, double tol) const
{
    return AreEqualWithin(x, v.x, tol) && AreEqualWithin(y, v.y, tol) && AreEqualWithin(z, v.z, tol);
}

bool CVector3d::IsPerpendicularTo(const CVector3d& v) const
{
    return std::fabs(DotProduct(*this, v)) < kLengthTolerance;
}

bool CVector3d::IsValid() const
{
    return IsValidDouble(x) && IsValidDouble(y) && IsValidDouble(z);
}
