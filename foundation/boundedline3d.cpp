#include "foundation/boundedline3d.h"

#include <cmath>

#include "foundation/boundingbox3d.h"
#include "foundation/plane3d.h"

namespace {

// Box code bits: the minimum faces of x, y, z, then their maximum faces.
constexpr int kMinBit[3] = {1, 2, 4};
constexpr int kMaxBit[3] = {8, 16, 32};

struct BoxFaces
{
    double minimum[3];
    double maximum[3];
};

double Coordinate(const CPoint3d& p, int axis)
{
    return axis == 0 ? p.x : (axis == 1 ? p.y : p.z);
}

double Component(const CUnitVector3d& u, int axis)
{
    return axis == 0 ? u.x : (axis == 1 ? u.y : u.z);
}

// A coordinate equal to a bound lies inside; per axis the maximum is tested first.
int BoxCode(const BoxFaces& box, const CPoint3d& p)
{
    int code = 0;
    for (int axis = 0; axis < 3; ++axis) {
        const double v = Coordinate(p, axis);
        if (v > box.maximum[axis]) {
            code |= kMaxBit[axis];
        } else if (v < box.minimum[axis]) {
            code |= kMinBit[axis];
        }
    }
    return code;
}

// The line's point on the plane where the coordinate of axis equals value.
CPoint3d CrossingWithFace(const CLine3d& line, int axis, double value)
{
    const double t = (value - Coordinate(line.origin, axis)) / Component(line.direction, axis);
    return line.GetPoint(t);
}

int DominantAxis(const CUnitVector3d& direction)
{
    const double dx = std::fabs(direction.x);
    const double dy = std::fabs(direction.y);
    const double dz = std::fabs(direction.z);
    if (dx > dy && dx > dz) {
        return 0;
    }
    return dy > dz ? 1 : 2;
}

// The box bits of every axis but one.
int OtherAxesMask(int axis)
{
    int mask = 0;
    for (int other = 0; other < 3; ++other) {
        if (other != axis) {
            mask |= kMinBit[other] | kMaxBit[other];
        }
    }
    return mask;
}

}  // namespace

CBoundedLine3d::CBoundedLine3d(const CLine3d& baseLine, bool startUnbounded, bool endUnbounded)
    : line(baseLine), start(startUnbounded ? -kUnbounded : 0.0), end(endUnbounded ? kUnbounded : 1.0)
{
}

CBoundedLine3d::CBoundedLine3d(const CPoint3d& a, const CPoint3d& b)
    : line(a, b), start(0.0), end(a.Distance(b))
{
}

bool CBoundedLine3d::GetStartPoint(CPoint3d& point) const
{
    line.GetPoint(start, point);
    return IsStartBounded();
}

bool CBoundedLine3d::GetEndPoint(CPoint3d& point) const
{
    line.GetPoint(end, point);
    return IsEndBounded();
}

bool CBoundedLine3d::GetRay(CLine3d& ray) const
{
    if (IsStartBounded() == IsEndBounded()) {
        return false;
    }
    if (IsStartBounded()) {
        ray = CLine3d(line.GetPoint(start), line.direction);
    } else {
        ray = CLine3d(line.GetPoint(end), -line.direction);
    }
    return true;
}

bool CBoundedLine3d::IsDegenerate() const
{
    return AreEqualTol(start, end);
}

bool CBoundedLine3d::ClipToPlane(const CPlane3d& plane)
{
    double t = 0.0;
    if (!plane.IntersectLine(line, t)) {
        return plane.GetSignedDistance(line.origin) > -kLengthTolerance;
    }
    const double slope = plane.a * line.direction.x + plane.b * line.direction.y + plane.c * line.direction.z;
    bool changed = false;
    if (slope <= 0.0) {
        // Heading to the negative side: the part after the crossing goes.
        if (t < start) {
            return false;
        }
        if (t <= end) {
            end = t;
            changed = true;
        }
    } else {
        if (t > end) {
            return false;
        }
        if (t >= start) {
            start = t;
            changed = true;
        }
    }
    return !changed || !IsDegenerate();
}

bool CBoundedLine3d::IntersectsBox(const CBoundingBox3d& box) const
{
    if (box.IsEmpty()) {
        return false;
    }
    const BoxFaces faces{{box.xmin, box.ymin, box.zmin}, {box.xmax, box.ymax, box.zmax}};
    const int k = DominantAxis(line.direction);
    const double dk = Component(line.direction, k);
    CPoint3d s = line.GetPoint(start);
    CPoint3d q = line.GetPoint(end);
    if (dk == 0.0 && (!IsStartBounded() || !IsEndBounded())) {
        // Without a direction every point of the line is its origin.
        s = q = line.origin;
    }
    int forcedS = 0;
    int forcedQ = 0;
    if (!IsStartBounded() && dk != 0.0) {
        // The line comes in along its dominant axis through the face it meets first.
        const bool entersAtMax = dk < 0.0;
        const double face = entersAtMax ? faces.maximum[k] : faces.minimum[k];
        if (IsEndBounded() && (entersAtMax ? Coordinate(q, k) > face : Coordinate(q, k) < face)) {
            return false;
        }
        s = CrossingWithFace(line, k, face);
        forcedS = entersAtMax ? kMaxBit[k] : kMinBit[k];
    }
    if (!IsEndBounded() && dk != 0.0) {
        const bool leavesAtMin = dk < 0.0;
        const double face = leavesAtMin ? faces.minimum[k] : faces.maximum[k];
        if (leavesAtMin ? Coordinate(s, k) < face : Coordinate(s, k) > face) {
            return false;
        }
        q = CrossingWithFace(line, k, face);
        forcedQ = leavesAtMin ? kMinBit[k] : kMaxBit[k];
    }
    const int codeS = BoxCode(faces, s) | forcedS;
    const int codeQ = BoxCode(faces, q) | forcedQ;
    if (codeS == 0 || codeQ == 0) {
        return true;
    }
    if ((codeS & codeQ) != 0) {
        return false;
    }
    const int both = codeS | codeQ;
    for (int axis = 0; axis < 3; ++axis) {
        if ((both & OtherAxesMask(axis)) == 0) {
            return true;
        }
    }
    // Faces in the order xmin, ymin, zmin, xmax, ymax, zmax.
    for (int bit = 0; bit < 6; ++bit) {
        if ((both & (1 << bit)) == 0) {
            continue;
        }
        const int axis = bit % 3;
        if (IsWithin(Component(line.direction, axis), kUnitTolerance)) {
            continue;
        }
        const double face = bit < 3 ? faces.minimum[axis] : faces.maximum[axis];
        if ((BoxCode(faces, CrossingWithFace(line, axis, face)) & OtherAxesMask(axis)) == 0) {
            return true;
        }
    }
    return false;
}

bool CBoundedLine3d::IsValid() const
{
    return IsValidDouble(start) && IsValidDouble(end) && line.IsValid();
}
