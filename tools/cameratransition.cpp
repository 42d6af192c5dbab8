#include "tools/cameratransition.h"

#include <algorithm>

#include "drawapi/tarnisview.h"
#include "render/viewdefinition.h"
#include "tools/camerapath.h"

namespace {

// Camera transitions run at no more than 16 frames a second.
constexpr double kFramePeriod = 0.0625;

}  // namespace

CCameraTransition::CCameraTransition(const CCamera& from, const CCamera& to, double seconds)
    : m_from(from), m_to(to), m_duration(seconds), m_path(CreateCameraPath(from, to))
{
}

CCameraTransition::~CCameraTransition() = default;

bool CCameraTransition::Step(ITarnisView* view)
{
    if (m_frameCount == 0)
    {
        const double frameTime = std::max(view->GetAverageFrameTime(), kFramePeriod);
        m_frameCount = std::max(static_cast<int>(m_duration / frameTime), 1);
        m_clock.Start();
    }
    if (++m_frameIndex > m_frameCount)
        return false;
    // The clock leads where frames come slower than counted: a slow step skips ahead
    // rather than lengthen the transition.
    const double counted = static_cast<double>(m_frameIndex) / m_frameCount;
    const double t = m_duration > 0.0 ? std::max(counted, m_clock.GetElapsedSeconds() / m_duration) : 1.0;
    if (m_frameIndex == m_frameCount || t >= 1.0)
    {
        m_frameIndex = m_frameCount;
        view->SetCamera(m_to, 0.0);
    }
    else if (m_path != nullptr)
    {
        CCamera camera = view->GetViewDefinition().GetCamera();
        m_path->GetCamera(t, camera);
        view->SetCamera(camera, 0.0);
    }
    const double lastFrame = view->GetLastFrameTime();
    view->SetAnimationInterval(m_frameIndex > 1 && lastFrame < kFramePeriod ? kFramePeriod - lastFrame : 0.0);
    return true;
}

void CCameraTransition::Finish()
{
    // Also before the first step, which would otherwise count the frames afresh.
    m_frameCount = std::max(m_frameCount, 1);
    m_frameIndex = m_frameCount;
}

void CCameraTransition::Pause(bool paused)
{
    // Time held does not move the camera on.
    m_clock.Pause(paused);
}

void CCameraTransition::Release()
{
    delete this;
}
