#include "platform/gl/glcontext.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "platform/sysinfo.h"

namespace {

thread_local CGLContext* t_currentContext = nullptr;
thread_local CGLDevice* t_currentDevice = nullptr;

}  // namespace

CGLContext* CGLContext::Create(CGLDevice& device)
{
    void* const config = device.GetConfig();
    if (config == nullptr || eglBindAPI(EGL_OPENGL_API) != EGL_TRUE) {
        return nullptr;
    }
    // The fixed-function pipeline needs the compatibility profile.
    const EGLint attributes[] = {EGL_CONTEXT_OPENGL_PROFILE_MASK, EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT,
                                 EGL_NONE};
    EGLContext context = eglCreateContext(device.GetDisplay(), config, EGL_NO_CONTEXT, attributes);
    if (context == EGL_NO_CONTEXT) {
        context = eglCreateContext(device.GetDisplay(), config, EGL_NO_CONTEXT, nullptr);
    }
    if (context == EGL_NO_CONTEXT) {
        return nullptr;
    }
    return new CGLContext(device.GetDisplay(), context);
}

CGLContext::~CGLContext()
{
    if (t_currentContext == this) {
        if (t_currentDevice != nullptr) {
            t_currentDevice->ForgetContext(*this);
        }
        eglMakeCurrent(m_display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        t_currentContext = nullptr;
        t_currentDevice = nullptr;
    }
    eglDestroyContext(m_display, m_context);
}

bool CGLContext::MakeCurrent(CGLDevice* device, CGLContext* context)
{
    if (device == nullptr || context == nullptr) {
        if (t_currentContext != nullptr) {
            eglMakeCurrent(t_currentContext->m_display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        }
        t_currentContext = nullptr;
        t_currentDevice = nullptr;
        return device == nullptr && context == nullptr;
    }
    if (device->GetDisplay() != context->m_display || !device->Bind(*context)) {
        return false;
    }
    t_currentContext = context;
    t_currentDevice = device;
    return true;
}

CGLContext* CGLContext::GetCurrent()
{
    return t_currentContext;
}

CGLDevice* CGLContext::GetCurrentDevice()
{
    return t_currentDevice;
}

unsigned CGLContext::GetRasterThreads()
{
    // The rasteriser takes at most this many.
    constexpr unsigned kMostThreads = 32;
    if (const char* setting = std::getenv("LP_NUM_THREADS"); setting != nullptr && *setting != '\0') {
        const std::size_t length = std::strlen(setting);
        if (length <= 3 && std::strspn(setting, "0123456789") == length) {
            return std::min<unsigned>(static_cast<unsigned>(std::atoi(setting)), kMostThreads);
        }
    }
    return std::min(GetUsableProcessorCount(), kMostThreads);
}
