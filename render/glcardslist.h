#pragma once
// The known graphics-card list ("glcards.dat" among the program's data files), checked
// once per OpenGL configuration to decide whether the renderer may keep an accelerated
// pixel format, and what the program can tell of the display adapter.

#include <vector>

#include "platform/cstring.h"

struct CDisplayAdapter
{
    CString description;
    CString date;
    CString version;
};

// True when the card check is still to be made for this configuration key (it marks it made).
[[nodiscard]] bool IsFirstTimeCheckDue();
// True: keep the current view. Reads the current context's vendor and renderer.
[[nodiscard]] bool CheckGLCardsList();
// The verdict of the list's lines for a vendor and renderer text.
[[nodiscard]] bool CheckGLCardsLines(const std::vector<CString>& lines, const CString& vendor, const CString& renderer);

// The adapter as the current OpenGL context names it (renderer, no date, version) and
// the screen; depth -1 when unknown.
void GetDisplayAdapterInfo(CString& description, CString& date, CString& version, int& screenWidth,
                           int& screenHeight, int& colourDepth);
void GetDisplayAdapterList(std::vector<CDisplayAdapter>& adapters);

// What the current OpenGL context and GLU say of themselves; empty texts without a context.
struct CGLStrings
{
    CString vendor;
    CString renderer;
    CString version;
    CString gluVersion;
};
[[nodiscard]] CGLStrings GetCurrentGLStrings();
