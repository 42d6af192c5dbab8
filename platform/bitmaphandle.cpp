#include "platform/bitmaphandle.h"

#include <cstddef>

HBITMAP CreateBitmapFromRGBA(int width, int height, const std::vector<std::uint8_t>& rgba)
{
    if (width < 1 || height < 1 || rgba.size() / 4 / static_cast<std::size_t>(width) < static_cast<std::size_t>(height)) {
        return nullptr;
    }
    auto* bitmap = new HBITMAP__;
    bitmap->width = width;
    bitmap->height = height;
    const std::size_t bytes = static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4;
    bitmap->bgra.resize(bytes);
    for (std::size_t i = 0; i < bytes; i += 4) {
        bitmap->bgra[i] = rgba[i + 2];
        bitmap->bgra[i + 1] = rgba[i + 1];
        bitmap->bgra[i + 2] = rgba[i];
        bitmap->bgra[i + 3] = rgba[i + 3];
    }
    return bitmap;
}

void DeleteBitmapHandle(HBITMAP bitmap)
{
    delete bitmap;
}
