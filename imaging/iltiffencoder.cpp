#include "imaging/iltiffencoder.h"

#include <memory>
#include <vector>

#include "imaging/ilbmp.h"
#include "imaging/ildatasink.h"
#include "imaging/ilpixel16.h"
#include "imaging/iltextexception.h"
#include "imaging/iltiffmemory.h"

namespace {

struct TiffCloser
{
    void operator()(TIFF* tif) const { TIFFClose(tif); }
};

int SamplesPerPixel(const ILBmp& bmp)
{
    if (bmp.GetBitsPerPixel() <= 8) {
        return 1;
    }
    return bmp.HasAlpha() && bmp.GetBitsPerPixel() == 32 ? 4 : 3;
}

// One bitmap row of 16, 24 or 32 bits as red, green, blue (and alpha) samples.
void ToSamples(const ILBmp& bmp, const uint8_t* in, uint8_t* out, int samples)
{
    const int width = bmp.GetWidth();
    const int depth = bmp.GetBitsPerPixel();
    for (int x = 0; x < width; ++x, out += samples) {
        if (depth == 16) {
            const ILPixel16 p(static_cast<uint16_t>(in[2 * x] | (in[2 * x + 1] << 8)));
            out[0] = p.GetR();
            out[1] = p.GetG();
            out[2] = p.GetB();
        } else {
            const uint8_t* p = in + x * (depth / 8);
            out[0] = p[2];
            out[1] = p[1];
            out[2] = p[0];
            if (samples == 4) {
                out[3] = p[3];
            }
        }
    }
}

}  // namespace

void ILTIFFEncoder::DoEncode(const ILBmp& bmp, ILDataSink& sink)
{
    // libtiff rewrites its header after the directory is known, so the file is built in
    // memory first and handed to the sink whole.
    std::vector<uint8_t> file;
    ILTIFFMemory memory;
    {
        std::unique_ptr<TIFF, TiffCloser> tif(TIFFOpenMem(file, memory));
        if (!tif) {
            ILTIFFRaiseIfFailed(memory.errors);
            raiseError(ILTextException::badFormat, "TIFF encoder: libtiff could not start the file.");
        }
        SetBaseTags(tif.get(), bmp);
        ILTIFFRaiseIfFailed(memory.errors);
        DoTiffEncode(bmp, tif.get());
        ILTIFFRaiseIfFailed(memory.errors);
    }
    ILTIFFRaiseIfFailed(memory.errors);  // the directory is written on close
    sink.WriteNBytes(file.size(), file.data());
}

void ILTIFFEncoder::SetBaseTags(TIFF* tif, const ILBmp& bmp) const
{
    const int depth = bmp.GetBitsPerPixel();
    const int samples = SamplesPerPixel(bmp);
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, static_cast<uint32_t>(bmp.GetWidth()));
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, static_cast<uint32_t>(bmp.GetHeight()));
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, static_cast<uint16_t>(depth > 8 ? 8 : depth));
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, static_cast<uint16_t>(samples));
    if (samples == 4) {
        // The bitmap's colours are not multiplied by alpha.
        const uint16_t extra = EXTRASAMPLE_UNASSALPHA;
        TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, &extra);
    }
    TIFFSetField(tif, TIFFTAG_COMPRESSION, m_compression);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_XRESOLUTION, static_cast<double>(bmp.GetResolution().x));
    TIFFSetField(tif, TIFFTAG_YRESOLUTION, static_cast<double>(bmp.GetResolution().y));
    TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
    if (depth == 1) {
        const ILPixel32* p = bmp.GetPalette();
        const bool blackIsZero = p && p[0].r < p[1].r && p[0].g < p[1].g && p[0].b < p[1].b;
        TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, blackIsZero ? PHOTOMETRIC_MINISBLACK : PHOTOMETRIC_MINISWHITE);
    } else if (depth == 8) {
        TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_PALETTE);
    } else {
        TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    }
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(tif, 0));
}

void ILTIFFEncoder::DoTiffEncode(const ILBmp& bmp, TIFF* tif)
{
    const int depth = bmp.GetBitsPerPixel();
    const uint8_t* const* rows = bmp.GetLineArray();
    const int height = bmp.GetHeight();
    if (depth <= 8) {
        if (depth == 8) {
            WriteColourMap(tif, bmp);
        }
        for (int y = 0; y < height; ++y) {
            WriteRow(tif, rows[y], y);
        }
        return;
    }
    const int samples = SamplesPerPixel(bmp);
    std::vector<uint8_t> row(static_cast<size_t>(bmp.GetWidth()) * samples);
    for (int y = 0; y < height; ++y) {
        ToSamples(bmp, rows[y], row.data(), samples);
        WriteRow(tif, row.data(), y);
    }
}

// The map holds the 8-bit components as they are (0..255); readers of this library's
// files recognise such maps.
void ILTIFFEncoder::WriteColourMap(TIFF* tif, const ILBmp& bmp) const
{
    uint16_t red[256] = {};
    uint16_t green[256] = {};
    uint16_t blue[256] = {};
    if (const ILPixel32* p = bmp.GetPalette()) {
        for (int i = 0; i < 256; ++i) {
            red[i] = p[i].r;
            green[i] = p[i].g;
            blue[i] = p[i].b;
        }
    }
    TIFFSetField(tif, TIFFTAG_COLORMAP, red, green, blue);
}

void ILTIFFEncoder::WriteRow(TIFF* tif, const uint8_t* row, int y) const
{
    if (TIFFWriteScanline(tif, const_cast<uint8_t*>(row), static_cast<uint32_t>(y), 0) < 0) {
        ILTIFFRaiseIfFailed(static_cast<ILTIFFMemory*>(TIFFClientdata(tif))->errors);
        raiseError(ILTextException::badFormat, "TIFF encoder: a row could not be written.");
    }
}
