#include "imaging/ilpngdecoder.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "imaging/ilanybmp.h"
#include "imaging/ilbmp.h"
#include "imaging/ilbmplock.h"
#include "imaging/ilboxreducer.h"
#include "imaging/ilcallbackguard.h"
#include "imaging/ildatasource.h"

namespace {

constexpr float kInchesPerMetre = 39.37f;

// Chunk lengths come from the file, and libpng allocates (and clears) what a chunk
// declares before it finds the data missing: a few bytes could claim 2 GB. Text, colour
// profiles and the like are far smaller; the image data is not buffered whole and has no
// such bound.
constexpr png_alloc_size_t kMaxChunkBytes = 8 * 1024 * 1024;
constexpr png_uint_32 kMaxAncillaryChunks = 1000;

// Deflate turns no fewer than one byte into 1032, so the rows of a picture can be no
// larger than this many times the bytes that remain; the slack covers the chunk framing.
constexpr std::int64_t kMaxDeflateRatio = 1032;
constexpr std::int64_t kSignatureBytes = 8;
constexpr std::int64_t kChunkHeaderBytes = 8;
constexpr std::int64_t kChunkCrcBytes = 4;
constexpr std::int64_t kRowSlack = 1024 * 1024;

int Channels(int colourType)
{
    switch (colourType) {
    case PNG_COLOR_TYPE_RGB: return 3;
    case PNG_COLOR_TYPE_GRAY_ALPHA: return 2;
    case PNG_COLOR_TYPE_RGB_ALPHA: return 4;
    default: return 1;
    }
}

void SetLimits(png_structp png)
{
    const auto side =
        static_cast<png_uint_32>(std::clamp<std::int64_t>(ILBmp::GetMaxPixels(), 1, PNG_UINT_31_MAX));
    png_set_user_limits(png, side, side);
    png_set_chunk_cache_max(png, kMaxAncillaryChunks);
    png_set_chunk_malloc_max(png, kMaxChunkBytes);
}

int DotsPerInch(png_uint_32 pixelsPerMetre)
{
    return static_cast<int>(static_cast<double>(pixelsPerMetre) / static_cast<double>(kInchesPerMetre) + 0.5);
}

}  // namespace

ILPNGDecoder::~ILPNGDecoder()
{
    DestroyStructs();
}

void ILPNGDecoder::Close()
{
    DestroyStructs();
    ILPicDecoder::Close();
}

void ILPNGDecoder::DestroyStructs()
{
    if (m_png) {
        png_destroy_read_struct(&m_png, m_info ? &m_info : nullptr, nullptr);
    }
    m_png = nullptr;
    m_info = nullptr;
    m_source = nullptr;
}

void ILPNGDecoder::Open(ILDataSource& source)
{
    DestroyStructs();
    m_pending.reset();
    m_message[0] = '\0';
    m_png = png_create_read_struct(PNG_LIBPNG_VER_STRING, this, ErrorHandler, WarningHandler);
    if (m_png) {
        m_info = png_create_info_struct(m_png);
    }
    if (!m_png || !m_info) {
        DestroyStructs();
        RaiseError(ILTextException::noMemory, "Out of memory.");
    }
    SetLimits(m_png);
    m_source = &source;
    m_streamPosition = 0;
    m_nextChunkAt = kSignatureBytes;
    if (!ReadHeaderWithLibpng()) {
        RaiseLibpngFailure();
    }
    const png_uint_32 width = png_get_image_width(m_png, m_info);
    const png_uint_32 height = png_get_image_height(m_png, m_info);
    if (static_cast<int64_t>(width) * height > ILBmp::GetMaxPixels()) {
        DestroyStructs();
        RaiseError(ILTextException::noMemory, "PNG image too large.");
    }
    // A few bytes may claim a picture of a gigabyte: the bitmap is made only for rows the
    // data can hold.
    const std::int64_t rowBytes = (static_cast<std::int64_t>(width) * Channels(m_colourType) * m_bitDepth + 7) / 8 + 1;
    if (rowBytes * height > kMaxDeflateRatio * source.GetBytesLeft() + kRowSlack) {
        DestroyStructs();
        RaiseError(ILTextException::endOfData, "PNG data is shorter than its size needs.");
    }
    const bool deep = IsDeep();
    const bool alpha = (m_colourType & PNG_COLOR_MASK_ALPHA) != 0;
    ILPoint resolution(0, 0);
    png_uint_32 xPerMetre = 0;
    png_uint_32 yPerMetre = 0;
    int unit = 0;
    if (png_get_pHYs(m_png, m_info, &xPerMetre, &yPerMetre, &unit) && unit == PNG_RESOLUTION_METER) {
        resolution = ILPoint(DotsPerInch(xPerMetre), DotsPerInch(yPerMetre));
    }
    SetBmpInfo(ILPoint(static_cast<int>(width), static_cast<int>(height)), deep ? 32 : 8, resolution, alpha,
               m_colourType == PNG_COLOR_TYPE_GRAY);
}

bool ILPNGDecoder::IsDeep() const
{
    return m_colourType == PNG_COLOR_TYPE_RGB || m_colourType == PNG_COLOR_TYPE_RGB_ALPHA ||
           m_colourType == PNG_COLOR_TYPE_GRAY_ALPHA;
}

bool ILPNGDecoder::ReadHeaderWithLibpng()
{
    if (setjmp(png_jmpbuf(m_png))) {
        return false;
    }
    png_set_read_fn(m_png, this, ReadData);
    png_read_info(m_png, m_info);
    m_bitDepth = png_get_bit_depth(m_png, m_info);
    m_colourType = png_get_color_type(m_png, m_info);
    SetTransformations();
    png_read_update_info(m_png, m_info);
    return true;
}

// A transparency chunk is not applied: its colours and entries stay opaque.
void ILPNGDecoder::SetTransformations()
{
    const bool deep = IsDeep();
    if (m_colourType == PNG_COLOR_TYPE_GRAY_ALPHA) {
        png_set_gray_to_rgb(m_png);
    }
    if (deep) {
        png_set_bgr(m_png);
    }
    if (m_colourType == PNG_COLOR_TYPE_RGB) {
        png_set_filler(m_png, 0xFF, PNG_FILLER_AFTER);
    }
    if (m_bitDepth == 16) {
        png_set_strip_16(m_png);
    } else if (m_bitDepth < 8) {
        png_set_packing(m_png);
    }
    png_set_interlace_handling(m_png);
}

template <class Target>
void ILPNGDecoder::SetPaletteOf(Target& target)
{
    if (m_colourType == PNG_COLOR_TYPE_GRAY) {
        const int count = std::min(1 << m_bitDepth, 256);
        for (int i = 0; i < count; ++i) {
            const auto grey = static_cast<uint8_t>(i * 255 / (count - 1));
            target.SetPaletteEntry(i, grey, grey, grey, 255);
        }
    } else if (m_colourType == PNG_COLOR_TYPE_PALETTE) {
        png_colorp entries = nullptr;
        int count = 0;
        if (png_get_PLTE(m_png, m_info, &entries, &count)) {
            count = std::min(count, target.GetNumColors());
            for (int i = 0; i < count; ++i) {
                target.SetPaletteEntry(i, entries[i].red, entries[i].green, entries[i].blue, 255);
            }
        }
    }
}

void ILPNGDecoder::GetImage(ILBmp& bmp)
{
    if (!m_png) {
        RaiseError(ILTextException::internalError, "PNG decoder: GetImage without Open.");
    }
    SetPaletteOf(bmp);
    if (png_get_rowbytes(m_png, m_info) > static_cast<size_t>(bmp.GetBytesPerLine())) {
        DestroyStructs();
        RaiseError(ILTextException::internalError, "PNG decoder: bitmap rows are too short.");
    }
    ILBmpLock lock(bmp, false, true);
    if (!ReadImageWithLibpng(bmp.GetLineArray())) {
        RaiseLibpngFailure();
    }
    DestroyStructs();
}

bool ILPNGDecoder::ReadImageWithLibpng(png_bytepp rows)
{
    if (setjmp(png_jmpbuf(m_png))) {
        return false;
    }
    png_read_image(m_png, rows);
    png_read_end(m_png, nullptr);
    return true;
}

bool ILPNGDecoder::GetReducedImage(ILBoxReducer& reducer)
{
    if (!m_png) {
        RaiseError(ILTextException::internalError, "PNG decoder: GetReducedImage without Open.");
    }
    if (png_get_interlace_type(m_png, m_info) != PNG_INTERLACE_NONE) {
        return false;
    }
    SetPaletteOf(reducer);
    const auto rowBytes = static_cast<std::int64_t>(png_get_rowbytes(m_png, m_info));
    if (rowBytes != ILAnyBmp::BytesPerLineFor(GetWidth(), GetBitsPerPixel())) {
        DestroyStructs();
        RaiseError(ILTextException::internalError, "PNG decoder: rows differ from the description.");
    }
    std::vector<std::uint8_t> row(static_cast<std::size_t>(rowBytes));
    if (!ReadRowsWithLibpng(row.data(), reducer)) {
        RaiseLibpngFailure();
    }
    DestroyStructs();
    return true;
}

bool ILPNGDecoder::ReadRowsWithLibpng(png_bytep row, ILBoxReducer& reducer)
{
    if (setjmp(png_jmpbuf(m_png))) {
        return false;
    }
    const png_uint_32 height = png_get_image_height(m_png, m_info);
    for (png_uint_32 y = 0; y < height; ++y) {
        png_read_row(m_png, row, nullptr);
        reducer.AddRow(row);
    }
    png_read_end(m_png, nullptr);
    return true;
}

void ILPNGDecoder::RaiseLibpngFailure()
{
    DestroyStructs();
    if (m_pending) {
        const ILTextException pending = *m_pending;
        m_pending.reset();
        throw pending;
    }
    RaiseError(ILTextException::badFormat, m_message);
}

void ILPNGDecoder::ReadData(png_structp png, png_bytep data, size_t length)
{
    auto* self = static_cast<ILPNGDecoder*>(png_get_io_ptr(png));
    const bool read = ILRunInCallback(self->m_pending, [&] {
        const uint8_t* bytes = self->m_source->ReadNBytes(static_cast<int64_t>(length));
        std::memcpy(data, bytes, length);
        self->CheckChunkHeader(bytes, length);
        return true;
    });
    if (!read) {
        png_error(png, "Read error");
    }
}

void ILPNGDecoder::CheckChunkHeader(const std::uint8_t* bytes, size_t length)
{
    const std::int64_t start = m_streamPosition;
    m_streamPosition += static_cast<std::int64_t>(length);
    // libpng reads each chunk's length and type in one piece; any other split stops the check.
    if (start != m_nextChunkAt || static_cast<std::int64_t>(length) != kChunkHeaderBytes) {
        if (start > m_nextChunkAt) {
            m_nextChunkAt = INT64_MAX;
        }
        return;
    }
    const std::int64_t declared = (std::int64_t{bytes[0]} << 24) | (bytes[1] << 16) | (bytes[2] << 8) | bytes[3];
    if (declared + kChunkCrcBytes > m_source->GetBytesLeft()) {
        throw ILTextException(ILTextException::endOfData, "PNG chunk is longer than the data that remains.");
    }
    m_nextChunkAt = m_streamPosition + declared + kChunkCrcBytes;
}

void ILPNGDecoder::ErrorHandler(png_structp png, png_const_charp message)
{
    auto* self = static_cast<ILPNGDecoder*>(png_get_error_ptr(png));
    std::snprintf(self->m_message, sizeof self->m_message, "%s", message ? message : "");
    png_longjmp(png, 1);
}

void ILPNGDecoder::WarningHandler(png_structp, png_const_charp)
{
}
