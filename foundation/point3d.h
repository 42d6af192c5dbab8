#pragma once
// CPoint3d: a position in model space, in inches. Two points are equal when they lie
// less than 0.001 apart.

#include "foundation/tolerance.h"
#include "foundation/vector3d.h"

struct CUnitVector3d;
struct CPlane3d;
struct CLine3d;

struct CPoint3d
{
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;

    CPoint3d() = default;
    CPoint3d(double xValue, double yValue, double zValue) : x(xValue), y(yValue), z(zValue) {}
    explicit CPoint3d(const CVector3d& v) : x(v.x), y(v.y), z(v.z) {}
    explicit CPoint3d(const CUnitVector3d& u);

    // Each per-axis difference within -tol..tol (inclusive) and the squared distance
    // strictly below tol squared: a sphere of radius tol.
    [[nodiscard]] bool IsEqual(const CPoint3d& p, double tol = kLengthTolerance) const;
    // Each per-axis difference within -tol..tol (inclusive): a cube of half side tol.
    [[nodiscard]] bool IsEqualPerAxis(const CPoint3d& p, double tol = kLengthTolerance) const;
    [[nodiscard]] bool operator==(const CPoint3d& p) const { return IsEqual(p); }
    [[nodiscard]] bool operator!=(const CPoint3d& p) const { return !IsEqual(p); }

    [[nodiscard]] double DistanceSquared(const CPoint3d& p) const;
    // 0 when the squared distance is at or below 1e-20.
    [[nodiscard]] double Distance(const CPoint3d& p) const;

    // The vector from p to this point.
    [[nodiscard]] CVector3d operator-(const CPoint3d& p) const { return {x - p.x, y - p.y, z - p.z}; }
    [[nodiscard]] CPoint3d operator+(const CVector3d& v) const { return {x + v.x, y + v.y, z + v.z}; }
    // result = this + s*v.
    void Offset(double s, const CVector3d& v, CPoint3d& result) const;
    // this = a + b.
    void SetSum(const CPoint3d& a, const CVector3d& b);
    // this = p + s*v.
    void SetOffset(const CPoint3d& p, double s, const CVector3d& v);

    // Whichever of a and b is nearer; a when both are equally far.
    [[nodiscard]] const CPoint3d& GetNearerPoint(const CPoint3d& a, const CPoint3d& b) const;

    // All three coordinates finite.
    [[nodiscard]] bool IsValid() const;

    // The distance to the plane is below 0.001.
    [[nodiscard]] bool IsOnPlane(const CPlane3d& plane) const;
    void ProjectToPlane(const CPlane3d& plane, CPoint3d& result) const;
    // The distance to the line is below 0.001.
    [[nodiscard]] bool IsOnLine(const CLine3d& line) const;
    void ProjectToLine(const CLine3d& line, CPoint3d& result) const;
    // 0 when the squared distance is at or below 1e-20.
    [[nodiscard]] double DistanceToLine(const CLine3d& line) const;
    [[nodiscard]] double DistanceSquaredToLine(const CLine3d& line) const;
};
