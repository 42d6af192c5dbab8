#include "platform/gl/gldevice.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <map>
#include <mutex>
#include <string_view>
#include <utility>

#include "platform/gl/glcontext.h"

namespace {

struct ConfigList
{
    std::vector<EGLConfig> configs;
};

std::mutex g_displayMutex;

EGLDisplay InitializeDisplay(EGLenum platform, void* native)
{
    const auto getPlatformDisplay =
        reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (getPlatformDisplay == nullptr) {
        return EGL_NO_DISPLAY;
    }
    EGLDisplay display = getPlatformDisplay(platform, native, nullptr);
    if (display == EGL_NO_DISPLAY || eglInitialize(display, nullptr, nullptr) != EGL_TRUE) {
        return EGL_NO_DISPLAY;
    }
    return display;
}

// Displays are kept for the life of the process: contexts and devices of several views
// share them, and terminating one under a live context is an error.
EGLDisplay OpenDisplay(void* x11Display)
{
    const std::lock_guard lock(g_displayMutex);
    static std::map<void*, EGLDisplay> displays;
    const auto found = displays.find(x11Display);
    if (found != displays.end()) {
        return found->second;
    }
    const EGLDisplay display = x11Display == nullptr
                                   ? InitializeDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY)
                                   : InitializeDisplay(EGL_PLATFORM_X11_KHR, x11Display);
    if (display != EGL_NO_DISPLAY) {
        displays.emplace(x11Display, display);
    }
    return display;
}

EGLint Attribute(EGLDisplay display, EGLConfig config, EGLint name)
{
    EGLint value = 0;
    return eglGetConfigAttrib(display, config, name, &value) == EGL_TRUE ? value : 0;
}

// One pixel format: an EGL configuration, offered as the driver's own (accelerated)
// format and again as a generic one, so that a configuration that asks for an
// unaccelerated format after a failed run finds one, as it always could on the
// system the program came from. A software driver offers generic formats only.
struct FormatEntry
{
    EGLConfig config;
    bool generic;
};

bool IsSoftwareDriver(EGLDisplay display)
{
    const auto driverName =
        reinterpret_cast<PFNEGLGETDISPLAYDRIVERNAMEPROC>(eglGetProcAddress("eglGetDisplayDriverName"));
    const char* name = driverName != nullptr ? driverName(display) : nullptr;
    if (name == nullptr) {
        return false;
    }
    const std::string_view driver(name);
    return driver == "swrast" || driver == "kms_swrast";
}

// The formats a device offers: RGB configurations that render desktop OpenGL in
// configuration-id order, the plain ones first and the multisampled ones after them, so
// that adding the latter left the numbers of the former as they were.
const std::vector<FormatEntry>& GetFormats(EGLDisplay display, bool forWindow)
{
    const std::lock_guard lock(g_displayMutex);
    static std::map<std::pair<EGLDisplay, bool>, std::vector<FormatEntry>> lists;
    const auto key = std::make_pair(display, forWindow);
    const auto found = lists.find(key);
    if (found != lists.end()) {
        return found->second;
    }
    EGLint count = 0;
    eglGetConfigs(display, nullptr, 0, &count);
    std::vector<EGLConfig> all(static_cast<size_t>(std::max(count, 0)));
    if (count > 0) {
        eglGetConfigs(display, all.data(), count, &count);
        all.resize(static_cast<size_t>(std::max(count, 0)));
    }
    std::vector<EGLConfig> kept;
    for (EGLConfig config : all) {
        const bool renders = (Attribute(display, config, EGL_RENDERABLE_TYPE) & EGL_OPENGL_BIT) != 0;
        const bool rgb = Attribute(display, config, EGL_COLOR_BUFFER_TYPE) == EGL_RGB_BUFFER;
        const bool windowed = (Attribute(display, config, EGL_SURFACE_TYPE) & EGL_WINDOW_BIT) != 0;
        if (renders && rgb && (windowed || !forWindow)) {
            kept.push_back(config);
        }
    }
    std::stable_sort(kept.begin(), kept.end(), [display](EGLConfig a, EGLConfig b) {
        const bool aSampled = Attribute(display, a, EGL_SAMPLES) > 0;
        const bool bSampled = Attribute(display, b, EGL_SAMPLES) > 0;
        if (aSampled != bSampled) {
            return bSampled;
        }
        return Attribute(display, a, EGL_CONFIG_ID) < Attribute(display, b, EGL_CONFIG_ID);
    });
    const bool software = IsSoftwareDriver(display);
    std::vector<FormatEntry> formats;
    for (EGLConfig config : kept) {
        if (!software) {
            formats.push_back({config, false});
        }
        formats.push_back({config, true});
    }
    return lists.emplace(key, std::move(formats)).first->second;
}

BYTE Bits(EGLDisplay display, EGLConfig config, EGLint name)
{
    return static_cast<BYTE>(std::clamp(Attribute(display, config, name), 0, 255));
}

// The offscreen buffers' formats, after the pixel format's sizes.
GLenum ColourFormat(const PIXELFORMATDESCRIPTOR& format)
{
    if (format.cRedBits <= 5 && format.cAlphaBits == 0) {
        return GL_RGB565;
    }
    return format.cRedBits > 8 ? GL_RGBA16 : GL_RGBA8;
}

GLenum DepthFormat(const PIXELFORMATDESCRIPTOR& format)
{
    if (format.cStencilBits > 0) {
        return GL_DEPTH24_STENCIL8;
    }
    if (format.cDepthBits == 0) {
        return GL_NONE;
    }
    if (format.cDepthBits <= 16) {
        return GL_DEPTH_COMPONENT16;
    }
    return format.cDepthBits <= 24 ? GL_DEPTH_COMPONENT24 : GL_DEPTH_COMPONENT32;
}

struct FramebufferCalls
{
    PFNGLGENFRAMEBUFFERSPROC genFramebuffers = nullptr;
    PFNGLDELETEFRAMEBUFFERSPROC deleteFramebuffers = nullptr;
    PFNGLBINDFRAMEBUFFERPROC bindFramebuffer = nullptr;
    PFNGLFRAMEBUFFERRENDERBUFFERPROC framebufferRenderbuffer = nullptr;
    PFNGLCHECKFRAMEBUFFERSTATUSPROC checkFramebufferStatus = nullptr;
    PFNGLGENRENDERBUFFERSPROC genRenderbuffers = nullptr;
    PFNGLDELETERENDERBUFFERSPROC deleteRenderbuffers = nullptr;
    PFNGLBINDRENDERBUFFERPROC bindRenderbuffer = nullptr;
    PFNGLRENDERBUFFERSTORAGEPROC renderbufferStorage = nullptr;
    PFNGLRENDERBUFFERSTORAGEMULTISAMPLEPROC renderbufferStorageMultisample = nullptr;
    PFNGLBLITFRAMEBUFFERPROC blitFramebuffer = nullptr;

    [[nodiscard]] bool Complete() const
    {
        return genFramebuffers && deleteFramebuffers && bindFramebuffer && framebufferRenderbuffer &&
               checkFramebufferStatus && genRenderbuffers && deleteRenderbuffers && bindRenderbuffer &&
               renderbufferStorage && renderbufferStorageMultisample && blitFramebuffer;
    }
};

template <typename Proc>
void Load(Proc& proc, const char* name)
{
    proc = reinterpret_cast<Proc>(eglGetProcAddress(name));
}

const FramebufferCalls& GetFramebufferCalls()
{
    static const FramebufferCalls calls = [] {
        FramebufferCalls loaded;
        Load(loaded.genFramebuffers, "glGenFramebuffers");
        Load(loaded.deleteFramebuffers, "glDeleteFramebuffers");
        Load(loaded.bindFramebuffer, "glBindFramebuffer");
        Load(loaded.framebufferRenderbuffer, "glFramebufferRenderbuffer");
        Load(loaded.checkFramebufferStatus, "glCheckFramebufferStatus");
        Load(loaded.genRenderbuffers, "glGenRenderbuffers");
        Load(loaded.deleteRenderbuffers, "glDeleteRenderbuffers");
        Load(loaded.bindRenderbuffer, "glBindRenderbuffer");
        Load(loaded.renderbufferStorage, "glRenderbufferStorage");
        Load(loaded.renderbufferStorageMultisample, "glRenderbufferStorageMultisample");
        Load(loaded.blitFramebuffer, "glBlitFramebuffer");
        return loaded;
    }();
    return calls;
}

// A renderbuffer of the format and size, multisampled when samples is above 0.
unsigned MakeRenderbuffer(GLenum format, int samples, int width, int height)
{
    const FramebufferCalls& gl = GetFramebufferCalls();
    unsigned buffer = 0;
    gl.genRenderbuffers(1, &buffer);
    gl.bindRenderbuffer(GL_RENDERBUFFER, buffer);
    if (samples > 0) {
        gl.renderbufferStorageMultisample(GL_RENDERBUFFER, samples, format, width, height);
    } else {
        gl.renderbufferStorage(GL_RENDERBUFFER, format, width, height);
    }
    return buffer;
}

GLenum DepthAttachment(GLenum depthFormat)
{
    return depthFormat == GL_DEPTH24_STENCIL8 ? GL_DEPTH_STENCIL_ATTACHMENT : GL_DEPTH_ATTACHMENT;
}

// A back buffer of the pixel format's colour and depth (none where the format has no
// depth) at that size; false when it is not complete, its names given out all the same.
bool MakeBackBuffer(const PIXELFORMATDESCRIPTOR& format, int samples, int width, int height, unsigned& framebuffer,
                    unsigned& colour, unsigned& depth)
{
    const FramebufferCalls& gl = GetFramebufferCalls();
    const GLenum depthFormat = DepthFormat(format);
    gl.genFramebuffers(1, &framebuffer);
    gl.bindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    colour = MakeRenderbuffer(ColourFormat(format), samples, width, height);
    gl.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour);
    if (depthFormat != GL_NONE) {
        depth = MakeRenderbuffer(depthFormat, samples, width, height);
        gl.framebufferRenderbuffer(GL_FRAMEBUFFER, DepthAttachment(depthFormat), GL_RENDERBUFFER, depth);
    }
    const bool complete = gl.checkFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    glDrawBuffer(GL_COLOR_ATTACHMENT0);
    glReadBuffer(GL_COLOR_ATTACHMENT0);
    return complete;
}

}  // namespace

CGLDevice::CGLDevice(void* display, unsigned long window) : m_display(display), m_window(window) {}

std::unique_ptr<CGLDevice> CGLDevice::CreateOffscreen(int width, int height)
{
    const EGLDisplay display = OpenDisplay(nullptr);
    if (display == EGL_NO_DISPLAY) {
        return nullptr;
    }
    std::unique_ptr<CGLDevice> device(new CGLDevice(display, 0));
    device->SetSize(width, height);
    return device;
}

bool CGLDevice::OpenOffscreenDisplay()
{
    return OpenDisplay(nullptr) != EGL_NO_DISPLAY;
}

std::unique_ptr<CGLDevice> CGLDevice::CreateForWindow(void* x11Display, unsigned long window)
{
    if (x11Display == nullptr || window == 0) {
        return nullptr;
    }
    const EGLDisplay display = OpenDisplay(x11Display);
    if (display == EGL_NO_DISPLAY) {
        return nullptr;
    }
    return std::unique_ptr<CGLDevice>(new CGLDevice(display, window));
}

CGLDevice::~CGLDevice()
{
    if (m_framebufferContext != nullptr && CGLContext::GetCurrent() == m_framebufferContext) {
        FreeFramebuffer();
    }
    if (CGLContext::GetCurrentDevice() == this) {
        CGLContext::MakeCurrent(nullptr, nullptr);
    }
    if (m_surface != nullptr) {
        eglDestroySurface(m_display, m_surface);
    }
}

int CGLDevice::GetPixelFormatCount() const
{
    return static_cast<int>(GetFormats(m_display, !IsOffscreen()).size());
}

void* CGLDevice::GetConfig() const
{
    const std::vector<FormatEntry>& formats = GetFormats(m_display, !IsOffscreen());
    return m_pixelFormat >= 1 && m_pixelFormat <= static_cast<int>(formats.size())
               ? formats[static_cast<size_t>(m_pixelFormat - 1)].config
               : nullptr;
}

bool CGLDevice::DescribePixelFormat(int index, PIXELFORMATDESCRIPTOR& out) const
{
    const std::vector<FormatEntry>& formats = GetFormats(m_display, !IsOffscreen());
    if (index < 1 || index > static_cast<int>(formats.size())) {
        return false;
    }
    const FormatEntry& entry = formats[static_cast<size_t>(index - 1)];
    const EGLConfig config = entry.config;
    out = PIXELFORMATDESCRIPTOR{};
    out.iPixelType = PFD_TYPE_RGBA;
    out.iLayerType = PFD_MAIN_PLANE;
    out.cRedBits = Bits(m_display, config, EGL_RED_SIZE);
    out.cGreenBits = Bits(m_display, config, EGL_GREEN_SIZE);
    out.cBlueBits = Bits(m_display, config, EGL_BLUE_SIZE);
    out.cAlphaBits = Bits(m_display, config, EGL_ALPHA_SIZE);
    out.cColorBits = Bits(m_display, config, EGL_BUFFER_SIZE);
    // Packed as alpha, red, green, blue from the top bit down.
    out.cBlueShift = 0;
    out.cGreenShift = out.cBlueBits;
    out.cRedShift = static_cast<BYTE>(out.cGreenShift + out.cGreenBits);
    out.cAlphaShift = static_cast<BYTE>(out.cRedShift + out.cRedBits);
    out.cDepthBits = Bits(m_display, config, EGL_DEPTH_SIZE);
    out.cStencilBits = Bits(m_display, config, EGL_STENCIL_SIZE);
    out.dwFlags = PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER | PFD_DRAW_TO_WINDOW;
    // An offscreen frame stays in its buffer after the swap; a window's only when its
    // surface can be asked to preserve it.
    out.dwFlags |= KeepsFrameOnSwap(config) ? PFD_SWAP_COPY : PFD_SWAP_EXCHANGE;
    if (entry.generic || Attribute(m_display, config, EGL_CONFIG_CAVEAT) == EGL_SLOW_CONFIG) {
        out.dwFlags |= PFD_GENERIC_FORMAT;
    }
    return true;
}

bool CGLDevice::SetPixelFormat(int index)
{
    if (m_pixelFormat != 0 || index < 1 || index > GetPixelFormatCount()) {
        return false;
    }
    m_pixelFormat = index;
    if (!IsOffscreen()) {
        m_surface = eglCreateWindowSurface(m_display, GetConfig(), static_cast<EGLNativeWindowType>(m_window), nullptr);
        if (m_surface == EGL_NO_SURFACE) {
            m_surface = nullptr;
            m_pixelFormat = 0;
            return false;
        }
        if (KeepsFrameOnSwap(GetConfig())) {
            eglSurfaceAttrib(m_display, m_surface, EGL_SWAP_BEHAVIOR, EGL_BUFFER_PRESERVED);
        }
    }
    return true;
}

bool CGLDevice::KeepsFrameOnSwap(void* config) const
{
    return IsOffscreen() || (Attribute(m_display, config, EGL_SURFACE_TYPE) & EGL_SWAP_BEHAVIOR_PRESERVED_BIT) != 0;
}

void CGLDevice::SetSize(int width, int height)
{
    m_width = std::max(width, 1);
    m_height = std::max(height, 1);
}

bool CGLDevice::Bind(CGLContext& context)
{
    if (!IsOffscreen()) {
        return eglMakeCurrent(m_display, m_surface, m_surface, context.GetHandle()) == EGL_TRUE;
    }
    if (eglMakeCurrent(m_display, EGL_NO_SURFACE, EGL_NO_SURFACE, context.GetHandle()) != EGL_TRUE) {
        return false;
    }
    if (m_framebufferContext != &context || m_framebufferWidth != m_width || m_framebufferHeight != m_height) {
        if (m_framebufferContext == &context) {
            FreeFramebuffer();
        }
        m_framebufferContext = &context;
        if (!MakeFramebuffer()) {
            return false;
        }
    }
    BindTargets();
    return true;
}

int CGLDevice::GetPixelFormatSamples(int index) const
{
    const std::vector<FormatEntry>& formats = GetFormats(m_display, !IsOffscreen());
    if (index < 1 || index > static_cast<int>(formats.size())) {
        return 0;
    }
    return Attribute(m_display, formats[static_cast<size_t>(index - 1)].config, EGL_SAMPLES);
}

// The back buffer takes the format's samples; the front one is never multisampled, so
// that presenting resolves the frame. Without samples both share one depth buffer, so
// that feedback drawn over the shown frame meets the frame's depths.
bool CGLDevice::MakeFramebuffer()
{
    const FramebufferCalls& gl = GetFramebufferCalls();
    PIXELFORMATDESCRIPTOR format;
    if (!gl.Complete() || !DescribePixelFormat(m_pixelFormat, format)) {
        return false;
    }
    m_samples = GetPixelFormatSamples(m_pixelFormat);
    const GLenum colourFormat = ColourFormat(format);
    const GLenum depthFormat = DepthFormat(format);
    bool complete =
        MakeBackBuffer(format, m_samples, m_width, m_height, m_framebuffer, m_colourBuffer, m_depthBuffer);
    m_framebufferWidth = m_width;
    m_framebufferHeight = m_height;

    gl.genFramebuffers(1, &m_frontFramebuffer);
    gl.bindFramebuffer(GL_FRAMEBUFFER, m_frontFramebuffer);
    m_frontColourBuffer = MakeRenderbuffer(colourFormat, 0, m_width, m_height);
    gl.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, m_frontColourBuffer);
    if (depthFormat != GL_NONE) {
        if (m_samples > 0) {
            m_frontDepthBuffer = MakeRenderbuffer(depthFormat, 0, m_width, m_height);
        }
        m_depthAttachment = DepthAttachment(depthFormat);
        gl.framebufferRenderbuffer(GL_FRAMEBUFFER, m_depthAttachment, GL_RENDERBUFFER,
                                   m_samples > 0 ? m_frontDepthBuffer : m_depthBuffer);
    }
    complete = complete && gl.checkFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    glDrawBuffer(GL_COLOR_ATTACHMENT0);
    glReadBuffer(GL_COLOR_ATTACHMENT0);
    if (!complete) {
        FreeFramebuffer();
        return false;
    }
    return true;
}

bool CGLDevice::MakeSpareFramebuffer()
{
    PIXELFORMATDESCRIPTOR format;
    if (!DescribePixelFormat(m_pixelFormat, format)) {
        return false;
    }
    if (MakeBackBuffer(format, m_samples, m_framebufferWidth, m_framebufferHeight, m_spareFramebuffer,
                       m_spareColourBuffer, m_spareDepthBuffer)) {
        return true;
    }
    const FramebufferCalls& gl = GetFramebufferCalls();
    gl.deleteRenderbuffers(1, &m_spareColourBuffer);
    gl.deleteRenderbuffers(1, &m_spareDepthBuffer);
    gl.deleteFramebuffers(1, &m_spareFramebuffer);
    m_spareFramebuffer = m_spareColourBuffer = m_spareDepthBuffer = 0;
    BindTargets();
    return false;
}

void CGLDevice::ExchangeBackBuffers()
{
    std::swap(m_framebuffer, m_spareFramebuffer);
    std::swap(m_colourBuffer, m_spareColourBuffer);
    std::swap(m_depthBuffer, m_spareDepthBuffer);
}

bool CGLDevice::BeginFrame()
{
    if (!IsOffscreen() || m_frameOpen || m_framebuffer == 0 || CGLContext::GetCurrentDevice() != this) {
        return false;
    }
    if (m_spareFramebuffer == 0 && !MakeSpareFramebuffer()) {
        return false;
    }
    ExchangeBackBuffers();
    m_frameOpen = true;
    BindTargets();
    return true;
}

void CGLDevice::EndFrame(bool keep)
{
    if (!m_frameOpen) {
        return;
    }
    m_frameOpen = false;
    if (!keep) {
        ExchangeBackBuffers();
    } else if (m_samples == 0 && m_depthBuffer != 0) {
        // The front buffer meets the depths of the frame it is about to show.
        const FramebufferCalls& gl = GetFramebufferCalls();
        gl.bindFramebuffer(GL_FRAMEBUFFER, m_frontFramebuffer);
        gl.framebufferRenderbuffer(GL_FRAMEBUFFER, m_depthAttachment, GL_RENDERBUFFER, m_depthBuffer);
    }
    BindTargets();
}

void CGLDevice::BindTargets() const
{
    const FramebufferCalls& gl = GetFramebufferCalls();
    if (!IsOffscreen() || m_framebuffer == 0) {
        return;
    }
    gl.bindFramebuffer(GL_DRAW_FRAMEBUFFER, m_drawToFront ? m_frontFramebuffer : m_framebuffer);
    // A multisampled buffer cannot be read: reads see the frame last resolved.
    gl.bindFramebuffer(GL_READ_FRAMEBUFFER, m_drawToFront || m_samples > 0 ? m_frontFramebuffer : m_framebuffer);
}

void CGLDevice::FreeFramebuffer()
{
    const FramebufferCalls& gl = GetFramebufferCalls();
    if (gl.Complete()) {
        gl.bindFramebuffer(GL_FRAMEBUFFER, 0);
        for (unsigned* buffer : {&m_colourBuffer, &m_depthBuffer, &m_frontColourBuffer, &m_frontDepthBuffer,
                                 &m_spareColourBuffer, &m_spareDepthBuffer}) {
            gl.deleteRenderbuffers(1, buffer);
        }
        gl.deleteFramebuffers(1, &m_framebuffer);
        gl.deleteFramebuffers(1, &m_frontFramebuffer);
        gl.deleteFramebuffers(1, &m_spareFramebuffer);
    }
    ForgetFramebuffer();
}

void CGLDevice::ForgetFramebuffer()
{
    m_framebuffer = m_colourBuffer = m_depthBuffer = m_depthAttachment = 0;
    m_frontFramebuffer = m_frontColourBuffer = m_frontDepthBuffer = 0;
    m_spareFramebuffer = m_spareColourBuffer = m_spareDepthBuffer = 0;
    m_frameOpen = false;
    m_framebufferWidth = m_framebufferHeight = 0;
    m_framebufferContext = nullptr;
}

void CGLDevice::ForgetContext(const CGLContext& context)
{
    if (m_framebufferContext == &context) {
        ForgetFramebuffer();
    }
}

void CGLDevice::CopyBackToFront() const
{
    const FramebufferCalls& gl = GetFramebufferCalls();
    GLbitfield mask = GL_COLOR_BUFFER_BIT;
    // The depths come along only where the two buffers do not share them, as the
    // framebuffers were made: no format is described on every swap.
    if (m_samples > 0 && m_depthAttachment != 0) {
        mask |= GL_DEPTH_BUFFER_BIT | (m_depthAttachment == GL_DEPTH_STENCIL_ATTACHMENT ? GL_STENCIL_BUFFER_BIT : 0);
    }
    const GLboolean scissor = glIsEnabled(GL_SCISSOR_TEST);
    glDisable(GL_SCISSOR_TEST);
    gl.bindFramebuffer(GL_READ_FRAMEBUFFER, m_framebuffer);
    gl.bindFramebuffer(GL_DRAW_FRAMEBUFFER, m_frontFramebuffer);
    gl.blitFramebuffer(0, 0, m_framebufferWidth, m_framebufferHeight, 0, 0, m_framebufferWidth, m_framebufferHeight,
                       mask, GL_NEAREST);
    if (scissor == GL_TRUE) {
        glEnable(GL_SCISSOR_TEST);
    }
    BindTargets();
}

bool CGLDevice::Swap()
{
    if (!IsOffscreen()) {
        return m_surface != nullptr && eglSwapBuffers(m_display, m_surface) == EGL_TRUE;
    }
    if (CGLContext::GetCurrentDevice() != this || m_framebuffer == 0) {
        return false;
    }
    CopyBackToFront();
    glFinish();
    return true;
}

void CGLDevice::SelectFrontBuffer(bool front)
{
    m_drawToFront = front;
    if (!IsOffscreen()) {
        glDrawBuffer(front ? GL_FRONT : GL_BACK);
        glReadBuffer(front ? GL_FRONT : GL_BACK);
        return;
    }
    if (CGLContext::GetCurrentDevice() == this) {
        BindTargets();
    }
}

bool CGLDevice::ReadPixels(std::vector<std::uint8_t>& rgba) const
{
    if (CGLContext::GetCurrentDevice() != this || m_pixelFormat == 0) {
        return false;
    }
    if (IsOffscreen() && m_samples > 0 && !m_drawToFront) {
        CopyBackToFront();
    }
    return ReadCurrentBuffer(rgba);
}

bool CGLDevice::ReadFrontPixels(std::vector<std::uint8_t>& rgba) const
{
    if (CGLContext::GetCurrentDevice() != this || m_pixelFormat == 0) {
        return false;
    }
    if (!IsOffscreen()) {
        return ReadCurrentBuffer(rgba);
    }
    GetFramebufferCalls().bindFramebuffer(GL_READ_FRAMEBUFFER, m_frontFramebuffer);
    const bool read = ReadCurrentBuffer(rgba);
    BindTargets();
    return read;
}

bool CGLDevice::ReadCurrentBuffer(std::vector<std::uint8_t>& rgba) const
{
    const auto rowBytes = static_cast<size_t>(m_width) * 4;
    std::vector<std::uint8_t> bottomUp(rowBytes * static_cast<size_t>(m_height));
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, m_width, m_height, GL_RGBA, GL_UNSIGNED_BYTE, bottomUp.data());
    rgba.resize(bottomUp.size());
    for (int row = 0; row < m_height; ++row) {
        std::copy_n(bottomUp.data() + static_cast<size_t>(m_height - 1 - row) * rowBytes, rowBytes,
                    rgba.data() + static_cast<size_t>(row) * rowBytes);
    }
    return glGetError() == GL_NO_ERROR;
}
