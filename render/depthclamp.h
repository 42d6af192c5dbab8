#pragma once
// Depth-clamped drawing: guide lines, axes and rays may reach behind the eye or past
// the far end of the depth range. Rather than letting GL clip them away, a segment is
// split at two planes just inside the range, and the parts outside are drawn flattened
// onto those planes, so the whole line stays visible. Both planes are perpendicular to
// the viewing direction: the far one at 0.9999 of the used far distance, the near one
// at 1.0001 of the used near distance. Also the up vector the camera tools give a new
// viewing direction.

#include "foundation/point3d.h"
#include "foundation/vector3d.h"

class CViewDefinition;
class IModelView;

// The point lies farther than the far clamp plane.
[[nodiscard]] bool IsBeyondFarClamp(const CViewDefinition& view, const CPoint3d& point);
// The point lies nearer than the near clamp plane (or its distance is not a number).
[[nodiscard]] bool IsInsideNearClamp(const CViewDefinition& view, const CPoint3d& point);
// The point moved onto the plane: perpendicularly in parallel projection, along the
// line from the eye in perspective (the plane's point on the axis when that fails).
[[nodiscard]] CPoint3d ClampToFarPlane(const CViewDefinition& view, const CPoint3d& point);
[[nodiscard]] CPoint3d ClampToNearPlane(const CViewDefinition& view, const CPoint3d& point);
// Where the line through a and b meets the plane (the plane's point on the axis when
// it does not).
[[nodiscard]] CPoint3d IntersectFarClamp(const CViewDefinition& view, const CPoint3d& a, const CPoint3d& b);
[[nodiscard]] CPoint3d IntersectNearClamp(const CViewDefinition& view, const CPoint3d& a, const CPoint3d& b);
// Draws the segment in up to three pieces through the view's DrawLine; nothing when
// the ends coincide within 0.001 on every axis.
void DrawDepthClampedSegment(IModelView& view, const CPoint3d& p, const CPoint3d& q);

void ScaleVectorInPlace(CVector3d& vector, double factor);
// An up vector perpendicular to the view from eye to target; unless the view is
// vertical it lies in the vertical plane through the view, on the side of the hint.
void ComputeCameraUp(const CPoint3d& eye, const CPoint3d& target, const CVector3d& hint, CVector3d& up);
