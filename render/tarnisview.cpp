#include "render/tarnisview.h"

#include <GL/gl.h>

#include <algorithm>
#include <utility>

#include "document/renderingoptions.h"
#include "document/shadowinfo.h"
#include "document/tarniscs.h"
#include "document/viewpage.h"
#include "document/twfont.h"
#include "document/tarnwickmodel.h"
#include "drawapi/animation.h"
#include "foundation/notificationcenter.h"
#include "model/drawingelement.h"
#include "model/edgepassgl.h"
#include "model/undosuspender.h"
#include "platform/profile.h"
#include "render/glconfig.h"

namespace {

constexpr double kSlowFrameSeconds = 0.5;
constexpr double kVerySlowFrameSeconds = 1.0;
constexpr double kFastFeedbackFrameSeconds = 0.05;
// A still frame expected to take longer is drawn a turn after a paint that shows the window
// whole with the last frame; a shorter one holds the window's other paints back unnoticed.
constexpr double kSlowStillFrameSeconds = 0.05;
constexpr int kShadowLevelLimit = 4;
constexpr int kSlowFrameLevel = 6;
constexpr int kLowestRememberedLevel = 2;
constexpr int kViewFontHeight = 10;

}  // namespace

CTarnisView::CTarnisView() : m_savedDepthFunction(GL_LESS), m_depthFunction(GL_LESS)
{
    m_lineBatch.SetThrottle(&m_drawThrottle);
}

CTarnisView::~CTarnisView()
{
    if (GetEdgePassGL() == &m_edgePasses) {
        SetEdgePassGL(nullptr);
    }
    m_edgePasses.Clear();
    ClearFilters();
    if (m_animation != nullptr) {
        m_animation->Finish();
        m_animation->Release();
        m_animation = nullptr;
    }
    ReleaseViewFont();
    DeleteViewDisplayList();
    SetDisplayOverridePage(nullptr);
    if (m_model != nullptr) {
        m_model->Release();
        m_model = nullptr;
    }
}

// --- the view's own operations ---

void CTarnisView::SetViewDefinition(const CViewDefinition& definition)
{
    m_viewDefinition = definition;
    Reset(m_viewDefinition.GetEye(), m_viewDefinition.GetViewDirection());
}

void CTarnisView::SetViewportSize(int width, int height)
{
    if (width <= 0 || height <= 0) {
        return;
    }
    glViewport(0, 0, width, height);
    m_viewDefinition.SetViewportSize(width, height);
}

void CTarnisView::DeleteViewDisplayList()
{
    if (m_viewDisplayList != 0) {
        glDeleteLists(m_viewDisplayList, 1);
        m_viewDisplayList = 0;
    }
}

CTwFont* CTarnisView::CreateViewFont()
{
    if (m_viewFont != nullptr) {
        return m_viewFont;
    }
    const CUndoSuspender suspender(true);
    m_viewFont = new CTwFont();
    m_viewFont->Set(CString("Tahoma"), false, false, kViewFontHeight);
    m_viewFont->SetFontKind(CTwFont::kKindTextImage);
    const CString path = GetProfileString(CString("ViewFont"), CString("FontPath"), CString());
    if (!path.IsEmpty()) {
        m_viewFont->SetFontPath(path);
    }
    return m_viewFont;
}

void CTarnisView::ReleaseViewFont()
{
    if (m_viewFont == nullptr) {
        return;
    }
    const CUndoSuspender suspender(true);
    m_viewFont->Erase();
    m_viewFont = nullptr;
}

void CTarnisView::RestoreAfterFlatColorMode()
{
    if (m_flatColorMode) {
        InitGLState();
        glEnable(GL_DITHER);
    }
}

void CTarnisView::RecordFrameTime(double seconds, bool stopped)
{
    // That a stopped frame's whole frame would have taken at least as long is all it
    // tells of the next: a short stop leaves the last time as it was, so that the level a
    // drag begins at still follows how long a whole frame takes.
    ++m_framesMeasured;
    m_lastFrameTime = stopped ? std::max(m_lastFrameTime, seconds) : seconds;
    if (m_drawingLevel >= kFullDrawingLevel) {
        m_lastFullFrameTime = stopped ? std::max(m_lastFullFrameTime, seconds) : seconds;
    }
    // The transitions and the autopan pace their steps by the average: a frame cut short
    // by a key or a click says nothing of what their frames take.
    if (stopped) {
        return;
    }
    m_frameTimeSum += seconds;
    ++m_frameCount;
}

void CTarnisView::OpenQueryMeter(std::optional<CFrameMeter::CScope>& meter, bool steered)
{
    if (CFrameMeter::IsMetering()) {
        return;
    }
    // The wheel's next notch and the pointer's motion ask questions of their own; a
    // question still answers the event that asked it.
    ListenForInput(steered);
    meter.emplace(GetStillFrameBudget(), false, CFrameMeter::EInput::kStops);
    if (!steered) {
        CFrameMeter::LookForInputNow();
    }
}

// --- frame and window hooks ---

void CTarnisView::SwapBuffersHook(int /*argument*/) {}

void CTarnisView::ScheduleAnimationStep() {}

void CTarnisView::ScheduleSettle(double /*seconds*/) {}

void CTarnisView::ListenForInput(bool /*moving*/) {}

void CTarnisView::StopAnimationTimer() {}

bool CTarnisView::HasStencilBuffer() const
{
    return false;
}

int CTarnisView::GetStencilBits() const
{
    return 0;
}

void CTarnisView::Invalidate(bool /*erase*/) {}

void CTarnisView::ClientToScreen(CPoint2d& /*point*/) const {}

void CTarnisView::ScreenToClient(CPoint2d& /*point*/) const {}

void CTarnisView::SetCapture() {}

void CTarnisView::SetStatusText(int /*pane*/, const CString& /*text*/) {}

CString CTarnisView::GetStatusText(int /*pane*/) const
{
    return {};
}

void CTarnisView::SetValueInputText(const CString& text)
{
    m_valueInput.SetText(text);
}

// --- IDrawingBase ---

void CTarnisView::PushTransform(const CTransformation& t, bool applyToGL)
{
    EndPrimitive();
    SpoilLineRecording();
    CDrawingBase::PushTransform(t, applyToGL);
}

void CTarnisView::PopTransform(bool applyToGL)
{
    EndPrimitive();
    SpoilLineRecording();
    CDrawingBase::PopTransform(applyToGL);
}

// --- model, camera and measures ---

void CTarnisView::RefreshView(int argument, bool swap)
{
    if (m_model == nullptr) {
        return;
    }
    DrawFrame(argument, swap);
    GetNotificationCenter().Post("ViewRefreshNotification", static_cast<ITarnisView*>(this));
}

void CTarnisView::SetModel(CTarnwickModel* model)
{
    if (model == m_model) {
        return;
    }
    ForgetLastModel();
    if (m_model != nullptr) {
        m_model->Release();
    }
    m_model = model;
    if (m_model != nullptr) {
        m_model->AddRef();
    }
}

void CTarnisView::ForgetLastModel()
{
    m_edgePasses.Clear();
    m_transparencyOrders.Clear();
    m_pickNames.Clear();
    m_cutReported = false;
    m_motion.Forget();
    m_wheelPoint.reset();
    m_notchCamera.reset();
    // What the last model's frames cost says nothing of this one's, nor the levels its
    // slow frames brought the drags down to.
    m_frameCost.Forget();
    ResetFrameStatistics();
    m_lastFrameTime = 0.0;
    m_lastFullFrameTime = 0.0;
    m_drawingLevel = kFullDrawingLevel;
    m_rememberedLevel = kFullDrawingLevel;
    m_pictureLevel = kFullDrawingLevel;
}

CCameraState CTarnisView::GetCameraState() const
{
    CCameraState state;
    state.eyePoint = m_viewDefinition.GetEye();
    state.viewDirection = m_viewDefinition.GetViewDirection();
    state.perspective = m_viewDefinition.IsPerspective();
    state.nearDistance = m_viewDefinition.GetUsedNear();
    state.farDistance = m_viewDefinition.GetUsedFar();
    state.modelNearDistance = m_viewDefinition.GetFittedNear();
    state.rightAxis = m_viewDefinition.GetXAxis();
    state.upAxis = m_viewDefinition.GetYAxis();
    state.viewportWidth = m_viewDefinition.GetViewportWidth();
    state.viewportHeight = m_viewDefinition.GetViewportHeight();
    return state;
}

CLine3d CTarnisView::GetPickRay(const CPoint2d& screenPoint) const
{
    return m_viewDefinition.ScreenToModelLine(screenPoint);
}

double CTarnisView::PixelsToModelLength(double pixels, const CPoint3d& point) const
{
    const int height = m_viewDefinition.GetViewportHeight();
    if (pixels < 1.0 || height <= 0) {
        return 0.0;
    }
    double extent = m_viewDefinition.GetViewHeight();
    if (m_viewDefinition.IsPerspective()) {
        const double depth = DotProduct(point - m_viewDefinition.GetEye(), m_viewDefinition.GetViewDirection());
        extent = depth * m_viewDefinition.GetViewTangent();
    }
    return extent / height * pixels * m_pixelScale;
}

CVector3d CTarnisView::GetModelUnitsPerPixel(const CPoint3d& point, double pixels) const
{
    const double length = PixelsToModelLength(pixels, point);
    const CVector3d scales = GetTransform().GetScales();
    const auto divide = [length](double scale) { return scale > 0.0 ? length / scale : length; };
    return {divide(scales.x), divide(scales.y), divide(scales.z)};
}

double CTarnisView::SetPixelScale(double scale)
{
    return std::exchange(m_pixelScale, scale);
}

bool CTarnisView::ModelToScreen(const CPoint3d& modelPoint, CPoint3d& screenPoint) const
{
    const CPoint3d point = HasTransform() ? GetTransform() * modelPoint : modelPoint;
    CPoint3d window;
    if (!m_viewDefinition.ProjectPoint(point, window)) {
        return false;
    }
    screenPoint = window;
    return true;
}

bool CTarnisView::ScreenToModel(const CPoint3d& screenPoint, CPoint3d& modelPoint) const
{
    CPoint3d model;
    if (!m_viewDefinition.UnprojectPoint(screenPoint, model)) {
        return false;
    }
    modelPoint = HasTransform() ? GetInverseTransform() * model : model;
    return true;
}

// --- frame state ---

double CTarnisView::GetAverageFrameTime() const
{
    return m_frameCount > 0 ? m_frameTimeSum / m_frameCount : 0.0;
}

void CTarnisView::SetAnimationInterval(double seconds)
{
    m_animationInterval = seconds;
    if (!m_animationEndShown || m_animation == nullptr || !m_animation->HasReachedEnd()) {
        Invalidate(false);
    }
}

int CTarnisView::GetRenderMode() const
{
    const CRenderingOptions* options = GetRenderingOptions();
    return options != nullptr ? options->GetRenderMode() : CRenderingOptions::Stored().renderMode;
}

void CTarnisView::BeginElement(CDrawingElement* element)
{
    m_drawnComponents.push_back(element != nullptr ? element->GetNestedComponent() : nullptr);
    // Selection names are 32 bits: the element is named through the pick table.
    if (m_drawMode == kDrawModeSelection) {
        PushSelectionName(m_pickNames.GetName(element));
    }
}

void CTarnisView::EndElement()
{
    if (!m_drawnComponents.empty()) {
        m_drawnComponents.pop_back();
    }
    if (m_drawMode == kDrawModeSelection) {
        PopSelectionName();
    }
}

void CTarnisView::BeginSubElement(int index)
{
    if (m_drawMode == kDrawModeSelection) {
        PushSelectionName(CPickNameTable::GetSubElementName(index));
    }
}

void CTarnisView::PushSelectionName(std::uint32_t name)
{
    EndPrimitive();
    // GL is asked once a walk, at its first name: the names after it count themselves.
    if (m_nameRoom < 0) {
        GLint depth = 0;
        GLint maximum = 0;
        glGetIntegerv(GL_NAME_STACK_DEPTH, &depth);
        glGetIntegerv(GL_MAX_NAME_STACK_DEPTH, &maximum);
        m_nameRoom = std::max(0, maximum - depth);
    }
    // Once the stack is full every deeper name stays off it.
    if (m_selectionNames++ < m_nameRoom) {
        glPushName(name);
    }
}

void CTarnisView::PopSelectionName()
{
    EndPrimitive();
    if (m_selectionNames == 0 || --m_selectionNames < m_nameRoom) {
        glPopName();
    }
}

void CTarnisView::EndSubElement()
{
    if (m_drawMode == kDrawModeSelection) {
        PopSelectionName();
    }
}

// --- layers and materials ---

CLayer* CTarnisView::GetCurrentLayer() const
{
    return m_layers.empty() ? nullptr : m_layers.back();
}

void CTarnisView::PopLayer()
{
    if (!m_layers.empty()) {
        m_layers.pop_back();
    }
}

CMaterial* CTarnisView::GetCurrentMaterial() const
{
    return m_materials.empty() ? nullptr : m_materials.back();
}

void CTarnisView::PopMaterial()
{
    if (!m_materials.empty()) {
        m_materials.pop_back();
    }
}

// --- options and colours ---

CRenderingOptions* CTarnisView::GetRenderingOptions() const
{
    if (m_displayOverridePage != nullptr &&
        (m_displayOverridePage->GetPropertyMask() & CViewPage::kRenderingOptions) != 0 &&
        m_displayOverridePage->GetRenderingOptions() != nullptr) {
        return m_displayOverridePage->GetRenderingOptions();
    }
    return GetModelRenderingOptions();
}

CRenderingOptions* CTarnisView::GetModelRenderingOptions() const
{
    return m_model != nullptr ? m_model->GetRenderingOptions() : nullptr;
}

void CTarnisView::StoreModelCamera(const CCamera& camera)
{
    if (m_model != nullptr) {
        m_model->SetCamera(camera);
    }
}

void CTarnisView::GetDrawingAxes(CVector3d axes[3]) const
{
    const CTarnisCS* drawingAxes = m_model != nullptr ? m_model->GetDrawingAxes() : nullptr;
    for (int i = 0; i < 3; ++i) {
        axes[i] = drawingAxes != nullptr ? drawingAxes->GetAxis(i) : GetStandardAxisDirection(i + 1);
    }
}

CColor CTarnisView::GetForegroundColor() const
{
    const CRenderingOptions* options = GetRenderingOptions();
    return options != nullptr ? options->GetForegroundColor() : CRenderingOptions().GetForegroundColor();
}

CColor CTarnisView::GetBackgroundColor() const
{
    const CRenderingOptions* options = GetRenderingOptions();
    return options != nullptr ? options->GetBackgroundColor() : CRenderingOptions().GetBackgroundColor();
}

// --- saved view definition and camera ---

void CTarnisView::SaveViewDefinition(const CViewDefinition* source)
{
    m_savedViewDefinition = source != nullptr ? *source : m_viewDefinition;
}

void CTarnisView::SwapViewDefinitions()
{
    std::swap(m_viewDefinition, m_savedViewDefinition);
    StoreCamera();
}

void CTarnisView::StoreCamera()
{
    if (m_displayOverridePage != nullptr && (m_displayOverridePage->GetPropertyMask() & CViewPage::kCamera) != 0) {
        m_displayOverridePage->SetCamera(m_viewDefinition.GetCamera());
        return;
    }
    StoreModelCamera(m_viewDefinition.GetCamera());
}

CViewPage* CTarnisView::SetDisplayOverridePage(CViewPage* page)
{
    CViewPage* old = std::exchange(m_displayOverridePage, page);
    if (old != nullptr && old != page) {
        const CUndoSuspender suspender(true);
        old->RestoreAsDisplayOverride(this);
    }
    return old;
}

std::unique_ptr<CViewPage> CTarnisView::ApplyDisplayOverridePage()
{
    if (m_displayOverridePage == nullptr || m_model == nullptr) {
        return nullptr;
    }
    const CUndoSuspender suspender(true);
    auto saved = std::make_unique<CViewPage>(CString(), CString(), CViewPage::kFrameProperties);
    saved->SaveModelDisplay(this, CViewPage::kFrameProperties);
    saved->SetPageList(m_model);
    // The camera and the display settings stay in the page: the view reads them there.
    const std::int32_t mask = m_displayOverridePage->GetPropertyMask();
    m_displayOverridePage->SetPropertyMask(mask & ~(CViewPage::kCamera | CViewPage::kRenderingOptions));
    m_displayOverridePage->SetPageList(m_model);
    m_displayOverridePage->Activate();
    m_displayOverridePage->SetPropertyMask(mask);
    return saved;
}

void CTarnisView::RestoreModelDisplay(std::unique_ptr<CViewPage> saved)
{
    if (saved == nullptr) {
        return;
    }
    const CUndoSuspender suspender(true);
    saved->Activate();
}

// --- interaction level ---

void CTarnisView::BeginInteraction(int level)
{
    m_interactionMode = 1;
    m_motion.StartMoving();
    m_requestedLevel = level;
    if (m_lastFrameTime <= kSlowFrameSeconds) {
        return;
    }
    m_drawingLevel = std::max(m_rememberedLevel, level);
    // The model's own switch: the options' copy of it is brought up to date only when the
    // model is stored.
    const CShadowInfo* shadow = m_model != nullptr ? m_model->GetShadowInfo() : nullptr;
    if (m_drawingLevel > kShadowLevelLimit && shadow != nullptr && shadow->IsDisplayShadows()) {
        m_drawingLevel = kShadowLevelLimit;
    }
    if (m_lastFrameTime > kVerySlowFrameSeconds && m_drawingLevel > 7) {
        m_drawingLevel = kSlowFrameLevel;
    }
}

void CTarnisView::SetInteractionMode(int mode)
{
    if (m_interactionMode == 1 && mode != 1 &&
        (m_requestedLevel == 0 || m_rememberedLevel > m_drawingLevel)) {
        m_rememberedLevel = m_drawingLevel;
    }
    m_interactionMode = mode;
    if (mode == 1) {
        m_motion.StartMoving();
    }
    if (mode == 1 && m_lastFrameTime > kSlowFrameSeconds) {
        m_drawingLevel = std::max(m_rememberedLevel, m_requestedLevel);
    }
}

void CTarnisView::EndInteraction()
{
    m_interactionMode = 0;
    // The hand let go: the view stands where the camera is, and its whole picture
    // follows unless it shows already.
    bool redraw = m_motion.Settle(m_viewDefinition.GetCamera());
    if (m_requestedLevel == 0 || m_rememberedLevel > m_drawingLevel) {
        m_rememberedLevel = m_drawingLevel;
        if (m_drawingLevel < kLowestRememberedLevel && m_lastFrameTime < kSlowFrameSeconds) {
            m_rememberedLevel = kLowestRememberedLevel;
        }
    }
    if (m_drawingLevel < kFullDrawingLevel) {
        m_drawingLevel = kFullDrawingLevel;
        // A level lowered at the press that drew no frame changed nothing on screen.
        redraw = redraw || m_pictureLevel < kFullDrawingLevel;
    }
    if (redraw) {
        Invalidate(false);
    }
}

void CTarnisView::OnViewSettled()
{
    // The wheel rested: the next notch looks for the point under the cursor afresh.
    m_wheelPoint.reset();
    m_notchCamera.reset();
    // Work that took longer than the rest time (a notch's pick) moved the camera after
    // the last frame: the view rests once that motion was drawn.
    if (m_motion.IsMoving() && m_motion.HasMovedSinceFrame(m_viewDefinition.GetCamera())) {
        ScheduleSettle(CViewMotion::kSettleSeconds);
        Invalidate(false);
        return;
    }
    if (m_motion.Settle(m_viewDefinition.GetCamera())) {
        Invalidate(false);
    }
}

bool CTarnisView::IsFastFeedback()
{
    // Frames the pointer's motion stopped count: over a slow view every frame of a drag
    // that draws no feedback of its own would stop, and the feedback would never come.
    const bool fast = GetGLConfig().SwapCopy != 0 && m_framesMeasured >= 2 &&
                      (m_fastFeedback || m_lastFrameTime >= kFastFeedbackFrameSeconds);
    if (fast != m_fastFeedback) {
        Invalidate(true);
    }
    m_fastFeedback = fast;
    return fast;
}

bool CTarnisView::IsNextStillFrameSlow() const
{
    // A drag's, a walk's, a notch's or a transition's frames follow one another, each
    // bounded in time; only a frame that rests has no such bound.
    if (IsCameraMotionGoingOn()) {
        return false;
    }
    return m_frameCost.GetExpectedSeconds(m_drawingLevel, GetCountedWork()) > kSlowStillFrameSeconds;
}

void CTarnisView::ResetFrameStatistics()
{
    m_frameTimeSum = 0.0;
    m_frameCount = 0;
    m_framesMeasured = 0;
    m_fastFeedback = false;
    DeleteViewDisplayList();
}

bool CTarnisView::SetAutopanEnabled(bool enabled)
{
    return std::exchange(m_autopanEnabled, enabled);
}

bool CTarnisView::SetBackgroundDetail(bool detailed)
{
    return std::exchange(m_backgroundDetail, detailed);
}

// --- animation ---

void CTarnisView::SetAnimation(IAnimation* animation)
{
    if (m_animation == m_autopan) {
        m_autopan = nullptr;
    }
    if (m_animation != nullptr) {
        StopAnimationTimer();
        CAnimationNotification ended{CAnimationNotification::kEnded, m_animation, this};
        GetNotificationCenter().Post("Animation Notification", &ended);
        m_animation->Finish();
        m_animation->Release();
    }
    m_animation = animation;
    m_animationPaused = false;
    m_animationEndShown = false;
    m_heldAnimation = nullptr;
    if (m_animation != nullptr) {
        CAnimationNotification started{CAnimationNotification::kStarted, m_animation, this};
        GetNotificationCenter().Post("Animation Notification", &started);
    }
}

bool CTarnisView::IsAnimating() const
{
    return m_animation != nullptr && !m_animationPaused && m_animationHolds == 0;
}

void CTarnisView::HoldAnimation()
{
    if (m_animationHolds++ > 0) {
        return;
    }
    OnAnimationHeld(true);
    if (m_animation != nullptr && !m_animationPaused) {
        m_heldAnimation = m_animation;
        m_animation->Pause(true);
    }
}

void CTarnisView::ReleaseAnimation()
{
    if (m_animationHolds == 0 || --m_animationHolds > 0) {
        return;
    }
    if (m_animation != nullptr && m_animation == m_heldAnimation && !m_animationPaused) {
        m_animation->Pause(false);
    }
    m_heldAnimation = nullptr;
    OnAnimationHeld(false);
}

void CTarnisView::SetAnimationPaused(bool paused)
{
    if (paused) {
        StopAnimationTimer();
    }
    m_animationPaused = paused;
    if (m_animation != nullptr) {
        m_animation->Pause(paused);
    }
}

void CTarnisView::DiscardAnimation()
{
    m_autopan = nullptr;
    m_heldAnimation = nullptr;
    if (m_animation != nullptr) {
        m_animation->Finish();
        m_animation->Release();
        m_animation = nullptr;
    }
    DeleteViewDisplayList();
}

bool CTarnisView::IsFrameAbandoned() const
{
    return CFrameMeter::ShouldStop();
}
