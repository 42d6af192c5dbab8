#pragma once
// Stored pictures for the texture tests, made apart from the GL fixture (whose
// window-system names clash with the picture's).

#include <cstdint>
#include <string>
#include <vector>

class CDib;

// A new picture whose pixels, row by row from the top, are the words 0xAARRGGBB.
[[nodiscard]] CDib* MakeTestPicture(int width, int height, const std::vector<std::uint32_t>& argb);
// Writes such a picture to a PNG file; false when it cannot be written.
bool WriteTestPictureFile(int width, int height, const std::vector<std::uint32_t>& argb, const std::string& path);
