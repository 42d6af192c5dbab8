#pragma once
// CDialog: a window of controls addressed by their ids. A top-level dialog has no frame
// from the window manager: it draws its own non-client area (a thin border, a small
// caption with the title and a close box, and a sizing border while it has the
// WS_THICKFRAME style) and reports presses there as the window system reports
// non-client messages, with a hit code. Left to its default handling, a press on the
// caption moves the window (OnMoving proposes each step) and a press on the sizing
// border sizes it (OnSizing); a handler that takes the mouse capture does the moving
// itself. A child dialog (WS_CHILD) is a plain area inside another window.
//
// The template's controls are made by CreateTemplateControls before OnInitDialog, each
// registered under its id; keys pass PreTranslateKeyDown before the focused control sees
// them, Enter and Escape left over reach OnOK and OnCancel, and a tool tip asks
// GetToolTipText of the control under the mouse.
#include <map>

#include "platform/cstring.h"
#include "platform/ui/cmdtarget.h"
#include "platform/ui/uitypes.h"

class CDialogWidget;
class QWidget;

// Window styles.
inline constexpr DWORD WS_CHILD = 0x40000000;
inline constexpr DWORD WS_CAPTION = 0x00C00000;
inline constexpr DWORD WS_THICKFRAME = 0x00040000;
inline constexpr DWORD DS_MODALFRAME = 0x00000080;

// Where a point lies in a window (hit-test codes).
inline constexpr UINT HTNOWHERE = 0;
inline constexpr UINT HTCLIENT = 1;
inline constexpr UINT HTCAPTION = 2;
inline constexpr UINT HTLEFT = 10;
inline constexpr UINT HTRIGHT = 11;
inline constexpr UINT HTTOP = 12;
inline constexpr UINT HTTOPLEFT = 13;
inline constexpr UINT HTTOPRIGHT = 14;
inline constexpr UINT HTBOTTOM = 15;
inline constexpr UINT HTBOTTOMLEFT = 16;
inline constexpr UINT HTBOTTOMRIGHT = 17;
inline constexpr UINT HTBORDER = 18;
inline constexpr UINT HTCLOSE = 20;

// The edge being dragged while a window is sized.
inline constexpr UINT WMSZ_LEFT = 1;
inline constexpr UINT WMSZ_RIGHT = 2;
inline constexpr UINT WMSZ_TOP = 3;
inline constexpr UINT WMSZ_TOPLEFT = 4;
inline constexpr UINT WMSZ_TOPRIGHT = 5;
inline constexpr UINT WMSZ_BOTTOM = 6;
inline constexpr UINT WMSZ_BOTTOMLEFT = 7;
inline constexpr UINT WMSZ_BOTTOMRIGHT = 8;

// SetWindowPos flags.
inline constexpr UINT SWP_NOSIZE = 0x1;
inline constexpr UINT SWP_NOMOVE = 0x2;
inline constexpr UINT SWP_NOZORDER = 0x4;
inline constexpr UINT SWP_NOACTIVATE = 0x10;

// OnSize types.
inline constexpr UINT SIZE_RESTORED = 0;

// Sizes of the drawn non-client area, in pixels.
inline constexpr int kDialogBorderWidth = 1;
inline constexpr int kSizingBorderWidth = 4;
inline constexpr int kSmallCaptionHeight = 17;

class CDialog : public CCmdTarget
{
public:
    explicit CDialog(UINT templateId, DWORD style = WS_CAPTION | DS_MODALFRAME);
    // Destroys the window.
    ~CDialog() override;

    // Makes the window, hidden: a top-level window owned by `owner`'s window (null:
    // unowned), or, with WS_CHILD, a child of `owner`. Then the template's controls and
    // OnInitDialog. False when it exists already or OnInitDialog answered false.
    bool Create(QWidget* owner);
    // OnDestroy, then the window and its controls go.
    void DestroyWindow();
    [[nodiscard]] bool HasWindow() const { return m_window != nullptr; }
    [[nodiscard]] UINT GetTemplateId() const { return m_templateId; }
    // The top-level or child window; null before Create.
    [[nodiscard]] QWidget* GetWindow() const;
    // The area the controls live in; null before Create.
    [[nodiscard]] QWidget* GetClientWidget() const;

    // Controls: the dialog does not own the widgets (their parent window does).
    void AddControl(int id, QWidget* control);
    [[nodiscard]] QWidget* GetDlgItem(int id) const;
    // 0 for a widget that is no control of this dialog.
    [[nodiscard]] int GetDlgCtrlID(const QWidget* control) const;
    // The id of the control (or of the control holding the widget) with the keyboard
    // focus; 0 when none has it.
    [[nodiscard]] int GetFocusControlId() const;
    // An edit box the user can type into.
    [[nodiscard]] bool IsEditableEdit(int id) const;
    // Buttons, check boxes: 0 unchecked, 1 checked.
    void CheckDlgButton(int id, int check);
    [[nodiscard]] int IsDlgButtonChecked(int id) const;
    void SetDlgItemText(int id, const CString& text);
    [[nodiscard]] CString GetDlgItemText(int id) const;
    void SetDlgItemInt(int id, int value);
    // False when the text is no integer.
    [[nodiscard]] bool GetDlgItemInt(int id, int& value) const;
    // The integer in the edit, checked against the range; out of range or not a number
    // shows the framework's message and answers false.
    bool ReadDlgItemIntInRange(int id, int minimum, int maximum, int& value) const;
    // Drop-down lists and list boxes: the selected item, -1 for none.
    void SetCurSel(int id, int index);
    [[nodiscard]] int GetCurSel(int id) const;
    void EnableDlgItem(int id, bool enable);
    void ShowDlgItem(int id, bool show);
    // The control's rectangle in screen pixels.
    [[nodiscard]] CRect GetDlgItemScreenRect(int id) const;

    // The window.
    // SW_HIDE hides; any other command shows.
    void ShowWindow(int showCommand);
    [[nodiscard]] bool IsWindowVisible() const;
    [[nodiscard]] bool IsIconic() const;
    // Screen pixels, the drawn frame included.
    [[nodiscard]] CRect GetWindowRect() const;
    [[nodiscard]] CRect GetClientRect() const;
    [[nodiscard]] CPoint ClientToScreen(CPoint point) const;
    void SetWindowPos(int x, int y, int width, int height, UINT flags);
    void MoveWindow(const CRect& rect);
    void BringWindowToTop();
    void SetWindowText(const CString& text);
    [[nodiscard]] CString GetWindowText() const;
    void Invalidate();
    [[nodiscard]] DWORD GetStyle() const { return m_style; }
    // Changes the non-client area the window draws (caption, frame, sizing border).
    void ModifyStyle(DWORD remove, DWORD add);
    // The mouse goes to OnMouseMove and OnLButtonUp until released.
    void SetCapture();
    void ReleaseCapture();
    [[nodiscard]] bool HasCapture() const { return m_capture; }
    // The screen point of the mouse message being handled, else the pointer's.
    [[nodiscard]] CPoint GetMessageCursorPos() const;
    void SetMessageCursorPos(CPoint point) { m_messagePoint = point; }

    // Message handlers; the window calls them.
    virtual bool OnInitDialog() { return true; }
    // Enter and Escape, when no control used them. A modeless dialog hides itself.
    virtual void OnOK();
    virtual void OnCancel();
    // The close box; the default is OnCancel.
    virtual void OnClose();
    virtual void OnDestroy() {}
    // Before the window is shown and after it is hidden.
    virtual void OnShowWindow(bool /*show*/) {}
    // The new top-left corner (screen pixels; client pixels of the parent for a child).
    virtual void OnMove(int /*x*/, int /*y*/) {}
    virtual void OnSize(UINT /*type*/, int /*width*/, int /*height*/) {}
    // A step of the default moving; the rectangle may be changed.
    virtual void OnMoving(CRect& /*rect*/) {}
    // A step of the default sizing of that edge; the rectangle may be changed.
    virtual void OnSizing(UINT /*edge*/, CRect& /*rect*/) {}
    // The default moving or sizing ended.
    virtual void OnExitSizeMove() {}
    // A left press outside the client area; the default handling follows unless the
    // handler answers true or took the capture.
    virtual bool OnNcLButtonDown(UINT /*hit*/, CPoint /*screen*/) { return false; }
    virtual void OnNcLButtonDblClk(UINT /*hit*/, CPoint /*screen*/) {}
    // While the capture is held: client pixels.
    virtual void OnMouseMove(UINT /*flags*/, CPoint /*client*/) {}
    virtual void OnLButtonUp(UINT /*flags*/, CPoint /*client*/) {}
    // A key pressed in the window, before its control; true consumes it.
    virtual bool PreTranslateKeyDown(const CKeyMessage& /*key*/) { return false; }
    // The tip of a control; empty: none.
    [[nodiscard]] virtual CString GetToolTipText(int /*controlId*/) const { return {}; }

    // For the window.
    virtual void CreateTemplateControls() {}
    void OnWindowDestroyed();

protected:
    // The client area's size, as the template gives it.
    void SetClientSize(int width, int height);
    // Where a top-level window opens before anything moved it: this far from its
    // owner's top-left corner.
    void SetTemplateOrigin(int x, int y);

private:
    UINT m_templateId;
    DWORD m_style;
    CDialogWidget* m_window = nullptr;
    std::map<int, QWidget*> m_controls;
    bool m_capture = false;
    CPoint m_messagePoint{-1, -1};
};
