#include "render/baseglview.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <exception>

#include "platform/profile.h"
#include "platform/sysinfo.h"
#include "platform/ui/messagebox.h"
#include "platform/ui/printerdc.h"
#include "platform/ui/printinfo.h"
#include "platform/ui/stringtable.h"
#include "render/glconfig.h"
#include "render/pixelformatrecord.h"

const char* const g_GLErrorText[kGLErrorCount] = {
    "No Error",
    "Unable to get a DC",
    "ChoosePixelFormat failed",
    "SelectPixelFormat failed",
    "wglCreateContext failed",
    "wglMakeCurrent failed",
    "wglDeleteContext failed",
    "SwapBuffers failed",
    "CreatePalette failed",
    "",
};

PFNGLADDSWAPHINTRECTWINPROC g_pfnAddSwapHintRect = nullptr;
bool g_CorrectReversedPicking = false;

std::vector<PALETTEENTRY> CreatePixelFormatPalette(const PIXELFORMATDESCRIPTOR& descriptor)
{
    std::vector<PALETTEENTRY> palette;
    if ((descriptor.dwFlags & PFD_NEED_PALETTE) == 0 || descriptor.cColorBits > 8)
        return palette;
    const auto channel = [](int i, int bits, int shift) {
        const int mask = (1 << bits) - 1;
        return mask == 0 ? BYTE{0} : static_cast<BYTE>(((i >> shift) & mask) * 255.0 / mask);
    };
    palette.resize(size_t{1} << descriptor.cColorBits);
    for (size_t i = 0; i < palette.size(); ++i)
    {
        const int n = static_cast<int>(i);
        palette[i].peRed = channel(n, descriptor.cRedBits, descriptor.cRedShift);
        palette[i].peGreen = channel(n, descriptor.cGreenBits, descriptor.cGreenShift);
        palette[i].peBlue = channel(n, descriptor.cBlueBits, descriptor.cBlueShift);
    }
    return palette;
}

void GetCurrentGLContext(HDC& device, HGLRC& context)
{
    device = wglGetCurrentDC();
    context = wglGetCurrentContext();
}

CBaseGLView::CBaseGLView()
{
    // The framework's print commands, which every OpenGL view offers.
    const auto printable = [this](CCmdUI& ui) { ui.Enable(HasPrintablePicture()); };
    GetCommands().Add(ID_FILE_PRINT, CString("&Print...\tCtrl+P"), [this] { OnFilePrint(); }, printable);
    GetCommands().Add(ID_FILE_PRINT_DIRECT, CString("&Print"), [this] { OnFilePrint(); }, printable);
    GetCommands().Add(ID_FILE_PRINT_PREVIEW, CString("Print Pre&view"), [this] { OnFilePrintPreview(); }, printable);
}

void CBaseGLView::OnPrepareDC(CPrinterDC* dc, CPrintInfo* info)
{
    if (dc != nullptr && dc->IsPrinting() && info != nullptr && info->m_nCurPage <= info->GetToPage())
        info->m_bContinuePrinting = true;
    CView::OnPrepareDC(dc, info);
}

CBaseGLView::~CBaseGLView()
{
    ReleaseGLObjects();
}

std::unique_ptr<CGLDevice> CBaseGLView::CreateClientDevice()
{
    const CRect client = GetClientRect();
    return CGLDevice::CreateOffscreen(std::max(client.Width(), 1), std::max(client.Height(), 1));
}

int CBaseGLView::ChooseDevicePixelFormat(HDC device, bool* settingsReset)
{
    return ChooseViewPixelFormat(device, settingsReset);
}

bool CBaseGLView::SetDevicePixelFormat(HDC device, int index)
{
    PIXELFORMATDESCRIPTOR descriptor;
    DescribePixelFormat(device, index, sizeof(descriptor), &descriptor);
    return SetPixelFormat(device, index, &descriptor) != 0;
}

HGLRC CBaseGLView::CreateRenderingContext(HDC device)
{
    return wglCreateContext(device);
}

bool CBaseGLView::DeleteRenderingContext(HGLRC context)
{
    return wglDeleteContext(context) != 0;
}

bool CBaseGLView::MakeContextCurrent(HDC device, HGLRC context)
{
    return wglMakeCurrent(device, context) != 0;
}

int CBaseGLView::GetScreenColourDepth() const
{
    return GetScreenDepth();
}

bool CBaseGLView::CreateGLContext()
{
    bool created = false;
    try
    {
        created = CreateGLContextSteps();
    }
    catch (const std::exception&)
    {
        // The code of the step under way stays.
        created = false;
    }
    // A context that was made but could not be made current is of no use to anyone.
    if (!created && m_context != nullptr)
    {
        DeleteRenderingContext(m_context);
        m_context = nullptr;
    }
    return created;
}

bool CBaseGLView::CreateGLContextSteps()
{
    m_errorCode = kNoDevice;
    m_device = CreateClientDevice();
    if (m_device == nullptr)
        return false;
    m_errorCode = kChoosePixelFormatFailed;
    m_pixelFormat = ChooseDevicePixelFormat(m_device.get(), &m_settingsReset);
    if (m_pixelFormat == 0)
        return false;
    if (IsPixelFormatAccelerated(m_device.get(), m_pixelFormat))
        m_accelerated = true;
    m_errorCode = kSetPixelFormatFailed;
    if (!SetDevicePixelFormat(m_device.get(), m_pixelFormat))
        return false;
    m_errorCode = kCreatePaletteFailed;
    PIXELFORMATDESCRIPTOR descriptor;
    if (DescribePixelFormat(m_device.get(), m_pixelFormat, sizeof(descriptor), &descriptor) > 0)
        m_palette = CreatePixelFormatPalette(descriptor);
    m_errorCode = kCreateContextFailed;
    m_context = CreateRenderingContext(m_device.get());
    if (m_context == nullptr)
        return false;
    m_errorCode = kMakeCurrentFailed;
    if (!MakeContextCurrent(m_device.get(), m_context))
        return false;
    m_errorCode = kNoError;
    LookUpSwapHint();
    return true;
}

void CBaseGLView::LookUpSwapHint()
{
    const auto* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    if (extensions == nullptr || std::strstr(extensions, "GL_WIN_swap_hint") == nullptr)
        return;
    if (PROC proc = wglGetProcAddress("glAddSwapHintRectWIN"))
        g_pfnAddSwapHintRect = reinterpret_cast<PFNGLADDSWAPHINTRECTWINPROC>(proc);
}

int CBaseGLView::MakeCurrent()
{
    // A resized device makes its buffers anew when it is bound again.
    if (m_context != nullptr && wglGetCurrentContext() == m_context && !m_deviceResized)
        return 1;
    if (m_context != nullptr && MakeContextCurrent(m_device.get(), m_context))
    {
        m_deviceResized = false;
        return 1;
    }
    // A context that will not become current is rebuilt from a fresh device; what it
    // replaces is freed first, so the retries cost nothing that lasts.
    for (int retry = 0; retry < kMakeCurrentRetries; ++retry)
    {
        if (ReplaceContext())
            return 1;
    }
    ReleaseGLObjects();
    m_errorCode = kMakeCurrentFailed;
    if (!m_makeCurrentReported)
    {
        m_makeCurrentReported = true;
        std::fprintf(stderr, "The OpenGL context could not be made current: %s\n", g_GLErrorText[kMakeCurrentFailed]);
    }
    return 0;
}

bool CBaseGLView::RenewContext()
{
    // A view whose last renewal failed tries again: what kept the context from being
    // made may have passed.
    if (m_context == nullptr && !m_renewalFailed)
        return false;
    if (ReplaceContext())
    {
        m_renewalFailed = false;
        return true;
    }
    // The frame presented last belongs to what the view showed before (another model): the
    // view shows cleared, as it does without a first context.
    DiscardPresentedFrame();
    // Said once, as a failed first context is: otherwise the view would stay blank with
    // no word, every paint returning at once.
    if (!m_renewalFailed)
        ReportContextFailure();
    m_renewalFailed = true;
    return false;
}

void CBaseGLView::ReportContextFailure()
{
    if (m_accelerated)
        SetGLConfigAccelerated(false);
    AfxMessageBox(BuildFailureMessage(), 0, kAccelerationOffStringId);
}

bool CBaseGLView::ReplaceContext()
{
    ReleaseGLObjects();
    if (!CreateGLContext())
        return false;
    // A new context starts with GL's defaults: no viewport of the window's size, none of
    // the view's state and none of its objects.
    m_viewportPending = true;
    OnContextRebuilt();
    return true;
}

void CBaseGLView::OnContextRebuilt() {}

void CBaseGLView::SetViewport()
{
    const CRect client = GetClientRect();
    if (client.Width() >= 1 && client.Height() >= 1)
        glViewport(0, 0, client.Width(), client.Height());
    m_viewportPending = false;
}

void CBaseGLView::ReleaseGLObjects()
{
    if (m_context != nullptr && wglGetCurrentContext() == m_context)
        wglMakeCurrent(nullptr, nullptr);
    if (m_context != nullptr)
    {
        if (!DeleteRenderingContext(m_context))
            m_errorCode = kDeleteContextFailed;
        m_context = nullptr;
    }
    m_palette.clear();
    m_device.reset();
}

void CBaseGLView::DestroyGLContext()
{
    if (GetGLConfig().Accelerated != 0)
        (void)WriteGLConfigDword("HW_OK", 1);
    ReleaseGLObjects();
}

CString CBaseGLView::BuildFailureMessage()
{
    CString message = LoadStringResource(kInitFailedStringId);
    if (m_accelerated)
        message += CString("\r\n\r\n") + LoadStringResource(kAccelerationOffStringId);
    if (m_errorCode >= kNoDevice && m_errorCode <= kCreatePaletteFailed)
        message += CString("\r\n\r\nError: ") + CString(g_GLErrorText[m_errorCode]);
    else
        m_errorCode = kAlreadyReported;
    return message;
}

void CBaseGLView::OnInitialUpdate()
{
    CView::OnInitialUpdate();
    if (m_device != nullptr)
        return;
    if (!CreateGLContext())
    {
        ReportContextFailure();
        return;
    }
    g_CorrectReversedPicking = m_accelerated && GetGLConfigReversedPick(false);
    ShowColourWarning();
}

void CBaseGLView::ShowColourWarning()
{
    const CString section("Color_Warning");
    if (GetProfileInt(section, section, 0) != 0 || GetScreenColourDepth() != 16)
        return;
    AfxMessageBox(kColourWarningStringId);
    WriteProfileInt(section, section, 1);
}

void CBaseGLView::OnDestroy()
{
    CView::OnDestroy();
    try
    {
        DestroyGLContext();
    }
    catch (...)
    {
        // Tearing down must not stop the window from going.
    }
}

void CBaseGLView::OnSize(int width, int height)
{
    if (m_device != nullptr)
    {
        m_device->SetSize(width, height);
        m_deviceResized = true;
    }
    m_viewportPending = true;
}

void CBaseGLView::OnPaint()
{
    if (m_context == nullptr || m_drawingSuppressed)
        return;
    // A hidden window is resized without telling anyone; the frame follows the window.
    const CRect client = GetClientRect();
    if (m_device != nullptr && (std::max(client.Width(), 1) != m_device->GetWidth() ||
                                std::max(client.Height(), 1) != m_device->GetHeight()))
        OnSize(client.Width(), client.Height());
    if (MakeCurrent() == 0)
        return;
    if (m_viewportPending)
        SetViewport();
    DrawGLFrame();
    SwapAndPresent();
}

COLORREF CBaseGLView::GetBackgroundColour() const
{
    return GetSysColor(COLOR_WINDOW);
}

void CBaseGLView::DrawGLFrame()
{
    const COLORREF colour = GetBackgroundColour();
    glClearColor(GetRValue(colour) / 255.0f, GetGValue(colour) / 255.0f, GetBValue(colour) / 255.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
}

bool CBaseGLView::SwapAndPresent()
{
    if (m_device == nullptr || SwapBuffers(m_device.get()) == 0 || !PresentFront())
    {
        SetErrorCode(kSwapBuffersFailed);
        return false;
    }
    return true;
}

bool CBaseGLView::PresentFront()
{
    std::vector<std::uint8_t> rgba;
    if (m_device == nullptr || !m_device->ReadFrontPixels(rgba))
        return false;
    PresentFrame(m_device->GetWidth(), m_device->GetHeight(), rgba);
    return true;
}

bool CBaseGLView::ShowFrontBuffer()
{
    if (!PresentFront())
        return false;
    ShowPresentedFrame();
    return true;
}
