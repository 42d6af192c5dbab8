#pragma once
// ILPCXDecoder: reads run-length encoded PCX images — 1 bit per pixel in one to four
// planes, 2, 4 and 8 bits in one plane, and 8 bits in three planes (24-bit colour) —
// into 32-bit bitmaps without alpha. 256-colour images take the palette that follows the
// pixel data, monochrome images are black and white, the others use the header's 16
// colours.
//
// Failures (ILTextException): wrongSignature for a wrong maker byte or encoding;
// badFormat for bit and plane counts that do not fit together, an empty image or rows
// too short for the width; internalError for runs past the end of the image and for 2-
// and 4-bit images in three planes; noMemory for an image above ILBmp::GetMaxPixels();
// endOfData when the data ends early.

#include <array>
#include <cstdint>
#include <vector>

#include "imaging/ilpicdecoder.h"
#include "imaging/ilpixel32.h"

class ILPCXDecoder : public ILPicDecoder
{
public:
    ILPCXDecoder() = default;
    ~ILPCXDecoder() override = default;

    void Open(ILDataSource& source) override;
    void GetImage(ILBmp& bmp) override;

private:
    struct Header
    {
        std::uint8_t manufacturer = 0;
        std::uint8_t version = 0;
        std::uint8_t encoding = 0;
        std::uint8_t bitsPerPixel = 0;
        std::uint16_t xMin = 0;
        std::uint16_t yMin = 0;
        std::uint16_t xMax = 0;
        std::uint16_t yMax = 0;
        std::uint16_t hRes = 0;
        std::uint16_t vRes = 0;
        std::uint8_t colourMap[48] = {};
        std::uint8_t planes = 0;
        std::uint16_t bytesPerLine = 0;
        std::uint16_t paletteType = 0;
    };
    using ColourTable = std::array<ILPixel32, 256>;

    void ReadHeader(ILDataSource& source);
    void CheckHeader(ILDataSource& source) const;
    [[nodiscard]] std::int64_t ImageBytes() const;
    [[nodiscard]] std::vector<std::uint8_t> DecodeRuns(ILDataSource& source) const;
    [[nodiscard]] ColourTable ReadColourTable(ILDataSource& source) const;
    // One index per pixel of a row of bytesPerLine × 8 entries.
    void UnpackPackedRow(const std::uint8_t* data, std::uint8_t* indices) const;
    void UnpackPlanarRow(const std::uint8_t* data, std::uint8_t* indices) const;

    Header m_header;
};
