#pragma once
// The pixel-format descriptor the view and the OpenGL configuration read: one row of
// what a drawing surface offers (colour layout, depth and stencil sizes, buffering),
// filled here from the EGL configuration behind each pixel-format index.

#include "platform/types.h"

struct PIXELFORMATDESCRIPTOR
{
    WORD nSize = sizeof(PIXELFORMATDESCRIPTOR);
    WORD nVersion = 1;
    DWORD dwFlags = 0;
    BYTE iPixelType = 0;
    BYTE cColorBits = 0;
    BYTE cRedBits = 0;
    BYTE cRedShift = 0;
    BYTE cGreenBits = 0;
    BYTE cGreenShift = 0;
    BYTE cBlueBits = 0;
    BYTE cBlueShift = 0;
    BYTE cAlphaBits = 0;
    BYTE cAlphaShift = 0;
    BYTE cAccumBits = 0;
    BYTE cAccumRedBits = 0;
    BYTE cAccumGreenBits = 0;
    BYTE cAccumBlueBits = 0;
    BYTE cAccumAlphaBits = 0;
    BYTE cDepthBits = 0;
    BYTE cStencilBits = 0;
    BYTE cAuxBuffers = 0;
    BYTE iLayerType = 0;
    BYTE bReserved = 0;
    DWORD dwLayerMask = 0;
    DWORD dwVisibleMask = 0;
    DWORD dwDamageMask = 0;
};

inline constexpr DWORD PFD_DOUBLEBUFFER = 0x00000001;
inline constexpr DWORD PFD_STEREO = 0x00000002;
inline constexpr DWORD PFD_DRAW_TO_WINDOW = 0x00000004;
inline constexpr DWORD PFD_DRAW_TO_BITMAP = 0x00000008;
inline constexpr DWORD PFD_SUPPORT_GDI = 0x00000010;
inline constexpr DWORD PFD_SUPPORT_OPENGL = 0x00000020;
inline constexpr DWORD PFD_GENERIC_FORMAT = 0x00000040;
inline constexpr DWORD PFD_NEED_PALETTE = 0x00000080;
inline constexpr DWORD PFD_SWAP_EXCHANGE = 0x00000200;
inline constexpr DWORD PFD_SWAP_COPY = 0x00000400;
inline constexpr DWORD PFD_GENERIC_ACCELERATED = 0x00001000;

inline constexpr BYTE PFD_TYPE_RGBA = 0;
inline constexpr BYTE PFD_TYPE_COLORINDEX = 1;
inline constexpr BYTE PFD_MAIN_PLANE = 0;
