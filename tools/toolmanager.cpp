#include "tools/toolmanager.h"

#include "drawapi/tarnisview.h"
#include "foundation/notificationcenter.h"
#include "render/hostservices.h"
#include "tools/tool.h"

namespace {

CToolManager* g_currentToolManager = nullptr;

}  // namespace

CToolManager* GetToolManager()
{
    return g_currentToolManager;
}

CToolManager::CToolManager(CTarnwickModel* model) : m_model(model) {}

CToolManager::~CToolManager()
{
    if (g_currentToolManager == this)
        g_currentToolManager = nullptr;
    Reset(true, nullptr);
    FlushDeletions();
}

void CToolManager::FlushDeletions()
{
    while (!m_deletions.empty())
    {
        CTool* tool = m_deletions.back();
        m_deletions.pop_back();
        delete tool;
    }
}

void CToolManager::PostNotification(int kind, CTool* tool)
{
    CToolNotification record{kind, tool};
    GetNotificationCenter().Post(kToolNotification, &record);
}

void CToolManager::Activate()
{
    g_currentToolManager = this;
    PostNotification(CToolNotification::kActivated, m_activeTool);
}

bool CToolManager::SelectTool(CTool* tool, int commandId, bool replace)
{
    if (m_activeTool != nullptr)
    {
        if (!m_activeTool->CanSuspend())
        {
            m_deletions.push_back(tool);
            return false;
        }
        if (replace && m_activeTool->ReplacesTool(tool))
        {
            m_activeTool->OnDeactivate();
            m_deletions.push_back(m_activeTool);
            m_stack.pop_back();
        }
        else
        {
            m_activeTool->Suspend();
        }
    }
    ClearStatusBarText();
    m_stack.push_back(tool);
    m_activeTool = tool;
    tool->SetManager(this);
    tool->SetCommandId(commandId);
    tool->OnActivate();
    PostNotification(CToolNotification::kSelectedOrPopped, m_activeTool);
    return true;
}

bool CToolManager::PopTool()
{
    FlushDeletions();
    ClearStatusBarText();
    if (m_stack.empty())
        return false;
    m_stack.pop_back();
    if (m_activeTool != nullptr)
    {
        m_activeTool->OnDeactivate();
        m_deletions.push_back(m_activeTool);
    }
    m_activeTool = m_stack.empty() ? nullptr : m_stack.back();
    if (m_activeTool != nullptr)
    {
        m_activeTool->SetManager(this);
        m_activeTool->Resume();
    }
    PostNotification(CToolNotification::kSelectedOrPopped, m_activeTool);
    return true;
}

void CToolManager::Reset(bool post, ITarnisView* view)
{
    ClearStatusBarText();
    if (m_activeTool != nullptr)
    {
        if (view != nullptr)
            m_activeTool->SetView(view);
        m_activeTool->ClearValueText();
        m_activeTool = nullptr;
    }
    while (!m_stack.empty())
    {
        CTool* tool = m_stack.back();
        m_stack.pop_back();
        if (view != nullptr)
            tool->SetView(view);
        tool->OnDeactivate();
        tool->SetView(nullptr);
        m_deletions.push_back(tool);
    }
    if (post)
        PostNotification(CToolNotification::kReset, nullptr);
}

void CToolManager::Shutdown()
{
    Reset(true, nullptr);
    FlushDeletions();
}

int CToolManager::GetActiveToolId() const
{
    return m_activeTool != nullptr ? m_activeTool->GetCommandId() : 0;
}

bool CToolManager::IsActiveTool(int commandId) const
{
    return m_activeTool != nullptr && m_activeTool->GetCommandId() == commandId;
}

bool CToolManager::IsToolOnStack(int commandId) const
{
    for (const CTool* tool : m_stack)
        if (tool != nullptr && tool->GetCommandId() == commandId)
            return true;
    return false;
}

// --- input ---

void CToolManager::ForwardMouse(MouseHandler handler, unsigned flags, int x, int y, ITarnisView* view)
{
    if (m_activeTool == nullptr || view == nullptr)
        return;
    m_activeTool->SetView(view);
    m_activeTool->SetMouseFlags(flags);
    (m_activeTool->*handler)(flags, x, y, view);
}

void CToolManager::OnLButtonDown(unsigned flags, int x, int y, ITarnisView* view)
{
    FlushDeletions();
    m_leftButtonDown = true;
    ForwardMouse(&CTool::OnLButtonDown, flags, x, y, view);
}

void CToolManager::OnLButtonUp(unsigned flags, int x, int y, ITarnisView* view)
{
    FlushDeletions();
    const bool seen = m_leftButtonDown;
    m_leftButtonDown = false;
    if (seen)
        ForwardMouse(&CTool::OnLButtonUp, flags, x, y, view);
}

void CToolManager::OnLButtonDblClk(unsigned flags, int x, int y, ITarnisView* view)
{
    FlushDeletions();
    ForwardMouse(&CTool::OnLButtonDblClk, flags, x, y, view);
}

void CToolManager::OnRButtonDown(unsigned flags, int x, int y, ITarnisView* view)
{
    FlushDeletions();
    if (m_activeTool == nullptr || view == nullptr || m_activeTool->OnContextMenu(flags, x, y, view))
        return;
    ForwardMouse(&CTool::OnRButtonDown, flags, x, y, view);
}

void CToolManager::OnRButtonUp(unsigned flags, int x, int y, ITarnisView* view)
{
    FlushDeletions();
    ForwardMouse(&CTool::OnRButtonUp, flags, x, y, view);
}

void CToolManager::OnRButtonDblClk(unsigned flags, int x, int y, ITarnisView* view)
{
    FlushDeletions();
    ForwardMouse(&CTool::OnRButtonDblClk, flags, x, y, view);
}

void CToolManager::OnMButtonDown(unsigned flags, int x, int y, ITarnisView* view)
{
    FlushDeletions();
    ForwardMouse(&CTool::OnMButtonDown, flags, x, y, view);
}

void CToolManager::OnMButtonUp(unsigned flags, int x, int y, ITarnisView* view)
{
    FlushDeletions();
    ForwardMouse(&CTool::OnMButtonUp, flags, x, y, view);
}

void CToolManager::OnMButtonDblClk(unsigned flags, int x, int y, ITarnisView* view)
{
    FlushDeletions();
    ForwardMouse(&CTool::OnMButtonDblClk, flags, x, y, view);
}

void CToolManager::OnMouseMove(unsigned flags, int x, int y, ITarnisView* view)
{
    FlushDeletions();
    // A drag that began outside the view arrives as a plain move.
    if (!m_leftButtonDown)
        flags &= ~kMouseLeft;
    ForwardMouse(&CTool::OnMouseMove, flags, x, y, view);
}

void CToolManager::OnMouseEnter(ITarnisView* view)
{
    FlushDeletions();
    if (m_activeTool == nullptr || view == nullptr)
        return;
    m_activeTool->SetView(view);
    m_activeTool->OnMouseEnter(view);
}

void CToolManager::OnMouseLeave(ITarnisView* view)
{
    FlushDeletions();
    if (m_activeTool == nullptr || view == nullptr)
        return;
    m_activeTool->SetView(view);
    m_activeTool->OnMouseLeave(view);
}

bool CToolManager::OnKeyDown(unsigned code, unsigned repeat, unsigned keyFlags, ITarnisView* view)
{
    FlushDeletions();
    if (m_activeTool == nullptr || view == nullptr)
        return false;
    m_activeTool->SetView(view);
    return m_activeTool->OnKeyDown(code, repeat, keyFlags, view);
}

bool CToolManager::OnKeyUp(unsigned code, unsigned repeat, unsigned keyFlags, ITarnisView* view)
{
    FlushDeletions();
    if (m_activeTool == nullptr || view == nullptr)
        return false;
    // The context-menu key opens the menu where the pointer is.
    if (CPoint2d pointer; code == kContextMenuKey && GetCursorPos(pointer))
    {
        view->ScreenToClient(pointer);
        if (m_activeTool->OnContextMenu(keyFlags, static_cast<int>(pointer.x), static_cast<int>(pointer.y), view))
            return true;
    }
    m_activeTool->SetView(view);
    return m_activeTool->OnKeyUp(code, repeat, keyFlags, view);
}

bool CToolManager::OnSetCursor()
{
    FlushDeletions();
    return m_activeTool != nullptr && m_activeTool->OnSetCursor();
}

void CToolManager::OnUserText(const CString& text, ITarnisView* view)
{
    FlushDeletions();
    if (m_activeTool == nullptr)
        return;
    if (view != nullptr)
        m_activeTool->SetView(view);
    m_activeTool->OnUserText(text);
}

void CToolManager::OnReturn(ITarnisView* view)
{
    FlushDeletions();
    if (m_activeTool == nullptr)
        return;
    if (view != nullptr)
        m_activeTool->SetView(view);
    m_activeTool->OnReturn();
}

void CToolManager::OnCancel(int reason, ITarnisView* view)
{
    FlushDeletions();
    CTool* tool = m_activeTool;
    if (tool == nullptr)
        return;
    if (view != nullptr)
        tool->SetView(view);
    tool->OnCancel(reason);
    if (reason == 0 && m_activeTool == tool && tool->PopOnCancel())
        PopTool();
}

bool CToolManager::OnContextMenu(unsigned flags, int x, int y, ITarnisView* view)
{
    FlushDeletions();
    return m_activeTool != nullptr && m_activeTool->OnContextMenu(flags, x, y, view);
}

void CToolManager::Draw(ITarnisView* view)
{
    if (m_activeTool != nullptr)
        m_activeTool->Draw(view);
}

void CToolManager::DrawOverlay(ITarnisView* view)
{
    if (m_activeTool != nullptr)
        m_activeTool->DrawFeedback(view);
}

bool CToolManager::NeedsOverlay() const
{
    return m_activeTool != nullptr && m_activeTool->NeedsFeedback();
}

void CToolManager::UpdateFastFeedbackFlag()
{
    if (m_activeTool != nullptr)
        m_activeTool->UpdateFastFeedbackFlag();
}

// --- the model's events reach every tool on the stack ---

template <typename Call>
void CToolManager::ForEachTool(Call call)
{
    const std::vector<CTool*> tools = m_stack;
    for (CTool* tool : tools)
        call(*tool);
}

void CToolManager::OnOperationStarted(int code, int /*nameId*/)
{
    ForEachTool([code](CTool& tool) { tool.OnOperationStarted(code); });
}

void CToolManager::OnOperationCommitted(int code, int /*nameId*/, int /*flags*/)
{
    ForEachTool([code](CTool& tool) { tool.OnOperationCommitted(code); });
}

void CToolManager::OnEntityModified(CEntity* entity)
{
    ForEachTool([entity](CTool& tool) { tool.OnModelChange(1, entity); });
}

void CToolManager::OnEntityErased(CEntity* entity)
{
    ForEachTool([entity](CTool& tool) { tool.OnModelChange(2, entity); });
}

void CToolManager::OnModelCleared(CTarnwickModel* /*model*/)
{
    if (m_activeTool != nullptr)
        m_activeTool->SetValueBoxActive(false);
}

void CToolManager::OnModelDeleted(CTarnwickModel* /*model*/)
{
    ForEachTool([](CTool& tool) { tool.OnModelChange(5, nullptr); });
}

void CToolManager::OnSelectionChanged(CSelectionSet* selection, int code, CEntity* entity)
{
    ForEachTool([=](CTool& tool) { tool.OnSelectionChanged(selection, code, entity); });
}
