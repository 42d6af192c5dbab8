#include "document/displayoverride.h"

#include "document/shadowinfo.h"
#include "document/tarnwickmodel.h"
#include "drawapi/tarnisview.h"
#include "foundation/color.h"
#include "foundation/notificationcenter.h"
#include "model/selectionset.h"
#include "model/undosuspender.h"

CDisplayOverride::CDisplayOverride(ITarnisView* view, int flags)
{
    if (view == nullptr || view->GetModel() == nullptr) {
        return;
    }
    CUndoSuspender suspender(true);
    m_view = view;
    m_model = view->GetModel();
    Install(flags);
}

CDisplayOverride::~CDisplayOverride()
{
    Restore();
}

void CDisplayOverride::Install(int flags)
{
    m_savedAxes = m_model->IsDisplayAxes();
    m_model->SetDisplayAxes(false);
    CShadowInfo* shadow = m_model->GetShadowInfo();
    if (shadow != nullptr) {
        m_savedSecondShadowSwitch = shadow->GetSecondDisplaySwitch();
        shadow->SetSecondDisplaySwitch(false);
    }
    CRenderingOptions* options = m_model->GetRenderingOptions();
    if (options != nullptr) {
        m_savedOptions = std::make_unique<CRenderingOptions>(*options);
        options->SetDisplayByte(CRenderingOptions::kBlendingAllowed, false);
        options->SetInstanceAxes(false);
        options->PostChange(kRenderingOverrideInstalled);
        options->SetDisplayByte(CRenderingOptions::kComponentEditDisplay, false);
        options->SetDisplayByte(CRenderingOptions::kToolFeedback, false);
    }
    m_model->GetSelectionSet().SetSelectedFlags(false);
    if (options != nullptr && (flags & kPrintColours) != 0) {
        ApplyPrintColours(*options);
    }
    if (shadow != nullptr) {
        m_savedShadows = shadow->IsDisplayShadows();
        if ((flags & kNoShadows) != 0) {
            shadow->SetDisplayShadowsQuiet(false);
        }
    }
    if (options != nullptr && (flags & kHideAnnotations) != 0) {
        options->SetDisplayByte(CRenderingOptions::kHideAnnotations, true);
    }
}

void CDisplayOverride::ApplyPrintColours(CRenderingOptions& options)
{
    options.SetJitterEdges(false);
    options.SetDrawProfiles(false);
    options.SetExtendEdges(false);
    options.SetDepthCue(false);
    options.SetDrawEndpoints(false);
    options.SetAltEdgeEffect(false);
    options.SetBackgroundColor(CColor(255, 255, 255, 255));
    options.SetForegroundColor(CColor(0, 0, 0, 255));
    options.SetDisplaySky(false);
    options.SetDisplayGround(false);
}

void CDisplayOverride::Restore()
{
    if (m_view == nullptr) {
        return;
    }
    CUndoSuspender suspender(true);
    m_model->SetDisplayAxes(m_savedAxes);
    if (CShadowInfo* shadow = m_model->GetShadowInfo()) {
        shadow->SetSecondDisplaySwitch(m_savedSecondShadowSwitch);
        shadow->SetDisplayShadowsQuiet(m_savedShadows);
    }
    if (m_savedOptions != nullptr && m_model->GetRenderingOptions() != nullptr) {
        *m_model->GetRenderingOptions() = *m_savedOptions;
    }
    m_model->GetSelectionSet().SetSelectedFlags(true);
    GetNotificationCenter().Post(kDisplayOverrideRestoreNotification, m_view);
    m_savedOptions.reset();
    m_view = nullptr;
    m_model = nullptr;
}
