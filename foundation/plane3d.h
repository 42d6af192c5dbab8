#pragma once
// CPlane3d: the plane a*x + b*y + c*z + d = 0, with (a, b, c) the unit normal. The
// positive side is where the normal points; a point's value a*x + b*y + c*z + d is its
// signed distance.

#include "foundation/point2d.h"
#include "foundation/point3d.h"
#include "foundation/tolerance.h"
#include "foundation/unitvector3d.h"
#include "foundation/vector3d.h"

struct CLine3d;
struct CBoundingBox3d;

// Results of CPlane3d::ClassifyBox.
inline constexpr int kBoxAbovePlane = 1;
inline constexpr int kBoxBelowPlane = 2;
inline constexpr int kBoxCrossesPlane = 3;

struct CPlane3d
{
    double a = 0.0;
    double b = 0.0;
    double c = 1.0;
    double d = 0.0;

    // The XY plane, (0, 0, 1, 0).
    CPlane3d() = default;
    // The normal is taken as given, not normalised.
    CPlane3d(const CPoint3d& point, const CVector3d& normal);
    // Normal (p2 - p1) x (p3 - p1) normalised: (0, 0, 0) for collinear points.
    CPlane3d(const CPoint3d& p1, const CPoint3d& p2, const CPoint3d& p3);
    CPlane3d(double aValue, double bValue, double cValue, double dValue);

    // Divides all four by the normal's length; a normal whose squared length is at or
    // below 1e-20 becomes (0, 0, 0) with d kept.
    void Set(double aValue, double bValue, double cValue, double dValue);
    // The normal is taken as given, not normalised.
    void Set(const CPoint3d& point, const CVector3d& normal);

    void GetCopy(CPlane3d& result) const { result = *this; }
    // Negates all four coefficients.
    void Reverse();
    // Moves the plane by distance along its normal.
    void Offset(double distance) { d -= distance; }

    // (a, b, c) copied without normalising.
    void GetNormal(CUnitVector3d& normal) const;
    [[nodiscard]] CUnitVector3d GetNormal() const;

    [[nodiscard]] double GetSignedDistance(const CPoint3d& p) const { return a * p.x + b * p.y + c * p.z + d; }
    [[nodiscard]] double GetDistance(const CPoint3d& p) const;
    void ProjectPoint(const CPoint3d& p, CPoint3d& result) const;

    // The parameter of the line's crossing; false when |normal . direction| < 1e-6.
    bool IntersectLine(const CLine3d& line, double& t) const;
    // The crossing point; false when the line is parallel as above.
    bool IntersectLine(const CLine3d& line, CPoint3d& point) const;

    // kBoxAbovePlane when every corner is strictly positive, kBoxBelowPlane when every
    // corner is strictly negative, else kBoxCrossesPlane.
    [[nodiscard]] int ClassifyBox(const CBoundingBox3d& box) const;
    // Whether the box lies wholly on the negative side, the side a section removes.
    [[nodiscard]] bool IsBoxWhollyBelow(const CBoundingBox3d& box) const;
    // Whether some part of a non-empty box lies more than the length tolerance on the
    // negative side.
    [[nodiscard]] bool IsBoxPartlyBelow(const CBoundingBox3d& box) const;

    // Gives each geometric plane one orientation: the first of d, c, b, a whose
    // magnitude is at least 0.001 is made positive.
    void MakeCanonical();
    // (0, 0, 0) when -0.001 < d < 0.001, else -d * normal.
    void GetPointNearestOrigin(CPoint3d& result) const;
    // Coordinates in the plane's own frame, the same for either orientation of a plane.
    [[nodiscard]] CPoint2d ProjectTo2d(const CPoint3d& p) const;

    // oriented: every coefficient within tol. Otherwise a reversed plane counts as equal.
    [[nodiscard]] bool IsEqual(const CPlane3d& other, bool oriented, double tol = kLengthTolerance) const;

    // The line common to both planes; false, line untouched, for parallel planes.
    bool Intersect(const CPlane3d& other, CLine3d& line) const;

    // Sums over points taken relative to their centroid, from which a plane is solved.
    struct Moments
    {
        double xx = 0.0;
        double yy = 0.0;
        double zz = 0.0;
        double xy = 0.0;
        double xz = 0.0;
        double yz = 0.0;
        double x = 0.0;
        double y = 0.0;
        double z = 0.0;
        double n = 0.0;
    };
    // The least-squares plane of the moments. False, plane unchanged, when the system
    // is singular (every point on one line).
    bool SolvePlaneFromMoments(const Moments& moments);
    // The least-squares plane through n points, oriented like the polygon they make.
    // False with the plane unchanged for fewer than 3 points or points on one line;
    // false with the fitted plane kept when a point lies more than 0.001 off it.
    bool FitToPoints(int n, const CPoint3d* points);

    // All four coefficients finite.
    [[nodiscard]] bool IsValid() const;
};

// The area normal of a polygon: the sum of (p[i] - p[0]) x (p[i+1] - p[0]) for
// i = 1 .. n-2; its length is twice the area. Zero for fewer than 3 points.
void GetPolygonAreaNormal(int n, const CPoint3d* points, CVector3d& normal);
