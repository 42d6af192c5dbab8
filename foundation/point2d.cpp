#include "foundation/point2d.h"

#include "foundation/tolerance.h"

bool CPoint2d::operator==(const CPoint2d& p) const
{
    if (!AreEqualWithin(x, p.x, kLengthTolerance) || !AreEqualWithin(y, p.y, kLengthTolerance)) {
        return false;
    }
    return (*this - p).GetLengthSquared() < kUnitTolerance;
}

bool CPoint2d::IsValid() const
{
    return IsValidDouble(x) && IsValidDouble(y);
}
