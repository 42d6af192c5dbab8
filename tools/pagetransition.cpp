#include "tools/pagetransition.h"

#include <algorithm>
#include <cmath>

#include "annotations/sectionplane.h"
#include "document/animationseconds.h"
#include "document/tarnwickmodel.h"
#include "document/viewpage.h"
#include "drawapi/tarnisview.h"
#include "model/undosuspender.h"
#include "render/projectionswitch.h"
#include "render/viewdefinition.h"
#include "tools/camerapath.h"
#include "tools/renderingoptionstransition.h"
#include "tools/sectionplanetransition.h"

namespace {

// Page transitions run at no more than 25 frames a second.
constexpr double kFramePeriod = 0.04;
constexpr double kEndTolerance = 0.001;
constexpr std::int64_t kSecondsPerDay = 86400;

std::vector<CSectionPlane*> ActiveSectionPlanes(const CTarnwickModel* model)
{
    std::vector<CDrawingElement*> active;
    if (model != nullptr)
        model->CollectActiveSectionPlanes(active);
    std::vector<CSectionPlane*> planes;
    for (CDrawingElement* element : active)
        if (auto* plane = dynamic_cast<CSectionPlane*>(element))
            planes.push_back(plane);
    return planes;
}

// Whether the page shows section cuts: its own display settings say so, or it keeps none.
bool ShowsCuts(const CViewPage& page)
{
    const CRenderingOptions* options = page.GetRenderingOptions();
    if ((page.GetPropertyMask() & CViewPage::kRenderingOptions) == 0 || options == nullptr)
        return true;
    return (options->GetSectionFlags() & CRenderingOptions::kSectionCutsShown) != 0;
}

// Noon of the day, so that a change of daylight saving never moves it across midnight.
std::int64_t Noon(int year, int month, int day)
{
    return CUtcTime(year, month, day, 12, 0, 0).GetTime();
}

}  // namespace

CPageTransition::CPageTransition(ITarnisView* view, CViewPage* from, CViewPage* to, double seconds)
    : m_from(from), m_to(to), m_duration(PlayedSeconds(seconds, kMaxTransitionSeconds)), m_endCamera(to->GetCamera())
{
    const std::int32_t mask = to->GetPropertyMask();
    CTarnwickModel* model = view->GetModel();
    m_moveCamera = (mask & CViewPage::kCamera) != 0;
    if (m_moveCamera)
        m_path.reset(CreateCameraPath(SwitchProjection(*view, m_endCamera.IsPerspective()), m_endCamera));
    m_moveShadow = (mask & CViewPage::kShadowSettings) != 0 && model != nullptr &&
                   model->GetShadowInfo() != nullptr && to->GetShadowInfo() != nullptr;
    if (m_moveShadow)
    {
        m_startShadow = *model->GetShadowInfo();
        m_endShadow = *to->GetShadowInfo();
    }
    if ((mask & CViewPage::kSectionPlanes) != 0)
        m_sectionPlanes = BuildSectionPlaneTransitions(ActiveSectionPlanes(model), to->GetSectionPlanes(),
                                                       view->GetViewDefinition(), ShowsCuts(*to));
    if ((mask & CViewPage::kRenderingOptions) != 0 && to->GetRenderingOptions() != nullptr &&
        view->GetRenderingOptions() != nullptr)
        m_displayBlend = std::make_unique<CRenderingOptionsTransition>(*view->GetRenderingOptions(),
                                                                       *to->GetRenderingOptions());
    m_clock.Start();
}

CPageTransition::~CPageTransition() = default;

void CPageTransition::NotifyFrame(double t) const
{
    NotifyPageFrame(m_from != nullptr ? m_from->GetId() : 0, m_to->GetId(), t);
}

void CPageTransition::Begin(ITarnisView* view)
{
    m_t = 0.0;
    m_begun = true;
    m_finished = false;
    NotifyFrame(0.0);
    if (m_moveShadow)
    {
        m_shadowStartTime = m_startShadow.GetDateTime().GetTime();
        ComputeShadowOffsets();
        CTarnwickModel* model = view->GetModel();
        if (model != nullptr && model->GetShadowInfo() != nullptr)
            model->GetShadowInfo()->SetDateTime(CUtcTime(m_shadowStartTime));
    }
    m_clock.Start();
}

void CPageTransition::ComputeShadowOffsets()
{
    const CUtcTime& start = m_startShadow.GetDateTime();
    const CUtcTime& end = m_endShadow.GetDateTime();
    m_secondOffset = 0;
    m_dayOffset = 0;
    if (!start.IsInCalendarRange() || !end.IsInCalendarRange())
        return;
    const int year = start.GetYear();
    const CUtcTime endClock(year, start.GetMonth(), start.GetDay(), end.GetHour(), end.GetMinute(), end.GetSecond());
    m_secondOffset = static_cast<std::int32_t>(endClock.GetTime() - m_shadowStartTime);
    m_dayOffset = static_cast<std::int32_t>((Noon(year, end.GetMonth(), end.GetDay()) -
                                             Noon(year, start.GetMonth(), start.GetDay())) /
                                            kSecondsPerDay);
    // Less than a day across midnight runs as a change of the time alone.
    if (m_dayOffset == 1 && m_secondOffset < 0)
    {
        m_secondOffset += kSecondsPerDay;
        m_dayOffset = 0;
    }
    else if (m_dayOffset == -1 && m_secondOffset > 0)
    {
        m_secondOffset -= kSecondsPerDay;
        m_dayOffset = 0;
    }
}

bool CPageTransition::Step(ITarnisView* view)
{
    if (m_finished)
        return false;
    // Page transitions leave nothing to undo.
    CUndoSuspender suspender;
    double elapsed = 0.0;
    double frameTime = 0.0;
    if (m_frameIndex == 0)
    {
        Begin(view);
        frameTime = view->GetAverageFrameTime();
    }
    else
    {
        elapsed = m_clock.GetElapsedSeconds();
        frameTime = elapsed / m_frameIndex;
    }
    frameTime = std::max(frameTime, kFramePeriod);
    if (elapsed + frameTime - m_duration > -kEndTolerance)
    {
        End(view);
    }
    else
    {
        m_t += frameTime / (m_duration - elapsed) * (1.0 - m_t);
        Apply(view, m_t);
    }
    ++m_frameIndex;
    const double lastFrame = view->GetLastFrameTime();
    view->SetAnimationInterval(m_frameIndex > 1 && lastFrame < kFramePeriod ? kFramePeriod - lastFrame : 0.0);
    return true;
}

void CPageTransition::End(ITarnisView* view)
{
    if (m_moveCamera)
        view->SetCamera(m_endCamera, 0.0);
    CTarnwickModel* model = view->GetModel();
    if (m_moveShadow && model != nullptr)
        model->SetShadowInfo(m_endShadow);
    // The blend ends exactly on the page's settings, not one frame short of them.
    if (m_displayBlend != nullptr && view->GetRenderingOptions() != nullptr)
        m_displayBlend->Interpolate(1.0, *view->GetRenderingOptions());
    m_t = 1.0;
    NotifyFrame(1.0);
    Finish();
}

void CPageTransition::Apply(ITarnisView* view, double t)
{
    // The offsets are scaled by t: outside [0, 1] (or not a number) they would overflow.
    t = std::isfinite(t) ? std::clamp(t, 0.0, 1.0) : 0.0;
    if (!m_begun)
        Begin(view);
    if (m_path != nullptr)
    {
        CCamera camera = view->GetViewDefinition().GetCamera();
        m_path->GetCamera(t, camera);
        view->SetCamera(camera, 0.0);
    }
    CTarnwickModel* model = view->GetModel();
    CShadowInfo* shadow = model != nullptr ? model->GetShadowInfo() : nullptr;
    if (shadow == nullptr)
        return;
    if (m_moveShadow)
        shadow->SetDateTime(CUtcTime(m_shadowStartTime + static_cast<std::int64_t>(m_dayOffset * t) * kSecondsPerDay +
                                     static_cast<std::int64_t>(m_secondOffset * t)));
    for (const auto& record : m_sectionPlanes)
    {
        InterpolateSectionPlane(*record, t);
        shadow->DeleteDisplayList();
    }
    if (m_displayBlend != nullptr && view->GetRenderingOptions() != nullptr)
        m_displayBlend->Interpolate(t, *view->GetRenderingOptions());
    NotifyFrame(t);
}

void CPageTransition::Finish()
{
    if (m_finished)
        return;
    m_finished = true;
    for (const auto& record : m_sectionPlanes)
        FinishSectionPlaneTransition(*record);
}

void CPageTransition::Pause(bool paused)
{
    m_clock.Pause(paused);
}

void CPageTransition::Release()
{
    delete this;
}
