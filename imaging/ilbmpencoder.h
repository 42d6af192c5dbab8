#pragma once
// ILBmpEncoder: writes a bitmap as an uncompressed Windows BMP file: file header, the
// 40-byte information header, the palette of 1- and 8-bit bitmaps, and the rows bottom
// row first. Bitmaps of 16, 24 and 32 bits are written as 24-bit files (alpha dropped).
//
// Failures (ILTextException): notSupported for a file that would pass 4 GiB; the sink's
// own exception when it cannot take the bytes.

#include <cstdint>

#include "imaging/ilpicencoder.h"

class ILBmpEncoder : public ILPicEncoder
{
public:
    ILBmpEncoder() = default;
    ~ILBmpEncoder() override = default;

protected:
    void DoEncode(const ILBmp& bmp, ILDataSink& sink) override;

private:
    static void WriteHeaders(const ILBmp& bmp, ILDataSink& sink, int fileDepth, uint32_t pixelOffset,
                             uint32_t fileSize);
    static void WritePalette(const ILBmp& bmp, ILDataSink& sink);
    static void WritePaletteRows(const ILBmp& bmp, ILDataSink& sink, uint32_t rowSize);
    static void WriteTrueColourRows(const ILBmp& bmp, ILDataSink& sink, uint32_t rowSize);
};
