#pragma once
// ILFilterQuantize: turns a 32-bit image into an 8-bit palette image. The palette comes
// from one of four methods, and every pixel takes the palette entry nearest to it, with
// no dithering, ordered dithering or Floyd-Steinberg error diffusion.
//
// Colours are sorted into 5-bit-per-component cells; all colours of one cell map to the
// index found for the first of them, so the nearest-entry search runs once per cell.

#include <memory>

#include "imaging/ilfilter.h"
#include "imaging/ilpixel32.h"

class ILFilterQuantize : public ILFilter
{
public:
    // Palette methods.
    enum
    {
        paletteMedianCut = 0,
        palettePopularity = 1,
        paletteDefault = 2,  // a fixed palette of 256 colours
        paletteUser = 3      // SetUserPalette's, or the fixed one when none was set
    };
    // Dithering.
    enum
    {
        ditherNone = 0,
        ditherOrdered = 1,
        ditherFloydSteinberg = 2
    };

    static constexpr int kColours = 256;

    explicit ILFilterQuantize(int ditherPaletteType = paletteDefault, int ditherType = ditherNone);
    ~ILFilterQuantize() override;

    // Copies 256 entries.
    void SetUserPalette(const ILPixel32* entries);

    // The destination becomes an 8-bit image of the source's size and resolution, without
    // alpha, not greyscale. Each application starts afresh. Throws ILTextException
    // notSupported for a source that is not 32-bit or a method outside the two lists above.
    void Apply(const ILBmp& source, ILBmp& destination) const override;

    // The fixed palette (alpha 0 in every entry).
    [[nodiscard]] static const ILPixel32* GetDefaultPalette();

private:
    int m_ditherPaletteType;
    int m_ditherType;
    std::unique_ptr<ILPixel32[]> m_userPalette;
};
