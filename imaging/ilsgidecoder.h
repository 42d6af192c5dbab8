#pragma once
// ILSGIDecoder: reads SGI images of one, three or four channels with one byte per sample,
// stored verbatim. One channel gives an 8-bit bitmap (greyscale
// unless the colour map kind says otherwise), three a 32-bit opaque one, four a 32-bit one
// with alpha. Stored rows run from the bottom of the image up.
//
// Failures (ILTextException): the refusals of Open (a wrong magic number, code
// wrongSignature; two channels, one dimension, run-length storage, two bytes per sample or
// a channel count outside 1..4, code notSupported) are thrown without the decoders' prefix.
// badFormat for an unknown storage kind and an empty image; noMemory for an image above
// ILBmp::GetMaxPixels(); endOfData when the data ends early.

#include <cstdint>

#include "imaging/ilpicdecoder.h"

class ILSGIDecoder : public ILPicDecoder
{
public:
    ILSGIDecoder() = default;
    ~ILSGIDecoder() override = default;

    void Open(ILDataSource& source) override;
    void GetImage(ILBmp& bmp) override;

private:
    struct Header
    {
        std::uint16_t magic = 0;
        std::uint8_t storage = 0;
        std::uint8_t bytesPerSample = 0;
        std::uint16_t dimension = 0;
        std::uint16_t width = 0;
        std::uint16_t height = 0;
        std::uint16_t channels = 0;
        std::uint32_t colourMap = 0;
    };

    void ReadHeader(ILDataSource& source);
    void CheckHeader(ILDataSource& source) const;
    // Stores a row of one channel's samples into a bitmap row.
    void StoreRow(const std::uint8_t* samples, int channel, std::uint8_t* target) const;

    Header m_header;
};
