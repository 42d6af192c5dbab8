#pragma once
// The mouse-to-camera mathematics of the camera tools, over a bare view definition: each
// motion takes the last and the current cursor position (window pixels, y down) and
// moves the camera, or answers false and leaves it alone when there is nothing to do
// (no movement, degenerate vectors). After every rotation the up vector is made
// perpendicular to the new view again and kept in the vertical plane through it.
#include "foundation/point2d.h"
#include "foundation/point3d.h"

class CViewDefinition;

// Eye and target turn about the pivot: a drag over the full viewport height turns by 90
// degrees; horizontal dragging slows down as the view turns vertical.
bool OrbitCamera(CViewDefinition& view, const CPoint3d& pivot, const CPoint2d& last, const CPoint2d& current);
// Each position maps to a point on a sphere of the radius about the pivot; the camera
// turns about the pivot by the angle between the last and the current point.
bool TrackballCamera(CViewDefinition& view, const CPoint3d& pivot, double radius, const CPoint2d& last,
                     const CPoint2d& current);
// Eye and target move together so that the reference point stays under the cursor.
bool PanCamera(CViewDefinition& view, const CPoint3d& reference, const CPoint2d& last, const CPoint2d& current);
// The target turns about the eye, 45 degrees per viewport height.
bool LookAroundCamera(CViewDefinition& view, const CPoint2d& last, const CPoint2d& current);
// Perspective only: the field of view becomes the degrees (held to 1..120) and the
// camera moves along its view so that the reference point keeps its apparent size.
bool ChangeFieldOfViewKeepingFraming(CViewDefinition& view, const CPoint3d& reference, double degrees);
// Half the larger visible extent at the pivot, in model units.
[[nodiscard]] double ComputeOrbitRadius(const CViewDefinition& view, const CPoint3d& pivot);
