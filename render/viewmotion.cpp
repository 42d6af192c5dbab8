#include "render/viewmotion.h"

#include <algorithm>
#include <cmath>

namespace {

// Relative, as a zoom changes the height by a factor.
bool SameAmount(double a, double b)
{
    return std::fabs(a - b) <= 1e-9 * std::max(std::fabs(a), std::fabs(b));
}

}  // namespace

bool CViewMotion::ShowSameView(const CCamera& a, const CCamera& b)
{
    return a.IsEqual(b) && SameAmount(a.GetFieldOfView(), b.GetFieldOfView()) &&
           SameAmount(a.GetParallelHeight(), b.GetParallelHeight());
}

CViewMotion::EFrame CViewMotion::BeginFrame(const CCamera& camera)
{
    if (HasMovedSinceFrame(camera)) {
        m_moving = true;
    }
    m_rest = camera;
    m_hasRest = true;
    return m_moving ? EFrame::kMoving : EFrame::kStill;
}

bool CViewMotion::EndFrame(EFrame frame, EOutcome outcome, bool asStill)
{
    // A frame input stopped shows nothing: the picture shown is what came before, which
    // is not what this frame was to show.
    m_stale = (frame == EFrame::kMoving && !asStill) || outcome == EOutcome::kInterrupted;
    // Shown as a still frame would show it, the view has settled where it stands.
    if (asStill && outcome == EOutcome::kWhole) {
        m_moving = false;
    }
    return m_stale;
}

bool CViewMotion::Settle(const CCamera& camera)
{
    m_moving = false;
    m_rest = camera;
    m_hasRest = true;
    return m_stale;
}

bool CViewMotion::HasMovedSinceFrame(const CCamera& camera) const
{
    return m_hasRest && !ShowSameView(camera, m_rest);
}

void CViewMotion::Forget()
{
    m_hasRest = false;
    m_moving = false;
    m_stale = false;
}
