#pragma once
// CUnitVector3d: a direction. Every constructor normalises; a direction too short to
// normalise (squared length at or below 1e-20) becomes (0, 0, 0). The fields are
// public so that stored directions can be taken back exactly as written.

#include "foundation/vector3d.h"

struct CPoint3d;

struct CUnitVector3d
{
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;

    CUnitVector3d() = default;
    CUnitVector3d(double xValue, double yValue, double zValue);
    explicit CUnitVector3d(const CVector3d& v);
    // The direction from one point to another; (0, 0, 0) when they coincide.
    CUnitVector3d(const CPoint3d& from, const CPoint3d& to);

    // False with (0, 0, 0) when the squared length is at or below 1e-20. A squared
    // length within 1e-20 of 1 is left untouched.
    bool Normalize();

    // All components finite and the squared length within 1e-6 of 1 (inclusive).
    [[nodiscard]] bool IsValid() const;

    [[nodiscard]] CUnitVector3d operator-() const;

    // The angle to u in 0..pi.
    [[nodiscard]] double AngleTo(const CUnitVector3d& u) const;
    // The angle from a to b turning about this direction, in 0 up to 2*pi; 0 when a or
    // b is parallel to this direction.
    [[nodiscard]] double AngleBetweenAround(const CUnitVector3d& a, const CUnitVector3d& b) const;
    // Equal to u or to -u within 0.001 per component.
    [[nodiscard]] bool IsParallelTo(const CUnitVector3d& u) const;
    // Two axes that make a right-handed frame with this direction as z. Answers false
    // (with a zero y axis) only for a zero direction.
    bool GetPerpendicularAxes(CUnitVector3d& xAxis, CUnitVector3d& yAxis) const;
};
