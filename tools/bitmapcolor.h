#pragma once
// Recolouring of 24- and 32-bit bitmaps (pixels stored blue, green, red, then alpha)
// for user-interface images and material previews: shifts of hue, saturation and value,
// and a two-colour remap. Colours are given red, green, blue.

#include <cstdint>

#include "foundation/color.h"

// Hue in degrees, saturation and value 0..1.
struct CHsvDelta
{
    double hue = 0.0;
    double saturation = 0.0;
    double value = 0.0;
};

// The offsets that take the from colour to the to colour. With relativeHue the hue is
// an offset; without, the to colour's hue itself. A grey target drains the colour.
[[nodiscard]] CHsvDelta ComputeHsvDelta(const CColor& from, const CColor& to, bool relativeHue);
// Shifts every pixel; a stride of 0 means rows of width * bytes per pixel. False, and
// nothing changed, for depths other than 24 and 32.
bool ShiftBitmapHsv(std::uint8_t* pixels, int width, int height, int bitsPerPixel, int stride,
                    const CHsvDelta& delta, bool relativeHue);
// Pixels of the key colour become the match colour, all others the other colour;
// alpha is kept. False for depths other than 24 and 32.
bool ReplaceBitmapColor(std::uint8_t* pixels, int width, int height, int bitsPerPixel, int stride,
                        const CColor& key, const CColor& match, const CColor& other);
