#include "render/hostservices.h"

#include "annotations/annotationview.h"
#include "platform/ui/stringtable.h"

namespace {

IHostServices* g_hostServices = nullptr;

}  // namespace

void SetHostServices(IHostServices* services)
{
    g_hostServices = services;
    // Texts moved without a view turn their screen leaders as the active view shows them.
    SetAnnotationViewSource(services != nullptr ? &GetActiveTarnisView : nullptr);
}

IHostServices* GetHostServices()
{
    return g_hostServices;
}

HCURSOR GetToolCursor(int cursorId)
{
    return g_hostServices != nullptr ? g_hostServices->GetToolCursor(cursorId) : nullptr;
}

void SetCursorIfValid(HCURSOR cursor)
{
    if (g_hostServices != nullptr && cursor != nullptr)
        g_hostServices->SetCursorIfValid(cursor);
}

ITarnisView* GetActiveTarnisView()
{
    return g_hostServices != nullptr ? g_hostServices->GetActiveTarnisView() : nullptr;
}

bool IsValueBoxActive()
{
    return g_hostServices != nullptr && g_hostServices->IsValueBoxActive();
}

void SetValueBoxActive(bool active)
{
    if (g_hostServices != nullptr)
        g_hostServices->SetValueBoxActive(active);
}

void ClearStatusBarText()
{
    if (g_hostServices != nullptr)
        g_hostServices->ClearStatusBarText();
}

void SetStatusTextFromResource(int pane, int stringId, bool update)
{
    SetStatusText(pane, LoadStringResource(stringId), update);
}

void SetStatusText(int pane, const CString& text, bool update)
{
    if (g_hostServices != nullptr)
        g_hostServices->SetStatusText(pane, text, update);
}

CString GetStatusText(int pane)
{
    return g_hostServices != nullptr ? g_hostServices->GetStatusText(pane) : CString();
}

void UpdateAllViewsOfActiveDoc()
{
    if (g_hostServices != nullptr)
        g_hostServices->UpdateAllViewsOfActiveDoc();
}

void ReleaseCapture()
{
    if (g_hostServices != nullptr)
        g_hostServices->ReleaseCapture();
}

bool GetCursorPos(CPoint2d& screen)
{
    return g_hostServices != nullptr && g_hostServices->GetCursorPos(screen);
}

void ShowTipText(int x, int y, const CString& text)
{
    if (g_hostServices != nullptr)
        g_hostServices->ShowTipText(x, y, text);
}
