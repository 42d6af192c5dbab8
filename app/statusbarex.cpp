#include "app/statusbarex.h"

#include <algorithm>

#include "platform/sysinfo.h"

bool CStatusBarEx::SetIndicators(const UINT* ids, int count)
{
    m_backgrounds.assign(static_cast<size_t>(std::max(count, 0)), GetSysColor(COLOR_BTNFACE));
    if (!CStatusBar::SetIndicators(ids, count))
        return false;
    for (int i = 0; i < count; ++i)
        SetPaneFill(i, m_backgrounds[static_cast<size_t>(i)]);
    return true;
}

void CStatusBarEx::SetPaneBackground(int index, COLORREF colour)
{
    if (index < 0 || index >= static_cast<int>(m_backgrounds.size()))
        return;
    m_backgrounds[static_cast<size_t>(index)] = colour;
    SetPaneFill(index, colour);
}

COLORREF CStatusBarEx::GetPaneBackground(int index) const
{
    if (index < 0)
        return static_cast<COLORREF>(index);
    return index < static_cast<int>(m_backgrounds.size()) ? m_backgrounds[static_cast<size_t>(index)] : 0;
}

void CStatusBarEx::ClearAllPanes()
{
    if (GetBarWidget() == nullptr)
        return;
    for (int i = 1; i < GetCount(); ++i)
        SetPaneText(i, CString(), true);
    SetPaneText(0, CString(), true);
}
