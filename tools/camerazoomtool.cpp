#include "tools/camerazoomtool.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <regex>
#include <string>
#include <system_error>

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

// The typed text as a plain decimal number, then "mm", "deg" or "deg." or nothing, with
// spaces around; anything else (no number, an exponent past every angle, "1/0") is no value.
bool ReadTypedNumber(const std::string& typed, double& value, std::string& unit)
{
    static const std::regex kForm(R"(^\s*([-+]?(?:[0-9]+\.?[0-9]*|\.[0-9]+)(?:[eE][-+]?[0-9]+)?)\s*(mm|deg\.?)?\s*$)");
    std::smatch match;
    if (!std::regex_match(typed, match, kForm))
        return false;
    std::string number = match[1].str();
    if (number.front() == '+')
        number.erase(0, 1);
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (error != std::errc() || end != number.data() + number.size() || !std::isfinite(value))
        return false;
    unit = match[2].str();
    if (unit == "deg.")
        unit = "deg";
    return true;
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

bool CCameraZoomTool::ParseFieldOfView(const CString& text, const CCamera& camera, double& degrees, int& mode) const
{
    double value = 0.0;
    std::string unit;
    if (!ReadTypedNumber(text.ToUtf8(), value, unit))
        return false;
    mode = unit == "mm" ? kShowFocalLength : (unit.empty() ? m_displayMode : kShowAngle);
    if (mode == kShowFocalLength)
    {
        // A lens has a positive focal length; an angle is taken from one only.
        if (!(value > 0.0))
            return false;
        degrees = camera.FocalLengthToFieldOfView(value);
        return std::isfinite(degrees);
    }
    // A view opens by a positive angle; the angle is then held to the range the camera takes.
    degrees = value;
    return value > 0.0;
}

bool CCameraZoomTool::TakeTypedValue(const CString& text)
{
    CTarnisView* view = AsModelView(GetView());
    if (view == nullptr)
        return true;
    double degrees = 0.0;
    int mode = m_displayMode;
    const bool taken = ParseFieldOfView(text, view->GetViewDefinition().GetCamera(), degrees, mode);
    if (taken)
    {
        m_displayMode = mode;
        SetFieldOfView(*view, std::clamp(degrees, 1.0, 120.0));
        view->StoreCamera();
        view->Invalidate(false);
    }
    m_firstDisplay = true;
    UpdateValue(view);
    return taken;
}

void CCameraZoomTool::SetFieldOfView(CTarnisView& view, double degrees)
{
    view.GetViewDefinition().SetFieldOfView(degrees);
}
