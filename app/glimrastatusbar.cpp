#include "app/glimrastatusbar.h"

#include "app/resourceids.h"
#include "platform/sysinfo.h"

namespace {

constexpr UINT kIndicators[] = {0, ID_INDICATOR_VALUE_LABEL, ID_INDICATOR_VALUE};
constexpr int kValuePaneWidth = 100;

}  // namespace

CGlimraStatusBar::CGlimraStatusBar() : m_normalColour(GetSysColor(COLOR_BTNFACE)) {}

const UINT* CGlimraStatusBar::GetIndicators() const
{
    return kIndicators;
}

bool CGlimraStatusBar::SetupPanes()
{
    if (!SetIndicators(GetIndicators(), GetIndicatorCount()))
        return false;
    SetPaneInfo(1, ID_INDICATOR_VALUE_LABEL, SBPS_NOBORDERS, kValuePaneWidth);
    SetPaneRightAligned(1, true);
    SetPaneText(1, CString(), false);
    SetPaneInfo(2, ID_INDICATOR_VALUE, SBPS_NORMAL, kValuePaneWidth);
    SetPaneText(2, CString(), false);
    return true;
}
