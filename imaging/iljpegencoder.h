#pragma once
// ILJPEGEncoder: compresses a bitmap into a sequential JPEG stream through libjpeg,
// with the floating-point DCT. Bitmaps that are not 32 bits deep are converted to 32
// bits first; the alpha byte is not written. An EXIF block handed to SetExifData is
// written as an APP1 marker into the next output only.
//
// Failures (ILTextException): notSupported for every error libjpeg reports (an image
// larger than 65500 pixels on a side, an empty one); the sink's own exception when it
// cannot take the bytes.

#include <cstdint>
#include <memory>
#include <optional>

#include "imaging/iljpegglue.h"
#include "imaging/ilpicencoder.h"

class ILExif;

class ILJPEGEncoder : public ILPicEncoder
{
public:
    ILJPEGEncoder();
    ~ILJPEGEncoder() override;

    // 1..100; 0 keeps libjpeg's default quality.
    void SetQuality(uint32_t quality) { m_quality = quality; }
    void SetOptimizeCoding(bool optimize) { m_optimizeCoding = optimize; }
    void SetSmoothingFactor(int factor) { m_smoothingFactor = factor; }
    // Dots per inch written instead of the bitmap's resolution; (0, 0) keeps the bitmap's.
    void SetDensity(uint32_t x, uint32_t y)
    {
        m_densityX = x;
        m_densityY = y;
    }
    // Copies the block; it is written with the next encode only.
    void SetExifData(const ILExif& exif);

protected:
    void DoEncode(const ILBmp& bmp, ILDataSink& sink) override;

private:
    // libjpeg's part of the encode, writing the EXIF block when one is given; false when
    // libjpeg gave up. Holds no objects with destructors: libjpeg's error exit leaves it
    // with longjmp.
    bool CompressWithLibjpeg(const ILBmp& bmp, ILDataSink& sink, const ILExif* exif);
    void SetParameters(const ILBmp& bmp);
    void EncodeRows(const ILBmp& bmp);

    jpeg_compress_struct m_compressor{};
    ILJPEGErrorManager m_errors{};
    bool m_created = false;
    uint32_t m_quality = 0;
    bool m_optimizeCoding = false;
    int m_smoothingFactor = 0;
    uint32_t m_densityX = 0;
    uint32_t m_densityY = 0;
    std::unique_ptr<ILExif> m_exif;
    std::optional<ILTextException> m_pending;
};
