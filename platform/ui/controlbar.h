#pragma once
// CControlBar: a bar of the frame (a toolbar, the status bar, a bar of controls) with its
// id. Dockable bars sit on a Qt toolbar, whose object name carries the id so that the
// saved bar state finds the bar again.
#include "platform/cstring.h"
#include "platform/types.h"

class CFrameWnd;
class QToolBar;
class QWidget;

class CControlBar
{
public:
    CControlBar() = default;
    virtual ~CControlBar();
    CControlBar(const CControlBar&) = delete;
    CControlBar& operator=(const CControlBar&) = delete;

    // A dockable bar in the frame; false when the frame has no window.
    bool CreateDockable(CFrameWnd& frame, UINT id, DWORD side);
    [[nodiscard]] UINT GetDlgCtrlID() const { return m_id; }
    [[nodiscard]] QWidget* GetBarWidget() const { return m_widget; }
    // Null for a bar that does not dock.
    [[nodiscard]] QToolBar* GetDockableBar() const;
    [[nodiscard]] CFrameWnd* GetDockSite() const { return m_frame; }
    // The side the bar is docked on (a CBRS_ALIGN_ flag), 0 when floating or not docked.
    [[nodiscard]] DWORD GetBarAlignment() const;

    [[nodiscard]] bool IsVisible() const;
    void SetWindowText(const CString& text);
    [[nodiscard]] CString GetWindowText() const;

protected:
    void Attach(CFrameWnd& frame, UINT id, QWidget* widget);

private:
    CFrameWnd* m_frame = nullptr;
    UINT m_id = 0;
    QWidget* m_widget = nullptr;
};
