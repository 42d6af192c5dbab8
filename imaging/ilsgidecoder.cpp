#include "imaging/ilsgidecoder.h"

#include <cstring>

#include "imaging/ilbmp.h"
#include "imaging/ilbmplock.h"
#include "imaging/ildatasource.h"
#include "imaging/iltextexception.h"

namespace {

constexpr int kHeaderSize = 512;
constexpr std::uint16_t kMagic = 474;
constexpr std::uint8_t kVerbatim = 0;
constexpr std::uint8_t kRunLength = 1;

// Channels 0 to 3 are red, green, blue and alpha: bytes 2, 1, 0 and 3 of a pixel.
constexpr int kChannelByte[4] = {2, 1, 0, 3};

std::uint16_t BEWord(const std::uint8_t* p)
{
    return static_cast<std::uint16_t>((p[0] << 8) | p[1]);
}

std::uint32_t BELong(const std::uint8_t* p)
{
    return (static_cast<std::uint32_t>(p[0]) << 24) | (static_cast<std::uint32_t>(p[1]) << 16) |
           (static_cast<std::uint32_t>(p[2]) << 8) | static_cast<std::uint32_t>(p[3]);
}

}  // namespace

void ILSGIDecoder::Open(ILDataSource& source)
{
    Trace(2, "Decoding SGI.\n");
    ReadHeader(source);
    CheckHeader(source);
    const Header& h = m_header;
    SetBmpInfo(ILPoint(h.width, h.height), h.channels == 1 ? 8 : 32, ILPoint(0, 0), h.channels == 4,
               h.channels == 1 && h.colourMap == 0);
}

void ILSGIDecoder::ReadHeader(ILDataSource& source)
{
    const std::uint8_t* p = source.ReadNBytes(kHeaderSize);
    Header& h = m_header;
    h.magic = BEWord(p);
    h.storage = p[2];
    h.bytesPerSample = p[3];
    h.dimension = BEWord(p + 4);
    h.width = BEWord(p + 6);
    h.height = BEWord(p + 8);
    h.channels = BEWord(p + 10);
    h.colourMap = BELong(p + 104);
}

void ILSGIDecoder::CheckHeader(ILDataSource& source) const
{
    const Header& h = m_header;
    if (h.magic != kMagic) {
        throw ILTextException(ILTextException::wrongSignature, "SGI decoder invoked for non-SGI file.");
    }
    if (h.channels == 2) {
        throw ILTextException(ILTextException::notSupported, "Two-channel SGI RGB files are not supported.");
    }
    if (h.channels == 0 || h.channels > 4) {
        throw ILTextException(ILTextException::notSupported,
                              "SGI RGB files without channels or with more than four are not supported.");
    }
    if (h.dimension == 1) {
        throw ILTextException(ILTextException::notSupported, "One-dimensional SGI RGB files are not supported.");
    }
    if (h.storage == kRunLength) {
        throw ILTextException(ILTextException::notSupported, "Compressed SGI RGB files are not supported.");
    }
    if (h.bytesPerSample != 1) {
        throw ILTextException(ILTextException::notSupported,
                              "SGI RGB files with more than one byte per sample are not supported.");
    }
    if (h.storage != kVerbatim) {
        RaiseError(ILTextException::badFormat, "Unknown SGI storage kind.");
    }
    if (h.width == 0 || h.height == 0) {
        RaiseError(ILTextException::badFormat, "SGI image is empty.");
    }
    const std::int64_t pixels = static_cast<std::int64_t>(h.width) * h.height;
    if (pixels > ILBmp::GetMaxPixels()) {
        RaiseError(ILTextException::noMemory, "SGI image too large.");
    }
    if (pixels * h.channels > source.GetBytesLeft()) {
        RaiseError(ILTextException::endOfData, "SGI data is shorter than the header says.");
    }
}

void ILSGIDecoder::GetImage(ILBmp& bmp)
{
    ILDataSource& source = *GetDataSource();
    const int width = GetWidth();
    const int height = GetHeight();
    const int channels = m_header.channels;
    const int rows = height * channels;
    ILBmpLock lock(bmp, false, true);
    std::uint8_t* const* lines = bmp.GetLineArray();
    if (channels == 3) {
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                lines[y][4 * x + 3] = 255;
            }
        }
    }
    for (int i = 0; i < rows; ++i) {
        StoreRow(source.ReadNBytes(width), i / height, lines[height - 1 - i % height]);
    }
}

void ILSGIDecoder::StoreRow(const std::uint8_t* samples, int channel, std::uint8_t* target) const
{
    if (m_header.channels == 1) {
        std::memcpy(target, samples, static_cast<std::size_t>(GetWidth()));
        return;
    }
    const int offset = kChannelByte[channel];
    for (int x = 0; x < GetWidth(); ++x) {
        target[4 * x + offset] = samples[x];
    }
}
