#pragma once
// Point tests against 2-D segments and polygons, and the perspective division of a
// camera-space point.

#include "foundation/point2d.h"

struct CPoint3d;

// Classification codes of a point against a 2-D polygon.
inline constexpr int kPointInPolygon = 1;
inline constexpr int kPointOnPolygonEdge = 2;
inline constexpr int kPointOnPolygonVertex = 4;
inline constexpr int kPointOutsidePolygon = 8;

// Whether p equals (as 2-D points) its projection (1 - t)*a + t*b on the line through
// a and b. t, when given, receives the projection parameter (0 when a and b are less
// than 0.001 apart). t is not clamped: points on the line beyond either end count.
[[nodiscard]] bool IsPointOnSegment2d(const CPoint2d& a, const CPoint2d& b, const CPoint2d& p,
                                      double* t = nullptr);

// Classifies p against the closed polygon of n vertices (the last joined to the first):
// kPointInPolygon, kPointOnPolygonEdge, kPointOnPolygonVertex or kPointOutsidePolygon.
// A polygon with no vertices (n < 1) leaves every point outside; vertices is then not read.
[[nodiscard]] int ClassifyPointInPolygon2d(const CPoint2d& p, const CPoint2d* vertices, int n);

// Divides the camera-space point p in place for a focal distance f. With onImagePlane
// false every coordinate is multiplied by f/(f - z); with it true x and y are
// multiplied by -(f/z) and z becomes -f. Answers false, leaving p unchanged, when the
// divisor is within 1e-10 of 0 (|z| for either form, |f - z| as well for the first).
bool ProjectPerspective(CPoint3d& p, double f, bool onImagePlane);
