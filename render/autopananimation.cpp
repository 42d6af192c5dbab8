#include "render/autopananimation.h"

#include <GL/gl.h>

#include <algorithm>

#include "render/tarnisview.h"
#include "render/viewanalyzer.h"

namespace {

// Steps never come faster than this, and a slow frame never slows the pan below a
// quarter of the viewport per step.
constexpr double kStepSeconds = 0.0625;
constexpr double kMinStepsPerViewport = 4.0;

}  // namespace

CAutopanAnimation::CAutopanAnimation(CTarnisView& view, double directionX, double directionY)
    : m_directionX(directionX), m_directionY(directionY)
{
    const CViewDefinition& definition = view.GetViewDefinition();
    int x = 0;
    int y = 0;
    definition.GetViewportCenter(x, y);
    CViewAnalyzer analyzer(view);
    analyzer.AnalyzeAround(CPoint2d(x, y));
    m_pivot = definition.GetTarget();
    CPoint3d point;
    if (analyzer.GetCount() > 0 && view.ScreenToModel(CPoint3d(x, y, analyzer.GetAverage()), point)) {
        m_pivot = point;
    }
    if (DotProduct(m_pivot - definition.GetEye(), definition.GetViewDirection()) < 0.0) {
        m_pivot = definition.GetTarget();
    }
    m_pixelSize = view.PixelsToModelLength(1.0, m_pivot);
    view.Invalidate(false);
}

CVector3d CAutopanAnimation::ComputeStepOffset(const ITarnisView& view) const
{
    const double seconds = std::max(view.GetAverageFrameTime(), kStepSeconds);
    const double stepsPerViewport = std::max(2.0 / seconds, kMinStepsPerViewport);
    const CViewDefinition& definition = view.GetViewDefinition();
    return definition.GetXAxis() *
               (definition.GetViewportWidth() * m_directionX * m_pixelSize / stepsPerViewport) +
           definition.GetYAxis() *
               (definition.GetViewportHeight() * m_directionY * m_pixelSize / stepsPerViewport);
}

bool CAutopanAnimation::Step(ITarnisView* view)
{
    auto* tarnisView = dynamic_cast<CTarnisView*>(view);
    if (tarnisView == nullptr) {
        return false;
    }
    CViewDefinition& definition = tarnisView->GetViewDefinition();
    const CVector3d offset = ComputeStepOffset(*view);
    definition.SetEyeTarget(definition.GetEye() + offset, definition.GetTarget() + offset,
                            definition.GetCamera().GetUp());
    tarnisView->StoreCamera();
    const double last = view->GetLastFrameTime();
    view->SetAnimationInterval(last < kStepSeconds ? kStepSeconds - last : 0.0);
    return true;
}
