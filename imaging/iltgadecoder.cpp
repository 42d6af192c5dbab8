#include "imaging/iltgadecoder.h"

#include <algorithm>
#include <cstring>

#include "imaging/ilbmp.h"
#include "imaging/ilbmplock.h"
#include "imaging/ildatasource.h"
#include "imaging/iltextexception.h"

namespace {

constexpr uint8_t kTopDown = 0x20;
constexpr uint8_t kRightToLeft = 0x10;
constexpr uint8_t kAlphaBits = 0x0F;  // alpha bits per pixel (or colour map entry)

int BytesOf(int depth)
{
    return (depth + 7) / 8;
}

bool IsRunLength(uint8_t type)
{
    return type >= 9;
}

// One stored pixel of the given depth to one byte (depth 8) or an ILPixel32. Bit 15 of a
// 16-bit pixel is alpha only when the header declares alpha bits; otherwise it means nothing.
void DecodePixel(const uint8_t* in, int depth, bool alphaBit, uint8_t* out)
{
    switch (depth) {
    case 15:
    case 16: {
        const unsigned w = in[0] | (in[1] << 8);
        // Each five-bit channel keeps its bits at the top of the byte: 31 reads 248.
        out[0] = static_cast<uint8_t>((w & 0x1F) << 3);
        out[1] = static_cast<uint8_t>((w >> 2) & 0xF8);
        out[2] = static_cast<uint8_t>((w >> 7) & 0xF8);
        out[3] = depth == 16 && alphaBit && (w & 0x8000) == 0 ? 0 : 255;
        break;
    }
    case 24:
        out[0] = in[0];
        out[1] = in[1];
        out[2] = in[2];
        out[3] = 255;
        break;
    case 32:
        std::memcpy(out, in, 4);
        break;
    default:
        out[0] = in[0];
        break;
    }
}

}  // namespace

void ILTGADecoder::Open(ILDataSource& source)
{
    Trace(2, "Decoding TGA.\n");
    ReadHeader(source);
    source.Skip(m_header.idLength);
    CheckHeader(source);
    const int depth = m_header.pixelDepth;
    const bool deep = depth == 15 || depth == 16 || depth == 24 || depth == 32;
    const bool grey = m_header.imageType == 3 || m_header.imageType == 11;
    SetBmpInfo(ILPoint(m_header.width, m_header.height), deep ? 32 : 8, ILPoint(0, 0), HasAlphaChannel(), grey);
}

// 32-bit pixels and colour map entries carry alpha; 16-bit ones only with declared alpha bits.
bool ILTGADecoder::HasAlphaChannel() const
{
    const bool colourMapped = m_header.imageType == 1 || m_header.imageType == 9;
    const int depth = colourMapped ? (m_header.colourMapType != 0 ? m_header.mapEntrySize : 0) : m_header.pixelDepth;
    return depth == 32 || (depth == 16 && AlphaBitDeclared());
}

bool ILTGADecoder::AlphaBitDeclared() const
{
    return (m_header.descriptor & kAlphaBits) != 0;
}

void ILTGADecoder::ReadHeader(ILDataSource& source)
{
    Header& h = m_header;
    h.idLength = ReadByte(source);
    h.colourMapType = ReadByte(source);
    h.imageType = ReadByte(source);
    h.firstEntry = ReadLEWord(source);
    h.mapLength = ReadLEWord(source);
    h.mapEntrySize = ReadByte(source);
    h.xOrigin = ReadLEWord(source);
    h.yOrigin = ReadLEWord(source);
    h.width = ReadLEWord(source);
    h.height = ReadLEWord(source);
    h.pixelDepth = ReadByte(source);
    h.descriptor = ReadByte(source);
}

void ILTGADecoder::CheckHeader(ILDataSource& source) const
{
    const Header& h = m_header;
    int wantedDepth = 0;  // 0: any true-colour depth
    switch (h.imageType) {
    case 1:
    case 9:
    case 3:
    case 11:
        wantedDepth = 8;
        break;
    case 2:
    case 10:
        break;
    default:
        RaiseError(ILTextException::badFormat, "Unknown TGA image type.");
    }
    const int depth = h.pixelDepth;
    const bool ok = wantedDepth ? depth == wantedDepth : (depth == 15 || depth == 16 || depth == 24 || depth == 32);
    if (!ok) {
        RaiseError(ILTextException::notSupported, "Unsupported TGA pixel depth.");
    }
    const int entry = h.mapEntrySize;
    if (h.colourMapType != 0 && h.mapLength != 0 && entry != 15 && entry != 16 && entry != 24 && entry != 32) {
        RaiseError(ILTextException::notSupported, "Unsupported TGA colour map entry size.");
    }
    if (h.width == 0 || h.height == 0) {
        RaiseError(ILTextException::badFormat, "Empty TGA image.");
    }
    const int64_t pixels = static_cast<int64_t>(h.width) * h.height;
    if (pixels > ILBmp::GetMaxPixels()) {
        RaiseError(ILTextException::noMemory, "TGA image too large.");
    }
    const int64_t mapBytes = h.colourMapType != 0 ? static_cast<int64_t>(h.mapLength) * BytesOf(entry) : 0;
    // A run-length packet covers at most 128 pixels with a header byte and at least one pixel
    // value, so a few bytes cannot stand for a bitmap of a gigabyte either.
    const int64_t pixelBytes = IsRunLength(h.imageType) ? (pixels + 127) / 128 * (1 + BytesOf(depth))
                                                        : pixels * BytesOf(depth);
    if (mapBytes + pixelBytes > source.GetBytesLeft()) {
        RaiseError(ILTextException::endOfData, "TGA data is shorter than the header says.");
    }
}

void ILTGADecoder::GetImage(ILBmp& bmp)
{
    ILDataSource& source = *GetDataSource();
    ReadColourMap(source, bmp);
    if (IsGreyscale()) {
        bmp.SetGreyPalette();
    }
    ILBmpLock lock(bmp, false, true);
    uint8_t* const* rows = bmp.GetLineArray();
    const int height = GetHeight();
    RunState run;
    for (int y = 0; y < height; ++y) {
        uint8_t* row = rows[(m_header.descriptor & kTopDown) ? y : height - 1 - y];
        if (IsRunLength(m_header.imageType)) {
            DecodeRunLengthRow(source, row, run);
        } else {
            DecodeRawRow(source, row);
        }
        if (m_header.descriptor & kRightToLeft) {
            MirrorRow(row);
        }
    }
}

void ILTGADecoder::ReadColourMap(ILDataSource& source, ILBmp& bmp) const
{
    if (m_header.colourMapType == 0) {
        return;
    }
    const int entryBytes = BytesOf(m_header.mapEntrySize);
    const uint8_t* map = source.ReadNBytes(static_cast<int64_t>(m_header.mapLength) * entryBytes);
    if (!bmp.GetPalette()) {
        return;  // a true-colour image: the map is passed over
    }
    for (int i = 0; i < m_header.mapLength; ++i) {
        ILPixel32 p;
        DecodePixel(map + i * entryBytes, m_header.mapEntrySize, AlphaBitDeclared(), reinterpret_cast<uint8_t*>(&p));
        bmp.SetPaletteEntry((m_header.firstEntry + i) % 256, p.r, p.g, p.b, p.a);
    }
}

void ILTGADecoder::DecodeRawRow(ILDataSource& source, uint8_t* row) const
{
    const int width = GetWidth();
    const int inBytes = BytesOf(m_header.pixelDepth);
    const uint8_t* in = source.ReadNBytes(static_cast<int64_t>(width) * inBytes);
    const int outBytes = OutputBytes();
    for (int x = 0; x < width; ++x) {
        DecodePixel(in + x * inBytes, m_header.pixelDepth, AlphaBitDeclared(), row + x * outBytes);
    }
}

void ILTGADecoder::DecodeRunLengthRow(ILDataSource& source, uint8_t* row, RunState& run) const
{
    const int width = GetWidth();
    const int inBytes = BytesOf(m_header.pixelDepth);
    const int outBytes = OutputBytes();
    for (int x = 0; x < width; ++x) {
        if (run.left == 0) {
            const uint8_t packet = ReadByte(source);
            run.repeat = (packet & 0x80) != 0;
            run.left = run.repeat ? packet - 127 : packet + 1;
            if (run.repeat) {
                DecodePixel(source.ReadNBytes(inBytes), m_header.pixelDepth, AlphaBitDeclared(), run.value);
            }
        }
        if (run.repeat) {
            std::memcpy(row + x * outBytes, run.value, static_cast<size_t>(outBytes));
        } else {
            DecodePixel(source.ReadNBytes(inBytes), m_header.pixelDepth, AlphaBitDeclared(), row + x * outBytes);
        }
        --run.left;
    }
}

void ILTGADecoder::MirrorRow(uint8_t* row) const
{
    const int outBytes = OutputBytes();
    for (int left = 0, right = GetWidth() - 1; left < right; ++left, --right) {
        for (int b = 0; b < outBytes; ++b) {
            std::swap(row[left * outBytes + b], row[right * outBytes + b]);
        }
    }
}
