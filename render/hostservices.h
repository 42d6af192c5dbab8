#pragma once
// IHostServices: what the view core and the tools need of the program's windows (the
// status bar and its value box, the cursor, the active view, mouse capture, the redraw
// of the active document) without knowing any window class. The application installs
// one implementation at start and removes it at exit; the free functions below forward
// to it and do nothing, or answer null, false or empty, while none is installed (as in
// tests that run without the program's windows). User-interface thread only.
#include "foundation/point2d.h"
#include "platform/cstring.h"
#include "platform/ui/cursor.h"

class ITarnisView;

// Status-bar pane selectors: 0 the first pane, 1 the tool prompt, 2 the value pane,
// any other value a pane id (an id the bar lacks falls back to the first pane).
inline constexpr int kFirstPane = 0;
inline constexpr int kPromptPane = 1;
inline constexpr int kValuePane = 2;

class IHostServices
{
public:
    virtual ~IHostServices() = default;

    [[nodiscard]] virtual HCURSOR GetToolCursor(int cursorId) = 0;
    virtual void SetCursorIfValid(HCURSOR cursor) = 0;
    [[nodiscard]] virtual ITarnisView* GetActiveTarnisView() = 0;
    [[nodiscard]] virtual bool IsValueBoxActive() = 0;
    virtual void SetValueBoxActive(bool active) = 0;
    virtual void ClearStatusBarText() = 0;
    virtual void SetStatusText(int pane, const CString& text, bool update) = 0;
    // The text the pane shows; empty here.
    [[nodiscard]] virtual CString GetStatusText(int /*pane*/) { return {}; }
    virtual void UpdateAllViewsOfActiveDoc() = 0;
    // Ends the mouse capture a tool took through its view.
    virtual void ReleaseCapture() = 0;
    // The mouse pointer in screen pixels; false when the host has no pointer.
    virtual bool GetCursorPos(CPoint2d& screen) = 0;
    // A tip with the text at the screen point, gone at the next input; nothing here.
    virtual void ShowTipText(int /*x*/, int /*y*/, const CString& /*text*/) {}
};

// The caller keeps the object alive while it is installed; null removes it.
void SetHostServices(IHostServices* services);
[[nodiscard]] IHostServices* GetHostServices();

[[nodiscard]] HCURSOR GetToolCursor(int cursorId);
// Sets the cursor over the active view when the handle is not null.
void SetCursorIfValid(HCURSOR cursor);
[[nodiscard]] ITarnisView* GetActiveTarnisView();
// The value pane is highlighted while a tool takes typed values.
[[nodiscard]] bool IsValueBoxActive();
void SetValueBoxActive(bool active);
void ClearStatusBarText();
// A string id of 0, or one the table lacks, gives an empty text.
void SetStatusTextFromResource(int pane, int stringId, bool update);
void SetStatusText(int pane, const CString& text, bool update);
// Empty without a host.
[[nodiscard]] CString GetStatusText(int pane);
// UpdateAllViews of the main frame's active document, with no sender and no hint.
void UpdateAllViewsOfActiveDoc();
void ReleaseCapture();
// False, leaving the point alone, without a host.
[[nodiscard]] bool GetCursorPos(CPoint2d& screen);
void ShowTipText(int x, int y, const CString& text);
