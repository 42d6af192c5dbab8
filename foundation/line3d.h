#pragma once
// CLine3d: the infinite line origin + t*direction, and the free helpers that relate
// lines, segments and points.

#include "foundation/point3d.h"
#include "foundation/tolerance.h"
#include "foundation/unitvector3d.h"

struct CPlane3d;
struct CBoundingBox3d;
class CTransformation;

struct CLine3d
{
    CPoint3d origin;
    CUnitVector3d direction;

    CLine3d() = default;
    CLine3d(const CPoint3d& lineOrigin, const CUnitVector3d& lineDirection)
        : origin(lineOrigin), direction(lineDirection)
    {
    }
    // Through p towards q; the direction is (0, 0, 0) when they coincide.
    CLine3d(const CPoint3d& p, const CPoint3d& q) : origin(p), direction(p, q) {}

    void GetPoint(double t, CPoint3d& point) const;
    [[nodiscard]] CPoint3d GetPoint(double t) const;
    // (p - origin) . direction.
    [[nodiscard]] double GetParameter(const CPoint3d& p) const;
    void ProjectPoint(const CPoint3d& p, CPoint3d& result) const;

    // The crossing with a plane, as CPlane3d::IntersectLine.
    bool Intersect(const CPlane3d& plane, double& t) const;
    bool Intersect(const CPlane3d& plane, CPoint3d& point) const;

    void Transform(const CTransformation& transformation);

    // The closest points of the two lines; false (with q2 the foot of origin) for
    // parallel lines.
    bool GetClosestPoints(const CLine3d& other, CPoint3d& q1, CPoint3d& q2) const;
    // The midpoint of the closest points; true only for non-parallel lines that pass
    // within 0.001 of each other.
    bool IntersectLine(const CLine3d& other, CPoint3d& point) const;
    // Whether the line meets the segment a-b within 0.001; t receives the line
    // parameter of the meeting point.
    bool IntersectSegment(const CPoint3d& a, const CPoint3d& b, double& t) const;
    // The first point where the ray (t >= 0) enters the box, with the code of the face
    // it enters through: 1/2 the minimum/maximum x face, 3/4 y, 5/6 z, and 0 (the point
    // being the origin) when the origin lies inside. False for an empty box or a miss.
    bool IntersectBox(const CBoundingBox3d& box, CPoint3d& point, int& face) const;

    // A finite origin and a valid unit direction.
    [[nodiscard]] bool IsValid() const;
};

// Parameters of the closest points of the lines p1 + t1*d1 and p2 + t2*d2. False for
// parallel lines, with t1 = 0 and t2 the parameter of p1's foot on the second line.
bool GetClosestLineParameters(const CPoint3d& p1, const CUnitVector3d& d1, const CPoint3d& p2,
                              const CUnitVector3d& d2, double& t1, double& t2);
// The closest points themselves; the result as GetClosestLineParameters.
bool GetClosestPoints(const CPoint3d& p1, const CUnitVector3d& d1, const CPoint3d& p2, const CUnitVector3d& d2,
                      CPoint3d& q1, CPoint3d& q2);

// Cases of IntersectLineSegment.
inline constexpr int kSegmentParallel = 0;
inline constexpr int kSegmentNearestAtStart = 1;
inline constexpr int kSegmentNearestAtEnd = 2;
inline constexpr int kSegmentNearestInside = 3;

// The point q of the segment p->a nearest to the line through b along d, and which
// case gave it. A segment parallel to the line (or degenerate) gives whichever of a
// and p is nearer to b (a on a tie) and kSegmentParallel.
int IntersectLineSegment(const CPoint3d& p, const CPoint3d& a, const CPoint3d& b, const CUnitVector3d& d,
                         CPoint3d& q);

// |b - a| < tol, or p lies less than tol from the line through a and b.
[[nodiscard]] bool IsPointNearLine(const CPoint3d& a, const CPoint3d& b, const CPoint3d& p, double tol);
// p equals (within tol) its nearest point on the segment a-b.
[[nodiscard]] bool IsPointOnSegment(const CPoint3d& a, const CPoint3d& b, const CPoint3d& p,
                                    double tol = kLengthTolerance);
// Both >= 0 or both < 0.
[[nodiscard]] inline bool HaveSameSign(double x, double y)
{
    return (x >= 0.0 && y >= 0.0) || (x < 0.0 && y < 0.0);
}
