#pragma once

#include "document/camera.h"

class ITarnisView;

// The view's camera in the other projection, placed so that both projections show the
// model point at the centre of the view at the same size. The parallel height follows
// from the perspective picture at the target's depth, but a stored target may lie
// anywhere on the line of sight (older files and fresh cameras keep it one unit from
// the eye): the target is first moved to the depth of what the view shows. Going to
// perspective, the eye steps back from that depth until the field of view spans the
// parallel height there. What shows at the view's centre differs between the
// projections, so going to perspective a target within the model's depth, as going to
// parallel leaves it, stays where it is: off and on again gives the picture it started
// from. Without a model point the target stays as it is.
[[nodiscard]] CCamera SwitchProjection(ITarnisView& view, bool perspective);
