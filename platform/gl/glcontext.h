#pragma once
// CGLContext: an OpenGL rendering context with the compatibility profile, so the
// fixed-function pipeline and immediate mode are there. It is made for a device that
// has a pixel format, may then be made current on any device of the same display, and
// records which device and context are current on the calling thread.

#include "platform/gl/gldevice.h"

class CGLContext
{
public:
    // Null when the device has no pixel format or EGL refuses.
    [[nodiscard]] static CGLContext* Create(CGLDevice& device);
    ~CGLContext();

    CGLContext(const CGLContext&) = delete;
    CGLContext& operator=(const CGLContext&) = delete;

    // Null device and context release the thread's current context.
    static bool MakeCurrent(CGLDevice* device, CGLContext* context);
    [[nodiscard]] static CGLContext* GetCurrent();
    [[nodiscard]] static CGLDevice* GetCurrentDevice();

    // The threads the software rasteriser fills pixels on: as many as its setting says
    // (0: none, the drawing thread fills them), otherwise one for each processor the
    // program may run on.
    [[nodiscard]] static unsigned GetRasterThreads();

    [[nodiscard]] void* GetDisplay() const { return m_display; }
    [[nodiscard]] void* GetHandle() const { return m_context; }

private:
    CGLContext(void* display, void* context) : m_display(display), m_context(context) {}

    void* m_display;
    void* m_context;
};
