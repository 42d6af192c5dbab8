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
    }
    if (++m_frameIndex > m_frameCount)
        return false;
    if (m_frameIndex == m_frameCount)
    {
        view->SetCamera(m_to, 0.0);
    }
    else if (m_path != nullptr)
    {
        CCamera camera = view->GetViewDefinition().GetCamera();
        m_path->GetCamera(static_cast<double>(m_frameIndex) / m_frameCount, camera);
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

void CCameraTransition::Pause(bool /*paused*/)
{
    // The camera moves by frames, not by time: a step not taken moves nothing.
}

bool CCameraTransition::HasReachedEnd() const
{
    return m_frameCount > 0 && m_frameIndex >= m_frameCount;
}

void CCameraTransition::Release()
{
    delete this;
}
