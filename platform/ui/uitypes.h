#pragma once
// The value types of the windowing shapes: rectangles, points, colours, window placement,
// show states and message-box flags, with the numbers stored settings and commands use.
#include <cstdint>

#include "platform/types.h"

// 0x00BBGGRR, as the stored colours and the system colours read.
using COLORREF = DWORD;
using LPARAM = std::intptr_t;

[[nodiscard]] constexpr COLORREF RGB(int red, int green, int blue)
{
    return static_cast<COLORREF>((red & 0xFF) | ((green & 0xFF) << 8) | ((blue & 0xFF) << 16));
}
[[nodiscard]] constexpr int GetRValue(COLORREF c) { return static_cast<int>(c & 0xFF); }
[[nodiscard]] constexpr int GetGValue(COLORREF c) { return static_cast<int>((c >> 8) & 0xFF); }
[[nodiscard]] constexpr int GetBValue(COLORREF c) { return static_cast<int>((c >> 16) & 0xFF); }

struct CPoint
{
    int x = 0;
    int y = 0;
    friend bool operator==(const CPoint&, const CPoint&) = default;
};

struct CRect
{
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    [[nodiscard]] int Width() const { return right - left; }
    [[nodiscard]] int Height() const { return bottom - top; }
    [[nodiscard]] bool IsRectEmpty() const { return right <= left || bottom <= top; }
    // True when the two rectangles share at least one pixel.
    [[nodiscard]] bool Intersects(const CRect& other) const
    {
        return left < other.right && other.left < right && top < other.bottom && other.top < bottom;
    }
    friend bool operator==(const CRect&, const CRect&) = default;
};

// Show states of a window.
inline constexpr int SW_HIDE = 0;
inline constexpr int SW_SHOWNORMAL = 1;
inline constexpr int SW_SHOWMINIMIZED = 2;
inline constexpr int SW_SHOWMAXIMIZED = 3;
inline constexpr int SW_SHOW = 5;

struct WINDOWPLACEMENT
{
    UINT length = sizeof(WINDOWPLACEMENT);
    UINT flags = 0;
    UINT showCmd = 0;
    CPoint ptMinPosition;
    CPoint ptMaxPosition;
    CRect rcNormalPosition;
};

// Message-box buttons and icons, and the answers.
inline constexpr UINT MB_OK = 0x0;
inline constexpr UINT MB_OKCANCEL = 0x1;
inline constexpr UINT MB_YESNOCANCEL = 0x3;
inline constexpr UINT MB_YESNO = 0x4;
inline constexpr UINT MB_ICONSTOP = 0x10;
inline constexpr UINT MB_ICONQUESTION = 0x20;
inline constexpr UINT MB_ICONEXCLAMATION = 0x30;
inline constexpr UINT MB_ICONINFORMATION = 0x40;
// The second button (No, Cancel) answers Return; the first does without it.
inline constexpr UINT MB_DEFBUTTON2 = 0x100;
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;

// Mouse-message flags: the buttons and keys held.
inline constexpr UINT MK_LBUTTON = 0x1;
inline constexpr UINT MK_RBUTTON = 0x2;
inline constexpr UINT MK_SHIFT = 0x4;
inline constexpr UINT MK_CONTROL = 0x8;
inline constexpr UINT MK_MBUTTON = 0x10;

// Virtual key codes of the keys the program names.
inline constexpr UINT VK_BACK = 0x08;
inline constexpr UINT VK_TAB = 0x09;
inline constexpr UINT VK_RETURN = 0x0D;
inline constexpr UINT VK_SHIFT = 0x10;
inline constexpr UINT VK_CONTROL = 0x11;
inline constexpr UINT VK_MENU = 0x12;
inline constexpr UINT VK_ESCAPE = 0x1B;
inline constexpr UINT VK_SPACE = 0x20;
inline constexpr UINT VK_PRIOR = 0x21;
inline constexpr UINT VK_NEXT = 0x22;
inline constexpr UINT VK_END = 0x23;
inline constexpr UINT VK_HOME = 0x24;
inline constexpr UINT VK_LEFT = 0x25;
inline constexpr UINT VK_UP = 0x26;
inline constexpr UINT VK_RIGHT = 0x27;
inline constexpr UINT VK_DOWN = 0x28;
inline constexpr UINT VK_DELETE = 0x2E;
// The context-menu key.
inline constexpr UINT VK_APPS = 0x5D;

class QKeyEvent;

// A key pressed in a window, as a window's pretranslation sees it: the virtual key,
// whether it is a system key (Alt held) and the platform's event behind it.
struct CKeyMessage
{
    UINT key = 0;
    bool system = false;
    const QKeyEvent* event = nullptr;
};

// Framework command ids the shapes route themselves.
inline constexpr UINT ID_FILE_NEW = 57600;
inline constexpr UINT ID_FILE_OPEN = 57601;
inline constexpr UINT ID_FILE_SAVE = 57603;
inline constexpr UINT ID_FILE_PRINT_SETUP = 57606;
inline constexpr UINT ID_FILE_PRINT = 57607;
inline constexpr UINT ID_FILE_PRINT_DIRECT = 57608;
inline constexpr UINT ID_FILE_PRINT_PREVIEW = 57609;
inline constexpr UINT ID_FILE_MRU_FILE1 = 57616;
inline constexpr UINT ID_FILE_MRU_LAST = 57631;
inline constexpr UINT ID_APP_ABOUT = 57664;
inline constexpr UINT ID_APP_EXIT = 57665;
