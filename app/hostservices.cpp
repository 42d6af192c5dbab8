#include "app/hostservices.h"

#include "app/glimracursors.h"
#include "app/glimraview.h"
#include "app/mainframe.h"
#include "app/resourceids.h"
#include "foundation/lengthformatter.h"
#include "platform/ui/document.h"
#include "platform/ui/stringtable.h"
#include "platform/ui/winapp.h"

namespace {

CFrameWnd* MainWindow()
{
    CWinApp* app = AfxGetApp();
    return app != nullptr ? app->m_pMainWnd : nullptr;
}

CMainFrame* MainFrame()
{
    return dynamic_cast<CMainFrame*>(MainWindow());
}

UINT PaneId(int pane)
{
    switch (pane)
    {
    case kFirstPane: return 0;
    case kPromptPane: return ID_INDICATOR_VALUE_LABEL;
    case kValuePane: return ID_INDICATOR_VALUE;
    default: return static_cast<UINT>(pane);
    }
}

}  // namespace

HCURSOR GetToolCursor(int cursorId)
{
    return GetGlimraCursors().GetCursor(cursorId);
}

void SetCursorIfValid(HCURSOR cursor)
{
    CFrameWnd* frame = MainWindow();
    if (cursor != nullptr && frame != nullptr && frame->GetActiveView() != nullptr)
        frame->GetActiveView()->SetCursor(cursor);
}

ITarnisView* GetActiveTarnisView()
{
    CFrameWnd* frame = MainWindow();
    return frame != nullptr ? dynamic_cast<CGlimraView*>(frame->GetActiveView()) : nullptr;
}

void ShowPageTabs(bool show)
{
    if (CMainFrame* frame = MainFrame())
        frame->ShowPageTabs(show);
}

bool IsValueBoxActive()
{
    const CMainFrame* frame = MainFrame();
    return frame != nullptr && frame->IsValuePaneHighlighted();
}

void SetValueBoxActive(bool active)
{
    if (CMainFrame* frame = MainFrame())
        frame->SetPaneHighlight(ID_INDICATOR_VALUE, active);
}

void ClearStatusBarText()
{
    if (CMainFrame* frame = MainFrame())
        frame->ClearStatusBarText();
}

void SetStatusTextFromResource(int pane, int stringId, bool update)
{
    SetStatusText(pane, stringId == 0 ? CString() : LoadStringResource(stringId), update);
}

void SetStatusText(int pane, const CString& text, bool update)
{
    if (CMainFrame* frame = MainFrame())
        frame->SetStatusText(PaneId(pane), text, update);
}

void UpdateAllViewsOfActiveDoc()
{
    CFrameWnd* frame = MainWindow();
    if (CDocument* document = frame != nullptr ? frame->GetActiveDocument() : nullptr)
        document->UpdateAllViews(nullptr);
}

CGlimraView* CreateGlimraView()
{
    return new CGlimraView;
}

CString FormatLengthString(double inches)
{
    return CLengthFormatter(-1).Format(inches);
}
