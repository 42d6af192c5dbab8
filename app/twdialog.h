#pragma once
// CTwDialog: the base of the program's modeless tool windows. It keeps its place, size,
// roll-up and expansion in a profile section of its own, rolls up to its caption on a
// click of the caption, takes part in the sticky manager's column (the caption drags
// the window or its column, the sizing border widens the whole column), hides on
// Escape and hands the keys it does not use to the main view.
//
// A tool window derives from it, builds its controls in CreateTemplateControls, names
// its section (GetSectionName) and says whether it glues and sizes (CanStick,
// IsFixedWidth, IsFixedHeight); the application shows and hides it with ShowTool.
// A window that edits the model in place uses the shared plumbing below: the notices it
// follows while shown, the flags that tell its own writes from the user's, edit boxes
// applied when their typing ends, and an expand button that folds it to a separator.
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "app/stickywindow.h"
#include "foundation/flagguard.h"
#include "platform/ui/dialog.h"

class IObserver;

class CTwDialog : public CDialog, public IStickyWindow
{
public:
    // The section that stands for none of the window's own.
    static constexpr const char* kNoSection = "CTwDialog";
    // A press must move this far before it drags the window.
    static constexpr int kDragThreshold = 3;
    // The client width the tool windows' templates share: a column of windows fixed in
    // width takes its top member's width, so one narrower or wider would be cut or padded.
    static constexpr int kClientWidth = 330;

    explicit CTwDialog(UINT templateId);
    // Keeps the place and size. A window that changes the sizing rules destroys its
    // window in its own destructor, while they still answer as its own.
    ~CTwDialog() override;

    [[nodiscard]] virtual CString GetSectionName() const { return CString(kNoSection); }
    [[nodiscard]] virtual bool CanStick() const { return true; }
    [[nodiscard]] virtual bool IsFixedHeight() const { return true; }
    [[nodiscard]] bool IsFixedWidth() const override { return true; }
    [[nodiscard]] virtual int GetMinHeight() const { return 100; }
    [[nodiscard]] int GetMinWidth() const override { return m_initialWidth; }
    [[nodiscard]] int GetWindowWidth() const override { return GetWindowRect().Width(); }
    // Tab, and any key in an edit box the user can type into.
    [[nodiscard]] virtual bool WantsKey(int controlId, UINT key) const;
    // The caption's close box.
    virtual void Close();
    // The height when not rolled up.
    [[nodiscard]] virtual int GetFullHeight(bool expanded) const;

    // Shows or hides the window as the application's commands do.
    void ShowTool(bool show);
    void SetRolledUp(bool rolledUp);
    void SetExpanded(bool expanded);
    [[nodiscard]] bool IsRolledUp() const { return m_rolledUp; }
    [[nodiscard]] bool IsExpanded() const { return m_expanded; }
    [[nodiscard]] int GetRolledUpHeight() const { return m_rolledUpHeight; }
    [[nodiscard]] bool IsFollowingNotices() const { return m_following; }
    void WriteCurrentPage();
    void ReadCurrentPage();
    [[nodiscard]] int GetCurrentPageIndex() const { return m_currentPage; }
    void SetCurrentPageIndex(int page) { m_currentPage = page; }

    // IStickyWindow.
    [[nodiscard]] CRect GetStickyRect() const override { return GetWindowRect(); }
    void WriteSticky(bool sticky) override;
    [[nodiscard]] bool ReadSticky() const override;
    void MoveStickyWindow(int x, int y) override;
    void SetStickyWidth(int width) override;

    // The window's messages.
    bool OnInitDialog() override;
    void OnShowWindow(bool show) override;
    void OnMove(int x, int y) override;
    void OnSize(UINT type, int width, int height) override;
    void OnSizing(UINT edge, CRect& rect) override;
    void OnExitSizeMove() override;
    void OnMoving(CRect& rect) override;
    bool OnNcLButtonDown(UINT hit, CPoint screen) override;
    void OnNcLButtonDblClk(UINT hit, CPoint screen) override;
    void OnMouseMove(UINT flags, CPoint client) override;
    void OnLButtonUp(UINT flags, CPoint client) override;
    void OnClose() override;
    // Enter and the framework's cancel (Escape in an edit box) leave a tool window open.
    void OnOK() override {}
    void OnCancel() override {}
    void OnDestroy() override;
    bool PreTranslateKeyDown(const CKeyMessage& key) override;

protected:
    [[nodiscard]] bool HasOwnSection() const { return Section() != CString(kNoSection); }
    [[nodiscard]] const CString& Section() const;
    [[nodiscard]] int ReadSetting(const char* entry, int defaultValue) const;
    void WriteSetting(const char* entry, int value) const;
    // "x" and "y" when the position is known; the size unless fixed both ways.
    void WritePlacement();

    // The notices the observer follows while the window is shown; set once, in the
    // constructor.
    void FollowNoticesWhileShown(IObserver* observer, std::vector<std::string> names);

    // Set while the window writes its own controls: the control handlers then do nothing.
    [[nodiscard]] bool IsUpdating() const { return m_updating; }
    [[nodiscard]] CFlagGuard UpdatingControls() { return CFlagGuard(m_updating); }
    // Set while the window changes the model: the notices that follow are its own.
    [[nodiscard]] bool IsApplying() const { return m_applying; }
    [[nodiscard]] CFlagGuard ApplyingChange() { return CFlagGuard(m_applying); }

    // An edit box whose value is applied when its typing ends: done(typed) is called
    // then, typed saying whether the user typed into it since it was last applied or
    // shown; neither while the window writes its own controls.
    void ConnectEdit(int editId, std::function<void(bool typed)> done);
    [[nodiscard]] bool IsTyped(int editId) const { return m_typed.contains(editId); }
    // The edit now shows an applied or stored value.
    void ClearTyped(int editId) { m_typed.erase(editId); }

    // From OnInitDialog: the button folds the window down to the separator's bottom and
    // back; the stored choice is applied at once.
    void SetUpExpandButton(int buttonId, int separatorId);
    void ToggleExpanded();

private:
    void ApplyStoredPlacement();
    // A place of the window's own near the main window, kept for the run.
    void TakeFirstPlace();
    void WriteSize();
    void EndDrag();
    void StartFollowingNotices();
    void StopFollowingNotices();
    void ShowExpandButton();

    bool m_placed = false;
    bool m_shown = false;
    int m_x = -1;
    int m_y = -1;
    bool m_positionKnown = false;
    int m_currentPage = 0;
    bool m_expanded = false;
    bool m_rolledUp = false;
    int m_currentHeight = -1;
    int m_fullHeight = 0;
    int m_initialWidth = 0;
    int m_rolledUpHeight = 20;
    CPoint m_dragOffset;
    int m_cx = -1;
    int m_cy = -1;
    bool m_dragging = false;
    bool m_sizing = false;
    CPoint m_press;
    bool m_captionCaptured = false;
    mutable CString m_section;
    IObserver* m_noticeObserver = nullptr;
    std::vector<std::string> m_noticeNames;
    bool m_following = false;
    bool m_updating = false;
    bool m_applying = false;
    std::set<int> m_typed;
    int m_expandButtonId = 0;
    int m_expandedHeight = 0;
    int m_collapsedHeight = 0;
    int m_firstPlaceSlot = -1;
};
