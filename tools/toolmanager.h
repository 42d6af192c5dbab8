#pragma once
// CToolManager: the tools of one document. A stack of tools whose top one is active (the
// ones below are suspended), a list of tools waiting to be deleted, and the input of the
// document's views forwarded to the active tool. The manager of the active document is
// the current one (GetToolManager).
//
// A tool handed to SelectTool belongs to the manager from then on, accepted or not.
// Tools leave only through the deletion list, which is emptied at the start of the next
// input event (and by PopTool, Shutdown and the destructor), so a tool may select or
// pop tools from inside its own handler and is still alive when the handler returns.
//
// Every change of the active tool posts "Tool Notification" with a CToolNotification.
// User-interface thread only.
#include <vector>

#include "document/doctoolmanager.h"
#include "model/dblistener.h"
#include "model/selectionobserver.h"
#include "platform/cstring.h"

class CTarnwickModel;
class CTool;
class ITarnisView;

// The data of "Tool Notification".
struct CToolNotification
{
    static constexpr int kSelectedOrPopped = 0;
    static constexpr int kActivated = 1;
    static constexpr int kReset = 2;

    int kind;
    // The new active tool; may be null.
    CTool* tool;
};

// The key code of the context-menu key.
inline constexpr unsigned kContextMenuKey = 93;

class CToolManager : public IDocToolManager, private CDBListener, private ISelectionObserver
{
public:
    // The model of the manager's document (may be null): tools without a view use it.
    explicit CToolManager(CTarnwickModel* model = nullptr);
    ~CToolManager() override;
    CToolManager(const CToolManager&) = delete;
    CToolManager& operator=(const CToolManager&) = delete;

    // --- IDocToolManager ---
    [[nodiscard]] CDBListener* GetDBListener() override { return this; }
    [[nodiscard]] ISelectionObserver* GetSelectionObserver() override { return this; }
    // Makes this manager current and posts kind kActivated.
    void Activate() override;
    // Reset with the notification posted and no view.
    void Reset() override { Reset(true, nullptr); }
    // Reset with post and no view, then the deletion list emptied.
    void Shutdown() override;
    // The active tool's command id; 0 without one.
    [[nodiscard]] int GetActiveToolId() const override;
    // False when the stack was empty (nothing is posted then).
    bool PopTool() override;

    // Refused (false, the tool queued for deletion) when the active tool cannot be
    // suspended. With replace set an active tool that ReplacesTool(tool) leaves the stack;
    // otherwise it is suspended under the new one.
    bool SelectTool(CTool* tool, int commandId, bool replace);
    // Every tool deactivated and queued for deletion; with a view, each tool is told it.
    void Reset(bool post, ITarnisView* view);

    [[nodiscard]] CTool* GetActiveTool() const { return m_activeTool; }
    [[nodiscard]] int GetToolCount() const { return static_cast<int>(m_stack.size()); }
    [[nodiscard]] bool IsActiveTool(int commandId) const;
    [[nodiscard]] bool IsToolOnStack(int commandId) const;
    [[nodiscard]] CTarnwickModel* GetModel() const { return m_model; }

    // --- input of a view; nothing reaches a tool without an active tool and a view ---
    void OnLButtonDown(unsigned flags, int x, int y, ITarnisView* view);
    // Forwarded only after a left press the manager saw.
    void OnLButtonUp(unsigned flags, int x, int y, ITarnisView* view);
    void OnLButtonDblClk(unsigned flags, int x, int y, ITarnisView* view);
    // Offered to the tool's context menu first.
    void OnRButtonDown(unsigned flags, int x, int y, ITarnisView* view);
    void OnRButtonUp(unsigned flags, int x, int y, ITarnisView* view);
    void OnRButtonDblClk(unsigned flags, int x, int y, ITarnisView* view);
    void OnMButtonDown(unsigned flags, int x, int y, ITarnisView* view);
    void OnMButtonUp(unsigned flags, int x, int y, ITarnisView* view);
    void OnMButtonDblClk(unsigned flags, int x, int y, ITarnisView* view);
    // Without a left press seen, the left-button flag is dropped.
    void OnMouseMove(unsigned flags, int x, int y, ITarnisView* view);
    void OnMouseEnter(ITarnisView* view);
    void OnMouseLeave(ITarnisView* view);
    bool OnKeyDown(unsigned code, unsigned repeat, unsigned keyFlags, ITarnisView* view);
    // The context-menu key is first offered to the tool's context menu at the pointer.
    bool OnKeyUp(unsigned code, unsigned repeat, unsigned keyFlags, ITarnisView* view);
    bool OnSetCursor();
    void OnUserText(const CString& text, ITarnisView* view);
    void OnReturn(ITarnisView* view);
    // Reason 0 (Esc) pops a tool whose PopOnCancel is true when it is still active.
    void OnCancel(int reason, ITarnisView* view);
    bool OnContextMenu(unsigned flags, int x, int y, ITarnisView* view);

    // The active tool's feedback, drawn into the view's frame.
    void Draw(ITarnisView* view);
    // The active tool's feedback over the frame the view shows.
    void DrawOverlay(ITarnisView* view);
    // The active tool draws its feedback over the shown frame; false without one.
    [[nodiscard]] bool NeedsOverlay() const;
    // The active tool's fast-feedback flag follows the view.
    void UpdateFastFeedbackFlag();

private:
    using MouseHandler = void (CTool::*)(unsigned, int, int, ITarnisView*);
    void ForwardMouse(MouseHandler handler, unsigned flags, int x, int y, ITarnisView* view);
    void FlushDeletions();
    void PostNotification(int kind, CTool* tool);
    // Each tool on the stack, bottom first, over a copy of the stack.
    template <typename Call>
    void ForEachTool(Call call);

    // --- CDBListener ---
    void OnOperationStarted(int code, int nameId) override;
    void OnOperationCommitted(int code, int nameId, int flags) override;
    void OnEntityModified(CEntity* entity) override;
    void OnEntityErased(CEntity* entity) override;
    void OnModelCleared(CTarnwickModel* model) override;
    void OnModelDeleted(CTarnwickModel* model) override;
    // --- ISelectionObserver ---
    void OnSelectionChanged(CSelectionSet* selection, int code, CEntity* entity) override;

    std::vector<CTool*> m_stack;
    CTool* m_activeTool = nullptr;
    std::vector<CTool*> m_deletions;
    bool m_leftButtonDown = false;
    CTarnwickModel* m_model;
};

// The current tool manager (the active document's); null when none is.
[[nodiscard]] CToolManager* GetToolManager();
