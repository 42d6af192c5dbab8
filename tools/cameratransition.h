#pragma once
// CCameraTransition: moves the view's camera to another camera over a given time, one
// frame per timer tick. The number of frames is fixed at the first step from the
// view's average frame time (at most 16 frames a second), and each step moves the camera
// one frame's share of the way along the path, however long its frame took. The last
// frame sets the to camera exactly.

#include <memory>

#include "document/camera.h"
#include "drawapi/animation.h"

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
    // Nothing: a transition held takes no step, and the next goes on from there.
    void Pause(bool paused) override;
    void Release() override;
    // The step that set the to camera, or a finish, was the last.
    [[nodiscard]] bool HasReachedEnd() const override;

private:
    CCamera m_from;
    CCamera m_to;
    double m_duration;
    int m_frameCount = 0;
    int m_frameIndex = 0;
    std::unique_ptr<CCameraPath> m_path;
};
