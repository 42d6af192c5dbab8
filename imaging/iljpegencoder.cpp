#include "imaging/iljpegencoder.h"

#include <algorithm>
#include <utility>

#include "imaging/ilanybmp.h"
#include "imaging/ilbmp.h"
#include "imaging/ilexif.h"

namespace {

constexpr int kRowsPerCall = 32;

}  // namespace

ILJPEGEncoder::ILJPEGEncoder()
{
    ILJPEGSetupErrors(m_errors, &m_pending);
    m_compressor.err = &m_errors.pub;
    if (setjmp(m_errors.jump) == 0) {
        jpeg_create_compress(&m_compressor);
        m_created = true;
    }
}

ILJPEGEncoder::~ILJPEGEncoder()
{
    if (m_created) {
        jpeg_destroy_compress(&m_compressor);
    }
}

void ILJPEGEncoder::SetExifData(const ILExif& exif)
{
    m_exif = std::make_unique<ILExif>(exif);
}

void ILJPEGEncoder::DoEncode(const ILBmp& bmp, ILDataSink& sink)
{
    // The block goes with this encode only, whether it succeeds or fails.
    const std::unique_ptr<ILExif> exif = std::move(m_exif);
    if (!m_created) {
        raiseError(ILTextException::noMemory, "Out of memory.");
    }
    std::unique_ptr<ILAnyBmp> converted;
    const ILBmp* rows = &bmp;
    if (bmp.GetBitsPerPixel() != 32) {
        // libjpeg takes the rows as 4-byte pixels; other depths are widened first.
        converted = std::make_unique<ILAnyBmp>();
        converted->CreateCopy(bmp, 32);
        rows = converted.get();
    }
    m_pending.reset();
    const bool compressed = CompressWithLibjpeg(*rows, sink, exif.get());
    if (!compressed) {
        jpeg_abort_compress(&m_compressor);
        ILJPEGRaiseFailure(m_errors);
    }
}

bool ILJPEGEncoder::CompressWithLibjpeg(const ILBmp& bmp, ILDataSink& sink, const ILExif* exif)
{
    if (setjmp(m_errors.jump)) {
        return false;
    }
    jpeg_sink_dest(&m_compressor, &sink);
    SetParameters(bmp);
    jpeg_start_compress(&m_compressor, TRUE);
    if (exif) {
        exif->WriteToMarker(&m_compressor);
    }
    EncodeRows(bmp);
    jpeg_finish_compress(&m_compressor);
    return true;
}

void ILJPEGEncoder::SetParameters(const ILBmp& bmp)
{
    m_compressor.image_width = static_cast<JDIMENSION>(bmp.GetWidth());
    m_compressor.image_height = static_cast<JDIMENSION>(bmp.GetHeight());
    m_compressor.input_components = 4;
    // The bitmap's own byte order: blue, green, red, and a fourth byte libjpeg ignores.
    m_compressor.in_color_space = JCS_EXT_BGRX;
    jpeg_set_defaults(&m_compressor);
    m_compressor.X_density = static_cast<UINT16>(bmp.GetResolution().x);
    m_compressor.Y_density = static_cast<UINT16>(bmp.GetResolution().y);
    m_compressor.dct_method = JDCT_FLOAT;
    if (m_quality != 0) {
        jpeg_set_quality(&m_compressor, static_cast<int>(std::min<uint32_t>(m_quality, 100)), TRUE);
    }
    m_compressor.optimize_coding = m_optimizeCoding ? TRUE : FALSE;
    m_compressor.smoothing_factor = std::clamp(m_smoothingFactor, 0, 100);
    if (m_densityX != 0 || m_densityY != 0) {
        m_compressor.density_unit = 1;
        m_compressor.X_density = static_cast<UINT16>(m_densityX);
        m_compressor.Y_density = static_cast<UINT16>(m_densityY);
    }
}

void ILJPEGEncoder::EncodeRows(const ILBmp& bmp)
{
    const auto rows = const_cast<JSAMPARRAY>(bmp.GetLineArray());
    const int height = bmp.GetHeight();
    int next = 0;
    while (next < height) {
        const int count = std::min(kRowsPerCall, height - next);
        const JDIMENSION written = jpeg_write_scanlines(&m_compressor, rows + next, static_cast<JDIMENSION>(count));
        if (written == 0) {
            break;
        }
        next += static_cast<int>(written);
    }
}
