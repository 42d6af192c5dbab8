// The frame and the selection walk, and the view's operations that the camera
// transitions give their full form; here they keep the view usable on its own: the
// camera moves at once.

#include <GL/gl.h>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <utility>

#include "document/component.h"
#include "document/componentcs.h"
#include "document/layermanager.h"
#include "document/renderingoptions.h"
#include "document/shadowinfo.h"
#include "document/tarniscs.h"
#include "document/tarnwickmodel.h"
#include "document/twfont.h"
#include "document/viewpage.h"
#include "annotations/watermark.h"
#include "drawapi/animation.h"
#include "foundation/framemeter.h"
#include "foundation/notificationcenter.h"
#include "model/edgepassgl.h"
#include "render/cameratransitionfactory.h"
#include "render/facebatch.h"
#include "render/framepainter.h"
#include "render/frametimer.h"
#include "render/groundshadows.h"
#include "render/hostservices.h"
#include "render/keptframe.h"
#include "render/stencilshadows.h"
#include "render/ftglfont.h"
#include "render/texturegl.h"
#include "render/texturesize.h"
#include "document/imageadapter/texturesizefit.h"
#include "foundation/boundingbox2d.h"
#include "foundation/geomfiltervolume.h"
#include "render/tarnisview.h"

using orvell::geometry::CGeomFilterCrossingExpandedVolume;
using orvell::geometry::CGeomFilterCrossingVolume;
using orvell::geometry::CGeomFilterInsideVolume;

namespace {

// The frustum's planes point inwards; the volume filters want them pointing out.
CViewDefinition::Planes Outward(const CViewDefinition::Planes& planes)
{
    CViewDefinition::Planes result = planes;
    for (CPlane3d& plane : result) {
        plane.Reverse();
    }
    return result;
}

template <class Filter>
Filter* MakeVolumeFilter(const CViewDefinition::Planes& p)
{
    return new Filter(p[0], p[1], p[2], p[3], p[4], p[5]);
}

// One face batch and one texture service for every view: they hold no state between
// frames that another view could trip over. User-interface thread only.
void InstallDrawingServices()
{
    static CFaceBatch faces;
    static CTextureGL textures;
    faces.BeginFrame();
    SetFaceGL(&faces);
    SetTextureGL(&textures);
    SetTextureSizeFitter(&FitTextureSize);
    CTwFont::SetRealizer(&RealizeFontForActiveView);
}

// A frame slow enough for every step of the level rule.
constexpr double kSlowestFrameSeconds = 1.0;

// Below this height the sun's shadows run off to the horizon.
constexpr double kSunHeightLimit = 0.001;

bool ShadowsDisplayed(const CTarnwickModel* model)
{
    const CShadowInfo* shadow = model != nullptr ? model->GetShadowInfo() : nullptr;
    return shadow != nullptr && shadow->IsDisplayShadows();
}

}  // namespace

bool g_DrawingToolFeedback = false;

void CTarnisView::DrawFrame(int argument, bool swap)
{
    if (g_DrawingToolFeedback) {
        return;
    }
    InstallDrawingServices();
    SetEdgePassGL(&m_edgePasses);
    m_edgePasses.BeginFrame();
    Reset(m_viewDefinition.GetEye(), m_viewDefinition.GetViewDirection());
    ResetLineState();
    CComponent* root = m_model != nullptr ? GetFrameRoot() : nullptr;
    if (root == nullptr) {
        return;
    }
    CNotificationCenter& notifications = GetNotificationCenter();
    const bool posting = notifications.IsEnabled();
    notifications.SetEnabled(false);
    CTarnwickModel* previousModel = GetCurrentModel();
    if (previousModel != m_model) {
        SetCurrentModel(m_model);
    }
    std::unique_ptr<CViewPage> modelDisplay = ApplyDisplayOverridePage();
    CLayerManager* layers = root->GetLayerManager();
    PushLayer(layers != nullptr ? layers->GetDefaultLayer() : nullptr);

    // A picture drawn away from the window (a band, a thumbnail) meters itself and
    // neither moves nor listens.
    const bool viewFrame = !CFrameMeter::IsMetering();
    CViewMotion::EFrame frame =
        viewFrame ? m_motion.BeginFrame(m_viewDefinition.GetCamera()) : CViewMotion::EFrame::kStill;
    // A camera that jumped with nothing to move it on at once (a command, a page shown
    // without a transition, a transition's last step) rests where it is: its frame is the
    // picture that stays, whole and at the level the view stands at.
    if (frame == CViewMotion::EFrame::kMoving && !IsCameraMotionGoingOn()) {
        (void)m_motion.Settle(m_viewDefinition.GetCamera());
        frame = CViewMotion::EFrame::kStill;
    }
    const bool still = viewFrame && frame == CViewMotion::EFrame::kStill;
    // A drag that rests with the button held shows the whole picture too: the level the
    // interaction lowered comes back with its next moving frame.
    const int interactionLevel = m_drawingLevel;
    const bool resting = still && m_interactionMode == 1;
    if (resting) {
        m_drawingLevel = kFullDrawingLevel;
    }
    // A wheel notch draws its frame at the level a drag would reach when its own would
    // keep the user waiting; cut for time even there, the frame is not shown: the last
    // whole picture stays until the still frame replaces it.
    const bool jumped = viewFrame && frame == CViewMotion::EFrame::kMoving && IsNotchFrame();
    if (jumped) {
        m_drawingLevel = GetJumpLevel();
    }
    CKeptFrame kept(viewFrame);
    CFrameTimer timer;
    timer.Start();
    std::uint64_t used = 0;
    const CViewMotion::EOutcome outcome = DrawMeteredContents(*root, viewFrame, frame, used);
    const double seconds = timer.GetElapsedSeconds();
    // A frame input stopped is no picture: the one shown stays, and the loop answers the
    // input first.
    const bool shown = outcome != CViewMotion::EOutcome::kInterrupted &&
                       !(jumped && outcome == CViewMotion::EOutcome::kCut);
    // Whether the picture is the one a still frame would draw: then no other follows.
    bool asStill = false;
    if (shown) {
        if (viewFrame && outcome == CViewMotion::EOutcome::kWhole && !m_shadowsLeftOut) {
            m_frameCost.RecordWhole(m_drawingLevel, used, seconds);
            asStill = m_drawingLevel >= kFullDrawingLevel && m_interactionMode != 1;
        }
        // A moving frame cut for time draws what it can by design; one that shows what a
        // still frame would (a notch's, a transition's last) is the picture that stays.
        if (frame == CViewMotion::EFrame::kStill || asStill) {
            ReportFrameCut(outcome == CViewMotion::EOutcome::kCut);
        }
        RecordFrameTime(seconds);
        if (viewFrame) {
            m_pictureLevel = m_drawingLevel;
        }
        // The tools' feedback is weighed on its own: a model cut short still shows what
        // the user is doing.
        if (DrawsToolFeedback()) {
            const CFrameMeter::CScope meter;
            DrawToolFeedback();
            EndPrimitive();
        }
        // The level follows the time the frame really took.
        FinishFrame(still ? 0.0 : seconds);
    } else {
        RecordFrameTime(seconds, true);
    }
    m_shadowsLeftOut = false;

    EndPrimitive();
    glFlush();
    kept.End(shown);
    if (swap && shown) {
        SwapBuffersHook(argument);
    }
    if (viewFrame) {
        m_animationEndShown = shown && m_animation != nullptr && m_animation->HasReachedEnd();
    }
    RestoreModelDisplay(std::move(modelDisplay));
    notifications.SetEnabled(posting);
    if (IsAnimating()) {
        ScheduleAnimationStep();
    }
    if (shown && DrawsToolFeedback()) {
        const CFrameMeter::CScope meter;
        DrawToolOverlay();
    }
    if (resting || jumped) {
        m_drawingLevel = interactionLevel;
    }
    if (viewFrame && m_motion.EndFrame(frame, outcome, asStill)) {
        ScheduleSettle(GetRestLeft(jumped, outcome));
    }
    PopLayer();
    if (previousModel != m_model) {
        SetCurrentModel(previousModel);
    }
}

CViewMotion::EOutcome CTarnisView::DrawMeteredContents(CComponent& root, bool viewFrame, CViewMotion::EFrame frame,
                                                      std::uint64_t& used)
{
    // A frame that is a band of a larger picture shares the picture's budget; a
    // thumbnail's frame keeps its own, and neither stops for input.
    std::optional<CFrameMeter::CScope> meter;
    if (viewFrame) {
        // The pointer and the wheel steer the frames of a drag; a notch's or a
        // transition's frame stops for them.
        const bool moving = frame == CViewMotion::EFrame::kMoving;
        OpenQueryMeter(meter, moving && m_interactionMode == 1);
        const bool timed = moving && m_frameCost.IsTooSlowToMove(GetLowestReachableLevel(), GetCountedWork());
        if (timed) {
            CFrameMeter::SetDeadline(&CFrameTimer::Now, CFrameTimer::Now() + CFrameCost::kMovingFrameSeconds);
        }
        // A frame that stops for time leaves the shadows out: stopped in the stencil pass
        // it would show the model in its shadow colour, after the ground's shadows no
        // model.
        m_shadowsLeftOut = timed && ShadowsUsable(false);
    } else if (!CFrameMeter::IsShared()) {
        meter.emplace(GetStillFrameBudget());
    }
    m_drawThrottle.Begin();
    DrawFrameContents(root);
    m_drawThrottle.End();
    used = CFrameMeter::GetUsed();
    if (CFrameMeter::WasInterrupted()) {
        return CViewMotion::EOutcome::kInterrupted;
    }
    return CFrameMeter::IsExhausted() ? CViewMotion::EOutcome::kCut : CViewMotion::EOutcome::kWhole;
}

bool CTarnisView::IsNotchFrame() const
{
    return m_notchCamera && m_interactionMode != 1 &&
           CViewMotion::ShowSameView(*m_notchCamera, m_viewDefinition.GetCamera());
}

double CTarnisView::GetRestLeft(bool notch, CViewMotion::EOutcome outcome) const
{
    // A notch's frame cut for time showed nothing: the still frame follows once the wheel
    // has rested since the notch, which the frame's half second mostly covered, not after a
    // rest of its own. A picture shown keeps the whole rest, within which the next notch of
    // a slow turn still zooms at the point the last one found; a frame that input stopped
    // leaves it to the input, which may be that notch.
    if (!notch || outcome != CViewMotion::EOutcome::kCut) {
        return CViewMotion::kSettleSeconds;
    }
    return std::max(CViewMotion::kSettleSeconds - (CFrameTimer::Now() - m_notchTime), 0.0);
}

bool CTarnisView::IsCameraMotionGoingOn() const
{
    // An animation whose step reached its end (a transition's last), or that holds the
    // camera longer than the rest time (a slideshow between its pages), moves it no more.
    const bool animationStepping = m_animation != nullptr && !m_animationPaused && !m_animation->HasReachedEnd() &&
                                   m_animationInterval < CViewMotion::kSettleSeconds;
    return m_interactionMode == 1 || animationStepping || IsNotchFrame();
}

std::uint64_t CTarnisView::GetCountedWork() const
{
    return m_model != nullptr ? m_model->GetDrawingWork() : 0;
}

int CTarnisView::GetLowestReachableLevel() const
{
    // Outside an interaction nothing lowers the level.
    if (m_interactionMode != 1) {
        return m_drawingLevel;
    }
    const SLevelFeatures features = GetLevelFeatures();
    int level = m_drawingLevel;
    while (level > 0) {
        const int lower = LowerLevel(level, kSlowestFrameSeconds, features);
        if (lower >= level) {
            break;
        }
        level = lower;
    }
    return level;
}

int CTarnisView::GetJumpLevel() const
{
    const std::uint64_t counted = GetCountedWork();
    const SLevelFeatures features = GetLevelFeatures();
    int level = m_drawingLevel;
    // Down the levels a drag that began at once (no level asked for) passes through.
    while (level > 0 && m_frameCost.IsTooSlowToMove(level, counted)) {
        const int lower = LowerDrawingLevel(level, 0, m_rememberedLevel, kSlowestFrameSeconds,
                                            features.seeThroughOrTransparency, features.shadows, features.textures);
        if (lower >= level) {
            break;
        }
        level = lower;
    }
    return level;
}

CTarnisView::SLevelFeatures CTarnisView::GetLevelFeatures() const
{
    const CRenderingOptions* options = GetRenderingOptions();
    SLevelFeatures features;
    features.seeThroughOrTransparency =
        options != nullptr && (options->IsTransparentDisplay() || options->IsEnableTransparency());
    features.shadows = ShadowsDisplayed(m_model);
    features.textures = options != nullptr && options->IsDisplayTextures();
    return features;
}

int CTarnisView::LowerLevel(int level, double seconds, const SLevelFeatures& features) const
{
    return LowerDrawingLevel(level, m_requestedLevel, m_rememberedLevel, seconds, features.seeThroughOrTransparency,
                             features.shadows, features.textures);
}

std::uint64_t CTarnisView::GetStillFrameBudget() const
{
    return CFrameMeter::StillFrameBudget(GetCountedWork());
}

void CTarnisView::ReportFrameCut(bool cut)
{
    // A whole frame whose transparent faces were partly left unsorted says so in the
    // same place, and once on the log.
    const bool unsorted = !cut && m_transparencyOrders.IsSpent();
    if (unsorted && m_transparencyOrders.TakeReport()) {
        std::fprintf(stderr, "glimra: %s\n", CTransparencyOrders::kReason);
    }
    const CString shown = GetStatusText(kFirstPane);
    const bool showsReason =
        shown == CString(CFrameMeter::kReason) || shown == CString(CTransparencyOrders::kReason);
    if (!cut && !unsorted) {
        // The reason goes once the frames are whole again, and what it covered comes back;
        // a text written over it since stays.
        if (m_statusSaysCut) {
            if (showsReason) {
                SetStatusText(kFirstPane, m_textUnderCut);
            }
            m_statusSaysCut = false;
            m_textUnderCut = CString();
        }
        return;
    }
    // A tool's prompt written since the reason showed is what comes back.
    if (!showsReason) {
        m_textUnderCut = shown;
    }
    SetStatusText(kFirstPane, CString(unsorted ? CTransparencyOrders::kReason : CFrameMeter::kReason));
    m_statusSaysCut = true;
    // Every frame of such a model stops: a log hears of it once per model.
    if (cut && !m_cutReported) {
        std::fprintf(stderr, "glimra: %s; each frame shows what it drew before it stopped\n", CFrameMeter::kReason);
        m_cutReported = true;
    }
}

CComponent* CTarnisView::GetFrameRoot() const
{
    return m_model != nullptr ? m_model->GetRootComponent() : nullptr;
}

CDib* CTarnisView::RenderToImage(int /*width*/, int /*height*/, double /*lineWidthFactor*/)
{
    return nullptr;
}

CDib* CTarnisView::RenderToImage(int /*width*/, int /*height*/, double /*lineWidthFactor*/, double /*left*/,
                                 double /*right*/, double /*bottom*/, double /*top*/, int /*overrideFlags*/)
{
    return nullptr;
}

void CTarnisView::DrawToolFeedback() {}
void CTarnisView::DrawToolOverlay() {}
void CTarnisView::PresentFeedback() {}

bool CTarnisView::DrawsToolFeedback() const
{
    const CRenderingOptions* options = GetRenderingOptions();
    return options != nullptr && options->GetDisplayByte(CRenderingOptions::kToolFeedback);
}

// Watermarks behind the model go down right after the background, at the far end of
// the depth range, so that the model covers them; those in front come after the scene
// and its blended pass, near the eye.
void CTarnisView::DrawWatermarks(bool inFront)
{
    for (CWatermark* watermark : m_model->GetWatermarks()) {
        if (watermark->IsInFront() == inFront) {
            watermark->Draw(this);
        }
    }
}

void CTarnisView::DrawFrameContents(CComponent& root)
{
    m_transparencyOrders.BeginFrame();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    CFramePainter painter(*this);
    const bool shadows = ShadowsUsable(false);
    painter.SetupLights(ShadowsUsable(true));
    painter.SetClearColor();
    CRenderingOptions* options = GetRenderingOptions();
    SetupFog(options != nullptr && options->IsFogOn());
    const int transparency = painter.GetTransparencyMode();
    const CShadowInfo* shadow = m_model->GetShadowInfo();
    const bool stencilShadows =
        shadows && HasStencilBuffer() && shadow != nullptr && shadow->IsOnFaces() && transparency != 1;
    if (stencilShadows) {
        const int bits = GetStencilBits();
        glClearStencil((1 << (bits - 1)) - 1);
        glStencilMask(static_cast<GLuint>((1 << bits) - 1));
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    } else {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }
    painter.DrawBackground();
    DrawWatermarks(false);
    if (m_model->IsDisplayAxes() && m_model->GetDrawingAxes() != nullptr) {
        m_model->GetDrawingAxes()->Draw(this);
    }
    if (ShowsNorthLine()) {
        DrawNorthLine();
    }
    if (GetCurrentFilter() != nullptr) {
        ClearFilters();
    }
    PushFrustumFilter();
    ResetPolygonOffset();
    const bool componentEdit = options != nullptr && options->GetDisplayByte(CRenderingOptions::kComponentEditDisplay);
    if (componentEdit) {
        PushComponentLightingMode(m_model);
    }
    if (shadows) {
        CGroundShadows(*this).Draw(root, transparency == 1);
    }
    if (options != nullptr) {
        options->SetTransparencyPass(transparency != 0 ? 1 : 0);
    }
    // The model starts from the same line state in every frame, whatever the axes and the
    // north line left (the axis drawn last depends on the camera): the edge pass that the
    // levels below faces keep is replayed only when that state matches.
    ResetLineState();
    if (stencilShadows) {
        CStencilShadows(*this).Draw(root, false);
    } else {
        root.Draw(this);
    }
    EndPrimitive();
    if (transparency != 0 && options != nullptr) {
        options->SetTransparencyPass(2);
        painter.DrawBlendedPass();
        options->SetTransparencyPass(0);
    }
    if (componentEdit) {
        PopComponentLightingMode();
        // With no component open they stand at the model's origin.
        if (CComponentCS* axes = m_model->GetComponentAxes(); axes != nullptr) {
            axes->Draw(this);
        }
    }
    ClearFilters();
    DrawWatermarks(true);
    painter.DrawAspectBars();
    ResetLineState();
    if (ShowsScreenText()) {
        DrawViewNameLabel();
    }
    glFlush();
}

void CTarnisView::BeginSelection(const CPoint2d& corner1, const CPoint2d& corner2)
{
    EndPrimitive();
    InstallDrawingServices();
    SetEdgePassGL(&m_edgePasses);
    m_edgePasses.BeginFrame();
    m_pickNames.Clear();
    m_selectionNames = 0;
    m_nameRoom = -1;
    // A pick draws the model as a frame does, and returns every hit it meets.
    m_selectionMeter.reset();
    OpenQueryMeter(m_selectionMeter);
    Reset(m_viewDefinition.GetEye(), m_viewDefinition.GetViewDirection());
    ResetLineState();
    UpdateViewBounds();
    m_viewDefinition.ApplyPickRect(corner1, corner2);
    m_viewDefinition.ComputeFrustumPlanes();
    ClearFilters();
    PushWindowCrossingFilter(corner1, corner2);
    SelectionState& saved = m_selectionState;
    saved.drawMode = m_drawMode;
    m_drawMode = kDrawModeSelection;
    // Every face answers, also those a frame leaves to its blended pass.
    CRenderingOptions* options = GetRenderingOptions();
    saved.transparencyPass = options != nullptr ? options->GetTransparencyPass() : 0;
    if (options != nullptr) {
        options->SetTransparencyPass(0);
    }
    CNotificationCenter& notifications = GetNotificationCenter();
    saved.posting = notifications.IsEnabled();
    notifications.SetEnabled(false);
    saved.currentModel = GetCurrentModel();
    if (saved.currentModel != m_model) {
        SetCurrentModel(m_model);
    }
    CComponent* root = m_model != nullptr ? m_model->GetRootComponent() : nullptr;
    CLayerManager* layers = root != nullptr ? root->GetLayerManager() : nullptr;
    PushLayer(layers != nullptr ? layers->GetDefaultLayer() : nullptr);
}

void CTarnisView::EndSelection()
{
    EndPrimitive();
    PopLayer();
    ClearFilters();
    const SelectionState& saved = m_selectionState;
    if (saved.currentModel != m_model) {
        SetCurrentModel(saved.currentModel);
    }
    GetNotificationCenter().SetEnabled(saved.posting);
    if (CRenderingOptions* options = GetRenderingOptions(); options != nullptr) {
        options->SetTransparencyPass(saved.transparencyPass);
    }
    m_drawMode = saved.drawMode;
    m_selectionMeter.reset();
}

void CTarnisView::FinishFrame(double levelSeconds)
{
    SetupFog(false);
    CFramePainter painter(*this);
    if (m_drawingLevel >= kFullDrawingLevel) {
        painter.DrawTransparentGround();
    }
    if (m_interactionMode == 1 && levelSeconds > kInteractiveFrameSeconds) {
        m_drawingLevel = LowerLevel(m_drawingLevel, levelSeconds, GetLevelFeatures());
    }
}

bool CTarnisView::ShadowsUsable(bool ignoreLevel) const
{
    if (!ShadowsDisplayed(m_model) || GetRenderMode() == 0) {
        return false;
    }
    return ignoreLevel || (m_drawingLevel > 4 && !m_shadowsLeftOut);
}

void CTarnisView::ResetOpenGL()
{
    // Every GL name held so far was made in the context that was replaced, and the new
    // one may already hand out the same numbers: the names are forgotten, not deleted.
    ForgetGLTextureNames();
    ForgetMaxTextureSize();
    m_viewDisplayList = 0;
    if (m_model != nullptr) {
        if (CShadowInfo* shadow = m_model->GetShadowInfo()) {
            shadow->SetDisplayList(0);
            shadow->SetSecondDisplayList(0);
        }
        m_model->FreeDisplayResources();
    }
    if (m_viewFont != nullptr) {
        m_viewFont->ReleaseGLFont();
    }
    // The textures of the view's texts went with the old context.
    m_labelCache.Reset();
    m_screenTextCache.Reset();
    m_displayListMonitor.SetValid(false);
    // Whatever the cache holds no longer describes the context.
    m_openPrimitive = -1;
    m_lineBatch.Discard();
    m_selectionPrimitive.Discard();
    m_edgePasses.Clear();
    m_lineWidth = 0.0;
    m_stipple = 0;
    m_lightingOn = false;
    m_color = CColor();
    InitGLState();
    GetNotificationCenter().Post(kResetOpenGLNotification, static_cast<ITarnisView*>(this));
}

bool CTarnisView::IsEyeAboveGround() const
{
    // A parallel view has no eye position that matters: it sees the ground from above
    // whenever it does not look up.
    if (m_viewDefinition.IsPerspective()) {
        return m_viewDefinition.GetEye().z >= kLengthTolerance;
    }
    return m_viewDefinition.GetViewDirection().z < kLengthTolerance;
}

void CTarnisView::SetCamera(const CCamera& camera, double seconds)
{
    if (StartCameraTransition(*this, camera, seconds))
        return;
    m_viewDefinition.SetCamera(camera);
    Reset(m_viewDefinition.GetEye(), m_viewDefinition.GetViewDirection());
    StoreCamera();
    Invalidate(false);
}

void CTarnisView::ApplyViewToGL(int /*argument*/, const CBoundingBox2d* pickRegion)
{
    EndPrimitive();
    const bool picking = pickRegion != nullptr && !pickRegion->IsEmpty();
    if (m_model != nullptr) {
        m_viewDefinition.FitDepthRange(GatherViewBounds(!picking));
    }
    if (picking) {
        m_viewDefinition.ApplyPickRect(CPoint2d(pickRegion->xmin, pickRegion->ymin),
                                       CPoint2d(pickRegion->xmax, pickRegion->ymax));
        m_viewDefinition.ComputeFrustumPlanes();
        return;
    }
    m_viewDefinition.ApplyToGL(true);
}

void CTarnisView::UpdateViewBounds()
{
    // Without a model nothing bounds the depth range: the definition keeps its own.
    if (m_model != nullptr) {
        m_viewDefinition.FitDepthRange(GatherViewBounds(false));
    }
}

bool CTarnisView::GetToolExtents(CBoundingBox3d& /*box*/) const
{
    return false;
}

CBoundingBox3d CTarnisView::GatherViewBounds(bool withTool) const
{
    CBoundingBox3d box;
    // What the frame draws bounds it: a definition's picture lies where its geometry does.
    CComponent* root = GetFrameRoot();
    if (root != nullptr) {
        root->GetBounds(box, false);
        if (!box.IsEmpty() && root->GetBoundsFlag()) {
            box.Expand(0.2 * box.GetDiagonal());
        }
    }
    if (box.IsEmpty() && m_model->IsDisplayAxes() && m_model->GetDrawingAxes() != nullptr) {
        box.Add(m_model->GetDrawingAxes()->GetOrigin());
    }
    if (CBoundingBox3d tool; withTool && GetToolExtents(tool) && !tool.IsEmpty()) {
        box.Add(tool);
    }
    AddShadowExtent(box);
    if (box.IsEmpty()) {
        box.Add(CPoint3d(0.0, 0.0, 0.0));
    }
    return box;
}

void CTarnisView::AddShadowExtent(CBoundingBox3d& box) const
{
    const CShadowInfo* shadow = m_model->GetShadowInfo();
    if (box.IsEmpty() || shadow == nullptr) {
        return;
    }
    const bool shown = shadow->IsDisplayShadows() && m_drawingLevel > 4 && GetRenderMode() != 0;
    const CVector3d& sun = shadow->GetSunDirection();
    if ((!shown && !m_boundsByte) || sun.z < kSunHeightLimit) {
        return;
    }
    // Where each corner's shadow falls on the ground: a long evening shadow reaches far
    // beyond the model, and the far plane must not cut it.
    const CBoundingBox3d model = box;
    for (int corner = 0; corner < 8; ++corner) {
        const CPoint3d p = model.GetCorner(corner);
        box.Add(p + sun * (-p.z / sun.z));
    }
}

void CTarnisView::SetRenderMode(int mode)
{
    if (CRenderingOptions* options = GetRenderingOptions(); options != nullptr) {
        options->SetRenderMode(mode);
    }
}

// --- culling and selection volumes ---

void CTarnisView::PushFrustumFilter()
{
    PushFilter(MakeVolumeFilter<CGeomFilterCrossingExpandedVolume>(Outward(m_viewDefinition.GetFrustumPlanes())));
}

void CTarnisView::PushFrustumCrossingFilter()
{
    PushFilter(MakeVolumeFilter<CGeomFilterCrossingVolume>(Outward(m_viewDefinition.GetFrustumPlanes())));
}

void CTarnisView::PushWindowInsideFilter(const CPoint2d& corner1, const CPoint2d& corner2)
{
    CViewDefinition::Planes planes;
    m_viewDefinition.GetPickVolume(std::min(corner1.x, corner2.x), std::min(corner1.y, corner2.y),
                                   std::max(corner1.x, corner2.x), std::max(corner1.y, corner2.y), planes);
    PushFilter(MakeVolumeFilter<CGeomFilterInsideVolume>(planes));
}

void CTarnisView::PushWindowCrossingFilter(const CPoint2d& corner1, const CPoint2d& corner2)
{
    CViewDefinition::Planes planes;
    m_viewDefinition.GetPickVolume(std::min(corner1.x, corner2.x), std::min(corner1.y, corner2.y),
                                   std::max(corner1.x, corner2.x), std::max(corner1.y, corner2.y), planes);
    PushFilter(MakeVolumeFilter<CGeomFilterCrossingVolume>(planes));
}

void CTarnisView::PushPickRegionFilter(const CPoint2d& centre, double size)
{
    CViewDefinition::Planes planes;
    m_viewDefinition.GetPickVolumeAround(centre, size / 2.0, planes);
    PushFilter(MakeVolumeFilter<CGeomFilterCrossingVolume>(planes));
}

