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
// OpenGL entry points by name; the window-system extensions ("wgl...") are not offered.
[[nodiscard]] PROC wglGetProcAddress(const char* name);
BOOL SwapBuffers(HDC device);
