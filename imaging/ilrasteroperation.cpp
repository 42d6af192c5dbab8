#include "imaging/ilrasteroperation.h"

namespace {

std::uint32_t Packed(ILPixel32 p)
{
    return static_cast<std::uint32_t>(p.r) | static_cast<std::uint32_t>(p.g) << 8 | static_cast<std::uint32_t>(p.b) << 16;
}

}  // namespace

ILRasterOperation ILRasterOperation::FromMix(int mix)
{
    const int table = mix - 1;
    std::uint8_t index = 0;
    for (int bit = 0; bit < 8; ++bit) {
        const int pen = bit >> 2 & 1;
        const int canvas = bit & 1;
        if ((table >> (pen << 1 | canvas) & 1) != 0) {
            index = static_cast<std::uint8_t>(index | 1 << bit);
        }
    }
    return ILRasterOperation(index);
}

int ILRasterOperation::GetMix() const
{
    // The entries with a source bit of 0, pattern and canvas bits kept.
    return 1 + ((m_index & 0x03) | (m_index >> 2 & 0x0C));
}

ILPixel32 ILRasterOperation::Apply(ILPixel32 pattern, ILPixel32 source, ILPixel32 canvas) const
{
    // All three channels at once: each set entry of the table adds the bits whose
    // pattern, source and canvas bits are that entry's.
    const std::uint32_t p = Packed(pattern);
    const std::uint32_t s = Packed(source);
    const std::uint32_t d = Packed(canvas);
    std::uint32_t out = 0;
    for (int bit = 0; bit < 8; ++bit) {
        if ((m_index >> bit & 1) != 0) {
            out |= ((bit & 4) != 0 ? p : ~p) & ((bit & 2) != 0 ? s : ~s) & ((bit & 1) != 0 ? d : ~d);
        }
    }
    return ILPixel32(static_cast<std::uint8_t>(out), static_cast<std::uint8_t>(out >> 8),
                     static_cast<std::uint8_t>(out >> 16), 255);
}
