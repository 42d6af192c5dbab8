#pragma once
// CCameraState: what drawing code needs to know of the camera a view draws with,
// handed over by value so that entities need neither the camera entity nor the view
// definition to decide which side of a face the eye sees.

#include "foundation/point3d.h"
#include "foundation/vector3d.h"

struct CCameraState
{
    CPoint3d eyePoint;
    // From the eye towards the target; unit length.
    CVector3d viewDirection{0.0, 0.0, -1.0};
    bool perspective = true;
    double nearDistance = 1.0;
    double farDistance = 1000.0;
    // How far in front of the eye the model's nearest point lies.
    double modelNearDistance = 1.0;
    // The screen's right and up directions in model space; labels read along them.
    CVector3d rightAxis{1.0, 0.0, 0.0};
    CVector3d upAxis{0.0, 1.0, 0.0};
    int viewportWidth = 0;
    int viewportHeight = 0;
};
