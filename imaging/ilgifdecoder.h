#pragma once
// ILGIFDecoder: reads the first image of a GIF file, placed at its offset on a bitmap of
// the logical screen's size whose other pixels are the background index. The result is
// 8 bits with the image's colour table (its own, else the global one); a graphic control
// extension before the image that names a transparent index gives that entry alpha 0 and
// the bitmap the alpha flag, which GetImage also sets on the decoder.
// giflib reads the records and the image data's sub-blocks; ILGIFLzw decompresses the
// data, since giflib refuses code sizes above 8 and widens the codes of sizes 0 and 1 one
// code early.
//
// Failures (ILTextException): wrongSignature when the data is not a GIF file; badFormat
// for every other error giflib reports (damaged records), for damaged compressed data and
// for an empty screen; endOfData when the data ends early, and before the bitmap is made
// when the screen has more pixels than the data after it could fill (LZW gives at most
// 2731 pixels a byte) and a megapixel of background besides; noMemory for a screen above
// ILBmp::GetMaxPixels(). An image that does not fit the screen is reported on the standard
// error stream and left out; the bitmap keeps the background.

#include <cstdint>
#include <optional>
#include <vector>

#include "imaging/ilpicdecoder.h"
#include "imaging/iltextexception.h"

struct GifFileType;

class ILGIFDecoder : public ILPicDecoder
{
public:
    ILGIFDecoder() = default;
    ~ILGIFDecoder() override;

    void Open(ILDataSource& source) override;
    void GetImage(ILBmp& bmp) override;
    // Closes giflib's file record, then the base close.
    void Close() override;

private:
    // Reads the image descriptor and, when the image fits the screen, its rows.
    void ReadImage(ILBmp& bmp);
    // The image's data sub-blocks joined, read up to their terminator.
    [[nodiscard]] std::vector<std::uint8_t> ReadImageData();
    // Reads an extension's blocks; answers the transparent index it names, or -1.
    [[nodiscard]] int ReadExtension();
    void SetPaletteOf(ILBmp& bmp, int transparent) const;
    void CloseGif();
    // Raises the failure of the most recent giflib call that answered an error.
    [[noreturn]] void RaiseGifFailure(int gifError);

    static int ReadData(GifFileType* gif, unsigned char* buffer, int count);

    GifFileType* m_gif = nullptr;
    ILDataSource* m_source = nullptr;
    std::optional<ILTextException> m_pending;
    // The last byte handed to giflib: after an image descriptor, the LZW code size.
    int m_lastByte = 0;
};
