#pragma once
// ILTGADecoder: reads TGA images — colour-mapped, true-colour and greyscale, raw or
// run-length encoded. Colour-mapped and grey images decode to 8 bits with a palette,
// true-colour ones (15, 16, 24, 32 bits) to 32 bits. Pixels and colour maps of 32 bits
// carry alpha; 16-bit ones only when the descriptor declares alpha bits (a set bit is
// opaque). Five-bit channels keep their bits at the top of the byte (31 reads 248).
//
// Failures (ILTextException): badFormat for an unknown image type; notSupported for a
// pixel depth or colour-map entry size the type cannot have; noMemory for an image above
// ILBmp::kMaxPixels; endOfData when the data ends early.

#include <cstdint>

#include "imaging/ilpicdecoder.h"

class ILTGADecoder : public ILPicDecoder
{
public:
    ILTGADecoder() = default;
    ~ILTGADecoder() override = default;

    void Open(ILDataSource& source) override;
    void GetImage(ILBmp& bmp) override;

private:
    struct Header
    {
        uint8_t idLength = 0;
        uint8_t colourMapType = 0;
        uint8_t imageType = 0;
        uint16_t firstEntry = 0;
        uint16_t mapLength = 0;
        uint8_t mapEntrySize = 0;
        uint16_t xOrigin = 0;
        uint16_t yOrigin = 0;
        uint16_t width = 0;
        uint16_t height = 0;
        uint8_t pixelDepth = 0;
        uint8_t descriptor = 0;
    };

    // Run-length packets may run on from one row into the next.
    struct RunState
    {
        int left = 0;
        bool repeat = false;
        uint8_t value[4] = {0, 0, 0, 0};
    };

    void ReadHeader(ILDataSource& source);
    void CheckHeader(ILDataSource& source) const;
    void ReadColourMap(ILDataSource& source, ILBmp& bmp) const;
    void DecodeRawRow(ILDataSource& source, uint8_t* row) const;
    void DecodeRunLengthRow(ILDataSource& source, uint8_t* row, RunState& run) const;
    void MirrorRow(uint8_t* row) const;
    [[nodiscard]] bool HasAlphaChannel() const;
    [[nodiscard]] bool AlphaBitDeclared() const;
    [[nodiscard]] int OutputBytes() const { return GetBitsPerPixel() / 8; }

    Header m_header;
};
