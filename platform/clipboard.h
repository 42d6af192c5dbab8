#pragma once
// The clipboard as the image library exchanges bitmaps with it: a device-independent
// bitmap (a 40-byte header, the colour table below 16 bits, the rows bottom first) or a
// window-system bitmap. The windowing layer installs the system's clipboard; without one
// every operation fails. User-interface thread only.

#include <cstdint>
#include <vector>

#include "platform/bitmaphandle.h"
#include "platform/types.h"

inline constexpr UINT CF_BITMAP = 2;
inline constexpr UINT CF_DIB = 8;
inline constexpr UINT CF_PALETTE = 9;

class IClipboard
{
public:
    virtual ~IClipboard() = default;
    [[nodiscard]] virtual bool IsFormatAvailable(UINT format) = 0;
    // Empties the clipboard and puts the bitmap on it; false when it cannot.
    virtual bool SetDib(const std::vector<std::uint8_t>& dib) = 0;
    // The clipboard's picture as a DIB; false when it holds none.
    virtual bool GetDib(std::vector<std::uint8_t>& dib) = 0;
    // The clipboard's picture as a new bitmap the caller deletes; null when it holds none.
    [[nodiscard]] virtual HBITMAP GetBitmap() = 0;
};

// Null uninstalls; the caller keeps the object.
void SetClipboard(IClipboard* clipboard);
[[nodiscard]] IClipboard* GetClipboard();
