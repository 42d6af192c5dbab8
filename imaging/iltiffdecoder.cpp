#include "imaging/iltiffdecoder.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "imaging/ilbmp.h"
#include "imaging/ilboxreducer.h"
#include "imaging/ilbmplock.h"
#include "imaging/ildatasource.h"
#include "imaging/iltextexception.h"
#include "imaging/iltrace.h"

namespace {

struct RGBAImageEnder
{
    void operator()(TIFFRGBAImage* image) const { TIFFRGBAImageEnd(image); }
};

// libtiff's raster word: red in the low byte, alpha in the high one.
uint32_t Pack(uint8_t red, uint8_t green, uint8_t blue, uint8_t alpha)
{
    return static_cast<uint32_t>(red) | (static_cast<uint32_t>(green) << 8) | (static_cast<uint32_t>(blue) << 16) |
           (static_cast<uint32_t>(alpha) << 24);
}

uint8_t To8(uint8_t sample)
{
    return sample;
}

// 16-bit samples round to 8 bits as libtiff rounds them for pictures without alpha.
uint8_t To8(uint16_t sample)
{
    return static_cast<uint8_t>((sample + 128) / 257);
}

// No compression turns fewer bytes into more than this many (run lengths 64, LZW codes
// of 9 bits naming up to 4096 bytes, deflate 1032); 0 where the bitmap is bounded instead.
// The other codes (LZMA, Zstandard, WebP, JBIG and the rest) have no useful bound: there
// it is a cap, eight times what Zstandard makes of a solid picture.
int64_t MaxExpansion(uint16_t compression)
{
    switch (compression) {
    case COMPRESSION_NONE: return 1;
    case COMPRESSION_PACKBITS: return 64;
    case COMPRESSION_LZW: return 4096 * 8 / 9 + 1;
    case COMPRESSION_ADOBE_DEFLATE:
    case COMPRESSION_DEFLATE: return 1032;
    case COMPRESSION_CCITTRLE:
    case COMPRESSION_CCITTRLEW:
    case COMPRESSION_CCITTFAX3:
    case COMPRESSION_CCITTFAX4:
    case COMPRESSION_OJPEG:
    case COMPRESSION_JPEG: return 0;
    default: return 32768;
    }
}

// The tables and framing of the file count against it; this covers them.
constexpr int64_t kSampleSlack = 1024 * 1024;

// Codes that bound the bitmap rather than the samples; 0 for the others. A JPEG block of
// 64 pixels costs at least one bit of Huffman code: 512 pixels a byte, 2048 bytes of a
// 32-bit bitmap. A fax row costs as little as one bit whatever its width, so there the
// bound is a cap: 131072 pixels a byte at one bit a pixel (a blank page at 1200 dpi needs
// about 80000), 4096 when the picture decodes to 32 bits.
int64_t MaxBitmapBytesPerByte(uint16_t compression)
{
    switch (compression) {
    case COMPRESSION_CCITTRLE:
    case COMPRESSION_CCITTRLEW:
    case COMPRESSION_CCITTFAX3:
    case COMPRESSION_CCITTFAX4: return 16384;
    case COMPRESSION_OJPEG:
    case COMPRESSION_JPEG: return 2048;
    default: return 0;
    }
}

// What a band of 32-bit rows, read at a time while a picture is shrunk, may take.
constexpr int64_t kMaxBandBytes = 64 * 1024 * 1024;

std::vector<uint8_t> AllocateBuffer(size_t bytes)
{
    try {
        return std::vector<uint8_t>(bytes);
    } catch (const std::bad_alloc&) {
        ILRaiseError(ILTextException::noMemory, "Out of memory allocating TIFF buffer.");
    }
}

}  // namespace

ILTIFFDecoder::ILTIFFDecoder() = default;

ILTIFFDecoder::~ILTIFFDecoder()
{
    CloseHandle();
}

void ILTIFFDecoder::CloseHandle()
{
    if (m_tif) {
        TIFFClose(m_tif);
        m_tif = nullptr;
    }
    m_memory.reset();
}

void ILTIFFDecoder::Close()
{
    CloseHandle();
    ILPicDecoder::Close();
}

void ILTIFFDecoder::Open(ILDataSource& source)
{
    CloseHandle();
    const int64_t size = source.GetBytesLeft();
    const uint8_t* data = source.ReadEverything();
    m_memory = std::make_unique<ILTIFFMemory>();
    m_tif = TIFFOpenMem(data, static_cast<size_t>(size), *m_memory);
    if (!m_tif) {
        const ILTIFFErrorState errors = m_memory->errors;
        CloseHandle();
        ILTIFFRaiseIfFailed(errors);
        RaiseError(ILTextException::wrongSignature, "Not a TIFF file.");
    }
    try {
        uint32_t width = 0;
        uint32_t height = 0;
        uint16_t bitsPerSample = 1;
        uint16_t samplesPerPixel = 1;
        uint16_t photometric = PHOTOMETRIC_MINISWHITE;
        TIFFGetField(m_tif, TIFFTAG_IMAGEWIDTH, &width);
        TIFFGetField(m_tif, TIFFTAG_IMAGELENGTH, &height);
        TIFFGetFieldDefaulted(m_tif, TIFFTAG_BITSPERSAMPLE, &bitsPerSample);
        TIFFGetFieldDefaulted(m_tif, TIFFTAG_SAMPLESPERPIXEL, &samplesPerPixel);
        TIFFGetFieldDefaulted(m_tif, TIFFTAG_PHOTOMETRIC, &photometric);
        ILTIFFRaiseIfFailed(m_memory->errors);
        if (width == 0 || height == 0 || width > static_cast<uint32_t>(ILBmp::GetMaxPixels()) ||
            static_cast<int64_t>(width) * height > ILBmp::GetMaxPixels()) {
            RaiseError(width == 0 || height == 0 ? ILTextException::badFormat : ILTextException::noMemory,
                       "TIFF image size not supported.");
        }
        // A few bytes may claim a gigabyte: the buffers are made only for samples the file can hold.
        uint16_t compression = COMPRESSION_NONE;
        TIFFGetFieldDefaulted(m_tif, TIFFTAG_COMPRESSION, &compression);
        const int64_t expansion = MaxExpansion(compression);
        const int64_t sampleBytes = (static_cast<int64_t>(width) * samplesPerPixel * bitsPerSample + 7) / 8 * height;
        if (expansion > 0 && sampleBytes > expansion * size + kSampleSlack) {
            RaiseError(ILTextException::endOfData, "TIFF data is shorter than its size needs.");
        }
        int depth = 32;
        if (!TIFFIsTiled(m_tif)) {
            if (samplesPerPixel == 1 && bitsPerSample == 1) {
                depth = 1;
            } else if (samplesPerPixel < 3 && bitsPerSample <= 8) {
                depth = 8;
            }
        }
        const int64_t bitmapBytesPerByte = MaxBitmapBytesPerByte(compression);
        if (bitmapBytesPerByte > 0 &&
            static_cast<int64_t>(width) * height * depth / 8 > bitmapBytesPerByte * size + kSampleSlack) {
            RaiseError(ILTextException::endOfData,
                       "TIFF data is too short for the picture size under its compression.");
        }
        const bool grey = photometric == PHOTOMETRIC_MINISWHITE || photometric == PHOTOMETRIC_MINISBLACK;
        const bool alpha = samplesPerPixel == 4 && (grey || photometric == PHOTOMETRIC_RGB ||
                                                    photometric == PHOTOMETRIC_PALETTE);
        SetBmpInfo(ILPoint(static_cast<int>(width), static_cast<int>(height)), depth, GetResolution(), alpha, grey);
    } catch (...) {
        CloseHandle();
        throw;
    }
}

ILPoint ILTIFFDecoder::GetResolution() const
{
    float x = 0.0f;
    float y = 0.0f;
    uint16_t unit = RESUNIT_INCH;
    // Values below 1 (and a rational that is not a number) mean no resolution.
    if (!TIFFGetField(m_tif, TIFFTAG_XRESOLUTION, &x) || !(x >= 1.0f)) {
        x = 0.0f;
    }
    if (!TIFFGetField(m_tif, TIFFTAG_YRESOLUTION, &y) || !(y >= 1.0f)) {
        y = 0.0f;
    }
    TIFFGetFieldDefaulted(m_tif, TIFFTAG_RESOLUTIONUNIT, &unit);
    if (unit == RESUNIT_CENTIMETER) {
        x *= 2.54f;
        y *= 2.54f;
    } else if (unit != RESUNIT_INCH) {
        return ILPoint(0, 0);  // no absolute unit: the values are only an aspect ratio
    }
    const auto toInt = [](float v) { return static_cast<int>(std::min(v + 0.5f, 2147483520.0f)); };
    return ILPoint(toInt(x), toInt(y));
}

void ILTIFFDecoder::GetImage(ILBmp& bmp)
{
    if (!m_tif) {
        RaiseError(ILTextException::internalError, "TIFF decoder: GetImage without Open.");
    }
    if (GetBitsPerPixel() != 32) {
        DoLoColor(bmp);
    } else {
        DoTrueColor(bmp);
    }
}

// Stops at the first strip or tile that cannot be read, rather than leave its rows as
// garbage; errors libtiff reports but reads past do not end the image.
void ILTIFFDecoder::BeginRGBA(TIFFRGBAImage& image)
{
    char message[1024] = {};
    m_memory->errors.Reset();
    if (!TIFFRGBAImageOK(m_tif, message) || !TIFFRGBAImageBegin(&image, m_tif, 1, message)) {
        RaiseError(ILTextException::wrongSignature, "TIFF subformat not supported.");
    }
    KeepAlphaAsStored(image);
}

void ILTIFFDecoder::GetRGBA(TIFFRGBAImage& image, uint32_t* raster, uint32_t rows)
{
    if (!TIFFRGBAImageGet(&image, raster, static_cast<uint32_t>(GetWidth()), rows)) {
        ILTIFFRaiseIfFailed(m_memory->errors);
        RaiseError(ILTextException::wrongSignature, "TIFF subformat not supported.");
    }
}

void ILTIFFDecoder::CopyRasterRow(const uint32_t* in, ILPixel32* out, int width)
{
    for (int x = 0; x < width; ++x) {
        out[x] = ILPixel32(static_cast<uint8_t>(TIFFGetR(in[x])), static_cast<uint8_t>(TIFFGetG(in[x])),
                           static_cast<uint8_t>(TIFFGetB(in[x])), static_cast<uint8_t>(TIFFGetA(in[x])));
    }
}

// libtiff turns the rows to run top down; a band starts at a stored row, so a picture
// stored another way round is read in one band (BandRows).
template <class TakeRow>
void ILTIFFDecoder::ReadTrueColor(uint32_t band, TakeRow takeRow)
{
    TIFFRGBAImage image{};
    BeginRGBA(image);
    std::unique_ptr<TIFFRGBAImage, RGBAImageEnder> ender(&image);
    image.req_orientation = ORIENTATION_TOPLEFT;
    const int width = GetWidth();
    const auto height = static_cast<uint32_t>(GetHeight());
    std::vector<uint8_t> buffer = AllocateBuffer(static_cast<size_t>(width) * band * 4);
    auto* raster = reinterpret_cast<uint32_t*>(buffer.data());
    for (uint32_t top = 0; top < height; top += band) {
        const uint32_t rows = std::min(band, height - top);
        image.row_offset = static_cast<int>(top);
        GetRGBA(image, raster, rows);
        for (uint32_t y = 0; y < rows; ++y) {
            takeRow(static_cast<int>(top + y), raster + static_cast<size_t>(y) * static_cast<size_t>(width));
        }
    }
}

void ILTIFFDecoder::DoTrueColor(ILBmp& bmp)
{
    ILBmpLock lock(bmp, false, true);
    uint8_t* const* rows = bmp.GetLineArray();
    const int width = GetWidth();
    ReadTrueColor(static_cast<uint32_t>(GetHeight()), [&](int y, const uint32_t* in) {
        CopyRasterRow(in, reinterpret_cast<ILPixel32*>(rows[y]), width);
    });
}

// The rows of one strip, or of one row of tiles; 0 when a band of them would cost more
// than the picture may while it is shrunk, or when the stored rows do not run top down.
uint32_t ILTIFFDecoder::BandRows() const
{
    uint16_t orientation = ORIENTATION_TOPLEFT;
    TIFFGetFieldDefaulted(m_tif, TIFFTAG_ORIENTATION, &orientation);
    uint32_t rows = 0;
    if (TIFFIsTiled(m_tif)) {
        TIFFGetField(m_tif, TIFFTAG_TILELENGTH, &rows);
    } else {
        TIFFGetFieldDefaulted(m_tif, TIFFTAG_ROWSPERSTRIP, &rows);
    }
    rows = std::min(rows, static_cast<uint32_t>(GetHeight()));
    if (orientation != ORIENTATION_TOPLEFT || static_cast<int64_t>(rows) * GetWidth() * 4 > kMaxBandBytes) {
        return 0;
    }
    return rows;
}

// Reads whole strips (or rows of tiles) at a time, top down, so that none is decoded twice.
bool ILTIFFDecoder::ReduceTrueColor(ILBoxReducer& reducer)
{
    const uint32_t band = BandRows();
    if (band == 0) {
        return false;
    }
    const int width = GetWidth();
    std::vector<ILPixel32> row(static_cast<size_t>(width));
    ReadTrueColor(band, [&](int, const uint32_t* in) {
        CopyRasterRow(in, row.data(), width);
        reducer.AddRow(reinterpret_cast<const uint8_t*>(row.data()));
    });
    return true;
}

bool ILTIFFDecoder::GetReducedImage(ILBoxReducer& reducer)
{
    if (!m_tif) {
        RaiseError(ILTextException::internalError, "TIFF decoder: GetReducedImage without Open.");
    }
    if (GetBitsPerPixel() != 32) {
        ReduceLoColor(reducer);
        return true;
    }
    return ReduceTrueColor(reducer);
}

// libtiff multiplies unassociated alpha into the colours; the bitmap keeps colours and
// alpha apart, so RGB pixels with alpha are copied as stored, in every layout. Associated
// alpha is stored multiplied already, and libtiff copies it unchanged as well.
void ILTIFFDecoder::KeepAlphaAsStored(TIFFRGBAImage& image)
{
    if (image.photometric != PHOTOMETRIC_RGB || image.alpha == 0 || image.samplesperpixel < 4) {
        return;
    }
    if (image.bitspersample == 8) {
        if (image.isContig) {
            image.put.contig = PutContigRGBA8;
        } else {
            image.put.separate = PutSeparateRGBA<uint8_t>;
        }
    } else if (image.bitspersample == 16) {
        if (image.isContig) {
            image.put.contig = PutContigRGBA16;
        } else {
            image.put.separate = PutSeparateRGBA<uint16_t>;
        }
    }
}

void ILTIFFDecoder::PutContigRGBA16(TIFFRGBAImage* image, uint32_t* raster, uint32_t, uint32_t, uint32_t width,
                                    uint32_t height, int32_t fromSkew, int32_t toSkew, unsigned char* samples)
{
    const int perPixel = image->samplesperpixel;
    const auto* in = reinterpret_cast<const uint16_t*>(samples);
    fromSkew *= perPixel;
    for (; height > 0; --height) {
        for (uint32_t x = width; x > 0; --x) {
            *raster++ = Pack(To8(in[0]), To8(in[1]), To8(in[2]), To8(in[3]));
            in += perPixel;
        }
        raster += toSkew;
        in += fromSkew;
    }
}

template <typename Sample>
void ILTIFFDecoder::PutSeparateRGBA(TIFFRGBAImage*, uint32_t* raster, uint32_t, uint32_t, uint32_t width,
                                    uint32_t height, int32_t fromSkew, int32_t toSkew, unsigned char* red,
                                    unsigned char* green, unsigned char* blue, unsigned char* alpha)
{
    const auto* r = reinterpret_cast<const Sample*>(red);
    const auto* g = reinterpret_cast<const Sample*>(green);
    const auto* b = reinterpret_cast<const Sample*>(blue);
    const auto* a = reinterpret_cast<const Sample*>(alpha);
    for (; height > 0; --height) {
        for (uint32_t x = width; x > 0; --x) {
            *raster++ = Pack(To8(*r++), To8(*g++), To8(*b++), To8(*a++));
        }
        raster += toSkew;
        r += fromSkew;
        g += fromSkew;
        b += fromSkew;
        a += fromSkew;
    }
}

void ILTIFFDecoder::PutContigRGBA8(TIFFRGBAImage* image, uint32_t* raster, uint32_t, uint32_t, uint32_t width,
                                   uint32_t height, int32_t fromSkew, int32_t toSkew, unsigned char* samples)
{
    const int perPixel = image->samplesperpixel;
    fromSkew *= perPixel;
    for (; height > 0; --height) {
        for (uint32_t x = width; x > 0; --x) {
            *raster++ = Pack(samples[0], samples[1], samples[2], samples[3]);
            samples += perPixel;
        }
        raster += toSkew;
        samples += fromSkew;
    }
}

ILTIFFDecoder::LoColorLayout ILTIFFDecoder::BeginLoColor(ILPixel32* palette) const
{
    uint16_t bitsPerSample = 1;
    uint16_t samplesPerPixel = 1;
    uint16_t photometric = PHOTOMETRIC_MINISWHITE;
    uint16_t planar = PLANARCONFIG_CONTIG;
    TIFFGetFieldDefaulted(m_tif, TIFFTAG_BITSPERSAMPLE, &bitsPerSample);
    TIFFGetFieldDefaulted(m_tif, TIFFTAG_SAMPLESPERPIXEL, &samplesPerPixel);
    TIFFGetFieldDefaulted(m_tif, TIFFTAG_PHOTOMETRIC, &photometric);
    TIFFGetFieldDefaulted(m_tif, TIFFTAG_PLANARCONFIG, &planar);
    if (photometric != PHOTOMETRIC_MINISWHITE && photometric != PHOTOMETRIC_MINISBLACK &&
        photometric != PHOTOMETRIC_PALETTE) {
        Trace(2, "unexpected PhotometricInterpretation, default to PHOTOMETRIC_MINISWHITE");
        photometric = PHOTOMETRIC_MINISWHITE;
    }
    if (bitsPerSample != 1 && bitsPerSample != 2 && bitsPerSample != 4 && bitsPerSample != 8) {
        RaiseError(ILTextException::wrongSignature, "TIFF subformat not supported.");
    }
    LoColorLayout layout;
    layout.bitsPerSample = bitsPerSample;
    layout.sampleStride = planar == PLANARCONFIG_SEPARATE ? 1 : samplesPerPixel;
    layout.rowBytes = (static_cast<int64_t>(GetWidth()) * layout.sampleStride * bitsPerSample + 7) / 8;
    const tmsize_t scanlineSize = TIFFScanlineSize(m_tif);
    if (scanlineSize < layout.rowBytes) {
        ILTIFFRaiseIfFailed(m_memory->errors);
        RaiseError(ILTextException::badFormat, "TIFF scanline shorter than its row.");
    }
    layout.scanline = AllocateBuffer(static_cast<size_t>(scanlineSize));
    MakeLoColorPalette(palette, bitsPerSample, photometric);
    return layout;
}

// A row that fails in the first third of the picture ends it; further down the row keeps
// the bytes the scanline held before.
void ILTIFFDecoder::ReadLoColorRow(int y, LoColorLayout& layout, uint8_t* row) const
{
    m_memory->errors.Reset();
    if (TIFFReadScanline(m_tif, layout.scanline.data(), static_cast<uint32_t>(y), 0) < 0 && y < GetHeight() / 3) {
        RaiseError(ILTextException::internalError, m_memory->errors.message);
    }
    if (GetBitsPerPixel() == 1) {
        std::memcpy(row, layout.scanline.data(), static_cast<size_t>(layout.rowBytes));
    } else {
        UnpackRow(layout.scanline.data(), row, layout.bitsPerSample, layout.sampleStride);
    }
}

void ILTIFFDecoder::DoLoColor(ILBmp& bmp)
{
    ILPixel32 palette[256];
    LoColorLayout layout = BeginLoColor(palette);
    {
        ILBmpLock lock(bmp, false, true);
        uint8_t* const* rows = bmp.GetLineArray();
        for (int y = 0; y < GetHeight(); ++y) {
            ReadLoColorRow(y, layout, rows[y]);
        }
    }
    bmp.SetPalette(palette);
}

void ILTIFFDecoder::ReduceLoColor(ILBoxReducer& reducer)
{
    ILPixel32 palette[256];
    LoColorLayout layout = BeginLoColor(palette);
    reducer.SetPalette(palette);
    std::vector<uint8_t> row = AllocateBuffer(static_cast<size_t>(reducer.GetRowBytes()));
    for (int y = 0; y < GetHeight(); ++y) {
        ReadLoColorRow(y, layout, row.data());
        reducer.AddRow(row.data());
    }
}

void ILTIFFDecoder::UnpackRow(const uint8_t* scanline, uint8_t* row, uint16_t bitsPerSample, int sampleStride) const
{
    const int width = GetWidth();
    if (bitsPerSample == 8 && sampleStride == 1) {
        std::memcpy(row, scanline, static_cast<size_t>(width));
        return;
    }
    const unsigned mask = (1u << bitsPerSample) - 1;
    for (int x = 0; x < width; ++x) {
        const int64_t bit = static_cast<int64_t>(x) * sampleStride * bitsPerSample;
        const int shift = 8 - bitsPerSample - static_cast<int>(bit & 7);
        row[x] = static_cast<uint8_t>((scanline[bit >> 3] >> shift) & mask);
    }
}

void ILTIFFDecoder::MakeLoColorPalette(ILPixel32* palette, uint16_t bitsPerSample, uint16_t photometric) const
{
    const int count = 1 << bitsPerSample;
    std::fill(palette, palette + 256, ILPixel32(0, 0, 0, 255));
    uint16_t* red = nullptr;
    uint16_t* green = nullptr;
    uint16_t* blue = nullptr;
    if (photometric == PHOTOMETRIC_PALETTE && TIFFGetField(m_tif, TIFFTAG_COLORMAP, &red, &green, &blue)) {
        // Maps whose values all fit in 8 bits were written unscaled.
        bool wide = false;
        for (int i = 0; i < count; ++i) {
            wide = wide || red[i] >= 256 || green[i] >= 256 || blue[i] >= 256;
        }
        const auto scale = [wide](uint16_t v) { return static_cast<uint8_t>(wide ? v * 255 / 65535 : v); };
        for (int i = 0; i < count; ++i) {
            palette[i] = ILPixel32(scale(red[i]), scale(green[i]), scale(blue[i]), 255);
        }
        return;
    }
    const int step = 255 / (count - 1);
    for (int i = 0; i < count; ++i) {
        const auto grey = static_cast<uint8_t>(step * i);
        palette[photometric == PHOTOMETRIC_MINISWHITE ? count - 1 - i : i] = ILPixel32(grey, grey, grey, 255);
    }
}
