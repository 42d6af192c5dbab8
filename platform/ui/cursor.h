#pragma once
// Cursor handles: the platform's standard cursors by their numeric ids, and cursors made
// from 32-bit images with a hot spot. A handle stays valid until DestroyCursor or the end
// of the program; standard cursors are shared and never destroyed.
#include <cstdint>

class QCursor;
struct CCursorHandle;
using HCURSOR = CCursorHandle*;

// Standard cursor ids.
inline constexpr int IDC_ARROW = 32512;
inline constexpr int IDC_IBEAM = 32513;
inline constexpr int IDC_WAIT = 32514;
inline constexpr int IDC_CROSS = 32515;
inline constexpr int IDC_UPARROW = 32516;
inline constexpr int IDC_SIZE = 32640;
inline constexpr int IDC_ICON = 32641;
inline constexpr int IDC_SIZENWSE = 32642;
inline constexpr int IDC_SIZENESW = 32643;
inline constexpr int IDC_SIZEWE = 32644;
inline constexpr int IDC_SIZENS = 32645;
inline constexpr int IDC_SIZEALL = 32646;
inline constexpr int IDC_NO = 32648;
inline constexpr int IDC_HAND = 32649;
inline constexpr int IDC_APPSTARTING = 32650;
inline constexpr int IDC_HELP = 32651;

// Null for an id that names no standard cursor.
[[nodiscard]] HCURSOR LoadStandardCursor(int id);
// The standard id of a handle, 0 for a cursor made from an image.
[[nodiscard]] int GetStandardCursorId(HCURSOR cursor);

// A cursor from width × height pixels, top row first, bytes blue, green, red, alpha
// (alpha 0 is transparent). Null for an empty size or no pixels.
[[nodiscard]] HCURSOR CreateImageCursor(int width, int height, const std::uint8_t* bgra, int hotX, int hotY);
// Cursors from CreateImageCursor only; standard cursors and null are left alone.
void DestroyCursor(HCURSOR cursor);

// The Qt cursor behind a handle; the arrow for null.
[[nodiscard]] const QCursor& GetQtCursor(HCURSOR cursor);
