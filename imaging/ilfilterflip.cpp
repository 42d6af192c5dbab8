#include "imaging/ilfilterflip.h"

#include <cstring>

#include "imaging/ilanybmp.h"

void ILFilterFlip::Apply(const ILBmp& source, ILBmp& destination) const
{
    if (&source == &destination) {
        ApplyInPlace(destination);
        return;
    }
    const int height = source.GetHeight();
    destination.CreateFromData(source.GetWidth(), height, source.GetBitsPerPixel(), source.HasAlpha(),
                               source.IsGreyscale(), nullptr, 0, source.GetResolution());
    // Whole rows move, so the depth does not matter; the two bitmaps may pad rows differently.
    const auto rowBytes = static_cast<std::size_t>(
        (static_cast<std::int64_t>(source.GetWidth()) * source.GetBitsPerPixel() + 7) / 8);
    const std::uint8_t* const* from = source.GetLineArray();
    std::uint8_t* const* to = destination.GetLineArray();
    for (int y = 0; y < height; ++y) {
        std::memcpy(to[height - 1 - y], from[y], rowBytes);
    }
    if (source.GetBitsPerPixel() < 16 && source.GetPalette() != nullptr) {
        destination.SetPalette(source.GetPalette());
    }
}
