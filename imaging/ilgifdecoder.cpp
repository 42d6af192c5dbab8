#include "imaging/ilgifdecoder.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "imaging/ilbmp.h"
#include "imaging/ilbmplock.h"
#include "imaging/ilcallbackguard.h"
#include "imaging/ildatasource.h"
#include "imaging/ilgiflzw.h"

namespace {

constexpr int kGraphicControl = 0xF9;

// The k-th code after a clear code expands to at most k pixels (and never to more than
// the table's 4096) and is at least log2(k + 1) bits wide, so no bit gives more than
// 4096 / 12 pixels: a frame holds at most this many pixels per byte of its data.
constexpr std::int64_t kMaxPixelsPerByte = 4096 * 8 / 12 + 1;
// The screen beyond the frames is background that no data holds: a screen may be as
// large as the data after it could fill, and a megapixel besides.
constexpr std::int64_t kBackgroundPixels = 1 << 20;

// Rows of an interlaced image come in four passes.
constexpr int kPassStart[4] = {0, 4, 2, 1};
constexpr int kPassStep[4] = {8, 8, 4, 2};

}  // namespace

ILGIFDecoder::~ILGIFDecoder()
{
    CloseGif();
}

void ILGIFDecoder::Close()
{
    CloseGif();
    ILPicDecoder::Close();
}

void ILGIFDecoder::CloseGif()
{
    if (m_gif != nullptr) {
        int error = 0;
        (void)DGifCloseFile(m_gif, &error);
    }
    m_gif = nullptr;
    m_source = nullptr;
}

int ILGIFDecoder::ReadData(GifFileType* gif, unsigned char* buffer, int count)
{
    auto* self = static_cast<ILGIFDecoder*>(gif->UserData);
    // A short answer makes giflib report a read failure; the kept exception says why.
    const bool read = ILRunInCallback(self->m_pending, [&] {
        std::memcpy(buffer, self->m_source->ReadNBytes(count), static_cast<std::size_t>(count));
        self->m_lastByte = count > 0 ? buffer[count - 1] : self->m_lastByte;
        return true;
    });
    return read ? count : 0;
}

void ILGIFDecoder::RaiseGifFailure(int gifError)
{
    CloseGif();
    if (m_pending) {
        const ILTextException pending = *m_pending;
        m_pending.reset();
        throw pending;
    }
    const char* text = GifErrorString(gifError);
    const std::string message = std::string("GIF decoder: ") + (text != nullptr ? text : "unknown error");
    switch (gifError) {
    case D_GIF_ERR_NOT_GIF_FILE:
        RaiseError(ILTextException::wrongSignature, message.c_str());
    case D_GIF_ERR_NOT_ENOUGH_MEM:
        RaiseError(ILTextException::noMemory, message.c_str());
    default:
        RaiseError(ILTextException::badFormat, message.c_str());
    }
}

void ILGIFDecoder::Open(ILDataSource& source)
{
    CloseGif();
    m_pending.reset();
    m_source = &source;
    int error = 0;
    m_gif = DGifOpen(this, ReadData, &error);
    if (m_gif == nullptr) {
        RaiseGifFailure(error);
    }
    const int width = m_gif->SWidth;
    const int height = m_gif->SHeight;
    if (width <= 0 || height <= 0) {
        CloseGif();
        RaiseError(ILTextException::badFormat, "GIF decoder: the logical screen is empty.");
    }
    if (static_cast<std::int64_t>(width) * height > ILBmp::GetMaxPixels()) {
        CloseGif();
        RaiseError(ILTextException::noMemory, "GIF image too large.");
    }
    if (static_cast<std::int64_t>(width) * height > kMaxPixelsPerByte * source.GetBytesLeft() + kBackgroundPixels) {
        CloseGif();
        RaiseError(ILTextException::endOfData, "GIF decoder: the data is too short for the logical screen's size.");
    }
    SetBmpInfo(ILPoint(width, height), 8, ILPoint(0, 0), false, false);
}

void ILGIFDecoder::GetImage(ILBmp& bmp)
{
    bmp.CreateFromInfo(*this);
    const auto background = static_cast<std::uint8_t>(m_gif->SBackGroundColor);
    for (int y = 0; y < bmp.GetHeight(); ++y) {
        std::memset(bmp.GetLineArray()[y], background, static_cast<std::size_t>(bmp.GetWidth()));
    }
    int transparent = -1;
    bool done = false;
    while (!done) {
        GifRecordType type = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(m_gif, &type) == GIF_ERROR) {
            RaiseGifFailure(m_gif->Error);
        }
        switch (type) {
        case IMAGE_DESC_RECORD_TYPE:
            ReadImage(bmp);
            done = true;  // only the first image is decoded
            break;
        case EXTENSION_RECORD_TYPE:
            if (const int named = ReadExtension(); named >= 0) {
                transparent = named;
            }
            break;
        case TERMINATE_RECORD_TYPE:
            done = true;
            break;
        default:
            break;
        }
    }
    bmp.SetHasAlpha(transparent >= 0);
    SetBmpInfo(static_cast<const ILBmpInfo&>(bmp));
    SetPaletteOf(bmp, transparent);
}

void ILGIFDecoder::ReadImage(ILBmp& bmp)
{
    // giflib reads the LZW code size last and refuses those above 8, which legal files
    // use too; it has read the whole descriptor by then, and the LZW is ours anyway.
    if (DGifGetImageDesc(m_gif) == GIF_ERROR &&
        (m_pending || m_gif->Error != D_GIF_ERR_READ_FAILED || m_lastByte <= 8)) {
        RaiseGifFailure(m_gif->Error);
    }
    const int codeSize = m_lastByte;
    const GifImageDesc& image = m_gif->Image;
    const bool fits = image.Left >= 0 && image.Top >= 0 && image.Width >= 0 && image.Height >= 0 &&
                      image.Left <= GetWidth() - image.Width && image.Top <= GetHeight() - image.Height;
    if (!fits) {
        std::fprintf(stderr, "Image %d is not confined to screen dimension, aborted.\n", m_gif->ImageCount);
        return;
    }
    if (image.Width == 0) {
        return;
    }
    const std::vector<std::uint8_t> data = ReadImageData();
    ILGIFLzw lzw(codeSize, data.data(), data.size());
    ILBmpLock lock(bmp, false, true);
    std::uint8_t* const* rows = bmp.GetLineArray();
    auto readRow = [&](int y) {
        if (const char* failure = lzw.Read(rows[y] + image.Left, static_cast<std::size_t>(image.Width))) {
            RaiseError(ILTextException::badFormat, (std::string("GIF decoder: ") + failure).c_str());
        }
    };
    if (image.Interlace) {
        for (int pass = 0; pass < 4; ++pass) {
            for (int y = image.Top + kPassStart[pass]; y < image.Top + image.Height; y += kPassStep[pass]) {
                readRow(y);
            }
        }
    } else {
        for (int y = image.Top; y < image.Top + image.Height; ++y) {
            readRow(y);
        }
    }
}

std::vector<std::uint8_t> ILGIFDecoder::ReadImageData()
{
    std::vector<std::uint8_t> data;
    GifByteType* block = nullptr;
    do {
        if (DGifGetCodeNext(m_gif, &block) == GIF_ERROR) {
            RaiseGifFailure(m_gif->Error);
        }
        if (block != nullptr) {
            data.insert(data.end(), block + 1, block + 1 + block[0]);  // block[0] is its length
        }
    } while (block != nullptr);
    return data;
}

int ILGIFDecoder::ReadExtension()
{
    int code = 0;
    GifByteType* block = nullptr;
    if (DGifGetExtension(m_gif, &code, &block) == GIF_ERROR) {
        RaiseGifFailure(m_gif->Error);
    }
    int transparent = -1;
    while (block != nullptr) {
        // block[0] is the block's length; the transparency bit and index need four bytes.
        if (code == kGraphicControl && block[0] >= 4 && (block[1] & 1) != 0) {
            transparent = block[4];
        }
        if (DGifGetExtensionNext(m_gif, &block) == GIF_ERROR) {
            RaiseGifFailure(m_gif->Error);
        }
    }
    return transparent;
}

void ILGIFDecoder::SetPaletteOf(ILBmp& bmp, int transparent) const
{
    const ColorMapObject* map = m_gif->Image.ColorMap != nullptr ? m_gif->Image.ColorMap : m_gif->SColorMap;
    if (map == nullptr || map->Colors == nullptr) {
        return;  // no colour table at all: the bitmap keeps its grey ramp
    }
    const int count = std::min(map->ColorCount, bmp.GetNumColors());
    for (int i = 0; i < count; ++i) {
        const GifColorType& c = map->Colors[i];
        bmp.SetPaletteEntry(i, c.Red, c.Green, c.Blue, i == transparent ? 0 : 255);
    }
}
