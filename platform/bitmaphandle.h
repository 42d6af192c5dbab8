#pragma once
// A bitmap of the window system, as the view renders it and the clipboard hands it out:
// 32-bit pixels, blue, green, red and alpha in memory, the top row first. The handle is
// owned by whoever made it and ends with DeleteBitmapHandle.

#include <cstdint>
#include <vector>

struct HBITMAP__
{
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> bgra;
};
using HBITMAP = HBITMAP__*;

// A bitmap of RGBA pixels, top row first; null for a size below 1 or too few pixels.
[[nodiscard]] HBITMAP CreateBitmapFromRGBA(int width, int height, const std::vector<std::uint8_t>& rgba);
void DeleteBitmapHandle(HBITMAP bitmap);
