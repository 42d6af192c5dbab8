#pragma once
// The window-system calls the view and the OpenGL configuration make, answered by the
// EGL devices and contexts of this folder. A device (CGLDevice) stands where a device
// context stood and a CGLContext where a rendering context stood.

#include "platform/gl/glcontext.h"
#include "platform/gl/gldevice.h"
#include "platform/gl/pixelformat.h"

using HDC = CGLDevice*;
using HGLRC = CGLContext*;
using PROC = void (*)();

// The number of pixel formats the device offers (0 for no device); fills the
// descriptor of the given index when one is passed and the index is valid.
int DescribePixelFormat(HDC device, int index, UINT bytes, PIXELFORMATDESCRIPTOR* descriptor);
[[nodiscard]] int GetPixelFormat(HDC device);
BOOL SetPixelFormat(HDC device, int index, const PIXELFORMATDESCRIPTOR* descriptor);
// The index of the offered format closest to the request: RGBA, double-buffered,
// at least the colour, depth and stencil sizes asked for where possible; 0 when none.
[[nodiscard]] int ChoosePixelFormat(HDC device, const PIXELFORMATDESCRIPTOR* descriptor);

[[nodiscard]] HGLRC wglCreateContext(HDC device);
BOOL wglDeleteContext(HGLRC context);
BOOL wglMakeCurrent(HDC device, HGLRC context);
[[nodiscard]] HGLRC wglGetCurrentContext();
[[nodiscard]] HDC wglGetCurrentDC();
// OpenGL entry points by name, and the three window-system extension entries below.
[[nodiscard]] PROC wglGetProcAddress(const char* name);

// The attribute-driven choice of pixel formats, with multisampled ones.
inline constexpr int WGL_DRAW_TO_WINDOW_ARB = 0x2001;
inline constexpr int WGL_ACCELERATION_ARB = 0x2003;
inline constexpr int WGL_SWAP_METHOD_ARB = 0x2007;
inline constexpr int WGL_SUPPORT_OPENGL_ARB = 0x2010;
inline constexpr int WGL_DOUBLE_BUFFER_ARB = 0x2011;
inline constexpr int WGL_PIXEL_TYPE_ARB = 0x2013;
inline constexpr int WGL_COLOR_BITS_ARB = 0x2014;
inline constexpr int WGL_ALPHA_BITS_ARB = 0x201B;
inline constexpr int WGL_DEPTH_BITS_ARB = 0x2022;
inline constexpr int WGL_STENCIL_BITS_ARB = 0x2023;
inline constexpr int WGL_NO_ACCELERATION_ARB = 0x2025;
inline constexpr int WGL_FULL_ACCELERATION_ARB = 0x2027;
inline constexpr int WGL_SWAP_EXCHANGE_ARB = 0x2028;
inline constexpr int WGL_SWAP_COPY_ARB = 0x2029;
inline constexpr int WGL_TYPE_RGBA_ARB = 0x202B;
inline constexpr int WGL_SAMPLE_BUFFERS_ARB = 0x2041;
inline constexpr int WGL_SAMPLES_ARB = 0x2042;

using PFNWGLGETEXTENSIONSSTRINGARBPROC = const char* (*)(HDC device);
using PFNWGLCHOOSEPIXELFORMATARBPROC = BOOL (*)(HDC device, const int* attributes, const float* floatAttributes,
                                                UINT maxFormats, int* formats, UINT* count);
using PFNWGLGETPIXELFORMATATTRIBIVARBPROC = BOOL (*)(HDC device, int index, int layer, UINT count,
                                                     const int* attributes, int* values);
[[nodiscard]] const char* wglGetExtensionsStringARB(HDC device);
// The formats meeting every attribute pair (sizes and samples as least values, the
// rest exactly), the closest first; attributes end with 0.
BOOL wglChoosePixelFormatARB(HDC device, const int* attributes, const float* floatAttributes, UINT maxFormats,
                             int* formats, UINT* count);
BOOL wglGetPixelFormatAttribivARB(HDC device, int index, int layer, UINT count, const int* attributes, int* values);
BOOL SwapBuffers(HDC device);
