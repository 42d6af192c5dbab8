#pragma once
// CBoundingBox3d: an axis-aligned box kept as (xmin, xmax, ymin, ymax, zmin, zmax).
// The empty box has every minimum +1e30 and every maximum -1e30; an axis is empty
// when its maximum is below its minimum. Corner mask bits 0, 1, 2 select the maximum
// side of x, y, z.

#include "foundation/point3d.h"
#include "foundation/tolerance.h"
#include "foundation/vector3d.h"

struct CBoundingBox3d
{
    double xmin = kUnbounded;
    double xmax = -kUnbounded;
    double ymin = kUnbounded;
    double ymax = -kUnbounded;
    double zmin = kUnbounded;
    double zmax = -kUnbounded;

    // The empty box.
    CBoundingBox3d() = default;
    CBoundingBox3d(double xMinimum, double xMaximum, double yMinimum, double yMaximum, double zMinimum,
                   double zMaximum)
        : xmin(xMinimum), xmax(xMaximum), ymin(yMinimum), ymax(yMaximum), zmin(zMinimum), zmax(zMaximum)
    {
    }

    void SetEmpty();
    // Empty on any axis.
    [[nodiscard]] bool IsEmpty() const { return xmax < xmin || ymax < ymin || zmax < zmin; }
    // Moves each bound independently to include p. A point the box cannot hold is left
    // out: one stray coordinate must not swallow the rest of a model's extents.
    // Inline: bounds and counts add every point of a model.
    void Add(const CPoint3d& p)
    {
        if (!CanHold(p)) {
            return;
        }
        xmin = p.x < xmin ? p.x : xmin;
        xmax = xmax < p.x ? p.x : xmax;
        ymin = p.y < ymin ? p.y : ymin;
        ymax = ymax < p.y ? p.y : ymax;
        zmin = p.z < zmin ? p.z : zmin;
        zmax = zmax < p.z ? p.z : zmax;
    }
    // Every coordinate finite and within the empty box's bounds (1e30).
    [[nodiscard]] static bool CanHold(const CPoint3d& p)
    {
        return Within(p.x) && Within(p.y) && Within(p.z);
    }
    // Widens each axis to include the other box's range on that axis; axes on which
    // the other box is empty are skipped.
    void Add(const CBoundingBox3d& other);

    [[nodiscard]] CPoint3d GetMin() const { return {xmin, ymin, zmin}; }
    [[nodiscard]] CPoint3d GetMax() const { return {xmax, ymax, zmax}; }
    [[nodiscard]] CPoint3d GetCentre() const;
    void GetCentre(CPoint3d& centre) const { centre = GetCentre(); }
    [[nodiscard]] CPoint3d GetCorner(int mask) const;
    void GetCorner(int mask, CPoint3d& corner) const { corner = GetCorner(mask); }

    // The sum of the squared extents; an axis whose maximum is not above its minimum adds 0.
    [[nodiscard]] double GetDiagonalSquared() const;
    // 0 when the squared diagonal is at or below 1e-20.
    [[nodiscard]] double GetDiagonal() const;

    // Strictly inside the box grown by 0.001 on every side.
    [[nodiscard]] bool Contains(const CPoint3d& p) const;
    // Inside by at least 0.001 on every axis.
    [[nodiscard]] bool ContainsStrictly(const CPoint3d& p) const;
    // Non-empty and overlapping on all three axes; touching counts.
    [[nodiscard]] bool Intersects(const CBoundingBox3d& other) const;
    // Whether the segment from p to q meets the box, its boundary included.
    [[nodiscard]] bool IntersectsLine(const CPoint3d& p, const CPoint3d& q) const;

    // Every non-empty axis grows by tol on both sides.
    void Expand(double tol);
    // Every non-empty axis grows by the matching component on both sides.
    void Expand(const CVector3d& amounts);
    // Gives flat axes (extent at most 0.001) a thickness: each grows on both sides by
    // factor times the largest extent. A box without a flat axis is unchanged.
    void ExpandRelative(double factor);

    // All six bounds finite; the empty box is valid.
    [[nodiscard]] bool IsValid() const;

private:
    // A NaN is never within.
    static bool Within(double value) { return value <= kUnbounded && value >= -kUnbounded; }
};
