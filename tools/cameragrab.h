#pragma once
// What the camera tools take hold of in the view when a drag starts: the pivot an orbit
// turns about and the model point a pan, walk or field-of-view change keeps in place.
// Both fall back to the camera's target. The question put to the model stops for any
// input, the pointer's motion and the wheel too, so that a drag moves at once: the
// point is then the one the picture shown gives, and the drag asks again later.
// User-interface thread only.
#include "foundation/point2d.h"
#include "foundation/point3d.h"

class CTarnisView;

// The orbit centre for the window point (the view-centre finder's pivot); the target
// when that lies behind the camera. whole: false when input stopped the question.
[[nodiscard]] CPoint3d FindOrbitPivot(CTarnisView& view, const CPoint2d& pixel, bool& whole);
// The model point under the pixel, else the point of the pick line nearest the target;
// the target when that lies behind the camera. whole: false when input stopped the pick.
[[nodiscard]] CPoint3d FindReferencePoint(CTarnisView& view, const CPoint2d& pixel, bool& whole);
