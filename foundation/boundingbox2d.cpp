#include "foundation/boundingbox2d.h"

#include <algorithm>
#include <cmath>

#include "foundation/interval.h"

namespace {

double Extent(double minimum, double maximum)
{
    return maximum > minimum ? maximum - minimum : 0.0;
}

bool IsInsideGrown(double v, double minimum, double maximum)
{
    return minimum - kLengthTolerance < v && v < maximum + kLengthTolerance;
}

}  // namespace

void CBoundingBox2d::SetEmpty()
{
    *this = CBoundingBox2d();
}

void CBoundingBox2d::Add(const CPoint2d& p)
{
    xmin = std::min(xmin, p.x);
    xmax = std::max(xmax, p.x);
    ymin = std::min(ymin, p.y);
    ymax = std::max(ymax, p.y);
}

CPoint2d CBoundingBox2d::GetCentre() const
{
    return {(xmin + xmax) * 0.5, (ymin + ymax) * 0.5};
}

CPoint2d CBoundingBox2d::GetCorner(int mask) const
{
    return {(mask & 1) != 0 ? xmax : xmin, (mask & 2) != 0 ? ymax : ymin};
}

double CBoundingBox2d::GetDiagonalSquared() const
{
    const double dx = Extent(xmin, xmax);
    const double dy = Extent(ymin, ymax);
    return dx * dx + dy * dy;
}

double CBoundingBox2d::GetDiagonal() const
{
    const double squared = GetDiagonalSquared();
    return squared <= kZeroLengthSquared ? 0.0 : std::sqrt(squared);
}

bool CBoundingBox2d::Contains(const CPoint2d& p) const
{
    return IsInsideGrown(p.x, xmin, xmax) && IsInsideGrown(p.y, ymin, ymax);
}

bool CBoundingBox2d::Intersects(const CBoundingBox2d& other) const
{
    return IntervalsOverlap(CInterval(xmin, xmax), CInterval(other.xmin, other.xmax)) &&
           IntervalsOverlap(CInterval(ymin, ymax), CInterval(other.ymin, other.ymax));
}

bool CBoundingBox2d::IsValid() const
{
    return IsValidDouble(xmin) && IsValidDouble(xmax) && IsValidDouble(ymin) && IsValidDouble(ymax);
}
