#include "imaging/ilpcxdecoder.h"

#include <algorithm>
#include <cstring>

#include "imaging/ilbmp.h"
#include "imaging/ilbmplock.h"
#include "imaging/ildatasource.h"
#include "imaging/iltextexception.h"

namespace {

constexpr int kHeaderSize = 128;
constexpr std::uint8_t kRunFlags = 0xC0;

std::uint16_t LEWord(const std::uint8_t* p)
{
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

void PutPixel(std::uint8_t* row, int x, ILPixel32 colour)
{
    colour.a = 255;
    std::memcpy(row + 4 * x, &colour, 4);
}

}  // namespace

void ILPCXDecoder::Open(ILDataSource& source)
{
    Trace(2, "Decoding PCX.\n");
    ReadHeader(source);
    CheckHeader(source);
    const int width = m_header.xMax - m_header.xMin + 1;
    const int height = m_header.yMax - m_header.yMin + 1;
    SetBmpInfo(ILPoint(width, height), 32, ILPoint(m_header.hRes, m_header.vRes), false, false);
}

void ILPCXDecoder::ReadHeader(ILDataSource& source)
{
    const std::uint8_t* p = source.ReadNBytes(kHeaderSize);
    Header& h = m_header;
    h.manufacturer = p[0];
    h.version = p[1];
    h.encoding = p[2];
    h.bitsPerPixel = p[3];
    h.xMin = LEWord(p + 4);
    h.yMin = LEWord(p + 6);
    h.xMax = LEWord(p + 8);
    h.yMax = LEWord(p + 10);
    h.hRes = LEWord(p + 12);
    h.vRes = LEWord(p + 14);
    std::memcpy(h.colourMap, p + 16, sizeof h.colourMap);
    h.planes = p[65];
    h.bytesPerLine = LEWord(p + 66);
    h.paletteType = LEWord(p + 68);
}

void ILPCXDecoder::CheckHeader(ILDataSource& source) const
{
    const Header& h = m_header;
    if (h.manufacturer != 10) {
        RaiseError(ILTextException::wrongSignature, "Error decoding pcx: Not a PCX file.");
    }
    if (h.encoding != 1) {
        RaiseError(ILTextException::wrongSignature, "File has unknown encoding scheme.");
    }
    if (h.bitsPerPixel == 1 && h.planes > 4) {
        RaiseError(ILTextException::badFormat, "Can't handle image with more than 4 planes.");
    }
    const bool mono = h.bitsPerPixel == 1 && h.planes >= 1;
    const bool deep = (h.bitsPerPixel == 2 || h.bitsPerPixel == 4 || h.bitsPerPixel == 8) &&
                      (h.planes == 1 || h.planes == 3);
    if (!mono && !deep) {
        RaiseError(ILTextException::badFormat, "Can't handle bits per pixel image with planes.");
    }
    if (h.xMax < h.xMin || h.yMax < h.yMin) {
        RaiseError(ILTextException::badFormat, "PCX image has no pixels.");
    }
    const std::int64_t width = h.xMax - h.xMin + 1;
    const std::int64_t height = h.yMax - h.yMin + 1;
    if (static_cast<std::int64_t>(h.bytesPerLine) * 8 < width * h.bitsPerPixel) {
        RaiseError(ILTextException::badFormat, "PCX rows are shorter than the image is wide.");
    }
    if (width * height > ILBmp::GetMaxPixels()) {
        RaiseError(ILTextException::noMemory, "PCX image too large.");
    }
    // A run of two bytes gives at most 63 bytes.
    if (ImageBytes() > 32 * source.GetBytesLeft()) {
        RaiseError(ILTextException::endOfData, "PCX data is shorter than the header says.");
    }
}

std::int64_t ILPCXDecoder::ImageBytes() const
{
    return static_cast<std::int64_t>(m_header.bytesPerLine) * m_header.planes * (m_header.yMax - m_header.yMin + 1);
}

void ILPCXDecoder::GetImage(ILBmp& bmp)
{
    Trace(2, "PCX getimage.\n");
    const Header& h = m_header;
    if (h.planes > 1 && h.bitsPerPixel != 1 && h.bitsPerPixel != 8) {
        RaiseError(ILTextException::internalError, "Can't handle more than 1 bit per pixel.");
    }
    ILDataSource& source = *GetDataSource();
    const std::vector<std::uint8_t> image = DecodeRuns(source);
    const ColourTable table = ReadColourTable(source);
    ILBmpLock lock(bmp, false, true);
    const std::size_t rowStride = static_cast<std::size_t>(h.bytesPerLine) * h.planes;
    std::vector<std::uint8_t> indices(static_cast<std::size_t>(h.bytesPerLine) * 8);
    for (int y = 0; y < GetHeight(); ++y) {
        const std::uint8_t* data = image.data() + rowStride * static_cast<std::size_t>(y);
        std::uint8_t* row = bmp.GetLineArray()[y];
        if (h.planes == 3 && h.bitsPerPixel == 8) {
            for (int x = 0; x < GetWidth(); ++x) {
                PutPixel(row, x, ILPixel32(data[x], data[x + h.bytesPerLine], data[x + 2 * h.bytesPerLine]));
            }
            continue;
        }
        if (h.planes == 1) {
            UnpackPackedRow(data, indices.data());
        } else {
            UnpackPlanarRow(data, indices.data());
        }
        for (int x = 0; x < GetWidth(); ++x) {
            PutPixel(row, x, table[indices[static_cast<std::size_t>(x)]]);
        }
    }
}

std::vector<std::uint8_t> ILPCXDecoder::DecodeRuns(ILDataSource& source) const
{
    std::vector<std::uint8_t> image(static_cast<std::size_t>(ImageBytes()));
    const std::uint8_t* in = source.ReadEverything();
    const std::int64_t available = source.GetBytesLeft();
    std::int64_t used = 0;
    std::size_t filled = 0;
    auto next = [&]() -> std::uint8_t {
        if (used >= available) {
            throw ILTextException(ILTextException::endOfData, "End of file reached while decoding.\n");
        }
        return in[used++];
    };
    while (filled < image.size()) {
        const std::uint8_t c = next();
        if (c < kRunFlags) {
            image[filled++] = c;
            continue;
        }
        const std::size_t count = c & 0x3F;
        const std::uint8_t value = next();
        if (count > image.size() - filled) {
            RaiseError(ILTextException::internalError, "repeat count spans end of image.");
        }
        std::fill_n(image.begin() + static_cast<std::ptrdiff_t>(filled), count, value);
        filled += count;
    }
    source.Skip(used);
    return image;
}

ILPCXDecoder::ColourTable ILPCXDecoder::ReadColourTable(ILDataSource& source) const
{
    ColourTable table;
    table.fill(ILPixel32(0, 0, 0));
    const std::uint8_t* map = m_header.colourMap;
    for (int i = 0; i < 16; ++i) {
        table[i] = ILPixel32(map[3 * i], map[3 * i + 1], map[3 * i + 2]);
    }
    if (m_header.planes == 1 && m_header.bitsPerPixel == 8) {
        source.Skip(1);  // the separator, whatever its value
        map = source.ReadNBytes(768);
        for (int i = 0; i < 256; ++i) {
            table[i] = ILPixel32(map[3 * i], map[3 * i + 1], map[3 * i + 2]);
        }
    } else if (m_header.planes == 1 && m_header.bitsPerPixel == 1) {
        table[0] = ILPixel32(0, 0, 0);
        table[1] = ILPixel32(0xFF, 0xFF, 0xFF);
    }
    return table;
}

void ILPCXDecoder::UnpackPackedRow(const std::uint8_t* data, std::uint8_t* indices) const
{
    const int bits = m_header.bitsPerPixel;
    const int perByte = 8 / bits;
    const int mask = (1 << bits) - 1;
    for (int i = 0; i < m_header.bytesPerLine; ++i) {
        for (int k = 0; k < perByte; ++k) {
            indices[i * perByte + k] = static_cast<std::uint8_t>((data[i] >> (8 - bits * (k + 1))) & mask);
        }
    }
}

void ILPCXDecoder::UnpackPlanarRow(const std::uint8_t* data, std::uint8_t* indices) const
{
    const int bytes = m_header.bytesPerLine;
    std::fill_n(indices, static_cast<std::size_t>(bytes) * 8, 0);
    for (int p = 0; p < m_header.planes; ++p) {
        const std::uint8_t* plane = data + static_cast<std::ptrdiff_t>(p) * bytes;
        for (int i = 0; i < bytes * 8; ++i) {
            if (plane[i / 8] & (0x80 >> (i % 8))) {
                indices[i] = static_cast<std::uint8_t>(indices[i] | (1 << p));
            }
        }
    }
}
