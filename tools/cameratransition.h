#pragma once
// CCameraTransition: moves the view's camera to another camera over a given time, one
// frame per timer tick. The number of frames is fixed at the first step from the
// view's average frame time (at most 16 frames a second); a step whose time on the clock
// lies further on goes there, so slow frames end the transition sooner rather than
// later. The last frame sets the to camera exactly.

#include <memory>

#include "document/camera.h"
#include "drawapi/animation.h"
#include "tools/transitionclock.h"

class CCameraPath;

class CCameraTransition : public IAnimation
{
public:
    CCameraTransition(const CCamera& from, const CCamera& to, double seconds);
    CCameraTransition(const CCameraTransition&) = delete;
    CCameraTransition& operator=(const CCameraTransition&) = delete;
    ~CCameraTransition() override;

    bool Step(ITarnisView* view) override;
    // The next step ends the transition without moving the camera further.
    void Finish() override;
    // Holds the clock: the time paused does not count.
    void Pause(bool paused) override;
    void Release() override;

private:
    CCamera m_from;
    CCamera m_to;
    double m_duration;
    int m_frameCount = 0;
    int m_frameIndex = 0;
    // Runs from the first step.
    CTransitionClock m_clock;
    std::unique_ptr<CCameraPath> m_path;
};
