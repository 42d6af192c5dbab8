#pragma once
// CBoundedLine3d: the part of a line between a start and an end parameter. A start
// at or below -1e30 is unbounded backwards, an end at or above 1e30 unbounded
// forwards, so the same type holds segments, rays and whole lines.

#include "foundation/line3d.h"
#include "foundation/tolerance.h"

struct CPlane3d;
struct CBoundingBox3d;

struct CBoundedLine3d
{
    CLine3d line{CPoint3d(0.0, 0.0, 0.0), CUnitVector3d(0.0, 0.0, 1.0)};
    double start = -kUnbounded;
    double end = kUnbounded;

    // The whole z axis.
    CBoundedLine3d() = default;
    // Parameters 0..1 of the line, each end replaced by unbounded when asked.
    CBoundedLine3d(const CLine3d& baseLine, bool startUnbounded, bool endUnbounded);
    // The segment from a to b: parameters 0..|b - a| along the direction a to b.
    CBoundedLine3d(const CPoint3d& a, const CPoint3d& b);

    [[nodiscard]] bool IsStartBounded() const { return start > -kUnbounded; }
    [[nodiscard]] bool IsEndBounded() const { return end < kUnbounded; }

    // Writes the point at the start parameter (also when unbounded) and answers
    // whether the start is bounded.
    bool GetStartPoint(CPoint3d& point) const;
    // The same for the end.
    bool GetEndPoint(CPoint3d& point) const;
    // When exactly one end is bounded: the ray from that end along the unbounded side.
    bool GetRay(CLine3d& ray) const;
    // Start and end strictly within 0.001 of each other.
    [[nodiscard]] bool IsDegenerate() const;

    // Keeps the part on the plane's non-negative side. False when nothing (or only a
    // degenerate piece) is left; a line parallel to the plane is kept unchanged and
    // answers whether it lies above -0.001.
    bool ClipToPlane(const CPlane3d& plane);
    // Whether the bounded part meets the box, its boundary included. An empty box is
    // met by nothing.
    [[nodiscard]] bool IntersectsBox(const CBoundingBox3d& box) const;

    // Finite parameters and a valid line.
    [[nodiscard]] bool IsValid() const;
};
