#pragma once
// CBoundingBox2d: an axis-aligned 2-D box kept as (xmin, xmax, ymin, ymax). The empty
// box has both minima +1e30 and both maxima -1e30; an axis is empty when its maximum
// is below its minimum. Corner mask bit 0 selects the maximum x, bit 1 the maximum y.

#include "foundation/point2d.h"
#include "foundation/tolerance.h"

struct CBoundingBox2d
{
    double xmin = kUnbounded;
    double xmax = -kUnbounded;
    double ymin = kUnbounded;
    double ymax = -kUnbounded;

    // The empty box.
    CBoundingBox2d() = default;
    CBoundingBox2d(double xMinimum, double xMaximum, double yMinimum, double yMaximum)
        : xmin(xMinimum), xmax(xMaximum), ymin(yMinimum), ymax(yMaximum)
    {
    }

    void SetEmpty();
    // Empty on either axis.
    [[nodiscard]] bool IsEmpty() const { return xmax < xmin || ymax < ymin; }
    // Moves each bound independently to include p.
    void Add(const CPoint2d& p);

    [[nodiscard]] CPoint2d GetCentre() const;
    [[nodiscard]] CPoint2d GetCorner(int mask) const;
    // The sum of the squared extents; an axis whose maximum is not above its minimum adds 0.
    [[nodiscard]] double GetDiagonalSquared() const;
    // 0 when the squared diagonal is at or below 1e-20.
    [[nodiscard]] double GetDiagonal() const;

    // Strictly inside the box grown by 0.001 on every side.
    [[nodiscard]] bool Contains(const CPoint2d& p) const;
    // Both boxes non-empty on both axes and overlapping on both; touching counts.
    [[nodiscard]] bool Intersects(const CBoundingBox2d& other) const;

    // All four bounds finite; the empty box is valid.
    [[nodiscard]] bool IsValid() const;
};
