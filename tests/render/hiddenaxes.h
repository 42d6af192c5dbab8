#pragma once
// Pixel tests look at a model without its axes: neither the drawing axes nor the
// component axes, which stand at the model's origin while no component is open.

#include "document/componentcs.h"
#include "document/tarnwickmodel.h"

inline void HideModelAxes(CTarnwickModel& model)
{
    model.SetDisplayAxes(false);
    // Arms of no length draw nothing.
    model.GetComponentAxes()->SetSize(0.0);
}
