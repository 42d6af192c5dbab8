#pragma once
// CAutopanAnimation: pans the camera while the cursor rests at the window border during
// a drag, continuously, in a screen direction, at a speed tied to the frame time so that
// the picture moves at the same pace on fast and slow machines. The view starts and
// stops it (CTarnisView::StartAutopan, StopAutopan); it never ends by itself.

#include "drawapi/animation.h"
#include "foundation/point3d.h"

class CTarnisView;

class CAutopanAnimation : public IAnimation
{
public:
    // The direction in viewport units: x across, y up, each -1, 0 or 1. The pace is set
    // by the model's size at the point shown in the viewport centre.
    CAutopanAnimation(CTarnisView& view, double directionX, double directionY);

    bool Step(ITarnisView* view) override;
    void Finish() override {}
    void Pause(bool /*paused*/) override {}
    void Release() override { delete this; }

    [[nodiscard]] const CPoint3d& GetPivot() const { return m_pivot; }
    [[nodiscard]] double GetPixelSize() const { return m_pixelSize; }
    // The camera's offset for one step at the average frame time.
    [[nodiscard]] CVector3d ComputeStepOffset(const ITarnisView& view) const;

private:
    double m_directionX;
    double m_directionY;
    CPoint3d m_pivot;
    double m_pixelSize = 0.0;
};
