#include "tools/camerazoomtool.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "platform/printfformat.h"
#include "platform/profile.h"
#include "platform/ui/stringtable.h"
#include "render/hostservices.h"
#include "render/tarnisview.h"

namespace {

const CString kToolsSection("Tools");
const CString kDisplayModeEntry("FovDisplayMode");

// A format from the string table is used only when it takes the one number the fallback takes.
CString FormatNumber(int stringId, const char* fallback, double value)
{
    const std::string format = LoadFormatString(stringId).ToUtf8();
    return CString::Formatted(TakesSameValues(format, fallback) ? format.c_str() : fallback, value);
}

}  // namespace

CCameraZoomTool::CCameraZoomTool(int kind)
    : CCameraTool(kind), m_displayMode(GetProfileInt(kToolsSection, kDisplayModeEntry, kShowAngle))
{
}

CCameraZoomTool::~CCameraZoomTool()
{
    WriteProfileInt(kToolsSection, kDisplayModeEntry, m_displayMode);
}

void CCameraZoomTool::OnActivate()
{
    CCameraTool::OnActivate();
    m_firstDisplay = true;
    UpdateValue(GetView());
}

void CCameraZoomTool::Resume()
{
    CCameraTool::Resume();
    OnActivate();
}

void CCameraZoomTool::UpdateValue(ITarnisView* view)
{
    if (view == nullptr)
        view = GetView();
    if (view == nullptr)
        return;
    const CViewDefinition& definition = view->GetViewDefinition();
    if (!definition.IsPerspective())
    {
        SetValueBoxActive(false);
        ClearValueText();
        SetStatusText(kPromptPane, CString(), false);
        m_lastShown = -1.0;
        return;
    }
    if (m_firstDisplay || !IsValueBoxActive())
    {
        SetStatusTextFromResource(kPromptPane,
                                  m_displayMode == kShowFocalLength ? kFocalLengthLabelId : kFieldOfViewLabelId);
        SetValueBoxActive(true);
    }
    const double degrees = definition.GetCamera().GetFieldOfView();
    if (m_firstDisplay || std::abs(degrees - m_lastShown) >= 0.001)
    {
        SetValueText(m_displayMode == kShowFocalLength
                         ? FormatNumber(kMillimetresFormatId, "%.0f mm",
                                        definition.GetCamera().FieldOfViewToFocalLength(degrees))
                         : FormatNumber(kDegreesFormatId, "%.2f deg.", degrees));
        m_lastShown = degrees;
    }
    m_firstDisplay = false;
}

bool CCameraZoomTool::ParseFieldOfView(const CString& text, const CCamera& camera, double& degrees)
{
    const std::string typed = text.ToUtf8();
    double value = 0.0;
    if (typed.find("mm") != std::string::npos)
    {
        if (std::sscanf(typed.c_str(), "%lfmm", &value) != 1)
            return false;
        m_displayMode = kShowFocalLength;
        degrees = camera.FocalLengthToFieldOfView(value);
        return true;
    }
    if (typed.find("deg") != std::string::npos)
    {
        if (std::sscanf(typed.c_str(), "%lfdeg", &value) != 1)
            return false;
        m_displayMode = kShowAngle;
        degrees = value;
        return true;
    }
    if (std::sscanf(typed.c_str(), "%lf", &value) != 1)
        return false;
    degrees = m_displayMode == kShowFocalLength ? camera.FocalLengthToFieldOfView(value) : value;
    return true;
}

void CCameraZoomTool::OnUserText(const CString& text)
{
    CTarnisView* view = AsModelView(GetView());
    double degrees = 0.0;
    if (view == nullptr || !ParseFieldOfView(text, view->GetViewDefinition().GetCamera(), degrees) ||
        !std::isfinite(degrees))
        return;
    SetFieldOfView(*view, std::clamp(degrees, 1.0, 120.0));
    view->StoreCamera();
    view->Invalidate(false);
    m_firstDisplay = true;
    UpdateValue(view);
}

void CCameraZoomTool::SetFieldOfView(CTarnisView& view, double degrees)
{
    view.GetViewDefinition().SetFieldOfView(degrees);
}
