#pragma once
// CArc3d: a circular arc in space. The point at angle a is
// centre + cos(a)*xAxis + sin(a)*yAxis; the x axis' length is the radius and the
// y axis is normal x xAxis. Angles are radians from the x axis towards the y axis,
// the end never below the start; a full circle runs from 0 to 2*pi.

#include "foundation/plane3d.h"
#include "foundation/point3d.h"
#include "foundation/vector3d.h"

class CArchive;
class CTransformation;

struct CArc3d
{
    CPoint3d centre;
    CVector3d xAxis;
    CPlane3d plane;
    double radius = 0.0;
    CVector3d yAxis;
    double startAngle = 0.0;
    double endAngle = 0.0;

    // Every field zero except the plane, which is the XY plane.
    CArc3d() = default;
    // The arc that starts at p1, passes p2 and ends at p3. Points on one line (or
    // coincident) give a circle of radius about 1e9 through the two farthest apart.
    CArc3d(const CPoint3d& p1, const CPoint3d& p2, const CPoint3d& p3);
    // The default arc with the angles 0 to 2*pi.
    [[nodiscard]] static CArc3d FullCircle();

    // Sets the plane's normal, keeping its d; follow it with Update.
    void SetNormal(const CVector3d& normal);
    // Radius from the x axis, plane through the centre with the current normal, and,
    // when asked, the y axis from normal x xAxis.
    void Update(bool withYAxis);

    // The angle is first brought into -1e-6 .. 2*pi + 1e-6.
    void GetPointAtAngle(double angle, CPoint3d& point) const;
    void GetStartPoint(CPoint3d& point) const;
    void GetEndPoint(CPoint3d& point) const;
    // The angle of a point about the centre in -1e-6 .. 2*pi + 1e-6; an elliptic or
    // skewed arc is measured as the circle its axes stand for. 0 when not computable.
    [[nodiscard]] double GetAngleOfPoint(const CPoint3d& point) const;

    // Same centre, same plane in either orientation, and radii within 0.001.
    [[nodiscard]] bool IsEqual(const CArc3d& other) const;
    // Axes of equal length, perpendicular, and spanning the arc's plane.
    [[nodiscard]] bool HasValidAxes() const;
    // True when both angles are exactly 0; with geometric also when the angles span
    // 2*pi within 0.001.
    [[nodiscard]] bool IsClosed(bool geometric) const;
    // All fields finite.
    [[nodiscard]] bool IsValid() const;

    // The normal is kept on the side of xAxis x yAxis, so a mirror reverses the plane.
    void Transform(const CTransformation& transformation);

    // Writes 14 doubles: centre, normal, x axis, start, end, y axis. Reads 11, or 14
    // when withYAxis (records from before the y axis was stored pass false); a y axis
    // not read is recomputed. Failures raise CArchiveException, as does a number read
    // that is not finite.
    void Serialize(CArchive& ar, bool withYAxis);

private:
    void SetCircleThroughPoints(const CPoint3d& p1, const CPoint3d& p2, const CPoint3d& p3);
    void SetFarCircleThroughChord(const CPoint3d& p1, const CPoint3d& p2, const CPoint3d& p3);
    [[nodiscard]] CVector3d GetNormalVector() const { return {plane.a, plane.b, plane.c}; }
};
