#pragma once
// Host services: free functions through which code that knows nothing of the program's
// windows reaches them (the main frame's status bar and page tabs, the active view, the
// cursor set, the redraw of the active document). Each finds the main window through
// the program object and does nothing, or answers null, false or empty, without one.
// The profile functions of the same family are those of platform/profile.h.
// User-interface thread only.
#include "platform/cstring.h"
#include "platform/ui/cursor.h"

class CGlimraView;
class ITarnisView;

// Status-bar pane selectors: 0 the first pane, 1 the tool prompt, 2 the value pane,
// any other value a pane id (an id the bar lacks falls back to the first pane).
inline constexpr int kFirstPane = 0;
inline constexpr int kPromptPane = 1;
inline constexpr int kValuePane = 2;

[[nodiscard]] HCURSOR GetToolCursor(int cursorId);
// Sets the cursor over the active view when the handle is not null.
void SetCursorIfValid(HCURSOR cursor);
[[nodiscard]] ITarnisView* GetActiveTarnisView();
void ShowPageTabs(bool show);
// The value pane is highlighted while a tool takes typed values.
[[nodiscard]] bool IsValueBoxActive();
void SetValueBoxActive(bool active);
void ClearStatusBarText();
// A string id of 0, or one the table lacks, gives an empty text.
void SetStatusTextFromResource(int pane, int stringId, bool update);
void SetStatusText(int pane, const CString& text, bool update);
// UpdateAllViews of the main frame's active document, with no sender and no hint.
void UpdateAllViewsOfActiveDoc();
// A new main view, for re-creating the OpenGL view.
[[nodiscard]] CGlimraView* CreateGlimraView();
// The length in inches with the current units and precision options.
[[nodiscard]] CString FormatLengthString(double inches);
