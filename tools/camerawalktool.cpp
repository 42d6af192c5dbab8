#include "tools/camerawalktool.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <numbers>

#include "document/component.h"
#include "document/tarnwickmodel.h"
#include "foundation/boundedline3d.h"
#include "render/depthclamp.h"
#include "render/hostservices.h"
#include "render/tarnisview.h"
#include "tools/windowoverlay.h"

namespace {

constexpr unsigned kShiftKey = 16;
constexpr unsigned kCtrlKey = 17;
constexpr unsigned kLeftKey = 37;
constexpr unsigned kUpKey = 38;
constexpr unsigned kRightKey = 39;
constexpr unsigned kDownKey = 40;
// Arrow-key bits.
constexpr unsigned kArrowLeft = 1;
constexpr unsigned kArrowRight = 2;
constexpr unsigned kArrowUp = 4;
constexpr unsigned kArrowDown = 8;

constexpr double kRunFactor = 4.0;
constexpr double kKeyForwardRate = 0.4;
constexpr double kKeyTurnRate = 0.5;
// A rate of 1 turns a full circle, or crosses the model's diagonal, in this time.
constexpr double kBaseSeconds = 4.0;
// Beyond this slope of the view, walking follows the view without collisions.
constexpr double kSteepView = 0.707;
// Obstacles up to this share of the eye height are stepped over.
constexpr double kKneeShare = 0.333;
// The camera keeps this many near distances from a wall.
constexpr double kWallMargin = 1.1;
constexpr double kCrossPixels = 8.0;
// Walking interaction draws at this level at least.
constexpr int kWalkingDrawingLevel = 3;

// A rate that grows slowly near the press point and quickly far from it.
double DragRate(double offset)
{
    return offset + 2.0 * offset * offset * offset;
}

// 1 for the first key alone, -1 for the second alone, else 0.
double KeyDirection(unsigned arrows, unsigned positive, unsigned negative)
{
    const bool forward = (arrows & positive) != 0;
    const bool backward = (arrows & negative) != 0;
    return forward == backward ? 0.0 : (forward ? 1.0 : -1.0);
}

// The distance along the unit direction to the nearest face of the component within
// the limit (the limit without a hit). The component's own walk ends at a component
// that places itself.
double DistanceToModel(const CComponent& root, const CPoint3d& origin, const CVector3d& direction, double limit)
{
    CBoundedLine3d ray;
    ray.line = CLine3d(origin, CUnitVector3d(direction));
    ray.start = 0.0;
    ray.end = limit;
    CPoint3d hit;
    double distance = 0.0;
    if (!root.IntersectPickRay(ray, 1.0, hit, distance, nullptr, true) || distance > limit)
        return limit;
    return distance;
}

void MoveCamera(CViewDefinition& definition, const CVector3d& move)
{
    definition.SetEyeTarget(definition.GetEye() + move, definition.GetTarget() + move, definition.GetCamera().GetUp());
}

CComponent* RootOf(const CTarnisView& view)
{
    const CTarnwickModel* model = view.GetModel();
    return model != nullptr ? model->GetRootComponent() : nullptr;
}

}  // namespace

CCameraWalkTool::CCameraWalkTool() : CCameraEyeHeightTool(kCameraWalk)
{
    m_timer.Start();
}

CCameraWalkTool::~CCameraWalkTool()
{
    StopWalking();
}

// --- input ---

void CCameraWalkTool::OnLButtonDown(unsigned flags, int x, int y, ITarnisView* view)
{
    CTarnisView* modelView = AsModelView(view);
    if (modelView == nullptr)
        return;
    if (!modelView->GetViewDefinition().IsPerspective())
    {
        ShowTipText(x, y, kParallelViewTipId);
        return;
    }
    modelView->SetCapture();
    modelView->SetAutopanEnabled(false);
    m_press = m_cursor = CPoint2d(x, y);
    m_flags = flags;
    m_pressed = true;
    SetView(modelView);
    StartWalking(modelView);
    // Over a slow view the cross goes over the frame already shown: the walk's first
    // frame comes a whole frame later.
    SetFeedbackShown(NeedsFeedback());
    RedrawFeedback(modelView);
}

void CCameraWalkTool::OnLButtonUp(unsigned flags, int /*x*/, int /*y*/, ITarnisView* /*view*/)
{
    if (!m_pressed)
        return;
    m_flags = flags;
    EndDrag();
    if (m_arrows == 0)
        StopWalking();
}

void CCameraWalkTool::OnMouseMove(unsigned flags, int x, int y, ITarnisView* /*view*/)
{
    m_cursor = CPoint2d(x, y);
    m_flags = flags;
}

bool CCameraWalkTool::OnKeyDown(unsigned code, unsigned /*repeat*/, unsigned /*keyFlags*/, ITarnisView* view)
{
    switch (code)
    {
    case kShiftKey: m_flags |= kMouseShift; break;
    case kCtrlKey: m_run = true; break;
    case kLeftKey: m_arrows |= kArrowLeft; break;
    case kRightKey: m_arrows |= kArrowRight; break;
    case kUpKey: m_arrows |= kArrowUp; break;
    case kDownKey: m_arrows |= kArrowDown; break;
    default: break;
    }
    if (m_arrows != 0)
        StartWalking(view);
    return false;
}

bool CCameraWalkTool::OnKeyUp(unsigned code, unsigned /*repeat*/, unsigned /*keyFlags*/, ITarnisView* /*view*/)
{
    switch (code)
    {
    case kShiftKey: m_flags &= ~kMouseShift; break;
    case kCtrlKey: m_run = false; break;
    case kLeftKey: m_arrows &= ~kArrowLeft; break;
    case kRightKey: m_arrows &= ~kArrowRight; break;
    case kUpKey: m_arrows &= ~kArrowUp; break;
    case kDownKey: m_arrows &= ~kArrowDown; break;
    default: break;
    }
    if (m_arrows == 0 && !m_pressed)
        StopWalking();
    return false;
}

bool CCameraWalkTool::OnContextMenu(unsigned flags, int x, int y, ITarnisView* view)
{
    StopWalking();
    return CCameraEyeHeightTool::OnContextMenu(flags, x, y, view);
}

// --- life on the stack ---

void CCameraWalkTool::OnActivate()
{
    m_run = false;
    m_drewFeedback = false;
    if (const CTarnisView* view = AsModelView(GetView()))
        MeasureEyeHeight(*view);
    CCameraEyeHeightTool::OnActivate();
}

void CCameraWalkTool::OnDeactivate()
{
    EndDrag();
    StopWalking();
    m_arrows = 0;
    if (ITarnisView* view = GetView(); view != nullptr && m_drewFeedback)
        view->Invalidate(false);
    CCameraEyeHeightTool::OnDeactivate();
}

// The middle button's orbit takes over the drag and the keys until it is popped.
void CCameraWalkTool::Suspend()
{
    StopWalking();
    m_pressed = false;
    m_arrows = 0;
    CCameraEyeHeightTool::Suspend();
}

void CCameraWalkTool::EndDrag()
{
    if (!m_pressed)
        return;
    // The cross laid over the frame goes at once, not with the next frame.
    EraseFeedback();
    m_pressed = false;
    ReleaseCapture();
    if (ITarnisView* view = GetView())
    {
        view->SetAutopanEnabled(true);
        view->Invalidate(false);
    }
}

// --- walking ---

void CCameraWalkTool::StartWalking(ITarnisView* view)
{
    if (m_walking)
        return;
    CTarnisView* modelView = AsModelView(view != nullptr ? view : GetView());
    if (modelView == nullptr)
        return;
    SetView(modelView);
    m_walkView = modelView;
    modelView->SetAnimation(this);
    m_stepTime = 0.0;
    m_stepCount = 0;
    m_timer.Start();
    m_walking = true;
    modelView->BeginInteraction(kWalkingDrawingLevel);
    modelView->Invalidate(false);
}

void CCameraWalkTool::StopWalking()
{
    if (!m_walking)
        return;
    CTarnisView* view = m_walkView;
    if (view->GetAnimation() == this)
        view->SetAnimation(nullptr);
    Finish();
    view->StoreCamera();
    SetToolCursor(GetCameraCursorId(kCameraWalk));
    UpdateValue(view);
}

void CCameraWalkTool::Finish()
{
    if (!m_walking)
        return;
    m_walking = false;
    m_walkView->EndInteraction();
}

void CCameraWalkTool::Pause(bool paused)
{
    if (!paused)
        m_timer.Start();
}

bool CCameraWalkTool::Step(ITarnisView* view)
{
    CTarnisView* modelView = AsModelView(view);
    if (!m_walking || modelView == nullptr)
        return false;
    const double elapsed = m_timer.GetElapsedSeconds();
    m_stepTime = elapsed;
    ++m_stepCount;
    m_timer.Start();
    const double delay = elapsed < kStepSeconds ? kStepSeconds - elapsed : 0.0;
    const double stepTime = GetStepTime(*modelView);
    CViewDefinition& definition = modelView->GetViewDefinition();
    if (const CComponent* root = RootOf(*modelView); (m_flags & kMouseShift) != 0 && root != nullptr)
    {
        Slide(definition, *root, stepTime);
        MeasureEyeHeight(*modelView);
    }
    else if (root != nullptr)
    {
        Turn(definition, stepTime);
        MoveForward(definition, *root, stepTime);
    }
    UpdateValue(modelView);
    modelView->SetAnimationInterval(delay);
    return true;
}

double CCameraWalkTool::GetStepTime(const CTarnisView& view) const
{
    const double seconds = m_stepCount <= 1 ? view.GetLastFrameTime() : m_stepTime;
    return std::abs(seconds) <= 0.001 ? kStepSeconds : seconds;
}

double CCameraWalkTool::GetForwardRate(const CViewDefinition& definition) const
{
    double rate = KeyDirection(m_arrows, kArrowUp, kArrowDown) * kKeyForwardRate;
    if (m_pressed)
    {
        const int height = definition.GetViewportHeight();
        rate = height == 0 ? 1.0 : DragRate((m_press.y - m_cursor.y) / height);
    }
    return m_run ? rate * kRunFactor : rate;
}

double CCameraWalkTool::GetTurnRate(const CViewDefinition& definition) const
{
    double rate = KeyDirection(m_arrows, kArrowRight, kArrowLeft) * kKeyTurnRate;
    if (m_pressed)
    {
        const int width = definition.GetViewportWidth();
        rate = width == 0 ? 1.0 : DragRate((m_cursor.x - m_press.x) / width);
    }
    return m_run ? rate * kRunFactor : rate;
}

void CCameraWalkTool::Turn(CViewDefinition& definition, double stepTime) const
{
    const double angle = GetTurnRate(definition) * 2.0 * std::numbers::pi * stepTime / kBaseSeconds;
    if (std::abs(angle) < 0.001)
        return;
    const CVector3d previousUp = definition.GetYAxis();
    definition.RotateCamera(definition.GetEye(), previousUp, -angle);
    CVector3d up;
    ComputeCameraUp(definition.GetEye(), definition.GetTarget(), previousUp, up);
    definition.SetEyeTarget(definition.GetEye(), definition.GetTarget(), up);
}

void CCameraWalkTool::Slide(CViewDefinition& definition, const CComponent& root, double stepTime) const
{
    CBoundingBox3d bounds;
    root.GetBounds(bounds, false);
    const double size = bounds.GetDiagonal() * stepTime / kBaseSeconds;
    const CVector3d sideways = definition.GetXAxis() * (GetTurnRate(definition) * size);
    const CVector3d upwards = definition.GetYAxis() * (GetForwardRate(definition) * size);
    if ((sideways + upwards).GetLengthSquared() != 0.0)
        MoveCamera(definition, sideways + upwards);
}

void CCameraWalkTool::MoveForward(CViewDefinition& definition, const CComponent& root, double stepTime)
{
    CBoundingBox3d bounds;
    root.GetBounds(bounds, false);
    if (bounds.IsEmpty())
        return;
    const CVector3d direction = definition.GetViewDirection();
    const double ahead = DotProduct(bounds.GetCentre() - definition.GetEye(), direction);
    const double step = GetForwardRate(definition) * std::max(bounds.GetDiagonal(), ahead) * stepTime / kBaseSeconds;
    if (std::abs(step) < 1e-10)
        return;
    const bool level = std::abs(direction.z) < kSteepView;
    CVector3d move = definition.GetTarget() - definition.GetEye();
    if (level)
        move.z = 0.0;
    if (!move.Normalize())
        return;
    move *= step;
    const bool collides = level && m_eyeHeight > 0.0 && (m_flags & (kMouseShift | kMouseAlt)) == 0;
    if (!collides || LimitStep(definition, root, move))
        MoveCamera(definition, move);
}

bool CCameraWalkTool::LimitStep(const CViewDefinition& definition, const CComponent& root, CVector3d& move)
{
    const double knee = kKneeShare * m_eyeHeight;
    const CPoint3d kneePoint = definition.GetEye() + CVector3d(0.0, 0.0, knee - m_eyeHeight);
    const double clearance = kWallMargin * definition.GetNear();
    const double length = move.GetLength();
    const double reach = std::max(kWallMargin * length, clearance);
    CVector3d along = move;
    along.Normalize();
    const double hit = DistanceToModel(root, kneePoint, along, 2.0 * reach);
    // A step that would end within the margin counts as blocked: taken, it would be
    // backed out again by the next step, and a slow walk would shake against the wall.
    if (hit >= reach && hit - length >= clearance)
    {
        SetToolCursor(GetCameraCursorId(kCameraWalk));
    }
    else
    {
        SetToolCursor(kBlockedCursorId);
        if (hit >= clearance)
            return false;
        // Closer than the margin: back away from the wall.
        move = along * (hit - clearance);
    }
    const CPoint3d eye = definition.GetEye() + move;
    const double ground = DistanceToModel(root, eye, CVector3d(0.0, 0.0, -1.0), kUnbounded);
    const double below = ground < kUnbounded ? ground : eye.z;
    move.z += std::clamp(m_eyeHeight - below, -knee, knee);
    return true;
}

// --- eye height ---

void CCameraWalkTool::MeasureEyeHeight(const CTarnisView& view)
{
    const CPoint3d& eye = view.GetViewDefinition().GetEye();
    const CComponent* root = RootOf(view);
    const double ground =
        root != nullptr ? DistanceToModel(*root, eye, CVector3d(0.0, 0.0, -1.0), kUnbounded) : kUnbounded;
    m_eyeHeight = ground < kUnbounded ? ground : eye.z;
    RefreshValue();
}

double CCameraWalkTool::GetEyeHeight(CTarnisView& /*view*/)
{
    return m_eyeHeight;
}

bool CCameraWalkTool::SetEyeHeight(CTarnisView& view, double height)
{
    StopWalking();
    MeasureEyeHeight(view);
    if (std::abs(height - m_eyeHeight) < 0.001)
        return false;
    const double rise = height - m_eyeHeight;
    m_eyeHeight = height;
    RaiseCamera(view, rise);
    return true;
}

// --- feedback ---

void CCameraWalkTool::Draw(ITarnisView* view)
{
    CTarnisView* modelView = AsModelView(view);
    if (!m_pressed || modelView == nullptr)
        return;
    const CWindowOverlay overlay(*modelView);
    view->SetColor(view->GetForegroundColor());
    const double x = m_press.x + 0.5;
    const double y = m_press.y + 0.5;
    view->BeginPrimitive(GL_LINES);
    view->Vertex(x - kCrossPixels, y, 0.0);
    view->Vertex(x + kCrossPixels, y, 0.0);
    view->Vertex(x, y - kCrossPixels, 0.0);
    view->Vertex(x, y + kCrossPixels, 0.0);
    view->EndPrimitive();
    m_drewFeedback = true;
}
