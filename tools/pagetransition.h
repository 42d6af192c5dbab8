#pragma once
// CPageTransition: moves the view from one page to the next over the page's transition
// time: the camera along a camera path, the shadow time (forward through midnight when
// that is the short way), the section planes, and sky, ground and fog. It is driven by
// the clock, not by counted frames: each step closes the share of the remaining
// distance that the frame time takes of the remaining time, so the motion eases toward
// the end and keeps to the duration even when frames are slow. Time spent paused does
// not count. At most 25 frames a second, and at most two minutes long whatever the page
// asks for.

#include <cstdint>
#include <memory>
#include <vector>

#include "document/camera.h"
#include "document/shadowinfo.h"
#include "drawapi/animation.h"
#include "tools/transitionclock.h"

class CCameraPath;
class CRenderingOptionsTransition;
class CSectionPlaneTransition;
class CViewPage;

class CPageTransition : public IAnimation
{
public:
    // The page moves what its property mask holds: the camera, the shadows (when both
    // the model and the page have shadow settings), the section planes and the display
    // settings. The from page may be null.
    CPageTransition(ITarnisView* view, CViewPage* from, CViewPage* to, double seconds);
    CPageTransition(const CPageTransition&) = delete;
    CPageTransition& operator=(const CPageTransition&) = delete;
    ~CPageTransition() override;

    // The step that reaches the end sets the end state and answers true; the next
    // answers false.
    bool Step(ITarnisView* view) override;
    // Section planes take their final places; the camera stays where it is.
    void Finish() override;
    void Pause(bool paused) override;
    void Release() override;
    // The step that set the end state, or a finish, was the last.
    [[nodiscard]] bool HasReachedEnd() const override { return m_finished; }

    [[nodiscard]] double GetPosition() const { return m_t; }
    [[nodiscard]] std::int32_t GetShadowSecondOffset() const { return m_secondOffset; }
    [[nodiscard]] std::int32_t GetShadowDayOffset() const { return m_dayOffset; }

private:
    void Begin(ITarnisView* view);
    void ComputeShadowOffsets();
    void Apply(ITarnisView* view, double t);
    void End(ITarnisView* view);
    void NotifyFrame(double t) const;

    CViewPage* m_from;
    CViewPage* m_to;
    bool m_begun = false;
    CShadowInfo m_startShadow;
    CShadowInfo m_endShadow;
    bool m_moveCamera = false;
    bool m_moveShadow = false;
    double m_duration;
    CTransitionClock m_clock;
    int m_frameIndex = 0;
    bool m_finished = false;
    double m_t = 0.0;
    std::unique_ptr<CCameraPath> m_path;
    CCamera m_endCamera;
    std::int64_t m_shadowStartTime = 0;
    std::int32_t m_secondOffset = 0;
    std::int32_t m_dayOffset = 0;
    std::vector<std::unique_ptr<CSectionPlaneTransition>> m_sectionPlanes;
    std::unique_ptr<CRenderingOptionsTransition> m_displayBlend;
};
