#pragma once
// CTool: the base of every interactive tool. A tool receives the view's mouse, key,
// cursor and typed-value input from its tool manager, draws its feedback into the
// view's frame, and shows its prompt and value in the status bar through the host
// services. Tools are owned by a CToolManager from their selection on and are deleted
// only through its deletion list, so a tool may select or pop tools from inside its
// own handlers.
//
// Feedback reaches the screen one of two ways. While the view draws slowly enough for
// fast feedback (its frame survives the swap), the tool draws it over the frame last
// shown, in the front buffer, and no model frame is drawn; otherwise asking for it asks
// for a new frame, which calls Draw before the swap. User-interface thread only.
#include "foundation/boundingbox3d.h"
#include "foundation/notificationcenter.h"
#include "platform/cstring.h"
#include "platform/ui/cursor.h"

class CEntity;
class CSelectionSet;
class CTarnwickModel;
class CToolManager;
class CComponent;
class ITarnisView;

// Mouse flags handed to the tools.
inline constexpr unsigned kMouseLeft = 1;
inline constexpr unsigned kMouseRight = 2;
inline constexpr unsigned kMouseShift = 4;
inline constexpr unsigned kMouseCtrl = 8;
inline constexpr unsigned kMouseMiddle = 16;
inline constexpr unsigned kMouseAlt = 32;

class CTool : public IObserver
{
public:
    CTool() = default;
    CTool(const CTool&) = delete;
    CTool& operator=(const CTool&) = delete;
    // Removes the tool from every notification list.
    ~CTool() override;

    // --- input; x, y in client pixels, flags as above ---
    void OnNotify(const std::string& name, void* data) override;
    virtual void OnLButtonDown(unsigned flags, int x, int y, ITarnisView* view);
    virtual void OnLButtonUp(unsigned flags, int x, int y, ITarnisView* view);
    virtual void OnLButtonDblClk(unsigned flags, int x, int y, ITarnisView* view);
    virtual void OnRButtonDown(unsigned flags, int x, int y, ITarnisView* view);
    virtual void OnRButtonUp(unsigned flags, int x, int y, ITarnisView* view);
    virtual void OnRButtonDblClk(unsigned flags, int x, int y, ITarnisView* view);
    virtual void OnMButtonDown(unsigned flags, int x, int y, ITarnisView* view);
    virtual void OnMButtonUp(unsigned flags, int x, int y, ITarnisView* view);
    virtual void OnMButtonDblClk(unsigned flags, int x, int y, ITarnisView* view);
    virtual void OnMouseMove(unsigned flags, int x, int y, ITarnisView* view);
    virtual void OnMouseEnter(ITarnisView* view);
    // Asks for a frame without the feedback.
    virtual void OnMouseLeave(ITarnisView* view);
    // True when the tool used the key.
    virtual bool OnKeyDown(unsigned code, unsigned repeat, unsigned keyFlags, ITarnisView* view);
    virtual bool OnKeyUp(unsigned code, unsigned repeat, unsigned keyFlags, ITarnisView* view);
    // Sets the tool's cursor; false (the window's own cursor) when it has none.
    virtual bool OnSetCursor();
    // Text typed into the value box, handed over with Enter.
    virtual void OnUserText(const CString& text);
    // One value shared by every tool.
    virtual void SetValue(double value);
    [[nodiscard]] virtual double GetValue() const;
    // Reason 0 is Esc with no typed text.
    virtual void OnCancel(int reason);
    // Enter with an empty value box.
    virtual void OnReturn();
    // Esc (reason 0) pops the tool when this answers true.
    [[nodiscard]] virtual bool PopOnCancel() const;
    // The model's changes: kind 1 modified, 2 erased, 5 the model goes.
    virtual void OnModelChange(int kind, CEntity* entity);
    virtual void OnOperationStarted(int code);
    virtual void OnOperationCommitted(int code);
    virtual void OnSelectionChanged(CSelectionSet* selection, int code, CEntity* entity);

    // --- life on the manager's stack ---
    virtual void OnActivate();
    // Switches the value box off.
    virtual void OnDeactivate();
    // False makes the manager refuse every new tool.
    [[nodiscard]] virtual bool CanSuspend() const;
    // Remembers and switches off the value box.
    virtual void Suspend();
    // Gives the value box back its state from Suspend and redraws the feedback.
    virtual void Resume();
    // True when a new tool selected with replace set takes this one's place.
    [[nodiscard]] virtual bool ReplacesTool(const CTool* newTool) const;

    // --- feedback ---
    // Draws the feedback into the frame with the view's drawing services.
    virtual void Draw(ITarnisView* view);
    [[nodiscard]] virtual bool HasFeedback() const;
    // Draws the feedback over the frame last shown (the front buffer), which first gets
    // the clean frame back; no frame is drawn meanwhile.
    virtual void DrawFeedback(ITarnisView* view);
    // Nothing unless feedback was marked shown; then the clean frame is shown again, by
    // the swap when fast feedback is on, else by a new frame.
    virtual void EraseFeedback();
    // The view (the tool's, else the active one) passes its fast-feedback test and the
    // tool has feedback.
    [[nodiscard]] virtual bool NeedsFeedback() const;
    // The view (the argument, else the tool's): the feedback over the shown frame when
    // NeedsFeedback, else a new frame; nothing without a view.
    virtual void RedrawFeedback(ITarnisView* view);
    // The flag takes the view's fast-feedback test (false without a view).
    virtual void UpdateFastFeedbackFlag();
    [[nodiscard]] bool GetFastFeedbackFlag() const { return m_fastFeedback; }
    // Feedback shown over the frame that EraseFeedback must take away.
    void SetFeedbackShown(bool shown) { m_feedbackShown = shown; }
    [[nodiscard]] bool IsFeedbackShown() const { return m_feedbackShown; }
    // True when the tool showed a menu for the click.
    virtual bool OnContextMenu(unsigned flags, int x, int y, ITarnisView* view);
    // Empty: every minimum +1e30, every maximum -1e30.
    virtual void GetExtents(CBoundingBox3d& box) const;

    // --- what the manager sets ---
    void SetManager(CToolManager* manager) { m_manager = manager; }
    void SetCommandId(int id) { m_commandId = id; }
    [[nodiscard]] int GetCommandId() const { return m_commandId; }
    void SetView(ITarnisView* view) { m_view = view; }
    void SetMouseFlags(unsigned flags) { m_mouseFlags = flags; }
    [[nodiscard]] unsigned GetMouseFlags() const { return m_mouseFlags; }

    // --- for the tools ---
    // The tool's view, else the host's active view; may be null.
    [[nodiscard]] ITarnisView* GetView() const;
    // The tool's manager, else the current one; may be null.
    [[nodiscard]] CToolManager* GetManager() const;
    // The root component of the current model; null without one.
    [[nodiscard]] static CComponent* GetModelRoot();
    // The model of the tool's view, else of its manager's document, else the current one.
    [[nodiscard]] CTarnwickModel* GetModel() const;
    // Loads the handle only when the id changed; id 0 gives no cursor.
    void SetToolCursor(int cursorId);
    [[nodiscard]] int GetToolCursorId() const { return m_cursorWanted; }
    [[nodiscard]] static bool IsValueBoxActive();
    // Deactivating also clears the value text; nothing when the state is already so.
    void SetValueBoxActive(bool active);
    // Clears the view's typed text and shows the text in the value pane.
    void SetValueText(const CString& text);
    void ClearValueText() { SetValueText(CString()); }
    static void SetStatusTextFromResource(int pane, int stringId);
    // The string as a tip at the client point of the tool's view; nothing without a
    // view or for an id the string table lacks.
    void ShowTipText(int x, int y, int stringId) const;

private:
    void LoadCursor();

    int m_cursorWanted = 0;
    int m_cursorLoaded = 0;
    HCURSOR m_cursor = nullptr;
    int m_commandId = 0;
    bool m_valueBoxAtSuspend = false;
    CToolManager* m_manager = nullptr;
    ITarnisView* m_view = nullptr;
    unsigned m_mouseFlags = 0;
    bool m_feedbackShown = false;
    bool m_fastFeedback = false;
};
