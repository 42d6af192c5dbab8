#include "tools/cameratool.h"

#include "drawapi/animation.h"
#include "platform/profile.h"
#include "render/hostservices.h"
#include "render/tarnisview.h"
#include "tools/cameracontextmenu.h"
#include "tools/cameragrab.h"
#include "tools/cameramotions.h"
#include "tools/toolmanager.h"

namespace {

constexpr unsigned kShiftKey = 16;
constexpr unsigned kCtrlKey = 17;

// The cursor of each mode, in mode order.
constexpr int kModeCursors[] = {419, 1003, 418, 420, 421, 421, 422};

}  // namespace

int ChooseCameraMode(int kind, unsigned flags, bool middleAndLeftPans, bool swapOrbitAndPan, bool madeOverWalk)
{
    if (kind != kCameraOrbit)
        return kind;
    bool pans = (flags & kMouseShift) != 0 ||
                (middleAndLeftPans && (flags & kMouseMiddle) != 0 && (flags & kMouseLeft) != 0);
    if (swapOrbitAndPan)
        pans = !pans;
    if (pans)
        return kCameraPan;
    return madeOverWalk ? kCameraLookAround : kCameraOrbit;
}

int GetCameraCursorId(int mode)
{
    return mode >= 0 && mode < static_cast<int>(std::size(kModeCursors)) ? kModeCursors[mode] : kModeCursors[0];
}

CCameraTool::CCameraTool(int kind, bool madeOverWalk) : m_kind(kind), m_mode(kind), m_madeOverWalk(madeOverWalk)
{
    SetToolCursor(GetCameraCursorId(kind));
}

CTarnisView* CCameraTool::AsModelView(ITarnisView* view)
{
    return dynamic_cast<CTarnisView*>(view);
}

void CCameraTool::ListenToAnimations(bool listen)
{
    if (listen == m_listening)
        return;
    m_listening = listen;
    if (listen)
        GetNotificationCenter().AddObserver(kAnimationNotification, this);
    else
        GetNotificationCenter().RemoveObserver(kAnimationNotification, this);
}

void CCameraTool::OnNotify(const std::string& name, void* data)
{
    if (name == kAnimationNotification && data != nullptr)
        UpdateValue(static_cast<CAnimationNotification*>(data)->view);
}

int CCameraTool::UpdateMode(unsigned flags)
{
    const int mode = ChooseCameraMode(m_kind, flags, m_middleAndLeftPans, m_swapOrbitAndPan, m_madeOverWalk);
    SetToolCursor(GetCameraCursorId(mode));
    return mode;
}

bool CCameraTool::GrabAt(CTarnisView& view, const CPoint2d& position, bool onlyWhole)
{
    bool whole = true;
    if (m_mode == kCameraOrbit)
    {
        const CPoint3d pivot = FindOrbitPivot(view, position, whole);
        if (whole || !onlyWhole)
        {
            m_pivot = pivot;
            m_orbitRadius = ComputeOrbitRadius(view.GetViewDefinition(), m_pivot);
        }
    }
    else if (m_mode == kCameraPan || m_mode == kCameraWalk || m_mode == kCameraFieldOfView)
    {
        const CPoint3d reference = FindReferencePoint(view, position, whole);
        if (whole || !onlyWhole)
            m_reference = reference;
    }
    return whole;
}

// --- the drag ---

void CCameraTool::StartDrag(unsigned flags, int x, int y, ITarnisView* view)
{
    CTarnisView* modelView = AsModelView(view);
    if (modelView == nullptr)
        return;
    modelView->SetAutopanEnabled(false);
    m_press = m_last = CPoint2d(x, y);
    m_dragging = true;
    m_mode = UpdateMode(flags);
    m_grabPending = !GrabAt(*modelView, m_press, false);
    modelView->BeginInteraction(0);
    modelView->SetCapture();
}

void CCameraTool::EndDrag(int x, int y, ITarnisView* view)
{
    if (!m_dragging)
        return;
    m_release = CPoint2d(x, y);
    m_dragging = false;
    m_grabPending = false;
    ReleaseCapture();
    if (CTarnisView* modelView = AsModelView(view))
    {
        modelView->SetAutopanEnabled(true);
        modelView->EndInteraction();
        modelView->StoreCamera();
    }
}

void CCameraTool::OnLButtonDown(unsigned flags, int x, int y, ITarnisView* view)
{
    // A left press while the middle button drags only changes the cursor; the next move
    // restarts the drag in the new mode.
    if ((flags & kMouseMiddle) != 0)
    {
        UpdateMode(flags);
        return;
    }
    StartDrag(flags, x, y, view);
}

void CCameraTool::OnLButtonUp(unsigned flags, int x, int y, ITarnisView* view)
{
    if ((flags & kMouseMiddle) != 0)
    {
        UpdateMode(flags);
        return;
    }
    EndDrag(x, y, view);
}

void CCameraTool::OnMButtonDown(unsigned flags, int x, int y, ITarnisView* view)
{
    const bool otherButton = (flags & (kMouseLeft | kMouseRight)) != 0;
    const CToolManager* manager = GetManager();
    m_middleAndLeftPans = !otherButton || (manager != nullptr && manager->GetToolCount() == 1);
    if ((flags & kMouseLeft) != 0)
        flags |= kMouseMiddle;
    StartDrag(flags, x, y, view);
}

void CCameraTool::OnMButtonUp(unsigned flags, int x, int y, ITarnisView* view)
{
    if ((flags & kMouseLeft) != 0)
        UpdateMode(flags);
    EndDrag(x, y, view);
}

void CCameraTool::OnMouseMove(unsigned flags, int x, int y, ITarnisView* view)
{
    const int mode = UpdateMode(flags);
    CTarnisView* modelView = AsModelView(view);
    if (!m_dragging || (flags & (kMouseLeft | kMouseMiddle)) == 0 || modelView == nullptr)
        return;
    const CPoint2d position(x, y);
    if (position == m_last)
        return;
    if (mode != m_mode)
    {
        m_mode = mode;
        m_press = m_last = position;
        m_grabPending = !GrabAt(*modelView, position, false);
    }
    else if (m_grabPending)
    {
        // The drag moves about the point at hand until a question the pointer lets finish
        // finds the model's own.
        m_grabPending = !GrabAt(*modelView, m_last, true);
    }
    if (Move(*modelView, flags, position))
    {
        modelView->Invalidate(false);
        UpdateValue(modelView);
    }
    m_last = position;
    ShowPrompt();
}

bool CCameraTool::Move(CTarnisView& view, unsigned flags, const CPoint2d& position)
{
    CViewDefinition& definition = view.GetViewDefinition();
    const int height = definition.GetViewportHeight();
    const double amount = height > 0 ? 2.0 * (position.y - m_last.y) / height : 0.0;
    const bool shift = (flags & kMouseShift) != 0;
    switch (m_mode)
    {
    case kCameraOrbit:
        if ((flags & kMouseCtrl) != 0)
            return TrackballCamera(definition, m_pivot, m_orbitRadius, m_last, position);
        return OrbitCamera(definition, m_pivot, m_last, position);
    case kCameraPan: return PanCamera(definition, m_reference, m_last, position);
    case kCameraLookAround: return LookAroundCamera(definition, m_last, position);
    case kCameraZoom:
        if (shift)
            view.ZoomFieldOfView(amount);
        else
            view.ZoomAboutPoint(position, amount);
        return true;
    case kCameraFieldOfView:
        if (shift)
        {
            view.ZoomAboutPoint(position, amount);
            return true;
        }
        return ChangeFieldOfViewKeepingFraming(definition, m_reference,
                                               (amount + 1.0) * definition.GetCamera().GetFieldOfView());
    default: return false;
    }
}

void CCameraTool::CentreOn(int x, int y, ITarnisView* view)
{
    m_press = CPoint2d(x, y);
    if (CTarnisView* modelView = AsModelView(view))
        modelView->CenterOnPoint(m_press);
}

void CCameraTool::OnLButtonDblClk(unsigned /*flags*/, int x, int y, ITarnisView* view)
{
    CentreOn(x, y, view);
}

void CCameraTool::OnMButtonDblClk(unsigned /*flags*/, int x, int y, ITarnisView* view)
{
    CentreOn(x, y, view);
}

bool CCameraTool::OnKeyDown(unsigned code, unsigned repeat, unsigned /*keyFlags*/, ITarnisView* /*view*/)
{
    if (repeat <= 1 && code == kShiftKey)
        UpdateMode(kMouseShift);
    else if (repeat <= 1 && code == kCtrlKey)
        UpdateMode(kMouseCtrl);
    return false;
}

bool CCameraTool::OnKeyUp(unsigned code, unsigned /*repeat*/, unsigned /*keyFlags*/, ITarnisView* /*view*/)
{
    if (code == kShiftKey)
        UpdateMode(0);
    return false;
}

// --- life on the stack ---

void CCameraTool::OnActivate()
{
    CTool::OnActivate();
    ListenToAnimations(true);
    if (CTarnisView* view = AsModelView(GetView()))
    {
        m_viewAtActivation = view->GetViewDefinition();
        m_previousView = view->GetSavedViewDefinition();
        m_hasActivationView = true;
        view->SaveViewDefinition(nullptr);
    }
    ShowPrompt();
    m_swapOrbitAndPan = GetProfileInt(CString("Preferences"), CString("SwapOrbitAndDolly"), 0) != 0;
}

void CCameraTool::OnDeactivate()
{
    ListenToAnimations(false);
    CTarnisView* view = AsModelView(GetView());
    if (view != nullptr && m_hasActivationView && view->GetViewDefinition().IsSameCamera(m_viewAtActivation))
        view->SaveViewDefinition(&m_previousView);
    CTool::OnDeactivate();
}

void CCameraTool::Suspend()
{
    ListenToAnimations(false);
    CTool::Suspend();
}

void CCameraTool::Resume()
{
    ListenToAnimations(true);
    CTool::Resume();
}

bool CCameraTool::ReplacesTool(const CTool* newTool) const
{
    return dynamic_cast<const CCameraTool*>(newTool) != nullptr;
}

bool CCameraTool::OnContextMenu(unsigned /*flags*/, int x, int y, ITarnisView* view)
{
    if (GetProfileInt(CString("Tools"), CString("CameraContextMenu"), 1) == 0)
        return false;
    return TrackCameraContextMenu(x, y, view);
}

void CCameraTool::ShowPrompt()
{
    if (GetPromptId() != 0)
        SetStatusTextFromResource(kFirstPane, GetPromptId());
}

void CCameraTool::UpdateValue(ITarnisView* /*view*/) {}

void CCameraTool::OnUserText(const CString& text)
{
    if (TakeTypedValue(text))
    {
        ShowPrompt();
        return;
    }
    // In the message pane, where the prompt stands until the pointer moves or a value is
    // taken: a tip would go with the release of the Enter key.
    ::SetStatusText(kFirstPane, CString(kRefusedValueTip), true);
}

bool CCameraTool::TakeTypedValue(const CString& /*text*/)
{
    return true;
}
