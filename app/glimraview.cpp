#include "app/glimraview.h"

#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <utility>

#include "app/glimradoc.h"
#include "app/hostservices.h"
#include "app/viewnavigation.h"
#include "app/viewprinter.h"
#include "document/component.h"
#include "document/displayoverride.h"
#include "document/imageadapter/imageapp.h"
#include "document/tarnwickpage.h"
#include "drawapi/animation.h"
#include "imaging/2passscale.h"
#include "imaging/ilbilinearcontribdef.h"
#include "platform/bitmaphandle.h"
#include "platform/gl/wgl.h"
#include "platform/heaptrim.h"
#include "platform/ui/document.h"
#include "platform/ui/inputprobe.h"
#include "platform/ui/winapp.h"
#include "render/frametimer.h"
#include "render/offscreenrender.h"
#include "tools/cameracommands.h"
#include "tools/cameraorbittool.h"
#include "tools/camerawalktool.h"
#include "tools/tool.h"
#include "tools/toolmanager.h"

namespace {

// The rows of an RGBA picture, top first.
std::vector<std::uint8_t*> Rows(std::vector<std::uint8_t>& picture, int width, int height)
{
    std::vector<std::uint8_t*> rows(static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y)
        rows[static_cast<std::size_t>(y)] = picture.data() + static_cast<std::size_t>(y) * width * 4;
    return rows;
}

CDib* MakeImage(int width, int height, const std::vector<std::uint8_t>& picture)
{
    HBITMAP bitmap = CreateBitmapFromRGBA(width, height, picture);
    CDib* image = GetImageLibApp()->DibFromHBitmap(bitmap);
    DeleteBitmapHandle(bitmap);
    return image;
}

// For measuring start-up (bench/startup_time.sh), not for users: with
// GLIMRA_EXIT_AFTER_FIRST_FRAME set, the first frame on screen prints the time of day
// (seconds since the epoch) on the error output and the program quits as if asked to.
void ExitAfterFirstFrameWhenAsked()
{
    if (std::getenv("GLIMRA_EXIT_AFTER_FIRST_FRAME") == nullptr)
        return;
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    std::fprintf(stderr, "first frame %lld.%09ld\n", static_cast<long long>(now.tv_sec), now.tv_nsec);
    QTimer::singleShot(0, [] {
        if (CWinApp* app = AfxGetApp())
            app->OnQuitRequested();
    });
}

}  // namespace

CGlimraView::CGlimraView() : m_printer(std::make_unique<CViewPrinter>(*this))
{
    AddCommands();
}

CGlimraView::~CGlimraView()
{
    // What still works on this view ends while all of it is here: the core's own
    // teardown could only reach what is left of it. OnDestroy ends it with the window;
    // a view whose window is gone already, or never was, ends its animation here.
    DestroyWindow();
    DiscardAnimation();
    StopAnimationTimer();
}

CGlimraDoc* CGlimraView::GetGlimraDoc() const
{
    return dynamic_cast<CGlimraDoc*>(GetDocument());
}

CBaseDoc* CGlimraView::GetBaseDoc() const
{
    return GetGlimraDoc();
}

CToolManager* CGlimraView::GetToolManager() const
{
    CGlimraDoc* document = GetGlimraDoc();
    return document != nullptr ? &document->GetTools() : nullptr;
}

// --- window ---

void CGlimraView::FollowDocumentModel()
{
    CGlimraDoc* document = GetGlimraDoc();
    SetModel(document != nullptr ? &document->GetModel() : nullptr);
}

void CGlimraView::OnInitialUpdate()
{
    FollowDocumentModel();
    CBaseGLView::OnInitialUpdate();
    CreateTips();
    if (GetRenderingContext() == nullptr || MakeCurrent() == 0)
        return;
    InitGLState();
    const CRect client = GetClientRect();
    SetViewportSize(std::max(client.Width(), 1), std::max(client.Height(), 1));
    if (GetModel() != nullptr)
        SetCamera(GetModel()->GetCamera(), 0.0);
    SaveViewDefinition(&GetViewDefinition());
    CreateViewFont();
    m_returnHeapAfterFrame = true;
}

void CGlimraView::OnDocumentContentsChanged()
{
    FollowDocumentModel();
    // The document's model keeps its address from one file to the next.
    ForgetLastModel();
    // What the driver kept of the last model's frames goes with the context they were
    // drawn in; the new model has made nothing in it yet.
    if (m_framesDrawn > 0)
        (void)RenewContext();
    m_returnHeapAfterFrame = true;
    if (GetModel() != nullptr)
        SetCamera(GetModel()->GetCamera(), 0.0);
    SaveViewDefinition(&GetViewDefinition());
    CView::Invalidate();
}

void CGlimraView::OnSize(int width, int height)
{
    CBaseGLView::OnSize(width, height);
    // The sheets of a job are drawn with the view's viewport; the window's size is taken
    // once they are done. The viewport is context state: while the view's context is
    // current it is set without binding the resized device again, which would make a
    // frame buffer of every size the window passes through while its bars are laid out
    // (the next bind makes the one the frame is drawn in).
    if (GetRenderingContext() != nullptr && width > 0 && height > 0 && !m_printer->IsPreviewing() &&
        !m_printer->IsPrinting() && (wglGetCurrentContext() == GetRenderingContext() || MakeCurrent() != 0))
        SetViewportSize(width, height);
    CView::Invalidate();
}

void CGlimraView::OnPaint()
{
    if (GetRenderingContext() == nullptr || m_drawingSuppressed || m_offscreenRendering)
        return;
    const CRect client = GetClientRect();
    const HDC device = GetDeviceContext();
    if (device != nullptr && (std::max(client.Width(), 1) != device->GetWidth() ||
                              std::max(client.Height(), 1) != device->GetHeight()))
        OnSize(client.Width(), client.Height());
    if (MakeCurrent() == 0)
        return;
    if (m_viewportPending)
        SetViewport();
    // The window repaints while a file is read; the half-read model is not drawn.
    if (GetDocument() != nullptr && GetDocument()->IsLoading())
    {
        DrawGLFrame();
        SwapAndPresent();
        return;
    }
    DrawClientFrame();
}

void CGlimraView::DrawClientFrame()
{
    const int swappedBefore = m_framesSwapped;
    ++m_framesDrawn;
    DrawFrame(0, true);
    if (swappedBefore == 0 && m_framesSwapped == 1)
        ExitAfterFirstFrameWhenAsked();
    // What the last model, its frames and the driver's work for them let go of since the
    // model was emptied (the view's kept lines, pictures, buffers of another size) goes
    // back to the system once the new model is on screen.
    if (m_returnHeapAfterFrame && m_framesSwapped > swappedBefore)
    {
        m_returnHeapAfterFrame = false;
        ReturnFreeHeapToSystem();
    }
    // A frame that draws nothing (no model root) still leaves the window its background
    // rather than whatever the screen held.
    if (m_framesSwapped == swappedBefore && GetPresentedFrame() == nullptr)
    {
        DrawGLFrame();
        SwapAndPresent();
    }
}

void CGlimraView::OnTimer(UINT id)
{
    if (id == kSettleTimerId)
    {
        KillTimer(kSettleTimerId);
        OnViewSettled();
        return;
    }
    if (id != kAnimationTimerId || !m_timerRunning)
        return;
    const double now = CFrameTimer::Now();
    // A tick that comes early (timers round to whole milliseconds) waits for the rest.
    if (now - m_lastStepTime < kRefreshSeconds)
    {
        ArmAnimationTimer(m_lastStepTime + kRefreshSeconds - now);
        return;
    }
    m_lastStepTime = now;
    StopAnimationTimer();
    IAnimation* animation = GetAnimation();
    if (animation != nullptr && !IsAnimationPaused() && !animation->Step(this))
        SetAnimation(nullptr);
}

void CGlimraView::OnDestroy()
{
    // Another view may be current by now (the one replacing this); this view's GL objects
    // go in its own context.
    if (GetRenderingContext() != nullptr)
        (void)MakeCurrent();
    // No tool may keep this view once its window is gone. They end first, so that a
    // walk still under way stops as it would when let go.
    if (CToolManager* tools = GetToolManager())
        tools->Reset(true, this);
    DiscardAnimation();
    StopAnimationTimer();
    KillTimer(kSettleTimerId);
    ReleaseCapture();
    CBaseGLView::OnDestroy();
}

// --- printing ---

bool CGlimraView::OnPreparePrinting(CPrintInfo* info)
{
    return m_printer->PreparePrinting(*info);
}

void CGlimraView::OnBeginPrinting(CPrinterDC* dc, CPrintInfo* info)
{
    m_printer->BeginPrinting(*dc, *info);
}

void CGlimraView::OnPrint(CPrinterDC* dc, CPrintInfo* info)
{
    m_printer->PrintSheet(*dc, *info);
}

void CGlimraView::OnEndPrinting(CPrinterDC* /*dc*/, CPrintInfo* /*info*/)
{
    m_printer->EndPrinting();
}

bool CGlimraView::HasPrintablePicture() const
{
    const CTarnwickModel* model = GetModel();
    const CComponent* root = model != nullptr ? model->GetRootComponent() : nullptr;
    return root != nullptr && !root->IsEmpty();
}

void CGlimraView::OnFilePrint()
{
    // The sheets show one moment of a running slideshow or transition: the plan is made
    // from the camera the dialog opens on, and the events let through between bands and
    // sheets would step it on.
    const CAnimationHold hold(*this);
    CBaseGLView::OnFilePrint();
}

void CGlimraView::OnFilePrintPreview()
{
    const CAnimationHold hold(*this);
    m_printer->SetPreviewing(true);
    CBaseGLView::OnFilePrintPreview();
    m_printer->SetPreviewing(false);
    // The window may have changed size while the preview showed.
    const CRect client = GetClientRect();
    OnSize(client.Width(), client.Height());
    Invalidate(false);
}

// --- core hooks ---

void CGlimraView::DrawToolFeedback()
{
    CToolManager* tools = GetToolManager();
    if (tools == nullptr)
        return;
    tools->UpdateFastFeedbackFlag();
    if (!tools->NeedsOverlay())
        tools->Draw(this);
}

void CGlimraView::DrawToolOverlay()
{
    CToolManager* tools = GetToolManager();
    if (tools != nullptr && tools->NeedsOverlay())
        tools->DrawOverlay(this);
}

void CGlimraView::PresentFeedback()
{
    ShowFrontBuffer();
}

bool CGlimraView::CreateTips()
{
    QWidget* window = GetWidget();
    if (window == nullptr)
        return false;
    if (m_tip1 == nullptr)
    {
        m_tip1 = new CTitleTip;
        m_tip1->Create(window);
        m_tip1->SetTextColor(RGB(255, 0, 0));
        m_tip1->SetShowDelay(0);
        m_tip1->SetHoverTolerance(20);
        m_tip1->SetOffset(5, 0);
    }
    if (m_tip2 == nullptr)
    {
        m_tip2 = new CTitleTip;
        m_tip2->Create(window);
        m_tip2->SetShowDelay(250);
        m_tip2->SetHoverTolerance(2);
        m_tip2->SetOffset(5, 0);
    }
    return true;
}

CTitleTip* CGlimraView::PrepareTip(const CString& text, int style)
{
    if (style < 0 || style > 3 || !CreateTips())
        return nullptr;
    if (style == 3)
    {
        m_tip2->SetText(text);
        return m_tip2;
    }
    m_tip1->Hide(false);
    m_tip1->SetTextColor(style == 0 ? RGB(255, 0, 0) : RGB(0, 0, 0));
    m_tip1->SetShowDelay(style == 2 ? 250 : 0);
    m_tip1->SetText(text);
    return m_tip1;
}

void CGlimraView::ShowTipAt(int x, int y, const CString& text, int style)
{
    // A second tip already showing stays where it is.
    if (style == 3 && m_tip2 != nullptr && m_tip2->isVisible())
        return;
    if (CTitleTip* tip = PrepareTip(text, style))
        tip->ShowAt(CPoint{x, y});
}

void CGlimraView::ShowTipAtCursor(const CString& text, int style)
{
    if (CTitleTip* tip = PrepareTip(text, style))
        tip->ShowAtCursor();
}

void CGlimraView::HideTip(int style)
{
    CTitleTip* tip = style >= 0 && style <= 2 ? m_tip1.data() : style == 3 ? m_tip2.data() : nullptr;
    if (tip != nullptr)
        tip->Hide(true);
}

CDib* CGlimraView::RenderToImage(int width, int height, double lineWidthFactor)
{
    std::vector<std::uint8_t> picture;
    if (!RenderViewPicture(width, height, lineWidthFactor, picture))
        return nullptr;
    return MakeImage(width, height, picture);
}

bool CGlimraView::RenderViewPicture(int& width, int& height, double lineWidthFactor, std::vector<std::uint8_t>& picture)
{
    UpdateViewBounds();
    double left = 0.0;
    double right = 0.0;
    double bottom = 0.0;
    double top = 0.0;
    GetViewDefinition().GetProjectionWindow(left, right, bottom, top);
    return RenderPicture(width, height, lineWidthFactor, left, right, bottom, top, 0, picture);
}

CDib* CGlimraView::RenderToImage(int width, int height, double lineWidthFactor, double left, double right,
                                 double bottom, double top, int overrideFlags)
{
    std::vector<std::uint8_t> picture;
    if (!RenderPicture(width, height, lineWidthFactor, left, right, bottom, top, overrideFlags, picture))
        return nullptr;
    return MakeImage(width, height, picture);
}

bool CGlimraView::RenderPicture(int& width, int& height, double lineWidthFactor, double left, double right,
                                double bottom, double top, int overrideFlags, std::vector<std::uint8_t>& picture)
{
    if (GetRenderingContext() == nullptr || !COffscreenRender::FitToBudget(width, height, COffscreenRender::GetMemoryBudget()))
        return false;
    const auto rowBytes = static_cast<std::size_t>(width) * 4;
    picture.assign(rowBytes * static_cast<std::size_t>(height), 0);
    CDisplayOverride display(this, overrideFlags);
    COffscreenRender render(*this, *this);
    const COffscreenRender::Window window{left, right, bottom, top};
    const bool drawn = render.Render(window, width, height, lineWidthFactor,
                                     [&](const COffscreenRender::Band& band, const std::vector<std::uint8_t>& rgba) {
                                         const auto bandRow = static_cast<std::size_t>(band.width) * 4;
                                         for (int row = 0; row < band.height; ++row)
                                             std::copy_n(rgba.data() + row * bandRow, bandRow,
                                                         picture.data() + (band.top + row) * rowBytes +
                                                             static_cast<std::size_t>(band.left) * 4);
                                         return true;
                                     });
    display.Restore();
    if (!drawn || render.WasCut())
        return false;
    // What blending left in the alpha channel is no coverage: the picture is opaque.
    for (std::size_t i = 3; i < picture.size(); i += 4)
        picture[i] = 255;
    return true;
}

CDib* CGlimraView::RenderPreviewImage()
{
    const CRect client = GetClientRect();
    const int longer = std::max(client.Width(), client.Height());
    if (longer < 1)
        return nullptr;
    const double scale = std::min(1.0, static_cast<double>(kPreviewSide) / longer);
    const int width = std::max(1, static_cast<int>(std::lround(client.Width() * scale)));
    const int height = std::max(1, static_cast<int>(std::lround(client.Height() * scale)));
    // Drawn that small, lines, texts and stipples would keep their screen pixels over a
    // picture a few times smaller: the window's picture is drawn and averaged down.
    int drawnWidth = client.Width();
    int drawnHeight = client.Height();
    std::vector<std::uint8_t> picture;
    // A picture given up for a quit, or stopped for its budget, is only part of the
    // model: the model keeps its old one.
    if (!RenderViewPicture(drawnWidth, drawnHeight, 1.0, picture))
        return nullptr;
    if (drawnWidth == width && drawnHeight == height)
        return MakeImage(width, height, picture);
    std::vector<std::uint8_t> small(static_cast<std::size_t>(width) * height * 4);
    const ILBilinearContribDef tent(1.0);
    if (C2PassScale(tent).Scale(Rows(picture, drawnWidth, drawnHeight).data(), drawnWidth, drawnHeight,
                                Rows(small, width, height).data(), width, height) == nullptr)
        return nullptr;
    return MakeImage(width, height, small);
}

void CGlimraView::GetScreenResolution(int& x, int& y) const
{
    const QWidget* window = GetWidget();
    x = window != nullptr ? window->logicalDpiX() : 0;
    y = window != nullptr ? window->logicalDpiY() : 0;
}

void CGlimraView::SwapBuffersHook(int /*argument*/)
{
    if (SwapAndPresent())
        ++m_framesSwapped;
}

void CGlimraView::ScheduleAnimationStep()
{
    if (GetAnimation() == nullptr || IsAnimationPaused() || IsAnimationHeld())
        return;
    ArmAnimationTimer(std::max(GetAnimationInterval(), m_lastStepTime + kRefreshSeconds - CFrameTimer::Now()));
}

void CGlimraView::ArmAnimationTimer(double seconds)
{
    const double wait = std::max(seconds, 0.001);
    const auto milliseconds = static_cast<UINT>(std::lround(wait * 1000.0));
    m_timerRunning = SetTimer(kAnimationTimerId, std::max<UINT>(milliseconds, 1)) != 0;
    m_timerDue = CFrameTimer::Now() + wait;
}

void CGlimraView::OnAnimationHeld(bool held)
{
    if (held)
    {
        m_heldWait = m_timerRunning ? std::max(0.0, m_timerDue - CFrameTimer::Now()) : -1.0;
        if (m_timerRunning)
            KillTimer(kAnimationTimerId);
        m_timerRunning = false;
        return;
    }
    const double wait = std::exchange(m_heldWait, -1.0);
    if (GetAnimation() == nullptr || IsAnimationPaused())
        return;
    // A step that had not asked for its next one yet (its frame was still to come) asks now.
    if (wait < 0.0)
        ScheduleAnimationStep();
    else
        ArmAnimationTimer(wait);
}

void CGlimraView::ScheduleSettle(double seconds)
{
    SetTimer(kSettleTimerId, static_cast<UINT>(std::lround(std::max(seconds, 0.001) * 1000.0)));
}

void CGlimraView::ListenForInput(bool moving)
{
    CInputProbe::BeginFrame(moving);
}

void CGlimraView::StopAnimationTimer()
{
    if (m_timerRunning)
        KillTimer(kAnimationTimerId);
    m_timerRunning = false;
    SetAnimationInterval(0.0);
}

bool CGlimraView::GetToolExtents(CBoundingBox3d& box) const
{
    CToolManager* tools = GetToolManager();
    CTool* tool = tools != nullptr ? tools->GetActiveTool() : nullptr;
    if (tool == nullptr)
        return false;
    tool->GetExtents(box);
    return !box.IsEmpty();
}

int CGlimraView::GetStencilBits() const
{
    if (m_stencilBits < 0)
    {
        PIXELFORMATDESCRIPTOR descriptor{};
        const HDC device = GetDeviceContext();
        m_stencilBits = device != nullptr && GetPixelFormatIndex() > 0 &&
                                DescribePixelFormat(device, GetPixelFormatIndex(), sizeof(descriptor), &descriptor) != 0
                            ? descriptor.cStencilBits
                            : 0;
    }
    return m_stencilBits;
}

bool CGlimraView::HasStencilBuffer() const
{
    return GetStencilBits() == 8;
}

void CGlimraView::Invalidate(bool /*erase*/)
{
    CView::Invalidate();
}

void CGlimraView::ClientToScreen(CPoint2d& point) const
{
    const CPoint screen = CView::ClientToScreen(CPoint{static_cast<int>(point.x), static_cast<int>(point.y)});
    point = CPoint2d(screen.x + (point.x - std::trunc(point.x)), screen.y + (point.y - std::trunc(point.y)));
}

void CGlimraView::ScreenToClient(CPoint2d& point) const
{
    const CPoint client = CView::ScreenToClient(CPoint{static_cast<int>(point.x), static_cast<int>(point.y)});
    point = CPoint2d(client.x + (point.x - std::trunc(point.x)), client.y + (point.y - std::trunc(point.y)));
}

void CGlimraView::SetCapture()
{
    CView::SetCapture();
}

void CGlimraView::SetStatusText(int pane, const CString& text)
{
    ::SetStatusText(pane, text, false);
}

CString CGlimraView::GetStatusText(int pane) const
{
    return ::GetStatusText(pane);
}

// --- input ---

namespace {

unsigned ToolFlags(UINT flags)
{
    return flags | (CView::IsAltKeyDown() ? CGlimraView::kAltFlag : 0);
}

}  // namespace

void CGlimraView::OnLButtonDown(UINT flags, CPoint point)
{
    StopAutopan();
    if (CToolManager* tools = GetToolManager())
        tools->OnLButtonDown(ToolFlags(flags), point.x, point.y, this);
}

void CGlimraView::OnLButtonUp(UINT flags, CPoint point)
{
    StopAutopan();
    if (CToolManager* tools = GetToolManager())
        tools->OnLButtonUp(ToolFlags(flags), point.x, point.y, this);
}

void CGlimraView::OnLButtonDblClk(UINT flags, CPoint point)
{
    StopAutopan();
    if (CToolManager* tools = GetToolManager())
        tools->OnLButtonDblClk(ToolFlags(flags), point.x, point.y, this);
}

void CGlimraView::OnRButtonDown(UINT flags, CPoint point)
{
    StopAutopan();
    if (CToolManager* tools = GetToolManager())
        tools->OnRButtonDown(ToolFlags(flags), point.x, point.y, this);
}

void CGlimraView::OnRButtonUp(UINT flags, CPoint point)
{
    StopAutopan();
    if (CToolManager* tools = GetToolManager())
        tools->OnRButtonUp(ToolFlags(flags), point.x, point.y, this);
}

void CGlimraView::OnRButtonDblClk(UINT flags, CPoint point)
{
    StopAutopan();
    if (CToolManager* tools = GetToolManager())
        tools->OnRButtonDblClk(ToolFlags(flags), point.x, point.y, this);
}

void CGlimraView::OnMButtonDown(UINT flags, CPoint point)
{
    StopAutopan();
    CToolManager* tools = GetToolManager();
    if (tools == nullptr)
        return;
    m_middleOrbitDepth = 0;
    const bool overWalk = dynamic_cast<CCameraWalkTool*>(tools->GetActiveTool()) != nullptr;
    if (tools->SelectTool(new CCameraOrbitTool(overWalk), kOrbitCommandId, false))
        m_middleOrbitDepth = tools->GetToolCount();
    tools->OnMButtonDown(ToolFlags(flags), point.x, point.y, this);
}

void CGlimraView::OnMButtonUp(UINT flags, CPoint point)
{
    StopAutopan();
    CToolManager* tools = GetToolManager();
    if (tools == nullptr)
        return;
    tools->OnMButtonUp(ToolFlags(flags), point.x, point.y, this);
    // Only the orbit this button pushed goes, not an orbit the user chose.
    if (m_middleOrbitDepth != 0 && tools->GetActiveToolId() == kOrbitCommandId &&
        tools->GetToolCount() == m_middleOrbitDepth)
        tools->PopTool();
    m_middleOrbitDepth = 0;
}

void CGlimraView::OnMButtonDblClk(UINT /*flags*/, CPoint point)
{
    StopAutopan();
    CenterOnPoint(CPoint2d(point.x, point.y));
}

void CGlimraView::ClearTypedText()
{
    GetValueInputBuffer().Clear();
}

void CGlimraView::UpdateCursor(CToolManager& tools)
{
    if (!tools.OnSetCursor())
        CView::SetCursor(LoadStandardCursor(IDC_ARROW));
}

void CGlimraView::OnMouseMove(UINT flags, CPoint point)
{
    if (point == m_lastMouse)
        return;
    if (IsValueBoxActive() && !GetValueInputBuffer().GetText().IsEmpty())
    {
        if (std::abs(point.x - m_lastMouse.x) < kTypingJitter && std::abs(point.y - m_lastMouse.y) < kTypingJitter)
            return;
        ClearTypedText();
    }
    m_lastMouse = point;
    const unsigned toolFlags = ToolFlags(flags);
    // A left drag that reaches the window border pans the view until it leaves the border
    // or a button ends it; tools that drag the camera themselves switch this off.
    if ((flags & MK_LBUTTON) != 0)
        StartAutopan(point.x, point.y, toolFlags);
    CToolManager* tools = GetToolManager();
    if (tools == nullptr)
        return;
    UpdateCursor(*tools);
    tools->OnMouseMove(toolFlags, point.x, point.y, this);
    if (!m_mouseInside)
    {
        m_mouseInside = true;
        tools->OnMouseEnter(this);
    }
}

void CGlimraView::OnMouseLeave()
{
    m_mouseInside = false;
    if (CToolManager* tools = GetToolManager())
        tools->OnMouseLeave(this);
}

bool CGlimraView::OnMouseWheel(UINT /*flags*/, int delta, CPoint screenPoint)
{
    CToolManager* tools = GetToolManager();
    CTool* tool = tools != nullptr ? tools->GetActiveTool() : nullptr;
    const bool suspended = tool != nullptr && tool->CanSuspend();
    if (suspended)
        tool->Suspend();
    StopAutopan();
    const CPoint client = CView::ScreenToClient(screenPoint);
    const float notches = static_cast<float>(delta) / static_cast<float>(kWheelNotch);
    WheelZoom(*this, notches, CPoint2d(client.x, client.y));
    if (suspended && tool->CanSuspend())
        tool->Resume();
    return true;
}

bool CGlimraView::OnKeyDown(UINT key, UINT repeatCount, bool repeated)
{
    // A held key acts once: its repeats reach neither the tools nor the typed value's
    // edit keys, only the accelerators.
    if (repeated)
        return false;
    CToolManager* tools = GetToolManager();
    if (tools != nullptr && tools->OnKeyDown(key, repeatCount, 0, this))
        return true;
    if (GetValueInputBuffer().HandleEditKey(static_cast<int>(key)) && IsValueBoxActive())
        ::SetStatusText(kValuePane, GetValueInputBuffer().GetText(), false);
    return false;
}

void CGlimraView::OnKeyUp(UINT key, UINT repeatCount)
{
    if (CToolManager* tools = GetToolManager())
        tools->OnKeyUp(key, repeatCount, 0, this);
}

void CGlimraView::OnChar(UINT code, UINT /*repeatCount*/, bool repeated)
{
    // A held key types nothing more: no repeated digits, no repeated Enter or Esc.
    if (repeated)
        return;
    const bool valueBox = IsValueBoxActive();
    CValueInputBuffer& typed = GetValueInputBuffer();
    CToolManager* tools = GetToolManager();
    switch (code)
    {
    case 13:
        if (tools != nullptr && valueBox && !typed.GetText().IsEmpty())
            tools->OnUserText(CString(typed.GetText()), this);
        else if (tools != nullptr)
            tools->OnReturn(this);
        ClearTypedText();
        return;
    case 27:
        if (valueBox && !typed.GetText().IsEmpty())
        {
            ClearTypedText();
            ::SetStatusText(kValuePane, CString(), false);
        }
        else if (tools != nullptr)
        {
            tools->OnCancel(0, this);
        }
        return;
    default:
        // The buffer refuses what is no character of a value (control characters).
        if (!valueBox || !typed.InsertChar(static_cast<int>(code)))
            return;
        ::SetStatusText(kValuePane, typed.GetText(), false);
    }
}

void CGlimraView::OnPageTabClicked(ITabInfo* tab)
{
    if (auto* page = dynamic_cast<CTarnwickPage*>(tab))
        ActivatePage(*this, page);
    if (GetWidget() != nullptr)
        GetWidget()->setFocus();
}
