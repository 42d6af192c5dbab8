#pragma once
// CGlimraView: the program's one view window. It joins the OpenGL window (CBaseGLView)
// with the model view core (CTarnisView) and supplies the window services the core asks
// for: redraw, buffer swap, the one-shot animation and wheel timers, mouse capture, coordinate
// conversion and status text. Window input reaches the view here: the wheel zooms, the
// timer steps the running animation, typed characters fill the value box while it is
// active, and the mouse, keys and typed values go to the document's tool manager (the
// middle button orbits over whichever tool is active). Its commands (camera, rendering styles, display switches, pages) are rows of
// its command table. User-interface thread only.
#include <QPointer>
#include <limits>
#include <memory>

#include "app/titletip.h"
#include "render/baseglview.h"
#include "render/tarnisview.h"

class CBaseDoc;
class CGlimraDoc;
class CToolManager;
class CViewPrinter;
class ITabInfo;

class CGlimraView : public CBaseGLView, public CTarnisView
{
public:
    // The view's one-shot animation timer.
    static constexpr UINT kAnimationTimerId = 123;
    // The one-shot timer after which a moving view has settled.
    static constexpr UINT kSettleTimerId = 124;
    // Typed text survives mouse moves smaller than this in both directions.
    static constexpr int kTypingJitter = 51;
    // The shortest time between two animation steps: one display refresh. An animation
    // that asks for no wait at all (a slideshow with times of 0) steps no faster.
    static constexpr double kRefreshSeconds = 1.0 / 60.0;
    // Wheel units of one notch.
    static constexpr int kWheelNotch = 120;
    // The Alt flag added to the mouse flags handed on.
    static constexpr UINT kAltFlag = 32;

    CGlimraView();
    ~CGlimraView() override;

    [[nodiscard]] CGlimraDoc* GetGlimraDoc() const;
    // The document's tool manager; null without a document.
    [[nodiscard]] CToolManager* GetToolManager() const;

    // --- window ---
    void OnInitialUpdate() override;
    // A new or opened model: the view shows it from its own camera.
    void OnDocumentContentsChanged();
    void OnSize(int width, int height) override;
    // The core draws the frame into the client area and swaps through SwapBuffersHook.
    void OnPaint() override;
    [[nodiscard]] bool IsNextFrameSlow() const override { return IsNextStillFrameSlow(); }
    void OnTimer(UINT id) override;
    void OnDestroy() override;

    // --- input: each goes to the tool manager, with the Alt flag added; every button and
    // the wheel first end a running autopan ---
    void OnLButtonDown(UINT flags, CPoint point) override;
    void OnLButtonUp(UINT flags, CPoint point) override;
    void OnLButtonDblClk(UINT flags, CPoint point) override;
    void OnRButtonDown(UINT flags, CPoint point) override;
    void OnRButtonUp(UINT flags, CPoint point) override;
    void OnRButtonDblClk(UINT flags, CPoint point) override;
    // An orbit tool goes over the active tool while the middle button is held.
    void OnMButtonDown(UINT flags, CPoint point) override;
    void OnMButtonUp(UINT flags, CPoint point) override;
    // Centres the view on the model point under the cursor.
    void OnMButtonDblClk(UINT flags, CPoint point) override;
    void OnMouseMove(UINT flags, CPoint point) override;
    void OnMouseLeave() override;
    // The active tool is suspended while the wheel zooms.
    bool OnMouseWheel(UINT flags, int delta, CPoint screenPoint) override;
    // Keys no tool takes edit the typed value; repeats go on to the accelerators alone.
    bool OnKeyDown(UINT key, UINT repeatCount, bool repeated) override;
    void OnKeyUp(UINT key, UINT repeatCount) override;
    // Enter hands typed text to the tool (else the tool's Enter); Esc clears typed text,
    // else cancels the tool. A held key's repeats are ignored.
    void OnChar(UINT code, UINT repeatCount, bool repeated) override;
    // A click on a page tab shows the tab's page.
    void OnPageTabClicked(ITabInfo* tab);

    // --- printing (CViewPrinter); the viewport stays while the preview shows, and the
    // animation waits from the print dialog to the job's end or while the preview shows ---
    void OnFilePrint() override;
    bool OnPreparePrinting(CPrintInfo* info) override;
    void OnBeginPrinting(CPrinterDC* dc, CPrintInfo* info) override;
    void OnPrint(CPrinterDC* dc, CPrintInfo* info) override;
    void OnEndPrinting(CPrinterDC* dc, CPrintInfo* info) override;
    void OnFilePrintPreview() override;
    // A model with something in it: an empty one prints nothing.
    [[nodiscard]] bool HasPrintablePicture() const override;
    [[nodiscard]] CViewPrinter& GetViewPrinter() { return *m_printer; }

    // --- core hooks ---
    // The active tool's feedback: in the frame, or over it once it is shown.
    void DrawToolFeedback() override;
    void DrawToolOverlay() override;
    void PresentFeedback() override;
    void SwapBuffersHook(int argument) override;
    void ScheduleAnimationStep() override;
    void StopAnimationTimer() override;
    void ScheduleSettle(double seconds) override;
    // Tells the input probe that a frame begins.
    void ListenForInput(bool moving) override;
    [[nodiscard]] bool GetToolExtents(CBoundingBox3d& box) const override;
    [[nodiscard]] bool HasStencilBuffer() const override;
    [[nodiscard]] int GetStencilBits() const override;
    using CView::Invalidate;
    void Invalidate(bool erase) override;
    using CView::ClientToScreen;
    using CView::ScreenToClient;
    void ClientToScreen(CPoint2d& point) const override;
    void ScreenToClient(CPoint2d& point) const override;
    void SetCapture() override;
    using CTarnisView::SetStatusText;
    void SetStatusText(int pane, const CString& text) override;
    [[nodiscard]] CString GetStatusText(int pane) const override;

    // --- pictures of the view, drawn away from the window (COffscreenRender) ---
    // The whole view as the window shows it, without tool feedback or highlights.
    [[nodiscard]] CDib* RenderToImage(int width, int height, double lineWidthFactor) override;
    [[nodiscard]] CDib* RenderToImage(int width, int height, double lineWidthFactor, double left, double right,
                                      double bottom, double top, int overrideFlags) override;

    // The preview a saved model keeps: the view at most kPreviewSide pixels on its longer
    // side, in the window's shape, drawn as the window shows it and averaged down, so that
    // lines, texts and stippled fills keep their looks. Null when it cannot be drawn.
    static constexpr int kPreviewSide = 256;
    [[nodiscard]] CDib* RenderPreviewImage();

    // --- the two hint tips; styles as the core's interface says ---
    void ShowTipAt(int x, int y, const CString& text, int style) override;
    void ShowTipAtCursor(const CString& text, int style) override;
    void HideTip(int style) override;
    // Tip 1 (styles 0 to 2) or 2 (style 3); null before the window exists.
    [[nodiscard]] CTitleTip* GetTip(int number) const { return number == 1 ? m_tip1.data() : m_tip2.data(); }

    // --- what the window tells the core ---
    [[nodiscard]] bool IsAccelerated() const override { return CBaseGLView::IsAccelerated(); }
    void GetScreenResolution(int& x, int& y) const override;
    [[nodiscard]] bool GetExtentsPass() const override { return m_extentsPass; }
    void SetExtentsPass(bool pass) override { m_extentsPass = pass; }

    // Frames the core has been asked to draw, and frames it swapped to the window.
    [[nodiscard]] int GetFramesDrawn() const { return m_framesDrawn; }
    [[nodiscard]] int GetFramesSwapped() const { return m_framesSwapped; }
    [[nodiscard]] CPoint GetLastMousePosition() const { return m_lastMouse; }

protected:
    // The next frame draws with the GL state set again and the model's objects made anew.
    void OnContextRebuilt() override { ResetOpenGL(); }
    // The animation timer stops for a hold and runs on for the rest of its wait after it.
    void OnAnimationHeld(bool held) override;

private:
    void AddCommands();
    void AddCameraCommands();
    void AddRenderingCommands();
    void AddPageCommands();
    // The camera goes to the selected page when that page keeps one, else to the model.
    void StoreCameraInSelectedPage();
    void FollowDocumentModel();
    void DrawClientFrame();
    // Makes both tips once the window exists; false without a window.
    bool CreateTips();
    // The tip of the style prepared for showing the text; null for other styles.
    CTitleTip* PrepareTip(const CString& text, int style);
    void ClearTypedText();
    // Starts the one-shot animation timer; at least a millisecond.
    void ArmAnimationTimer(double seconds);
    // The tool's cursor over the view, else the arrow.
    void UpdateCursor(CToolManager& tools);
    [[nodiscard]] CBaseDoc* GetBaseDoc() const;
    // The view's picture as the window shows it, drawn at the given size (which a memory
    // budget may lower); false when it could not be drawn, or not whole.
    bool RenderViewPicture(int& width, int& height, double lineWidthFactor, std::vector<std::uint8_t>& picture);
    // The window's part of the projection window drawn at width x height (shrunk to the
    // memory budget) into RGBA rows, top first, opaque; false when it cannot be drawn, or
    // stopped part way (its budget spent, a quit asked for): a part is no picture of the view.
    bool RenderPicture(int& width, int& height, double lineWidthFactor, double left, double right, double bottom,
                       double top, int overrideFlags, std::vector<std::uint8_t>& picture);

    CPoint m_lastMouse;
    bool m_timerRunning = false;
    // When the running timer is due, on the frame timer's clock; what was left of its
    // wait when a hold stopped it (negative: it was not running).
    double m_timerDue = 0.0;
    double m_heldWait = -1.0;
    // When the timer last stepped the animation, on the frame timer's clock.
    double m_lastStepTime = -std::numeric_limits<double>::infinity();
    // The mouse is over the view (the tools were told it entered).
    bool m_mouseInside = false;
    // The stack depth with the orbit the middle button pushed on top; 0 when none.
    int m_middleOrbitDepth = 0;
    mutable int m_stencilBits = -1;
    int m_framesDrawn = 0;
    int m_framesSwapped = 0;
    // A model's first frame on screen gives the heap's free pages back.
    bool m_returnHeapAfterFrame = false;
    std::unique_ptr<CViewPrinter> m_printer;
    // Owned by the window: they go with it.
    QPointer<CTitleTip> m_tip1;
    QPointer<CTitleTip> m_tip2;
    bool m_extentsPass = false;
};
