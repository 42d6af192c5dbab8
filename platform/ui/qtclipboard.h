#pragma once
// CQtClipboard: the system clipboard (QClipboard) in the shape the image library asks
// for. A DIB goes on it as an image; what it holds comes back as a DIB of 24 or 32 bits
// per pixel or as a bitmap handle. Needs the Qt application; user-interface thread only.

#include "platform/clipboard.h"

class CQtClipboard : public IClipboard
{
public:
    [[nodiscard]] bool IsFormatAvailable(UINT format) override;
    bool SetDib(const std::vector<std::uint8_t>& dib) override;
    bool GetDib(std::vector<std::uint8_t>& dib) override;
    [[nodiscard]] HBITMAP GetBitmap() override;
};
