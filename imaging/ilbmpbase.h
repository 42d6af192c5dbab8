#pragma once
// ILBmpBase: an image description plus the palette and the table of row pointers
// that every bitmap has. Storage itself belongs to the concrete bitmaps.

#include <cstdint>
#include <vector>

#include "imaging/ilbmpinfo.h"
#include "imaging/ilpixel32.h"

class ILBmpBase : public ILBmpInfo
{
public:
    ~ILBmpBase() override = default;

    // Sets the description only; resolution becomes (0, 0).
    virtual void Create(int width, int height, int bitsPerPixel, bool alpha, bool greyscale);

    // 2^depth; a 32-bit bitmap reports 16777216.
    [[nodiscard]] int GetNumColors() const;
    // Null for depths above 8.
    [[nodiscard]] ILPixel32* GetPalette() { return m_palette; }
    [[nodiscard]] const ILPixel32* GetPalette() const { return m_palette; }
    // One pointer per row, row 0 (the top row) first; null while the bitmap holds no storage.
    [[nodiscard]] std::uint8_t** GetLineArray() { return m_lines.empty() ? nullptr : m_lines.data(); }
    [[nodiscard]] const std::uint8_t* const* GetLineArray() const
    {
        return m_lines.empty() ? nullptr : m_lines.data();
    }

    // Copies GetNumColors() entries. Does nothing on a bitmap without a palette.
    void SetPalette(const ILPixel32* entries);
    // Throws ILTextException internalError when there is no palette or the index is outside it.
    void SetPaletteEntry(int index, std::uint8_t red, std::uint8_t green, std::uint8_t blue, std::uint8_t alpha);
    // Evenly spaced greys from black to white, alpha 255. Nothing without a palette.
    void SetGreyPalette();
    // Takes each 32-bit pixel's alpha from the byte at the same place in an 8-bit bitmap of the
    // same size and sets the alpha flag. Throws ILTextException internalError when this
    // bitmap is not 32-bit or the other is not an 8-bit bitmap of the same size.
    void SetAlphaChannel(const ILBmpBase& alphaBmp);
    // Index of the palette entry nearest in summed |dr|+|dg|+|db|; the lowest index wins ties.
    // 0 when there is no palette.
    [[nodiscard]] std::uint8_t FindNearestColor(const ILPixel32& colour) const;

    // Same description and pixels within the tolerance (see the source for the rule per depth).
    [[nodiscard]] bool AlmostEqual(const ILBmpBase& other, int tolerance) const;
    friend bool operator==(const ILBmpBase& a, const ILBmpBase& b) { return a.AlmostEqual(b, 0); }

protected:
    ILBmpBase() = default;
    ILBmpBase(const ILBmpBase&) = delete;
    ILBmpBase& operator=(const ILBmpBase&) = delete;

    // Bytes of a row that carry pixels: width × depth / 8, rounded up for partial bytes.
    [[nodiscard]] static std::int64_t PixelBytesPerRow(int width, int bitsPerPixel);

    ILPixel32* m_palette = nullptr;
    std::vector<std::uint8_t*> m_lines;

private:
    [[nodiscard]] bool PixelsAlmostEqual(const ILBmpBase& other, int tolerance) const;
    [[nodiscard]] bool PalettesAlmostEqual(const ILBmpBase& other, int tolerance) const;
};
