#pragma once
// ILTIFFDecoder: reads TIFF files through libtiff over the source's bytes. Bilevel
// images in strips decode to 1 bit, grey and palette images of up to 8 bits (with at
// most one extra sample) to 8 bits with a palette, everything else through libtiff's
// RGBA interface to 32 bits. RGB pictures with alpha keep their colours and alpha as
// stored (never multiplied together), whatever their sample size and plane layout.
//
// Failures (ILTextException): badFormat for every error libtiff reports; wrongSignature
// for a subformat the RGBA interface refuses; internalError for a row that cannot be
// read in the first third of the image; noMemory for an image above ILBmp::kMaxPixels or
// a buffer that cannot be allocated; endOfData, before any buffer of the picture's size is
// made, when the file is too short for the samples under its compression (JPEG: 512
// pixels a byte; fax, which codes a blank row in one bit, is capped at 131072 pixels a
// byte, 4096 when it decodes to 32 bits; codes without a known bound such as LZMA,
// Zstandard or WebP are capped at 32768 bytes of samples a byte).

#include <cstdint>
#include <memory>
#include <vector>

#include <tiffio.h>

#include "imaging/ilpicdecoder.h"
#include "imaging/ilpixel32.h"
#include "imaging/iltiffmemory.h"

class ILTIFFDecoder : public ILPicDecoder
{
public:
    ILTIFFDecoder();
    ~ILTIFFDecoder() override;

    void Open(ILDataSource& source) override;
    void GetImage(ILBmp& bmp) override;
    // Rows of at most 8 bits go to the reducer one at a time, 32-bit ones a strip or a row
    // of tiles at a time; 32-bit pictures whose rows are not stored top down, or whose
    // strips or tiles are taller than a band may be, are not (false).
    bool GetReducedImage(ILBoxReducer& reducer) override;
    // Closes the libtiff handle, then the base.
    void Close() override;

    // A tag query on the open file; false when the tag is absent or no file is open.
    template <typename... Args>
    [[nodiscard]] bool GetField(uint32_t tag, Args... values) const
    {
        return m_tif && TIFFGetField(m_tif, tag, values...) == 1;
    }

private:
    void CloseHandle();
    [[nodiscard]] ILPoint GetResolution() const;
    // How rows of at most 8 bits are read: the scanline they are read into and its layout.
    struct LoColorLayout
    {
        std::vector<uint8_t> scanline;
        int64_t rowBytes = 0;
        uint16_t bitsPerSample = 1;
        int sampleStride = 1;
    };

    void BeginRGBA(TIFFRGBAImage& image);
    void GetRGBA(TIFFRGBAImage& image, uint32_t* raster, uint32_t rows);
    static void CopyRasterRow(const uint32_t* in, ILPixel32* out, int width);
    // Reads the picture `band` rows at a time, top row first, and hands each row of
    // libtiff's raster words to takeRow(y, words).
    template <class TakeRow>
    void ReadTrueColor(uint32_t band, TakeRow takeRow);
    void DoTrueColor(ILBmp& bmp);
    [[nodiscard]] uint32_t BandRows() const;
    bool ReduceTrueColor(ILBoxReducer& reducer);
    LoColorLayout BeginLoColor(ILPixel32* palette) const;
    void ReadLoColorRow(int y, LoColorLayout& layout, uint8_t* row) const;
    void DoLoColor(ILBmp& bmp);
    void ReduceLoColor(ILBoxReducer& reducer);
    void MakeLoColorPalette(ILPixel32* palette, uint16_t bitsPerSample, uint16_t photometric) const;
    void UnpackRow(const uint8_t* scanline, uint8_t* row, uint16_t bitsPerSample, int sampleStride) const;

    static void KeepAlphaAsStored(TIFFRGBAImage& image);
    static void PutContigRGBA8(TIFFRGBAImage* image, uint32_t* raster, uint32_t x, uint32_t y, uint32_t width,
                               uint32_t height, int32_t fromSkew, int32_t toSkew, unsigned char* samples);
    static void PutContigRGBA16(TIFFRGBAImage* image, uint32_t* raster, uint32_t x, uint32_t y, uint32_t width,
                                uint32_t height, int32_t fromSkew, int32_t toSkew, unsigned char* samples);
    template <typename Sample>
    static void PutSeparateRGBA(TIFFRGBAImage* image, uint32_t* raster, uint32_t x, uint32_t y, uint32_t width,
                                uint32_t height, int32_t fromSkew, int32_t toSkew, unsigned char* red,
                                unsigned char* green, unsigned char* blue, unsigned char* alpha);

    TIFF* m_tif = nullptr;
    std::unique_ptr<ILTIFFMemory> m_memory;
};
