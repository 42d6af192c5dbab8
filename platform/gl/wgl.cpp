#include "platform/gl/wgl.h"

#include <EGL/egl.h>

#include <algorithm>
#include <cstring>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

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
    std::tuple<int, int, int, int, int> bestRank{};
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
        // A multisampled format is had only by asking for samples (wglChoosePixelFormatARB).
        const int sampled = device->GetPixelFormatSamples(index) > 0 ? 1 : 0;
        const std::tuple<int, int, int, int, int> rank{sampled, misses, format.cStencilBits, format.cDepthBits, colour};
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
    if (name == nullptr) {
        return nullptr;
    }
    if (std::strncmp(name, "wgl", 3) != 0) {
        return eglGetProcAddress(name);
    }
    const std::string_view wanted(name);
    if (wanted == "wglGetExtensionsStringARB") {
        return reinterpret_cast<PROC>(&wglGetExtensionsStringARB);
    }
    if (wanted == "wglChoosePixelFormatARB") {
        return reinterpret_cast<PROC>(&wglChoosePixelFormatARB);
    }
    if (wanted == "wglGetPixelFormatAttribivARB") {
        return reinterpret_cast<PROC>(&wglGetPixelFormatAttribivARB);
    }
    return nullptr;
}

const char* wglGetExtensionsStringARB(HDC /*device*/)
{
    return "WGL_ARB_extensions_string WGL_ARB_pixel_format WGL_ARB_multisample";
}

namespace {

// One attribute of a format; false for one this layer does not know.
bool FormatAttribute(HDC device, int index, int name, int& value)
{
    PIXELFORMATDESCRIPTOR format;
    if (!device->DescribePixelFormat(index, format)) {
        return false;
    }
    const bool generic = (format.dwFlags & PFD_GENERIC_FORMAT) != 0;
    const int samples = device->GetPixelFormatSamples(index);
    switch (name) {
    case WGL_DRAW_TO_WINDOW_ARB: value = (format.dwFlags & PFD_DRAW_TO_WINDOW) != 0 ? 1 : 0; return true;
    case WGL_SUPPORT_OPENGL_ARB: value = (format.dwFlags & PFD_SUPPORT_OPENGL) != 0 ? 1 : 0; return true;
    case WGL_DOUBLE_BUFFER_ARB: value = (format.dwFlags & PFD_DOUBLEBUFFER) != 0 ? 1 : 0; return true;
    case WGL_ACCELERATION_ARB: value = generic ? WGL_NO_ACCELERATION_ARB : WGL_FULL_ACCELERATION_ARB; return true;
    case WGL_SWAP_METHOD_ARB:
        value = (format.dwFlags & PFD_SWAP_COPY) != 0 ? WGL_SWAP_COPY_ARB : WGL_SWAP_EXCHANGE_ARB;
        return true;
    case WGL_PIXEL_TYPE_ARB: value = WGL_TYPE_RGBA_ARB; return true;
    case WGL_COLOR_BITS_ARB: value = format.cRedBits + format.cGreenBits + format.cBlueBits; return true;
    case WGL_ALPHA_BITS_ARB: value = format.cAlphaBits; return true;
    case WGL_DEPTH_BITS_ARB: value = format.cDepthBits; return true;
    case WGL_STENCIL_BITS_ARB: value = format.cStencilBits; return true;
    case WGL_SAMPLE_BUFFERS_ARB: value = samples > 0 ? 1 : 0; return true;
    case WGL_SAMPLES_ARB: value = samples; return true;
    default: return false;
    }
}

// Sizes are least values; the rest must match.
bool IsLeastValue(int name)
{
    return name == WGL_COLOR_BITS_ARB || name == WGL_ALPHA_BITS_ARB || name == WGL_DEPTH_BITS_ARB ||
           name == WGL_STENCIL_BITS_ARB || name == WGL_SAMPLES_ARB;
}

}  // namespace

BOOL wglChoosePixelFormatARB(HDC device, const int* attributes, const float* /*floatAttributes*/, UINT maxFormats,
                             int* formats, UINT* count)
{
    if (device == nullptr || count == nullptr) {
        return 0;
    }
    // Every format meeting the request, the one with the fewest bits beyond it first.
    std::vector<std::pair<int, int>> found;
    for (int index = 1; index <= device->GetPixelFormatCount(); ++index) {
        bool meets = true;
        int excess = 0;
        for (const int* pair = attributes; pair != nullptr && pair[0] != 0 && meets; pair += 2) {
            int value = 0;
            meets = FormatAttribute(device, index, pair[0], value) &&
                    (IsLeastValue(pair[0]) ? value >= pair[1] : value == pair[1]);
            excess += IsLeastValue(pair[0]) ? value - pair[1] : 0;
        }
        if (meets) {
            found.emplace_back(excess, index);
        }
    }
    std::stable_sort(found.begin(), found.end());
    *count = 0;
    for (const auto& [excess, index] : found) {
        if (*count >= maxFormats || formats == nullptr) {
            break;
        }
        formats[(*count)++] = index;
    }
    return 1;
}

BOOL wglGetPixelFormatAttribivARB(HDC device, int index, int /*layer*/, UINT count, const int* attributes, int* values)
{
    if (device == nullptr || attributes == nullptr || values == nullptr) {
        return 0;
    }
    for (UINT i = 0; i < count; ++i) {
        if (!FormatAttribute(device, index, attributes[i], values[i])) {
            return 0;
        }
    }
    return 1;
}

BOOL SwapBuffers(HDC device)
{
    return device != nullptr && device->Swap() ? 1 : 0;
}
