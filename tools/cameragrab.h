#pragma once
// What the camera tools take hold of in the view when a drag starts: the pivot an orbit
// turns about, the model point a pan, walk or field-of-view change keeps in place, and
// how deep the model lies under a zoom. They read the depth buffer of the last frame
// drawn (the view's context must be current; without one nothing is found) and fall back
// to the camera's target. User-interface thread only.
#include "foundation/point2d.h"
#include "foundation/point3d.h"

class CTarnisView;
class CViewDefinition;

// Model pixels of the last frame in a window rectangle (corners included, y down).
struct CDepthSample
{
    int count = 0;
    // Mean window depth of the model pixels; 0.5 without any.
    double average = 0.5;
};
[[nodiscard]] CDepthSample AnalyzeDepth(const CViewDefinition& view, int left, int top, int right, int bottom);

// The centre of what the view shows: on the line through the viewport centre at the
// mean depth of the model drawn, else the camera's target.
[[nodiscard]] CPoint3d FindOrbitPivot(CTarnisView& view, const CPoint2d& pixel);
// The model point under the pixel (or the mean depth around it), else the point of the
// pick line nearest the target; the target when that lies behind the camera.
[[nodiscard]] CPoint3d FindReferencePoint(CTarnisView& view, const CPoint2d& pixel);
// Zooms at the pixel: a factor below 0 zooms in, in both projections; perspective moves
// by the depth of the model under the pixel, at least the near distance. The camera is
// stored and the view asked to draw.
void ZoomAboutPoint(CTarnisView& view, const CPoint2d& pixel, double factor);
// The model point under the pixel moves to the centre of the view.
void CenterOnPoint(CTarnisView& view, const CPoint2d& pixel);
// The rectangle fills the view afterwards; nothing for an empty rectangle.
void ZoomWindow(CTarnisView& view, const CPoint2d& corner1, const CPoint2d& corner2);
