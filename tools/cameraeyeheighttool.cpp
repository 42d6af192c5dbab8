#include "tools/cameraeyeheighttool.h"

#include <cmath>

#include "foundation/lengthformatter.h"
#include "render/hostservices.h"
#include "render/tarnisview.h"

namespace {

// Heights closer than this count as the same, as eye positions do elsewhere.
constexpr double kHeightTolerance = 0.001;

}  // namespace

void CCameraEyeHeightTool::OnActivate()
{
    CTool::OnActivate();
    ListenToAnimations(true);
    SetStatusTextFromResource(kPromptPane, kEyeHeightLabelId);
    SetValueBoxActive(true);
    m_firstDisplay = true;
    UpdateValue(GetView());
    ShowPrompt();
}

void CCameraEyeHeightTool::Resume()
{
    CCameraTool::Resume();
    OnActivate();
}

void CCameraEyeHeightTool::UpdateValue(ITarnisView* view)
{
    CTarnisView* modelView = AsModelView(view != nullptr ? view : GetView());
    if (modelView == nullptr)
        return;
    const double height = GetEyeHeight(*modelView);
    if (!m_firstDisplay && std::abs(height - m_lastShown) < kHeightTolerance)
        return;
    SetValueText(CLengthFormatter().Format(height));
    m_lastShown = height;
    m_firstDisplay = false;
}

bool CCameraEyeHeightTool::TakeTypedValue(const CString& text)
{
    CTarnisView* view = AsModelView(GetView());
    if (view == nullptr)
        return true;
    double height = 0.0;
    // An eye below the ground sees the model from under its floor.
    if (!CLengthFormatter().Parse(text, height) || !std::isfinite(height) || height < 0.0)
    {
        m_firstDisplay = true;
        UpdateValue(view);
        return false;
    }
    if (!SetEyeHeight(*view, height))
        return true;
    m_typedHeight = height;
    m_firstDisplay = true;
    UpdateValue(view);
    return true;
}

double CCameraEyeHeightTool::GetEyeHeight(CTarnisView& view)
{
    return view.GetViewDefinition().GetEye().z;
}

bool CCameraEyeHeightTool::SetEyeHeight(CTarnisView& view, double height)
{
    const double dz = height - view.GetViewDefinition().GetEye().z;
    if (std::abs(dz) < kHeightTolerance)
        return false;
    RaiseCamera(view, dz);
    return true;
}

void CCameraEyeHeightTool::RaiseCamera(CTarnisView& view, double dz)
{
    CCamera camera = view.GetViewDefinition().GetCamera();
    const CVector3d rise(0.0, 0.0, dz);
    camera.SetEyeTargetUp(camera.GetEye() + rise, camera.GetTarget() + rise, camera.GetUp());
    view.SetCamera(camera, kEyeMoveSeconds);
}
