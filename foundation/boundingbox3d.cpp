#include "foundation/boundingbox3d.h"

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

bool IsInsideShrunk(double v, double minimum, double maximum)
{
    return v - minimum >= kLengthTolerance && v - maximum <= -kLengthTolerance;
}

void WidenAxis(double& minimum, double& maximum, double otherMin, double otherMax)
{
    if (otherMax < otherMin) {
        return;
    }
    minimum = std::min(minimum, otherMin);
    maximum = std::max(maximum, otherMax);
}

void GrowAxis(double& minimum, double& maximum, double amount)
{
    if (maximum < minimum) {
        return;
    }
    minimum -= amount;
    maximum += amount;
}

double& Coordinate(CPoint3d& p, int axis)
{
    return axis == 0 ? p.x : (axis == 1 ? p.y : p.z);
}

double Coordinate(const CPoint3d& p, int axis)
{
    return axis == 0 ? p.x : (axis == 1 ? p.y : p.z);
}

// Region code of the segment clipping: per axis one bit below the minimum, the
// next bit above the maximum (1, 2 for x; 4, 8 for y; 16, 32 for z).
int RegionCode(const CBoundingBox3d& box, const CPoint3d& p)
{
    int code = 0;
    if (p.x < box.xmin) {
        code |= 1;
    } else if (p.x > box.xmax) {
        code |= 2;
    }
    if (p.y < box.ymin) {
        code |= 4;
    } else if (p.y > box.ymax) {
        code |= 8;
    }
    if (p.z < box.zmin) {
        code |= 16;
    } else if (p.z > box.zmax) {
        code |= 32;
    }
    return code;
}

// Moves p along the segment towards q onto the boundary that the lowest set bit of
// its code names.
void MoveOntoBoundary(const CBoundingBox3d& box, int code, CPoint3d& p, const CPoint3d& q)
{
    const double bounds[6] = {box.xmin, box.xmax, box.ymin, box.ymax, box.zmin, box.zmax};
    int bit = 0;
    while ((code & (1 << bit)) == 0) {
        ++bit;
    }
    const int axis = bit / 2;
    const double boundary = bounds[bit];
    const double delta = Coordinate(q, axis) - Coordinate(p, axis);
    if (std::fabs(delta) > kLengthTolerance) {
        const double fraction = (boundary - Coordinate(p, axis)) / delta;
        for (int other = 0; other < 3; ++other) {
            if (other != axis) {
                Coordinate(p, other) += fraction * (Coordinate(q, other) - Coordinate(p, other));
            }
        }
    }
    Coordinate(p, axis) = boundary;
}

}  // namespace

void CBoundingBox3d::SetEmpty()
{
    *this = CBoundingBox3d();
}

void CBoundingBox3d::Add(const CBoundingBox3d& other)
{
    WidenAxis(xmin, xmax, other.xmin, other.xmax);
    WidenAxis(ymin, ymax, other.ymin, other.ymax);
    WidenAxis(zmin, zmax, other.zmin, other.zmax);
}

CPoint3d CBoundingBox3d::GetCentre() const
{
    return {(xmin + xmax) * 0.5, (ymin + ymax) * 0.5, (zmin + zmax) * 0.5};
}

CPoint3d CBoundingBox3d::GetCorner(int mask) const
{
    return {(mask & 1) != 0 ? xmax : xmin, (mask & 2) != 0 ? ymax : ymin, (mask & 4) != 0 ? zmax : zmin};
}

double CBoundingBox3d::GetDiagonalSquared() const
{
    const double dx = Extent(xmin, xmax);
    const double dy = Extent(ymin, ymax);
    const double dz = Extent(zmin, zmax);
    return dx * dx + dy * dy + dz * dz;
}

double CBoundingBox3d::GetDiagonal() const
{
    const double squared = GetDiagonalSquared();
    return squared <= kZeroLengthSquared ? 0.0 : std::sqrt(squared);
}

bool CBoundingBox3d::Contains(const CPoint3d& p) const
{
    return IsInsideGrown(p.x, xmin, xmax) && IsInsideGrown(p.y, ymin, ymax) && IsInsideGrown(p.z, zmin, zmax);
}

bool CBoundingBox3d::ContainsStrictly(const CPoint3d& p) const
{
    return IsInsideShrunk(p.x, xmin, xmax) && IsInsideShrunk(p.y, ymin, ymax) && IsInsideShrunk(p.z, zmin, zmax);
}

bool CBoundingBox3d::Intersects(const CBoundingBox3d& other) const
{
    return IntervalsOverlap(CInterval(xmin, xmax), CInterval(other.xmin, other.xmax)) &&
           IntervalsOverlap(CInterval(ymin, ymax), CInterval(other.ymin, other.ymax)) &&
           IntervalsOverlap(CInterval(zmin, zmax), CInterval(other.zmin, other.zmax));
}

bool CBoundingBox3d::IntersectsLine(const CPoint3d& p, const CPoint3d& q) const
{
    const int codeQ = RegionCode(*this, q);
    int codeP = RegionCode(*this, p);
    if (codeP == 0 || codeQ == 0) {
        return true;
    }
    if ((codeP & codeQ) != 0) {
        return false;
    }
    CPoint3d moving = p;
    // Each round settles one axis bit, so six rounds reach every face that can matter.
    for (int round = 0; round < 6; ++round) {
        MoveOntoBoundary(*this, codeP, moving, q);
        codeP = RegionCode(*this, moving);
        if (codeP == 0) {
            return true;
        }
        if ((codeP & codeQ) != 0) {
            return false;
        }
    }
    return false;
}

void CBoundingBox3d::Expand(double tol)
{
    Expand(CVector3d(tol, tol, tol));
}

void CBoundingBox3d::Expand(const CVector3d& amounts)
{
    GrowAxis(xmin, xmax, amounts.x);
    GrowAxis(ymin, ymax, amounts.y);
    GrowAxis(zmin, zmax, amounts.z);
}

void CBoundingBox3d::ExpandRelative(double factor)
{
    const double dx = Extent(xmin, xmax);
    const double dy = Extent(ymin, ymax);
    const double dz = Extent(zmin, zmax);
    const double amount = factor * std::max({dx, dy, dz});
    if (dx <= kLengthTolerance) {
        GrowAxis(xmin, xmax, amount);
    }
    if (dy <= kLengthTolerance) {
        GrowAxis(ymin, ymax, amount);
    }
    if (dz <= kLengthTolerance) {
        GrowAxis(zmin, zmax, amount);
    }
}

bool CBoundingBox3d::IsValid() const
{
    return IsValidDouble(xmin) && IsValidDouble(xmax) && IsValidDouble(ymin) && IsValidDouble(ymax) &&
           IsValidDouble(zmin) && IsValidDouble(zmax);
}
