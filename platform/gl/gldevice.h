#pragma once
// CGLDevice: a surface OpenGL draws on, in the role a window's device context plays for
// the view: either an X11 window shown through an EGL window surface, or an offscreen
// framebuffer object of a given size (tests, thumbnails, printing, and the view under
// a window system without X11). Both offer the same numbered pixel formats, one per
// EGL configuration that can render OpenGL, numbered from 1 in the order of their
// configuration ids, so an index stored in the settings keeps naming the same format.
// Each configuration of a hardware driver comes twice, as its own format and as a
// generic (unaccelerated) one; a software driver's come as generic formats only.
//
// An offscreen device draws into a back buffer of colour, depth and stencil
// renderbuffers sized and laid out after its pixel format (multisampled when the format
// has samples); its swap copies the back buffer into a front buffer, resolving the
// samples, and keeps the back buffer as it was. What the front buffer holds is what
// the window shows; tools may draw feedback into it over the shown frame, and the next
// swap replaces it. A frame that may stop before it is whole is drawn between
// BeginFrame and EndFrame into a second back buffer, so that the first keeps the last
// whole frame until the new one is kept. Pixels are read back top-down as RGBA.
//
// One thread at a time; a device must outlive any context made current on it.

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/gl/pixelformat.h"

class CGLContext;

class CGLDevice
{
public:
    // Null when no EGL display can be had (no driver).
    [[nodiscard]] static std::unique_ptr<CGLDevice> CreateOffscreen(int width, int height);
    // An X11 window (the native display and window id); null without an EGL display on it.
    [[nodiscard]] static std::unique_ptr<CGLDevice> CreateForWindow(void* x11Display, unsigned long window);
    // Opens the display that offscreen devices share, once for the process; false without
    // a driver. Safe on any thread: a program calls it on a thread of its own while it
    // starts, so that loading the driver overlaps its other work and the first device
    // finds the display open (or waits for it).
    static bool OpenOffscreenDisplay();
    ~CGLDevice();

    CGLDevice(const CGLDevice&) = delete;
    CGLDevice& operator=(const CGLDevice&) = delete;

    [[nodiscard]] bool IsOffscreen() const { return m_window == 0; }
    [[nodiscard]] int GetPixelFormatCount() const;
    // False for an index outside 1..count.
    [[nodiscard]] bool DescribePixelFormat(int index, PIXELFORMATDESCRIPTOR& out) const;
    // 0 until SetPixelFormat succeeded.
    [[nodiscard]] int GetPixelFormat() const { return m_pixelFormat; }
    // A device takes one pixel format for its life, as a window does; setting another
    // later fails. A window surface is made here.
    bool SetPixelFormat(int index);

    // 0 for a plain format or an index outside 1..count.
    [[nodiscard]] int GetPixelFormatSamples(int index) const;

    // Offscreen: the next MakeCurrent makes buffers of the new size. Sizes below 1 count as 1.
    void SetSize(int width, int height);
    [[nodiscard]] int GetWidth() const { return m_width; }
    [[nodiscard]] int GetHeight() const { return m_height; }

    // Presents the frame: the window's buffers are swapped; an offscreen frame is
    // copied to the front buffer and kept in the back one. False on failure.
    bool Swap();
    // A frame that may stop part way begins: drawing and reading go to a back buffer of
    // its own (made on first use), while the one it replaces keeps the last whole frame,
    // its colours and depths. EndFrame(true) makes the new frame the back buffer, to be
    // swapped; EndFrame(false) drops it and brings the last whole frame back for swaps
    // (the tools' feedback) and reads (depths). False, and EndFrame does nothing, for a
    // window surface (it draws in place), without a framebuffer or current context, or
    // while a frame is open. The device's context must be current.
    bool BeginFrame();
    void EndFrame(bool keep);

    // Drawing (and reading) goes to the front buffer until switched back; the device's
    // context must be current.
    void SelectFrontBuffer(bool front);
    // The frame being drawn as RGBA bytes, top row first (a multisampled one resolved
    // through the front buffer); the device's context must be current. False when it
    // is not or the device has no pixel format.
    [[nodiscard]] bool ReadPixels(std::vector<std::uint8_t>& rgba) const;
    // What the window shows: the frame last swapped with any feedback drawn over it.
    [[nodiscard]] bool ReadFrontPixels(std::vector<std::uint8_t>& rgba) const;

    // For the context: binds what the device draws on. False on failure.
    bool Bind(CGLContext& context);
    // For the context: the framebuffer objects made in it are gone with it.
    void ForgetContext(const CGLContext& context);

    [[nodiscard]] void* GetDisplay() const { return m_display; }
    [[nodiscard]] void* GetConfig() const;
    [[nodiscard]] void* GetSurface() const { return m_surface; }

private:
    CGLDevice(void* display, unsigned long window);
    [[nodiscard]] bool KeepsFrameOnSwap(void* config) const;
    bool MakeFramebuffer();
    bool MakeSpareFramebuffer();
    void ExchangeBackBuffers();
    void FreeFramebuffer();
    void ForgetFramebuffer();
    // Draw and read framebuffers after the selected buffer.
    void BindTargets() const;
    void CopyBackToFront() const;
    [[nodiscard]] bool ReadCurrentBuffer(std::vector<std::uint8_t>& rgba) const;

    void* m_display = nullptr;
    unsigned long m_window = 0;
    void* m_surface = nullptr;
    int m_pixelFormat = 0;
    int m_width = 1;
    int m_height = 1;
    // Framebuffer objects live in the context that made them.
    const CGLContext* m_framebufferContext = nullptr;
    unsigned m_framebuffer = 0;
    unsigned m_colourBuffer = 0;
    unsigned m_depthBuffer = 0;
    // Where the depth buffer attaches (with or without stencil); 0 without depth.
    unsigned m_depthAttachment = 0;
    unsigned m_frontFramebuffer = 0;
    unsigned m_frontColourBuffer = 0;
    unsigned m_frontDepthBuffer = 0;
    // The other back buffer: a frame being drawn while m_framebuffer is that frame's, the
    // last whole frame otherwise (unused then).
    unsigned m_spareFramebuffer = 0;
    unsigned m_spareColourBuffer = 0;
    unsigned m_spareDepthBuffer = 0;
    bool m_frameOpen = false;
    int m_samples = 0;
    bool m_drawToFront = false;
    int m_framebufferWidth = 0;
    int m_framebufferHeight = 0;
};
