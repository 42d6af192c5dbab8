#pragma once
// CGlimraView: the program's one view window. It joins the OpenGL window (CBaseGLView)
// with the model view core (CTarnisView) and supplies the window services the core asks
// for: redraw, buffer swap, the one-shot animation timer, mouse capture, coordinate
// conversion and status text. Window input reaches the view here: the wheel zooms, the
// timer steps the running animation, typed characters fill the value box while it is
// active. Its commands (camera, rendering styles, display switches, pages) are rows of
// its command table. User-interface thread only.
#include "render/baseglview.h"
#include "render/tarnisview.h"

class CBaseDoc;
class CGlimraDoc;
class ITabInfo;

class CGlimraView : public CBaseGLView, public CTarnisView
{
public:
    // The view's one-shot animation timer.
    static constexpr UINT kAnimationTimerId = 123;
    // Typed text survives mouse moves smaller than this in both directions.
    static constexpr int kTypingJitter = 51;
    // Wheel units of one notch.
    static constexpr int kWheelNotch = 120;
    // The Alt flag added to the mouse flags handed on.
    static constexpr UINT kAltFlag = 32;

    CGlimraView();
    ~CGlimraView() override;

    [[nodiscard]] CGlimraDoc* GetGlimraDoc() const;

    // --- window ---
    void OnInitialUpdate() override;
    // A new or opened model: the view shows it from its own camera.
    void OnDocumentContentsChanged();
    void OnSize(int width, int height) override;
    // The core draws the frame into the client area and swaps through SwapBuffersHook.
    void OnPaint() override;
    void OnTimer(UINT id) override;
    void OnDestroy() override;

    // --- input ---
    void OnLButtonUp(UINT flags, CPoint point) override;
    void OnRButtonUp(UINT flags, CPoint point) override;
    void OnMButtonUp(UINT flags, CPoint point) override;
    void OnMouseMove(UINT flags, CPoint point) override;
    bool OnMouseWheel(UINT flags, int delta, CPoint screenPoint) override;
    bool OnKeyDown(UINT key, UINT repeatCount, bool repeated) override;
    void OnChar(UINT code, UINT repeatCount, bool repeated) override;
    // A click on a page tab shows the tab's page.
    void OnPageTabClicked(ITabInfo* tab);

    // --- core hooks ---
    void SwapBuffersHook(int argument) override;
    void ScheduleAnimationStep() override;
    void StopAnimationTimer() override;
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

    // Frames the core has been asked to draw, and frames it swapped to the window.
    [[nodiscard]] int GetFramesDrawn() const { return m_framesDrawn; }
    [[nodiscard]] int GetFramesSwapped() const { return m_framesSwapped; }
    [[nodiscard]] CPoint GetLastMousePosition() const { return m_lastMouse; }

protected:
    // The next frame draws with the GL state set again and the model's objects made anew.
    void OnContextRebuilt() override { ResetOpenGL(); }

private:
    void AddCommands();
    void AddCameraCommands();
    void AddRenderingCommands();
    void AddPageCommands();
    // The camera goes to the selected page when that page keeps one, else to the model.
    void StoreCameraInSelectedPage();
    void FollowDocumentModel();
    void DrawClientFrame();
    void ClearTypedText();
    [[nodiscard]] CBaseDoc* GetBaseDoc() const;

    CPoint m_lastMouse;
    bool m_timerRunning = false;
    mutable int m_stencilBits = -1;
    int m_framesDrawn = 0;
    int m_framesSwapped = 0;
};
