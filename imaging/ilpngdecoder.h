#pragma once
// ILPNGDecoder: reads PNG images through libpng. Grey and palette images decode to 8
// bits with a palette, RGB and images with alpha to 32 bits; 16-bit samples are cut to 8
// bits and samples below 8 bits spread to one byte each. RGB pixels are opaque. Neither
// transparency (tRNS) nor gamma is applied: a transparent colour or palette entry reads
// opaque.
//
// Failures (ILTextException): badFormat for every error libpng reports (bad signature,
// CRC, damaged data); endOfData when the data ends early; noMemory for an image above
// ILBmp::kMaxPixels.

#include <optional>

#include <png.h>

#include "imaging/ilpicdecoder.h"
#include "imaging/iltextexception.h"

class ILPNGDecoder : public ILPicDecoder
{
public:
    ILPNGDecoder() = default;
    ~ILPNGDecoder() override;

    void Open(ILDataSource& source) override;
    void GetImage(ILBmp& bmp) override;
    // Row by row, for every picture but an interlaced one, whose rows come in passes.
    bool GetReducedImage(ILBoxReducer& reducer) override;
    // Frees libpng's structures when a decode stopped between Open and GetImage.
    void Close() override;

private:
    // libpng's parts of Open and GetImage; false when libpng gave up. They hold no objects
    // with destructors: libpng unwinds them with longjmp.
    bool ReadHeaderWithLibpng();
    bool ReadImageWithLibpng(png_bytepp rows);
    bool ReadRowsWithLibpng(png_bytep row, ILBoxReducer& reducer);
    void SetTransformations();
    [[nodiscard]] bool IsDeep() const;
    // Of a bitmap or a reducer.
    template <class Target>
    void SetPaletteOf(Target& target);
    void DestroyStructs();
    [[noreturn]] void RaiseLibpngFailure();

    static void ReadData(png_structp png, png_bytep data, size_t length);
    // Follows the chunks as libpng reads them: a chunk that claims more bytes than remain
    // fails before libpng allocates (and clears) its length.
    void CheckChunkHeader(const std::uint8_t* bytes, size_t length);
    static void ErrorHandler(png_structp png, png_const_charp message);
    static void WarningHandler(png_structp png, png_const_charp message);

    int m_colourType = 0;
    int m_bitDepth = 0;
    png_structp m_png = nullptr;
    png_infop m_info = nullptr;
    ILDataSource* m_source = nullptr;
    char m_message[256] = {};
    std::optional<ILTextException> m_pending;
    std::int64_t m_streamPosition = 0;
    std::int64_t m_nextChunkAt = 0;
};
