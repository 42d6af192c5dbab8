#include "foundation/polygon2d.h"

#include <cmath>

#include "foundation/point3d.h"
#include "foundation/tolerance.h"

namespace {

double ProjectionParameter(const CPoint2d& a, const CPoint2d& b, const CPoint2d& p)
{
    const CVector2d ab = b - a;
    const double lengthSquared = ab.GetLengthSquared();
    if (lengthSquared < kUnitTolerance) {
        return 0.0;
    }
    const CVector2d ap = p - a;
    return (ap.x * ab.x + ap.y * ab.y) / lengthSquared;
}

CPoint2d PointAtParameter(const CPoint2d& a, const CPoint2d& b, double t)
{
    return {(1.0 - t) * a.x + t * b.x, (1.0 - t) * a.y + t * b.y};
}

// -1 below p's horizontal line, 0 on it (within 0.001), 1 above.
int SideOf(const CPoint2d& vertex, const CPoint2d& p)
{
    const double dy = vertex.y - p.y;
    if (dy < -kLengthTolerance) {
        return -1;
    }
    return dy > kLengthTolerance ? 1 : 0;
}

enum class EdgeResult
{
    NoCrossing,
    Crossing,
    OnEdge
};

// One edge of the crossing-number walk, for an edge whose ends lie on different sides.
EdgeResult ClassifyCrossingEdge(const CPoint2d& p, const CPoint2d& previous, int previousSide,
                                const CPoint2d& current, int currentSide)
{
    const double t = ProjectionParameter(previous, current, p);
    if (t > 0.0 && t < 1.0 && p == PointAtParameter(previous, current, t)) {
        return EdgeResult::OnEdge;
    }
    switch (previousSide + currentSide) {
    case 0: {
        const double x = previous.x + (p.y - previous.y) * (current.x - previous.x) / (current.y - previous.y) - p.x;
        if (std::fabs(x) <= kLengthTolerance) {
            return EdgeResult::OnEdge;
        }
        return x > 0.0 ? EdgeResult::Crossing : EdgeResult::NoCrossing;
    }
    case -1: {
        // One end lies on p's line, the other below it: the end on the line decides.
        const double onLineX = previousSide == 0 ? previous.x : current.x;
        return onLineX > p.x ? EdgeResult::Crossing : EdgeResult::NoCrossing;
    }
    default:
        return EdgeResult::NoCrossing;
    }
}

}  // namespace

bool IsPointOnSegment2d(const CPoint2d& a, const CPoint2d& b, const CPoint2d& p, double* t)
{
    const double parameter = ProjectionParameter(a, b, p);
    if (t != nullptr) {
        *t = parameter;
    }
    return p == PointAtParameter(a, b, parameter);
}

int ClassifyPointInPolygon2d(const CPoint2d& p, const CPoint2d* vertices, int n)
{
    if (n < 1 || vertices == nullptr) {
        return kPointOutsidePolygon;
    }
    const CPoint2d* previous = &vertices[n - 1];
    if (*previous == p) {
        return kPointOnPolygonVertex;
    }
    int previousSide = SideOf(*previous, p);
    int crossings = 0;
    for (int i = 0; i < n; ++i) {
        const CPoint2d& current = vertices[i];
        if (current == p) {
            return kPointOnPolygonVertex;
        }
        const int currentSide = SideOf(current, p);
        if (currentSide != previousSide) {
            const EdgeResult edge = ClassifyCrossingEdge(p, *previous, previousSide, current, currentSide);
            if (edge == EdgeResult::OnEdge) {
                return kPointOnPolygonEdge;
            }
            if (edge == EdgeResult::Crossing) {
                ++crossings;
            }
        } else if (currentSide == 0 && (p.x - current.x) * (p.x - previous->x) < 0.0) {
            return kPointOnPolygonEdge;
        }
        previous = &current;
        previousSide = currentSide;
    }
    return (crossings % 2) == 1 ? kPointInPolygon : kPointOutsidePolygon;
}

bool ProjectPerspective(CPoint3d& p, double f, bool onImagePlane)
{
    if (!(std::fabs(p.z) >= kDivisionTolerance)) {
        return false;
    }
    if (onImagePlane) {
        const double factor = -(f / p.z);
        p.x *= factor;
        p.y *= factor;
        p.z = -f;
        return true;
    }
    const double divisor = f - p.z;
    if (!(std::fabs(divisor) >= kDivisionTolerance)) {
        return false;
    }
    const double factor = f / divisor;
    p.x *= factor;
    p.y *= factor;
    p.z *= factor;
    return true;
}
