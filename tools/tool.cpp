#include "tools/tool.h"

#include <GL/gl.h>

#include "document/tarnwickmodel.h"
#include "drawapi/tarnisview.h"
#include "document/component.h"
#include "document/layermanager.h"
#include "platform/gl/wgl.h"
#include "platform/ui/stringtable.h"
#include "render/hostservices.h"
#include "render/tarnisview.h"
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
    UpdateFastFeedbackFlag();
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
    if (view == nullptr)
        return;
    if (NeedsFeedback())
        DrawFeedback(view);
    else
        view->Invalidate(false);
}

bool CTool::NeedsFeedback() const
{
    ITarnisView* view = GetView();
    return view != nullptr && view->IsFastFeedback() && HasFeedback();
}

void CTool::UpdateFastFeedbackFlag()
{
    m_fastFeedback = false;
    if (ITarnisView* view = GetView())
        m_fastFeedback = view->IsFastFeedback();
}

void CTool::EraseFeedback()
{
    if (!m_feedbackShown)
        return;
    if (NeedsFeedback())
    {
        if (auto* modelView = dynamic_cast<CTarnisView*>(GetView()))
        {
            glFinish();
            modelView->SwapBuffersHook(0);
            // The swap put the clean frame in front; the window shows it now, not at
            // whatever paints it next.
            modelView->PresentFeedback();
        }
    }
    else
    {
        RedrawFeedback(GetView());
    }
    m_feedbackShown = false;
}

void CTool::DrawFeedback(ITarnisView* view)
{
    auto* modelView = dynamic_cast<CTarnisView*>(view);
    if (modelView == nullptr)
        return;
    g_DrawingToolFeedback = true;
    glFinish();
    // The front buffer shows the clean frame again; the feedback goes over it.
    modelView->SwapBuffersHook(0);
    glDisable(GL_MULTISAMPLE);
    glDepthMask(GL_FALSE);
    HDC device = wglGetCurrentDC();
    if (device != nullptr)
        device->SelectFrontBuffer(true);
    glDepthFunc(GL_LEQUAL);
    modelView->ApplyViewToGL(modelView->GetProjectionArgument() ? 1 : 0, nullptr);
    const CTarnwickModel* model = GetModel();
    const CComponent* root = model != nullptr ? model->GetRootComponent() : nullptr;
    CLayerManager* layers = root != nullptr ? root->GetLayerManager() : nullptr;
    if (layers != nullptr)
        modelView->PushLayer(layers->GetDefaultLayer());
    Draw(view);
    modelView->EndPrimitive();
    if (layers != nullptr)
        modelView->PopLayer();
    glFinish();
    glDepthFunc(GL_LESS);
    glDepthMask(GL_TRUE);
    if (device != nullptr)
        device->SelectFrontBuffer(false);
    glEnable(GL_MULTISAMPLE);
    modelView->PresentFeedback();
    g_DrawingToolFeedback = false;
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
    view->ShowTipAt(static_cast<int>(point.x), static_cast<int>(point.y), text, 0);
}
