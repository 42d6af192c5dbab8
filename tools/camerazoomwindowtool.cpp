#include "tools/camerazoomwindowtool.h"

#include <GL/gl.h>

#include "render/tarnisview.h"
#include "tools/toolmanager.h"
#include "tools/windowoverlay.h"

void CCameraZoomWindowTool::OnLButtonDown(unsigned /*flags*/, int x, int y, ITarnisView* view)
{
    if (view == nullptr)
        return;
    view->SetAutopanEnabled(false);
    m_corner = m_cursor = CPoint2d(x, y);
    m_pressed = true;
    m_drawn = false;
}

void CCameraZoomWindowTool::OnMouseMove(unsigned flags, int x, int y, ITarnisView* view)
{
    if (!m_pressed || (flags & kMouseLeft) == 0 || view == nullptr)
        return;
    m_cursor = CPoint2d(x, y);
    m_drawn = true;
    // Over the shown frame when the view is slow to draw: the rectangle follows the
    // mouse without a model frame.
    SetFeedbackShown(NeedsFeedback());
    RedrawFeedback(view);
}

void CCameraZoomWindowTool::OnLButtonUp(unsigned /*flags*/, int x, int y, ITarnisView* view)
{
    if (!m_pressed || view == nullptr)
        return;
    m_pressed = false;
    m_drawn = false;
    view->SetAutopanEnabled(true);
    if (CTarnisView* modelView = AsModelView(view))
        modelView->ZoomWindow(m_corner, CPoint2d(x, y));
    view->Invalidate(false);
    if (CToolManager* manager = GetManager())
        manager->PopTool();
}

void CCameraZoomWindowTool::OnCancel(int reason)
{
    // Laid over the frame, the outline went with the erase.
    const bool shown = m_drawn && !IsFeedbackShown();
    CCameraTool::OnCancel(reason);
    m_drawn = false;
    if (!m_pressed)
        return;
    m_pressed = false;
    if (ITarnisView* view = GetView())
    {
        view->SetAutopanEnabled(true);
        // Without fast feedback the outline is part of the shown frame, not laid over it.
        if (shown)
            view->Invalidate(false);
    }
}

bool CCameraZoomWindowTool::GetRectangle(CPoint2d& corner1, CPoint2d& corner2) const
{
    if (!m_drawn || m_cursor == m_corner)
        return false;
    corner1 = m_corner;
    corner2 = m_cursor;
    return true;
}

void CCameraZoomWindowTool::Draw(ITarnisView* view)
{
    CPoint2d a;
    CPoint2d b;
    CTarnisView* modelView = AsModelView(view);
    if (modelView == nullptr || !GetRectangle(a, b))
        return;
    const CWindowOverlay overlay(*modelView);
    const bool blend = view->SetCapability(GL_BLEND, false);
    // Inverting the pixels keeps the outline visible over any background.
    view->SetCapability(GL_COLOR_LOGIC_OP, true);
    glLogicOp(GL_INVERT);
    view->BeginPrimitive(GL_LINE_LOOP);
    view->Vertex(a.x + 0.5, a.y + 0.5, 0.0);
    view->Vertex(a.x + 0.5, b.y + 0.5, 0.0);
    view->Vertex(b.x + 0.5, b.y + 0.5, 0.0);
    view->Vertex(b.x + 0.5, a.y + 0.5, 0.0);
    view->EndPrimitive();
    glLogicOp(GL_COPY);
    view->SetCapability(GL_COLOR_LOGIC_OP, false);
    view->SetCapability(GL_BLEND, blend);
}
