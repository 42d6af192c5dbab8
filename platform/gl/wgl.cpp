#include "platform/gl/wgl.h"

#include <EGL/egl.h>

#include <cstring>
#include <tuple>

int DescribePixelFormat(HDC device, int index, UINT bytes, PIXELFORMATDESCRIPTOR* descriptor)
{
    if (device == nullptr) {
        return 0;
    }
    if (descriptor != nullptr && bytes >= sizeof(PIXELFORMATDESCRIPTOR) &&
        !device->DescribePixelFormat(index, *descriptor)) {
        return 0;
    }
    return device->GetPixelFormatCount();
}

int GetPixelFormat(HDC device)
{
    return device != nullptr ? device->GetPixelFormat() : 0;
}

BOOL SetPixelFormat(HDC device, int index, const PIXELFORMATDESCRIPTOR* /*descriptor*/)
{
    return device != nullptr && device->SetPixelFormat(index) ? 1 : 0;
}

int ChoosePixelFormat(HDC device, const PIXELFORMATDESCRIPTOR* wanted)
{
    if (device == nullptr || wanted == nullptr) {
        return 0;
    }
    // Formats that meet every size asked for rank first, then the smallest such.
    int best = 0;
    std::tuple<int, int, int, int> bestRank{};
    for (int index = 1; index <= device->GetPixelFormatCount(); ++index) {
        PIXELFORMATDESCRIPTOR format;
        if (!device->DescribePixelFormat(index, format)) {
            continue;
        }
        const int colour = format.cRedBits + format.cGreenBits + format.cBlueBits;
        const int misses = (colour < wanted->cColorBits - wanted->cAlphaBits ? 1 : 0) +
                           (format.cDepthBits < wanted->cDepthBits ? 1 : 0) +
                           (format.cStencilBits < wanted->cStencilBits ? 1 : 0) +
                           (format.cAlphaBits < wanted->cAlphaBits ? 1 : 0);
        const std::tuple<int, int, int, int> rank{misses, format.cStencilBits, format.cDepthBits, colour};
        if (best == 0 || rank < bestRank) {
            best = index;
            bestRank = rank;
        }
    }
    return best;
}

HGLRC wglCreateContext(HDC device)
{
    return device != nullptr ? CGLContext::Create(*device) : nullptr;
}

BOOL wglDeleteContext(HGLRC context)
{
    if (context == nullptr) {
        return 0;
    }
    delete context;
    return 1;
}

BOOL wglMakeCurrent(HDC device, HGLRC context)
{
    return CGLContext::MakeCurrent(device, context) ? 1 : 0;
}

HGLRC wglGetCurrentContext()
{
    return CGLContext::GetCurrent();
}

HDC wglGetCurrentDC()
{
    return CGLContext::GetCurrentDevice();
}

PROC wglGetProcAddress(const char* name)
{
    if (name == nullptr || std::strncmp(name, "wgl", 3) == 0) {
        return nullptr;
    }
    return eglGetProcAddress(name);
}

BOOL SwapBuffers(HDC device)
{
    return device != nullptr && device->Swap() ? 1 : 0;
}
