#pragma once
// ILRasterOperation: one of the 256 ternary raster operations by which bitmap copies,
// pattern blits and masked blits combine the brush's pattern, the source bitmap and the
// canvas. The operation's index is its truth table: bit (pattern << 2 | source << 1 |
// canvas) of the index is the result for those three bits, applied bit by bit to each
// colour channel. Records store the index in bits 16 to 23 of a 32-bit code, whose low
// word only helps the platform compile the operation.

#include <cstdint>

#include "imaging/ilpixel32.h"

class ILRasterOperation
{
public:
    static constexpr std::uint8_t kSourceCopy = 0xCC;
    static constexpr std::uint32_t kSourceCopyCode = 0x00CC0020;

    constexpr explicit ILRasterOperation(std::uint8_t index) : m_index(index) {}
    // The operation of a record's 32-bit code.
    [[nodiscard]] static constexpr ILRasterOperation FromCode(std::uint32_t code)
    {
        return ILRasterOperation(static_cast<std::uint8_t>(code >> 16));
    }
    // The operation that a binary mix of pens and fills (1 to 16; its value less one is the
    // truth table over pen and canvas bits) is, the pen standing for the pattern.
    [[nodiscard]] static ILRasterOperation FromMix(int mix);

    [[nodiscard]] std::uint8_t GetIndex() const { return m_index; }
    [[nodiscard]] bool UsesPattern() const { return ((m_index >> 4 ^ m_index) & 0x0F) != 0; }
    [[nodiscard]] bool UsesSource() const { return ((m_index >> 2 ^ m_index) & 0x33) != 0; }
    // The binary mix that does the same as an operation that does not use the source.
    [[nodiscard]] int GetMix() const;

    // The result is opaque; the inputs' alpha is not read.
    [[nodiscard]] ILPixel32 Apply(ILPixel32 pattern, ILPixel32 source, ILPixel32 canvas) const;

private:
    std::uint8_t m_index;
};
