#pragma once
// ILBmpDecoder: reads Windows and OS/2 bitmap files (OS/2 bitmap arrays, the 12-byte
// OS/2 header, the 40-byte Windows header and its longer successors) at 1, 4, 8, 16, 24
// and 32 bits per pixel, uncompressed or run-length encoded at 4 and 8 bits. Files of up
// to 8 bits decode to 8-bit bitmaps with the file's palette, deeper ones to 32 bits.
// 16- and 32-bit pixels are read through their channel masks (bit fields, or the masks of
// the longer headers): short channels of 32-bit pixels widen to the full 0..255, those of
// 16-bit pixels keep their bits at the top (5-5-5 white reads 248). They have alpha only when an
// alpha mask applies (declared, or the fourth byte of an uncompressed 32-bit file) and some
// pixel's alpha is not 0: a file whose alpha is 0 everywhere is opaque.
//
// Failures (ILTextException): wrongSignature for data that is not a bitmap; badFormat for
// an illegal bit count or header; notSupported for a delta escape in run-length data or
// an embedded JPEG/PNG; noMemory for an image above ILBmp::kMaxPixels; endOfData when
// the pixel data is shorter than the header promises, and before the bitmap is made when
// run-length data has more than a megapixel and over 1024 pixels per byte of data (a cap:
// the format could leave rows out, real encoders spend a byte per 128 pixels at most).

#include <cstdint>
#include <memory>
#include <vector>

#include "imaging/ilpicdecoder.h"
#include "imaging/ilpixel32.h"

class ILBmpDecoder : public ILPicDecoder
{
public:
    ILBmpDecoder();
    ~ILBmpDecoder() override;

    void Open(ILDataSource& source) override;
    void GetImage(ILBmp& bmp) override;
    // Frees the header record, then closes the base.
    void Close() override;

private:
    // The header as read, laid out like the 40-byte Windows header; fields that a
    // shorter header lacks are 0.
    struct InfoHeader
    {
        uint32_t size = 0;
        int32_t width = 0;
        int32_t height = 0;
        uint16_t planes = 0;
        uint16_t bitCount = 0;
        uint32_t compression = 0;
        uint32_t imageSize = 0;
        int32_t xPelsPerMeter = 0;
        int32_t yPelsPerMeter = 0;
        uint32_t clrUsed = 0;
        uint32_t clrImportant = 0;
        uint32_t masks[4] = {0, 0, 0, 0};  // red, green, blue, alpha bit fields as stored
    };

    // One channel of a 16- or 32-bit pixel: where its bits are and how they widen to 8 bits.
    struct Channel
    {
        uint32_t mask = 0;
        int shift = 0;
        int bits = 0;                  // from the lowest to the highest bit of the mask
        std::vector<uint8_t> widened;  // value → 0..255, for channels of up to 16 bits

        // Short channels widen to 255 when `repeatShortBits`, else keep their bits at the top.
        void SetMask(uint32_t channelMask, bool repeatShortBits);
        [[nodiscard]] uint8_t Of(uint32_t pixel) const;
    };

    void ReadFileHeader(ILDataSource& source, uint32_t& pixelOffset);
    void ReadInfoHeader(ILDataSource& source);
    void ReadMasks(ILDataSource& source, const uint8_t* fields);
    void ChooseChannels();
    [[nodiscard]] bool AnyPixelHasAlpha(ILDataSource& source) const;
    void CheckBitCount() const;
    void ReadPalette(ILDataSource& source, uint32_t pixelOffset);
    void SkipToPixels(ILDataSource& source, uint32_t pixelOffset);
    void CheckImage(ILDataSource& source) const;
    void SetDescription();

    [[nodiscard]] int TargetRow(int fileRow) const;
    [[nodiscard]] int64_t FileRowBytes() const;
    // Reads each stored row and hands it, with its row of the bitmap and the width, to
    // decodeRow.
    template <typename DecodeRow>
    void DecodeRows(ILDataSource& source, uint8_t* const* rows, DecodeRow decodeRow);
    void Decode1(ILDataSource& source, uint8_t* const* rows);
    void Decode4(ILDataSource& source, uint8_t* const* rows);
    void Decode8(ILDataSource& source, uint8_t* const* rows);
    void DecodeBitFields(ILDataSource& source, uint8_t* const* rows);
    void Decode24(ILDataSource& source, uint8_t* const* rows);
    void DecodeRle(ILDataSource& source, uint8_t* const* rows, bool nibbles);
    int CopyLiteral(ILDataSource& source, uint8_t* out, int x, int count, bool nibbles);

    ILPixel32 m_palette[256];
    std::unique_ptr<InfoHeader> m_header;
    int m_rows = 0;          // the image height, whatever the file's row order
    bool m_topDown = false;  // a negative height: the first stored row is the top row
    Channel m_channels[4];   // red, green, blue, alpha of 16- and 32-bit pixels
    bool m_pixelAlpha = false;  // some pixel has a non-zero alpha under an alpha mask
};
