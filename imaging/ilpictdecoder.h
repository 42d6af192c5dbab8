#pragma once
// ILPictDecoder: reads the first raster image of a Macintosh picture (version 1 or 2). It
// walks the opcodes, passing over drawing operations by their lengths, until it meets a
// bitmap, a PixMap, direct pixels or QuickTime JPEG data, describes that image, and
// decodes it when asked for the pixels. PixMaps of up to 8 bits decode to 8 bits with
// their colour table, 16- and 32-bit pixels to 32 bits, version-1 bitmaps to 8 bits with
// white at index 0 and black at index 1. JPEG data is decoded by the JPEG decoder given to
// the constructor, over the bytes of that data only.
//
// Failures (ILTextException): wrongSignature for a missing or illegal version; notSupported
// for a picture without raster data and for JPEG data that cannot be decoded here;
// badFormat for unknown patterns and opcodes, colour-table indices out of range, pixel
// sizes and row lengths that do not fit the image, and packed rows that overrun; noMemory
// for an image above ILBmp::GetMaxPixels(); endOfData when the data ends early.

#include <cstdint>

#include "imaging/ilmemsource.h"
#include "imaging/ilpicdecoder.h"
#include "imaging/ilpixel32.h"

class ILJPEGDecoder;

class ILPictDecoder : public ILPicDecoder
{
public:
    // The JPEG decoder stays the caller's and may be null.
    explicit ILPictDecoder(ILJPEGDecoder* jpegDecoder = nullptr) : m_jpeg(jpegDecoder) {}
    ~ILPictDecoder() override;

    // True when the picture's version opcode follows the 512-byte preamble and the picture
    // header, and the data is longer than 540 bytes.
    [[nodiscard]] static bool IsPict(const std::uint8_t* data, std::int64_t size);

    void Open(ILDataSource& source) override;
    void GetImage(ILBmp& bmp) override;
    // Closes the JPEG decoder when it holds the picture's JPEG data, then the base.
    void Close() override;

private:
    enum Kind
    {
        kindNone = 0,
        kindDirectBits = 1,
        kindJpeg = 2,
        kindPixMap = 3,
        kindBitmap = 4
    };

    struct Rect
    {
        int top = 0;
        int left = 0;
        int bottom = 0;
        int right = 0;
    };

    struct PixMap
    {
        Rect bounds;
        int version = 0;
        int packType = 0;
        std::uint32_t packSize = 0;
        int hRes = 0;
        int vRes = 0;
        int pixelType = 0;
        int pixelSize = 0;
        int cmpCount = 0;
        int cmpSize = 0;
    };

    void ReadHeader(ILDataSource& source);
    [[nodiscard]] int ReadOpcode(ILDataSource& source);
    void InterpretOpcodes(ILDataSource& source);
    // True when the opcode described an image.
    bool InterpretOpcode(ILDataSource& source, int opcode);
    void InterpretTableOpcode(ILDataSource& source, int opcode);
    void SkipPixPattern(ILDataSource& source);
    void SkipSizedData(ILDataSource& source);
    void ReadBits(ILDataSource& source, int opcode);
    void ReadDirectBits(ILDataSource& source);
    void ReadJpeg(ILDataSource& source);
    [[nodiscard]] static Rect ReadRect(ILDataSource& source);
    void ReadPixMap(ILDataSource& source);
    void SetPixMapInfo(const ILDataSource& source);
    void DescribeImage(const ILDataSource& source, int width, int height, int bitsPerPixel, const ILPoint& resolution, bool alpha);
    void ReadColorTable(ILDataSource& source, ILPixel32* palette) const;

    void ReadIndexedRows(ILDataSource& source, ILBmp& bmp, int pixelSize);
    void ReadDirectRows(ILDataSource& source, ILBmp& bmp);
    void ReadWordRows(ILDataSource& source, ILBmp& bmp);
    // One row: rowBytes bytes as they are, or PackBits-packed (byte count first) into at
    // most `capacity` bytes.
    void ReadRow(ILDataSource& source, std::uint8_t* row, int capacity, int unit);
    void SkipRows(ILDataSource& source, int rowBytes, int rows);
    [[nodiscard]] int PackedCount(ILDataSource& source) const;

    ILJPEGDecoder* m_jpeg;
    ILMemSource m_jpegSource;
    bool m_jpegOpen = false;
    Kind m_kind = kindNone;
    int m_version = 0;
    std::int64_t m_start = 0;  // where the picture's data begins in the source
    PixMap m_pixMap;
    int m_rowBytes = 0;        // top bit cleared
    bool m_packed = true;      // false for the bits opcodes that store rows as they are
    bool m_region = false;
};
