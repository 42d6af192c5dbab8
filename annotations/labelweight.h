#pragma once
// What drawing a label costs a frame, in the frame meter's units, for the weights that
// texts and dimensions give the count made at opening. A glyph costs its pixels, about
// the square of the font's pixel height, once rasterised and again each time it is laid
// into the label's picture; the picture is kept between frames, but only as many as
// the store of label pictures holds, so a label may be made again in every frame.

#include <cstdint>

class CEntity;

// The font's pixel height on the screen: its points at 96 pixels per inch; a null font
// or one of no usable height counts as the default 10 points.
[[nodiscard]] int LabelPixelHeight(const CEntity* font);

// The units of a label of that many characters at that pixel height; a picture wider or
// taller than one texture is also reduced, which reads its every channel.
[[nodiscard]] std::uint64_t LabelTextWeight(std::uint64_t characters, int pixelHeight, bool reducedToOneTexture);

// A label tested against the depth the frame has drawn under its anchor makes the GL
// finish all it has queued before it reads the pixel.
inline constexpr std::uint64_t kLabelDepthReadUnits = 4000;
