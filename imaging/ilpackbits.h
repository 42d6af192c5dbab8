#pragma once
// PackBits rows, as several formats store them: a control byte c below 0x80 is followed
// by c + 1 literal units, one above 0x80 by one unit repeated 257 − c times, and 0x80 is a
// no-op. A unit is one byte, or two for formats that pack 16-bit pixels.

#include <cstdint>

// Unpacks all inLength bytes of `in` into out (room for outLength bytes) and returns the
// bytes written; -1 when a run or literal reads past the input or writes past the output.
[[nodiscard]] int ILUnpackBits(const std::uint8_t* in, int inLength, std::uint8_t* out, int outLength, int unit = 1);
