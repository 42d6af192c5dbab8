#pragma once
// What the program asks of the system about colours, the monitor layout and the
// system's version, answered in the forms its code was written against.

#include <cstdint>
#include <functional>
#include <string_view>

#include "platform/cstring.h"

inline constexpr int COLOR_WINDOW = 5;
inline constexpr int COLOR_WINDOWTEXT = 8;
inline constexpr int COLOR_HIGHLIGHT = 13;
inline constexpr int COLOR_BTNFACE = 15;
inline constexpr int COLOR_BTNSHADOW = 16;
inline constexpr int COLOR_GRAYTEXT = 17;
inline constexpr int COLOR_BTNTEXT = 18;
inline constexpr int COLOR_BTNHIGHLIGHT = 20;
inline constexpr int COLOR_3DDKSHADOW = 21;
inline constexpr int COLOR_3DLIGHT = 22;
inline constexpr int COLOR_INFOTEXT = 23;
inline constexpr int COLOR_INFOBK = 24;

// A colour as 0x00BBGGRR of a light theme: white for COLOR_WINDOW, black for the texts,
// greys for the button shades, a blue highlight, a pale yellow tip background, and a
// light grey for every other index.
[[nodiscard]] uint32_t GetSysColor(int index);

inline constexpr int SM_CXSCREEN = 0;
inline constexpr int SM_CYSCREEN = 1;
inline constexpr int SM_XVIRTUALSCREEN = 76;
inline constexpr int SM_YVIRTUALSCREEN = 77;
inline constexpr int SM_CXVIRTUALSCREEN = 78;
inline constexpr int SM_CYVIRTUALSCREEN = 79;
inline constexpr int SM_CMONITORS = 80;

// The monitor layout in pixels: the primary screen's size and the rectangle that holds
// every monitor.
struct DisplayMetrics
{
    int screenWidth = 1920;
    int screenHeight = 1080;
    int virtualLeft = 0;
    int virtualTop = 0;
    int virtualWidth = 1920;
    int virtualHeight = 1080;
    int monitorCount = 1;
    // Bits per pixel of the primary screen; -1 when no screen tells it.
    int colourDepth = -1;
    // The primary screen less the desktop's panels; an empty area stands for the whole
    // primary screen.
    int workLeft = 0;
    int workTop = 0;
    int workWidth = 0;
    int workHeight = 0;
};

using DisplayMetricsProvider = std::function<DisplayMetrics()>;

// The windowing layer installs a provider that asks the real screens; an empty
// function restores the default of one 1920x1080 monitor at 0,0.
void SetDisplayMetricsProvider(DisplayMetricsProvider provider);

// One of the SM_ values above from the current provider; 0 for any other index.
[[nodiscard]] int GetSystemMetrics(int index);
// The primary screen's bits per pixel from the current provider; -1 when unknown.
[[nodiscard]] int GetScreenColourDepth();
// The part of the primary screen that windows may cover (without the desktop's panels).
void GetWorkArea(int& left, int& top, int& width, int& height);

struct OsVersionInfo
{
    int major = 0;  // the kernel release, as far as it reads as numbers
    int minor = 0;
    int build = 0;
    CString servicePack;  // the distribution's name, else the kernel's own description
    CString systemName;   // the kernel's name, such as "Linux"
};

// False, with `info` unchanged, when the system does not describe itself.
[[nodiscard]] bool GetOsVersionInfo(OsVersionInfo& info);

// "6.1.0-18-amd64" gives 6, 1, 0. Fields that do not read stay 0; false when not even the
// major number reads.
[[nodiscard]] bool ParseKernelRelease(std::string_view release, int& major, int& minor, int& build);

// The PRETTY_NAME of an os-release text, unquoted; empty when it has none.
[[nodiscard]] CString ParseOsReleasePrettyName(std::string_view text);

// The processors the program may run on (its affinity), at least 1: a machine's count
// overstates what a process pinned to a few of them has.
[[nodiscard]] unsigned GetUsableProcessorCount();
