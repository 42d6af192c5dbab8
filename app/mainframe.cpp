#include "app/mainframe.h"

#include <QGuiApplication>
#include <QMainWindow>
#include <QScreen>

#include "app/frameplacement.h"
#include "app/resourceids.h"
#include "platform/profile.h"
#include "platform/ui/stringtable.h"

namespace {

const CString kSummarySection("Toolbars-Summary");
const CString kBarStateSection("Toolbars");

const CToolbarDefinition& Definition(int index)
{
    switch (index)
    {
    case 0: return GetStandardToolbar();
    case 1: return GetCameraToolbar();
    case 2: return GetDisplayStyleToolbar();
    default: return GetViewsToolbar();
    }
}

// The size of the primary screen; a common size when no screen is known.
void PrimaryScreenSize(int& width, int& height)
{
    width = 1280;
    height = 1024;
    if (const QScreen* screen = QGuiApplication::primaryScreen())
    {
        width = screen->geometry().width();
        height = screen->geometry().height();
    }
}

}  // namespace

CMainFrame::CMainFrame()
{
    AddCommands();
}

CMainFrame::~CMainFrame() = default;

void CMainFrame::AddCommands()
{
    const struct
    {
        UINT id;
        int bar;
    } toggles[] = {{ID_VIEW_STANDARD_TOOLBAR, 0},
                   {ID_VIEW_CAMERA_TOOLBAR, 1},
                   {ID_VIEW_DISPLAY_MODES_TOOLBAR, 2},
                   {ID_VIEW_VIEWS_TOOLBAR, 3}};
    for (const auto& toggle : toggles)
    {
        CToolBarCustom& bar = m_toolBars[static_cast<size_t>(toggle.bar)];
        GetCommands().Add(
            toggle.id, GetCommandTip(static_cast<int>(toggle.id)), [this, &bar] { ToggleBar(bar); },
            [&bar](CCmdUI& ui) { ui.SetCheck(bar.IsVisible() ? 1 : 0); });
    }
    // Page tabs and the Shadows bar come with their own bars; until then they are greyed.
    GetCommands().Add(ID_VIEW_PAGE_TABS, CString("Page Tabs"), {}, [](CCmdUI& ui) { ui.Enable(false); });
    GetCommands().Add(ID_VIEW_SHADOWS_TOOLBAR, CString("Shadows"), {}, [](CCmdUI& ui) { ui.Enable(false); });
    GetCommands().Add(
        ID_VIEW_LARGE_BUTTONS, CString("Large Buttons"), [this] { ToggleButtonSize(); },
        [this](CCmdUI& ui) { ui.SetCheck(m_smallButtons ? 0 : 1); });
}

CRect CMainFrame::GetInitialRect() const
{
    int screenWidth = 0;
    int screenHeight = 0;
    PrimaryScreenSize(screenWidth, screenHeight);
    WINDOWPLACEMENT stored;
    const bool hasStored = ReadFramePlacement(stored);
    return ComputeInitialFrameRect(hasStored ? &stored : nullptr, CRect{0, 0, 0, 0}, screenWidth, screenHeight);
}

int CMainFrame::OnCreate()
{
    m_smallButtons = GetProfileInt(kSummarySection, CString("IconSize"), m_smallButtons ? 1 : 0) != 0;
    for (int i = 0; i < static_cast<int>(m_toolBars.size()); ++i)
    {
        const CToolbarDefinition& definition = Definition(i);
        CToolBarCustom& bar = m_toolBars[static_cast<size_t>(i)];
        if (!bar.Create(*this, definition.barId, definition.side))
            return -1;
        bar.SetupButtons(definition.titleStringId, static_cast<int>(definition.buttons.size()),
                         definition.buttons, m_smallButtons);
    }
    if (!m_statusBar.Create(*this) || !m_statusBar.SetupPanes())
        return -1;
    // Standard first on top, then Views and Display Style to its right; Camera on the left.
    DockControlBar(m_toolBars[0], CBRS_ALIGN_TOP);
    DockControlBar(m_toolBars[3], CBRS_ALIGN_TOP);
    DockControlBar(m_toolBars[2], CBRS_ALIGN_TOP);
    DockControlBar(m_toolBars[1], CBRS_ALIGN_LEFT);
    AddMenu(CString("&File"), {ID_FILE_OPEN, 0, ID_APP_EXIT});
    AddMenu(CString("&View"), {ID_VIEW_STANDARD_TOOLBAR, ID_VIEW_CAMERA_TOOLBAR, ID_VIEW_DISPLAY_MODES_TOOLBAR,
                               ID_VIEW_VIEWS_TOOLBAR, ID_VIEW_SHADOWS_TOOLBAR, ID_VIEW_PAGE_TABS, 0,
                               ID_VIEW_LARGE_BUTTONS});
    AddMenu(CString("&Help"), {ID_APP_ABOUT});
    return 0;
}

void CMainFrame::ToggleBar(CControlBar& bar)
{
    ShowControlBar(bar, !bar.IsVisible());
    RecalcLayout();
}

void CMainFrame::ToggleButtonSize()
{
    for (CToolBarCustom& bar : m_toolBars)
    {
        bar.m_bSmall = !bar.m_bSmall;
        if (bar.m_nMRUWidth != kUnsetBarWidth)
        {
            const auto width = static_cast<unsigned>(bar.m_nMRUWidth);
            bar.m_nMRUWidth = bar.m_bSmall
                                  ? static_cast<int>(width / bar.GetLargeButtonWidth() * bar.GetSmallButtonWidth())
                                  : static_cast<int>(width / bar.GetSmallButtonWidth() * bar.GetLargeButtonWidth());
        }
        bar.ApplyButtonSize();
    }
    for (CToolBarCustom& bar : m_toolBars)
        ShowControlBar(bar, bar.IsVisible());
    RecalcLayout();
    m_smallButtons = !m_smallButtons;
}

bool CMainFrame::RestoreWindowPlacement()
{
    WINDOWPLACEMENT placement;
    if (!ReadFramePlacement(placement) || !IsPlacementOnScreen(placement))
        return false;
    if (placement.showCmd != SW_SHOWMAXIMIZED)
        placement.showCmd = SW_SHOWNORMAL;
    return SetWindowPlacement(placement);
}

void CMainFrame::SaveWindowState()
{
    SaveBarState(kBarStateSection);
    WriteProfileInt(kSummarySection, CString("IconSize"), m_smallButtons ? 1 : 0);
    WINDOWPLACEMENT placement;
    if (GetWindowPlacement(placement))
        WriteFramePlacement(placement);
}

void CMainFrame::OnClose()
{
    SaveWindowState();
    CFrameWnd::OnClose();
}

int CMainFrame::PaneIndex(UINT paneId) const
{
    const int index = paneId == 0 ? 0 : m_statusBar.CommandToIndex(paneId);
    return index < 0 ? 0 : index;
}

void CMainFrame::SetStatusText(UINT paneId, const CString& text, bool update)
{
    m_statusBar.SetPaneText(PaneIndex(paneId), text, update);
}

void CMainFrame::SetStatusTextFromResource(UINT paneId, int stringId, bool update)
{
    SetStatusText(paneId, LoadStringResource(stringId), update);
}

bool CMainFrame::SetPaneHighlight(UINT paneId, bool on)
{
    const int index = m_statusBar.CommandToIndex(paneId);
    if (index >= 0)
        m_statusBar.SetPaneBackground(index, on ? m_statusBar.m_highlightColour : m_statusBar.m_normalColour);
    m_statusBar.InvalidateBar();
    return true;
}

bool CMainFrame::IsValuePaneHighlighted() const
{
    const int index = m_statusBar.CommandToIndex(ID_INDICATOR_VALUE);
    return index >= 0 && m_statusBar.GetPaneBackground(index) == m_statusBar.m_highlightColour;
}

void CMainFrame::ClearStatusBarText()
{
    m_statusBar.ClearAllPanes();
}
