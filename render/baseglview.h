#pragma once
// CBaseGLView: the view that owns one window's OpenGL drawing: the device it draws on,
// the chosen pixel format, a palette where the format needs one, and the rendering
// context. The context is made at the first update and torn down with the window; every
// step of making or tearing it down leaves a numbered error code with a fixed text.
//
// The device is an offscreen framebuffer of the window's size; each finished frame is
// read back and shown by the window (the same on every windowing platform).
//
// User-interface thread only; the context is current on that thread.
#include <memory>
#include <vector>

#include "platform/cstring.h"
#include "platform/gl/wgl.h"
#include "platform/ui/view.h"

// The text of each error code; 9 (a failure already reported) has none.
inline constexpr int kGLErrorCount = 10;
extern const char* const g_GLErrorText[kGLErrorCount];

using PFNGLADDSWAPHINTRECTWINPROC = void (*)(int x, int y, int width, int height);
// Null unless the driver offers the swap-hint extension.
extern PFNGLADDSWAPHINTRECTWINPROC g_pfnAddSwapHintRect;
// Picking corrects selection hits that a driver returns in reverse order.
extern bool g_CorrectReversedPicking;

struct PALETTEENTRY
{
    BYTE peRed = 0;
    BYTE peGreen = 0;
    BYTE peBlue = 0;
    BYTE peFlags = 0;
};

// The colour ramp a palette-based pixel format needs; empty when the format needs none.
[[nodiscard]] std::vector<PALETTEENTRY> CreatePixelFormatPalette(const PIXELFORMATDESCRIPTOR& descriptor);

// The device and context current on this thread.
void GetCurrentGLContext(HDC& device, HGLRC& context);

class CBaseGLView : public CView
{
public:
    enum ErrorCode
    {
        kNoError = 0,
        kNoDevice = 1,
        kChoosePixelFormatFailed = 2,
        kSetPixelFormatFailed = 3,
        kCreateContextFailed = 4,
        kMakeCurrentFailed = 5,
        kDeleteContextFailed = 6,
        kSwapBuffersFailed = 7,
        kCreatePaletteFailed = 8,
        kAlreadyReported = 9
    };
    // A context that cannot be made current is rebuilt this many times before the view
    // gives up and reports it.
    static constexpr int kMakeCurrentRetries = 3;
    // Resource ids of the failure message's parts.
    static constexpr int kInitFailedStringId = 10023;
    static constexpr int kAccelerationOffStringId = 10032;
    static constexpr int kColourWarningStringId = 10548;

    CBaseGLView();
    ~CBaseGLView() override;

    // Device, pixel format, palette and context, then the context made current.
    bool CreateGLContext();
    // Nonzero when the view's context is current afterwards. A context that had to be
    // made anew leaves the viewport pending and calls OnContextRebuilt.
    int MakeCurrent();
    // The viewport to the client area when it is at least 1 × 1; clears the pending flag.
    void SetViewport();
    void SetErrorCode(int code) { m_errorCode = code; }
    [[nodiscard]] int GetErrorCode() const { return m_errorCode; }
    // Replaces the context, device and all, with a new one on the same window, which is
    // current afterwards (OnContextRebuilt is called as for a rebuilt context). The
    // software driver keeps buffers and pictures an old frame used until the same
    // context reuses its slots, which may be never; a new context starts with none.
    // False, and no context, when the new one could not be made: the window shows cleared,
    // the first such failure is reported as a failed first context is, and the next call
    // tries again.
    bool RenewContext();
    // Frees context, palette and device; records HW_OK when an accelerated run ends.
    void DestroyGLContext();
    // The text shown when the first update could not make the context; sets code 9 when
    // the code has no text.
    [[nodiscard]] CString BuildFailureMessage();

    void OnInitialUpdate() override;
    void OnDestroy() override;
    // A printed sheet goes on while it is within the range the dialog chose.
    void OnPrepareDC(CPrinterDC* dc, CPrintInfo* info) override;
    void OnSize(int width, int height) override;
    // Makes the context current, draws the frame, swaps and shows it.
    void OnPaint() override;
    // Draws one frame with the context current; the base clears to the background colour.
    virtual void DrawGLFrame();
    // Whether the view has a picture to print: the print commands are greyed while it
    // has none. The base always has one.
    [[nodiscard]] virtual bool HasPrintablePicture() const { return true; }
    [[nodiscard]] virtual COLORREF GetBackgroundColour() const;
    // Finishes the frame and hands its pixels to the window; false (code 7) when it fails.
    bool SwapAndPresent();
    // The front buffer as it is now (feedback drawn over the last frame) goes to the
    // window at once, without a frame; false when it cannot be read.
    bool ShowFrontBuffer();

    [[nodiscard]] HDC GetDeviceContext() const { return m_device.get(); }
    [[nodiscard]] HGLRC GetRenderingContext() const { return m_context; }
    [[nodiscard]] int GetPixelFormatIndex() const { return m_pixelFormat; }
    [[nodiscard]] bool IsAccelerated() const { return m_accelerated; }
    [[nodiscard]] const std::vector<PALETTEENTRY>& GetPalette() const { return m_palette; }

    bool m_viewportPending = true;
    bool m_settingsReset = false;
    // Kept for the main view.
    bool m_drawingSuppressed = false;
    bool m_offscreenRendering = false;
    bool m_extraFlag = false;

protected:
    // The window-system steps of creation, one each so a test can fail one of them.
    virtual std::unique_ptr<CGLDevice> CreateClientDevice();
    virtual int ChooseDevicePixelFormat(HDC device, bool* settingsReset);
    virtual bool SetDevicePixelFormat(HDC device, int index);
    virtual HGLRC CreateRenderingContext(HDC device);
    virtual bool DeleteRenderingContext(HGLRC context);
    virtual bool MakeContextCurrent(HDC device, HGLRC context);
    // The colour depth of the screen the window is on.
    [[nodiscard]] virtual int GetScreenColourDepth() const;
    // MakeCurrent replaced the context, which is current now: whatever was set in the
    // old one or made in it is gone. Nothing here; the main view resets its drawing.
    virtual void OnContextRebuilt();

private:
    bool CreateGLContextSteps();
    bool PresentFront();
    void LookUpSwapHint();
    // Context, palette and device go; the thread's context is released first when it is ours.
    void ReleaseGLObjects();
    // The old context goes and a new one is made current; false when none could be made.
    bool ReplaceContext();
    // The message box of a context that could not be made, with the step that failed.
    void ReportContextFailure();
    void ShowColourWarning();

    int m_pixelFormat = 0;
    HGLRC m_context = nullptr;
    std::unique_ptr<CGLDevice> m_device;
    std::vector<PALETTEENTRY> m_palette;
    bool m_accelerated = false;
    int m_errorCode = kNoError;
    bool m_makeCurrentReported = false;
    bool m_deviceResized = false;
    // The last renewal made no context; it was reported.
    bool m_renewalFailed = false;
};
