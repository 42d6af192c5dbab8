#include "imaging/ilpngencoder.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "imaging/ilbmp.h"
#include "imaging/ilcallbackguard.h"
#include "imaging/ildatasink.h"

namespace {

constexpr float kInchesPerMetre = 39.37f;

// PNG holds at most 2^31 - 1 pixels per metre; other values are written as unknown (0).
png_uint_32 PixelsPerMetre(int dotsPerInch)
{
    const double perMetre = static_cast<double>(dotsPerInch) * static_cast<double>(kInchesPerMetre);
    return perMetre >= 1.0 && perMetre < 2147483648.0 ? static_cast<png_uint_32>(perMetre) : 0;
}

}  // namespace

void ILPNGEncoder::DoEncode(const ILBmp& bmp, ILDataSink& sink)
{
    const int depth = bmp.GetBitsPerPixel();
    if (depth != 1 && depth != 8 && depth != 24 && depth != 32) {
        raiseError(ILTextException::notSupported, "PNG encoder: only 1, 8, 24 and 32 bits per pixel are written.");
    }
    // libpng makes its structures on the heap; when it cannot, nothing could be written.
    png_structp png = m_allocate && m_release
                          ? png_create_write_struct_2(PNG_LIBPNG_VER_STRING, this, ErrorHandler, WarningHandler, this,
                                                      m_allocate, m_release)
                          : png_create_write_struct(PNG_LIBPNG_VER_STRING, this, ErrorHandler, WarningHandler);
    if (!png) {
        raiseError(ILTextException::noMemory, "Out of memory.");
    }
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        raiseError(ILTextException::noMemory, "Out of memory.");
    }
    m_bmp = &bmp;
    m_sink = &sink;
    m_pending.reset();
    m_message[0] = '\0';
    const bool written = WriteWithLibpng(png, info);
    png_destroy_write_struct(&png, &info);
    m_bmp = nullptr;
    m_sink = nullptr;
    if (!written) {
        if (m_pending) {
            const ILTextException pending = *m_pending;
            m_pending.reset();
            throw pending;
        }
        raiseError(ILTextException::notSupported, m_message);
    }
}

bool ILPNGEncoder::WriteWithLibpng(png_structp png, png_infop info)
{
    if (setjmp(png_jmpbuf(png))) {
        return false;
    }
    png_set_compression_level(png, m_compressionLevel);
    png_set_write_fn(png, this, WriteData, FlushData);
    SetHeader(png, info);
    png_write_info(png, info);
    SetupTransformations(png);
    png_write_image(png, const_cast<png_bytepp>(m_bmp->GetLineArray()));
    png_write_end(png, info);
    return true;
}

void ILPNGEncoder::SetHeader(png_structp png, png_infop info)
{
    const ILBmp& bmp = *m_bmp;
    const int depth = bmp.GetBitsPerPixel();
    int bitDepth = 8;
    int colourType = PNG_COLOR_TYPE_PALETTE;
    if (depth == 1) {
        bitDepth = 1;
        colourType = PNG_COLOR_TYPE_GRAY;
    } else if (depth > 8) {
        colourType = bmp.HasAlpha() ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB;
    }
    png_set_IHDR(png, info, static_cast<png_uint_32>(bmp.GetWidth()), static_cast<png_uint_32>(bmp.GetHeight()),
                 bitDepth, colourType, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (colourType == PNG_COLOR_TYPE_PALETTE) {
        MakePalette(png, info);
    }
    png_color_8 significant = {};
    significant.red = significant.green = significant.blue = significant.gray = static_cast<png_byte>(bitDepth);
    significant.alpha = bmp.HasAlpha() ? 8 : 0;
    png_set_sBIT(png, info, &significant);
    const ILPoint& resolution = bmp.GetResolution();
    if (resolution.x != 0) {
        png_set_pHYs(png, info, PixelsPerMetre(resolution.x), PixelsPerMetre(resolution.y), PNG_RESOLUTION_METER);
    } else {
        png_set_pHYs(png, info, 0, 0, PNG_RESOLUTION_UNKNOWN);
    }
}

// Only the palette's own entries are read: a bitmap's palette holds 2^depth of them. No
// transparency chunk is written: a palette's alpha is not kept.
void ILPNGEncoder::MakePalette(png_structp png, png_infop info)
{
    const ILPixel32* entries = m_bmp->GetPalette();
    const int count = entries ? std::min(m_bmp->GetNumColors(), 256) : 0;
    for (int i = 0; i < 256; ++i) {
        m_palette[i] = i < count ? png_color{entries[i].r, entries[i].g, entries[i].b} : png_color{0, 0, 0};
    }
    png_set_PLTE(png, info, m_palette, 256);
}

void ILPNGEncoder::SetupTransformations(png_structp png)
{
    if (m_bmp->GetBitsPerPixel() == 32 && !m_bmp->HasAlpha()) {
        png_set_filler(png, 0, PNG_FILLER_AFTER);
    }
    png_set_bgr(png);
}

void ILPNGEncoder::WriteData(png_structp png, png_bytep data, size_t length)
{
    auto* self = static_cast<ILPNGEncoder*>(png_get_io_ptr(png));
    const bool written =
        ILRunInCallback(self->m_pending, [&] { return self->m_sink->WriteNBytes(length, data) >= length; });
    if (!written) {
        png_error(png, "Error writting file");
    }
}

void ILPNGEncoder::FlushData(png_structp)
{
}

void ILPNGEncoder::ErrorHandler(png_structp png, png_const_charp message)
{
    auto* self = static_cast<ILPNGEncoder*>(png_get_error_ptr(png));
    std::snprintf(self->m_message, sizeof self->m_message, "%s", message ? message : "");
    png_longjmp(png, 1);
}

void ILPNGEncoder::WarningHandler(png_structp, png_const_charp)
{
}
