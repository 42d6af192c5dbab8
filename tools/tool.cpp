#include "tools/tool.h"

#include "document/tarnwickmodel.h"
#include "drawapi/tarnisview.h"
#include "platform/ui/stringtable.h"
#include "render/hostservices.h"
#include "tools/toolmanager.h"

namespace {

// The value every tool shares.
double g_toolValue = 0.0;

}  // namespace

CTool::~CTool()
{
    GetNotificationCenter().RemoveObserver(this);
}

void CTool::OnNotify(const std::string& /*name*/, void* /*data*/) {}
void CTool::OnLButtonDown(unsigned /*flags*/, int /*x*/, int /*y*/, ITarnisView* /*view*/) {}
void CTool::OnLButtonUp(unsigned /*flags*/, int /*x*/, int /*y*/, ITarnisView* /*view*/) {}
void CTool::OnLButtonDblClk(unsigned /*flags*/, int /*x*/, int /*y*/, ITarnisView* /*view*/) {}
void CTool::OnRButtonDown(unsigned /*flags*/, int /*x*/, int /*y*/, ITarnisView* /*view*/) {}
void CTool::OnRButtonUp(unsigned /*flags*/, int /*x*/, int /*y*/, ITarnisView* /*view*/) {}
void CTool::OnRButtonDblClk(unsigned /*flags*/, int /*x*/, int /*y*/, ITarnisView* /*view*/) {}
void CTool::OnMButtonDown(unsigned /*flags*/, int /*x*/, int /*y*/, ITarnisView* /*view*/) {}
void CTool::OnMButtonUp(unsigned /*flags*/, int /*x*/, int /*y*/, ITarnisView* /*view*/) {}
void CTool::OnMButtonDblClk(unsigned /*flags*/, int /*x*/, int /*y*/, ITarnisView* /*view*/) {}
void CTool::OnMouseMove(unsigned /*flags*/, int /*x*/, int /*y*/, ITarnisView* /*view*/) {}
void CTool::OnMouseEnter(ITarnisView* /*view*/) {}

void CTool::OnMouseLeave(ITarnisView* view)
{
    RedrawFeedback(view != nullptr ? view : GetView());
}

bool CTool::OnKeyDown(unsigned /*code*/, unsigned /*repeat*/, unsigned /*keyFlags*/, ITarnisView* /*view*/)
{
    return false;
}

bool CTool::OnKeyUp(unsigned /*code*/, unsigned /*repeat*/, unsigned /*keyFlags*/, ITarnisView* /*view*/)
{
    return false;
}

bool CTool::OnSetCursor()
{
    if (m_cursorWanted != m_cursorLoaded)
        LoadCursor();
    if (m_cursor == nullptr)
        return false;
    SetCursorIfValid(m_cursor);
    return true;
}

void CTool::OnUserText(const CString& /*text*/) {}

void CTool::SetValue(double value)
{
    g_toolValue = value;
}

double CTool::GetValue() const
{
    return g_toolValue;
}

void CTool::OnCancel(int /*reason*/)
{
    EraseFeedback();
}

void CTool::OnReturn() {}

bool CTool::PopOnCancel() const
{
    return false;
}

void CTool::OnModelChange(int /*kind*/, CEntity* /*entity*/) {}
void CTool::OnOperationStarted(int /*code*/) {}
void CTool::OnOperationCommitted(int /*code*/) {}
void CTool::OnSelectionChanged(CSelectionSet* /*selection*/, int /*code*/, CEntity* /*entity*/) {}

void CTool::OnActivate()
{
    g_toolValue = GetValue();
}

void CTool::OnDeactivate()
{
    EraseFeedback();
    SetValueBoxActive(false);
}

bool CTool::CanSuspend() const
{
    return true;
}

void CTool::Suspend()
{
    m_valueBoxAtSuspend = IsValueBoxActive();
    SetValueBoxActive(false);
    EraseFeedback();
}

void CTool::Resume()
{
    SetValueBoxActive(m_valueBoxAtSuspend);
    if (HasFeedback())
        RedrawFeedback(GetView());
}

bool CTool::ReplacesTool(const CTool* /*newTool*/) const
{
    return false;
}

void CTool::Draw(ITarnisView* /*view*/) {}

bool CTool::HasFeedback() const
{
    return false;
}

void CTool::RedrawFeedback(ITarnisView* view)
{
    if (view == nullptr)
        view = m_view;
    if (view != nullptr)
        view->Invalidate(false);
}

void CTool::EraseFeedback()
{
    if (HasFeedback())
        RedrawFeedback(GetView());
}

bool CTool::OnContextMenu(unsigned /*flags*/, int /*x*/, int /*y*/, ITarnisView* /*view*/)
{
    return false;
}

void CTool::GetExtents(CBoundingBox3d& box) const
{
    box = CBoundingBox3d();
}

ITarnisView* CTool::GetView() const
{
    return m_view != nullptr ? m_view : GetActiveTarnisView();
}

CToolManager* CTool::GetManager() const
{
    return m_manager != nullptr ? m_manager : GetToolManager();
}

CComponent* CTool::GetModelRoot()
{
    const CTarnwickModel* model = GetCurrentModel();
    return model != nullptr ? model->GetRootComponent() : nullptr;
}

CTarnwickModel* CTool::GetModel() const
{
    if (const ITarnisView* view = GetView(); view != nullptr && view->GetModel() != nullptr)
        return view->GetModel();
    if (const CToolManager* manager = GetManager(); manager != nullptr && manager->GetModel() != nullptr)
        return manager->GetModel();
    return GetCurrentModel();
}

void CTool::LoadCursor()
{
    m_cursor = m_cursorWanted != 0 ? GetToolCursor(m_cursorWanted) : nullptr;
    m_cursorLoaded = m_cursorWanted;
}

void CTool::SetToolCursor(int cursorId)
{
    m_cursorWanted = cursorId;
    if (m_cursorWanted != m_cursorLoaded)
        LoadCursor();
    SetCursorIfValid(m_cursor);
}

bool CTool::IsValueBoxActive()
{
    return ::IsValueBoxActive();
}

void CTool::SetValueBoxActive(bool active)
{
    if (IsValueBoxActive() == active)
        return;
    ::SetValueBoxActive(active);
    if (!active)
        ClearValueText();
}

void CTool::SetValueText(const CString& text)
{
    if (ITarnisView* view = GetView())
        view->SetValueInputText(CString());
    SetStatusText(kValuePane, text, false);
}

void CTool::SetStatusTextFromResource(int pane, int stringId)
{
    ::SetStatusTextFromResource(pane, stringId, false);
}

void CTool::ShowTipText(int x, int y, int stringId) const
{
    ITarnisView* view = GetView();
    const CString text = stringId != 0 ? LoadStringResource(stringId) : CString();
    if (view == nullptr || text.IsEmpty())
        return;
    CPoint2d point(x, y);
    view->ClientToScreen(point);
    ::ShowTipText(static_cast<int>(point.x), static_cast<int>(point.y), text);
}
