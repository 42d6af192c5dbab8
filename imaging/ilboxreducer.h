#pragma once
// ILBoxReducer: shrinks a picture handed to it a row at a time, top row first, to a
// 32-bit bitmap by averaging each destination pixel's box of source pixels. It holds one
// row of sums and never the picture, so a decoder that feeds it rows as it reads them
// shrinks a picture of a gigabyte within a few megabytes.
#include <array>
#include <cstdint>
#include <vector>

#include "imaging/ilpixel32.h"

class ILBmp;
class ILBmpInfo;

class ILBoxReducer
{
public:
    // The source's size, depth, alpha flag and resolution are taken from the description.
    // The destination is made at once: the new size (each side at most the source's and at
    // least 1), 32 bits, the source's alpha flag and resolution, not greyscale. Throws
    // ILTextException notSupported for a depth other than 1, 8, 24 and 32, and as
    // ILBmp::CreateFromData does.
    ILBoxReducer(const ILBmpInfo& source, int newWidth, int newHeight, ILBmp& destination);
    ILBoxReducer(const ILBoxReducer&) = delete;
    ILBoxReducer& operator=(const ILBoxReducer&) = delete;

    [[nodiscard]] static bool TakesDepth(int bitsPerPixel);
    // The size of a picture shrunk, keeping its shape, to fit a square of maxSide; a
    // picture that fits already keeps its size. Sides below 1 are left alone.
    static void FitSize(int& width, int& height, int maxSide);

    [[nodiscard]] int GetNewWidth() const { return m_newWidth; }
    [[nodiscard]] int GetNewHeight() const { return m_newHeight; }
    // A decoder that can decode the picture smaller than its description says (a JPEG at
    // 1/2, 1/4 or 1/8) gives, before the first row, the size of the rows it will hand in;
    // the boxes are laid over that size. Refused (false, nothing changed) once rows have
    // come or when a side is smaller than the destination's.
    [[nodiscard]] bool SetSourceSize(int width, int height);

    // The palette that rows of 1 and 8 bits index: evenly spaced greys until set.
    [[nodiscard]] int GetNumColors() const { return m_depth == 1 ? 2 : 256; }
    // An index outside the palette is ignored.
    void SetPaletteEntry(int index, std::uint8_t red, std::uint8_t green, std::uint8_t blue, std::uint8_t alpha);
    void SetPalette(const ILPixel32* entries);

    // The bytes of a source row: ILAnyBmp::BytesPerLineFor(width, depth).
    [[nodiscard]] int GetRowBytes() const;
    // The next source row, GetRowBytes() bytes. Each destination row is written when the
    // last row of its boxes arrives; rows past the source's height are ignored.
    void AddRow(const std::uint8_t* row);
    [[nodiscard]] bool IsComplete() const { return m_row >= m_height; }

private:
    struct Sum
    {
        std::uint64_t r = 0;
        std::uint64_t g = 0;
        std::uint64_t b = 0;
        std::uint64_t a = 0;
    };

    void LayBoxes();
    void AddPixels(const std::uint8_t* row);
    void WriteDestinationRow();

    ILBmp& m_destination;
    int m_width = 0;
    int m_height = 0;
    int m_depth = 0;
    int m_newWidth = 0;
    int m_newHeight = 0;
    // The source row expected next, the destination row being summed and the source row
    // that ends its boxes.
    int m_row = 0;
    int m_destinationRow = 0;
    int m_boxBottom = 0;
    std::array<ILPixel32, 256> m_palette{};
    // Where each destination column's box begins (one more entry for the end), and which
    // box each source column falls in.
    std::vector<int> m_starts;
    std::vector<int> m_column;
    std::vector<Sum> m_sums;
    std::vector<std::uint64_t> m_ones;
};
