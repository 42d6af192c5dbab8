#pragma once
// What drawing a label costs a frame, in the frame meter's units, for the weights that
// texts and dimensions give the count made at opening. A label is drawn from a picture
// of its text, made by laying each glyph in; the picture costs its pixels, which grow
// with the square of the font's pixel height. Pictures are kept between frames, but
// only as many as the store of label pictures holds, so a label may be made again in
// every frame.

#include <cstdint>

#include "platform/cstring.h"

class CEntity;

// The font's pixel height on the screen: its points at 96 pixels per inch; a null font
// or one of no usable height counts as the default 10 points.
[[nodiscard]] int LabelPixelHeight(const CEntity* font);

// The units of a label with that text at that pixel height, from the size its picture
// would have: the picture made, and filled where it is drawn, a quad in a call of its own
// for each texture it takes; a picture wider or taller than one texture is either reduced
// to one, which reads its every channel, or drawn in tiles. A picture too large to make
// costs only the look-up of its glyphs' advances.
[[nodiscard]] std::uint64_t LabelTextWeight(const CString& text, int pixelHeight, bool reducedToOneTexture);

// A label tested against the depth the frame has drawn under its anchor makes the GL
// finish all it has queued before it reads the pixel.
inline constexpr std::uint64_t kLabelDepthReadUnits = 4000;
