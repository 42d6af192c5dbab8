#pragma once
// ILJPEGDecoder: decompresses JPEG files through libjpeg. Colour images decode to 32
// bits (the fourth byte 255), greyscale ones to 8-bit grey. The file's EXIF block is
// kept while the decoder is open (GetExifData). A file cut short decodes to its full
// size with the missing part as libjpeg fills it, as long as what remains can hold the
// picture's blocks.
//
// A malformed EXIF block is dropped (the decoder then holds an empty one) and traced at
// level 2; the picture decodes all the same.
//
// Failures (ILTextException): notSupported for every error libjpeg reports (not a JPEG,
// damaged headers, CMYK output); noMemory for an image above ILBmp::kMaxPixels and when
// libjpeg runs out of memory or needs more than 1 GB for its buffers (a progressive
// picture of over ~170 megapixels without chroma subsampling); endOfData, before anything
// of the picture's size is made, when the data after the headers is too short to hold the
// picture's blocks (at least one bit a block under Huffman coding; under arithmetic
// coding, which has no such bound, one byte per 4096 blocks beyond 4 megapixels).

#include <memory>
#include <optional>

#include "imaging/iljpegglue.h"
#include "imaging/ilpicdecoder.h"

class ILExif;

class ILJPEGDecoder : public ILPicDecoder
{
public:
    ILJPEGDecoder();
    ~ILJPEGDecoder() override;

    // Fast mode (the default) skips fancy upsampling of the colour channels.
    void SetFast(bool fast) { m_fast = fast; }

    void Open(ILDataSource& source) override;
    void GetImage(ILBmp& bmp) override;
    // Decodes at 1/2, 1/4 or 1/8 of the size where the reducer's boxes then cover whole
    // decoded pixels or at least eight a side, and hands those rows to the reducer. A
    // file of several scans (progressive) holds its coefficients whole whatever the
    // scale: one whose coefficients would take more than kMaxWholeBytesToShrink is
    // refused (noMemory) before libjpeg makes them.
    bool GetReducedImage(ILBoxReducer& reducer) override;
    // What libjpeg holds whole while it decodes the open file: the coefficients of every
    // component (two bytes a sample) when the file has several scans, else 0.
    [[nodiscard]] int64_t GetWholeCoefficientBytes() const;
    // Forgets the EXIF block, then closes the base.
    void Close() override;

    // Copies the EXIF block of the open file into `exif`; an empty block when there is none.
    void GetExifData(ILExif& exif) const;

private:
    // libjpeg's parts of Open and GetImage; false when libjpeg gave up. They hold no
    // objects with destructors: libjpeg's error exit leaves them with longjmp.
    bool ReadHeaderWithLibjpeg(const uint8_t* data, size_t size, ILDataSource* source);
    bool DecompressWithLibjpeg(uint8_t* const* rows);
    void DecodeRows(uint8_t* const* rows, int rowsPerCall);
    bool StartWithLibjpeg();
    bool ReduceWithLibjpeg(uint8_t* const* rows, int rowsPerCall, ILBoxReducer& reducer);
    void SetOutput();
    [[nodiscard]] int ScaleDenominator(int newWidth, int newHeight) const;
    // The blocks of the component with the most; the most blocks that many bytes of
    // entropy data can cover; the bytes after the first scan's header.
    [[nodiscard]] int64_t MostBlocks() const;
    [[nodiscard]] int64_t MostBlocksFor(int64_t entropyBytes) const;
    [[nodiscard]] int64_t EntropyBytesLeft(const uint8_t* data, int64_t size) const;
    void ReadExif();
    void SetDescription();
    [[noreturn]] void Fail();

    static void ReportProgress(j_common_ptr info);

    jpeg_decompress_struct m_decompressor{};
    ILJPEGErrorManager m_errors{};
    bool m_created = false;
    bool m_fast = true;
    std::unique_ptr<ILExif> m_exif;
    std::optional<ILTextException> m_pending;
};
