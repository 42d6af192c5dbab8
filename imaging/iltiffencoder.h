#pragma once
// ILTIFFEncoder: writes a bitmap as a TIFF file through libtiff, PackBits-compressed by
// default. 1-bit bitmaps become bilevel images, 8-bit ones palette images with a colour
// map, deeper ones RGB (RGBA with unassociated alpha when the bitmap has alpha).
//
// Failures (ILTextException): badFormat for every error libtiff reports; the sink's own
// exception when it cannot take the bytes.

#include <cstdint>

#include <tiffio.h>

#include "imaging/ilpicencoder.h"

class ILTIFFEncoder : public ILPicEncoder
{
public:
    ILTIFFEncoder() = default;
    ~ILTIFFEncoder() override = default;

    // A libtiff compression code (COMPRESSION_PACKBITS after construction).
    void SetCompression(uint16_t compression) { m_compression = compression; }

protected:
    void DoEncode(const ILBmp& bmp, ILDataSink& sink) override;
    // Writes the pixel rows (and the colour map of palette images).
    virtual void DoTiffEncode(const ILBmp& bmp, TIFF* tif);

private:
    void SetBaseTags(TIFF* tif, const ILBmp& bmp) const;
    void WriteColourMap(TIFF* tif, const ILBmp& bmp) const;
    void WriteRow(TIFF* tif, const uint8_t* row, int y) const;

    uint16_t m_compression = COMPRESSION_PACKBITS;
};
