#pragma once
// CView: a document's window inside the frame. It paints through OnPaint/OnDraw, follows
// its document through OnUpdate, runs window timers (OnTimer with the caller's id) and can
// present a finished frame of pixels that the window then shows as it is. Mouse and key
// input arrive in the window messages' terms: MK_ flags, client pixels, virtual keys.
#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "platform/ui/cmdtarget.h"
#include "platform/ui/cursor.h"
#include "platform/ui/uitypes.h"

class CDocument;
class CFrameWnd;
class CObject;
class CPrintInfo;
class CPrintingDialog;
class CPrinterDC;
class CViewWidget;
class QImage;
class QWidget;

class CView : public CCmdTarget
{
public:
    CView();
    ~CView() override;

    // Makes the window as a child of the parent window (null: a top-level window for tests).
    bool Create(QWidget* parent);
    // OnDestroy while the view and its window are whole, then the window goes; nothing
    // when there is no window.
    void DestroyWindow();
    [[nodiscard]] QWidget* GetWidget() const;
    [[nodiscard]] CDocument* GetDocument() const { return m_document; }
    [[nodiscard]] CFrameWnd* GetParentFrame() const { return m_frame; }

    // Called by the document template once the document is ready; the base updates.
    virtual void OnInitialUpdate();
    // The document changed; the base repaints.
    virtual void OnUpdate(CView* sender, LPARAM hint, CObject* hintObject);
    // Routes to the view's own rows, then to its document.
    bool OnCmdMsg(UINT id, CCmdUI* ui) override;

    // Marks the window for a new frame. The window is asked to paint once the input at
    // hand has been handled: a button of the same window that repaints itself at once when
    // pressed (as tool buttons do) paints every marked widget with it, and clicks queued
    // behind a slow frame would each draw a frame of their own.
    void Invalidate();
    // Paints at once when a repaint is pending.
    void UpdateWindow();
    [[nodiscard]] CRect GetClientRect() const;
    [[nodiscard]] bool IsWindowVisible() const;
    // Bits per pixel of the screen the window is on (24 before the window exists).
    [[nodiscard]] int GetScreenDepth() const;

    // Starts or restarts the timer of that id (at least 1 ms); returns the id.
    UINT SetTimer(UINT id, UINT milliseconds);
    bool KillTimer(UINT id);
    [[nodiscard]] bool HasTimer(UINT id) const { return m_timers.count(id) != 0; }

    void SetCursor(HCURSOR cursor);
    // Mouse capture: every mouse event goes to this window until it is released.
    void SetCapture();
    void ReleaseCapture();
    [[nodiscard]] CPoint ClientToScreen(CPoint point) const;
    [[nodiscard]] CPoint ScreenToClient(CPoint point) const;
    // True while an Alt key is held.
    [[nodiscard]] static bool IsAltKeyDown();
    // The mouse pointer in screen pixels.
    [[nodiscard]] static CPoint GetCursorPos();

    // Keeps a finished frame (top row first, RGBA) for the window to show until the next.
    void PresentFrame(int width, int height, const std::vector<std::uint8_t>& rgba);
    // The window shows the frame last presented without asking the view to paint anew.
    void ShowPresentedFrame();
    // The frame presented last is dropped: the window shows no picture until the next.
    void DiscardPresentedFrame();
    // What the window's next paint does.
    enum class EPaint
    {
        // Shows the presented frame.
        kShow,
        // Shows the presented frame now and draws the new one at the next turn of the loop.
        kShowThenDraw,
        // Draws a frame and shows it.
        kDraw,
    };
    // Decides the window's next paint, whole or of a part of the window only; clears the
    // request it answers. A paint that draws a frame answers a pending Invalidate too. A
    // repaint that nothing asked for (a menu closed over the window, the window uncovered)
    // shows the presented frame, when it has the window's size: only Invalidate draws anew.
    // A frame the view wants is never dropped: feedback shown over the presented frame, a
    // repaint of a part of the window, and a frame that may keep the user waiting
    // (IsNextFrameSlow) show the presented frame now and draw the wanted one, whole, at
    // the next turn of the loop, so that the window shows what a closed menu or dialog
    // covered before the frame begins.
    EPaint TakePaintRequest(bool whole = true);
    // The frame last presented; null before the first.
    [[nodiscard]] const QImage* GetPresentedFrame() const { return m_frameImage.get(); }

    // Window events, called by the window.
    virtual void OnPaint();
    virtual void OnDraw() {}
    // Whether the frame the window is asked to draw may take long enough for the user to
    // see the window wait for it; the base: never.
    [[nodiscard]] virtual bool IsNextFrameSlow() const { return false; }
    virtual void OnSize(int width, int height) {}
    virtual void OnTimer(UINT id) {}
    virtual void OnDestroy() {}
    virtual void OnLButtonDown(UINT /*flags*/, CPoint /*point*/) {}
    virtual void OnLButtonUp(UINT /*flags*/, CPoint /*point*/) {}
    virtual void OnLButtonDblClk(UINT /*flags*/, CPoint /*point*/) {}
    virtual void OnRButtonDown(UINT /*flags*/, CPoint /*point*/) {}
    virtual void OnRButtonUp(UINT /*flags*/, CPoint /*point*/) {}
    virtual void OnRButtonDblClk(UINT /*flags*/, CPoint /*point*/) {}
    virtual void OnMButtonDown(UINT /*flags*/, CPoint /*point*/) {}
    virtual void OnMButtonUp(UINT /*flags*/, CPoint /*point*/) {}
    virtual void OnMButtonDblClk(UINT /*flags*/, CPoint /*point*/) {}
    virtual void OnMouseMove(UINT /*flags*/, CPoint /*point*/) {}
    virtual void OnMouseLeave() {}
    // The point is in screen pixels; 120 units of delta are one notch. True: handled.
    virtual bool OnMouseWheel(UINT /*flags*/, int /*delta*/, CPoint /*screenPoint*/) { return false; }
    // A key went down, before the frame's accelerators; true consumes it. repeated is
    // set for the keyboard's auto-repeat.
    virtual bool OnKeyDown(UINT /*key*/, UINT /*repeatCount*/, bool /*repeated*/) { return false; }
    virtual void OnKeyUp(UINT /*key*/, UINT /*repeatCount*/) {}
    // The character a key typed, after its OnKeyDown (13 Enter, 27 Esc, 8 Backspace).
    virtual void OnChar(UINT /*code*/, UINT /*repeatCount*/, bool /*repeated*/) {}
    void DispatchTimer(int qtTimerId);
    // The window was deleted by its parent: the view forgets it and its timers.
    void OnWindowDestroyed();

    // --- printing (viewprint.cpp): the job's road, whose steps the view fills ---
    // Prepares (OnPreparePrinting), then prints every sheet on the application's printer
    // under a printing dialog with the sheet's number and Cancel. Events are handled
    // between bands and sheets; Cancel, or a request to end the program (CQuitRequest),
    // ends the job there and keeps nothing of it.
    virtual void OnFilePrint();
    // Prepares a preview, then shows the sheets in the preview window, whose Print
    // button closes it and prints. The window draws the sheets it shows as they come
    // into sight; what they held is given back when it closes.
    virtual void OnFilePrintPreview();
    // The base shows the job's print dialog; false ends the job before it starts.
    virtual bool OnPreparePrinting(CPrintInfo* info);
    // The job's print dialog (or the plain one); false when the user cancelled it.
    bool DoPreparePrinting(CPrintInfo* info);
    virtual void OnBeginPrinting(CPrinterDC* /*dc*/, CPrintInfo* /*info*/) {}
    // Before each sheet: the base goes on while the last sheet is known, or for the first.
    virtual void OnPrepareDC(CPrinterDC* dc, CPrintInfo* info);
    virtual void OnPrint(CPrinterDC* /*dc*/, CPrintInfo* /*info*/) {}
    virtual void OnEndPrinting(CPrinterDC* /*dc*/, CPrintInfo* /*info*/) {}
    // Begin, the sheets of the range and end on one device; the progress dialog, when
    // given, shows the sheet being printed. The device's abort procedure is asked before
    // each sheet: a cancelled job stops there (or within the sheet, at a band).
    void PrintSheets(CPrinterDC& dc, CPrintInfo& info, CPrintingDialog* progress = nullptr);
    // One sheet of the range (its number, the first being the range's first); false when
    // the job has no such sheet.
    bool PrintOneSheet(CPrinterDC& dc, CPrintInfo& info, UINT page);

protected:
    friend class CDocument;
    friend class CFrameWnd;
    void SetDocument(CDocument* document) { m_document = document; }
    void SetParentFrame(CFrameWnd* frame) { m_frame = frame; }

private:
    CViewWidget* m_widget = nullptr;
    CDocument* m_document = nullptr;
    CFrameWnd* m_frame = nullptr;
    // The caller's id and Qt's id of each running timer.
    std::map<UINT, int> m_timers;
    std::unique_ptr<QImage> m_frameImage;
    bool m_showOnly = false;
    // An Invalidate waits for its request to paint.
    bool m_paintPending = false;
    // A new frame was asked for since the last paint that drew one.
    bool m_frameWanted = true;
    // The wanted frame's paint has shown the presented frame first.
    bool m_shownBeforeFrame = false;
};
