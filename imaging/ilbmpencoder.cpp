#include "imaging/ilbmpencoder.h"

#include <cstring>
#include <vector>

#include "imaging/ilbmp.h"
#include "imaging/ildatasink.h"
#include "imaging/ilpixel16.h"
#include "imaging/iltextexception.h"

namespace {

constexpr float kInchesPerMetre = 39.37f;
constexpr uint32_t kHeadersSize = 54;
// Row padding is taken from this pattern.
constexpr uint8_t kPadding[4] = {0x20, 0x00, 0x00, 0x00};

void Put16(uint8_t* p, uint32_t v)
{
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

void Put32(uint8_t* p, uint32_t v)
{
    Put16(p, v & 0xFFFF);
    Put16(p + 2, v >> 16);
}

// Resolutions that no pixels-per-metre field can hold are written as unknown (0).
uint32_t PixelsPerMetre(int dotsPerInch)
{
    const double perMetre = static_cast<double>(dotsPerInch) * static_cast<double>(kInchesPerMetre) + 0.5;
    return perMetre >= 1.0 && perMetre < 2147483648.0 ? static_cast<uint32_t>(perMetre) : 0;
}

}  // namespace

void ILBmpEncoder::DoEncode(const ILBmp& bmp, ILDataSink& sink)
{
    const int depth = bmp.GetBitsPerPixel();
    const bool palette = depth <= 8;
    const int fileDepth = palette ? depth : 24;
    const uint64_t rowSize = ((static_cast<uint64_t>(bmp.GetWidth()) * fileDepth + 31) / 32) * 4;
    const uint64_t pixelOffset = kHeadersSize + (palette ? 4u << depth : 0u);
    const uint64_t fileSize = pixelOffset + rowSize * static_cast<uint64_t>(bmp.GetHeight());
    if (fileSize > 0xFFFFFFFFu) {
        raiseError(ILTextException::notSupported, "Bitmap too large for a BMP file.");
    }
    WriteHeaders(bmp, sink, fileDepth, static_cast<uint32_t>(pixelOffset), static_cast<uint32_t>(fileSize));
    if (palette) {
        WritePalette(bmp, sink);
        WritePaletteRows(bmp, sink, static_cast<uint32_t>(rowSize));
    } else {
        WriteTrueColourRows(bmp, sink, static_cast<uint32_t>(rowSize));
    }
}

void ILBmpEncoder::WriteHeaders(const ILBmp& bmp, ILDataSink& sink, int fileDepth, uint32_t pixelOffset,
                                uint32_t fileSize)
{
    uint8_t file[14] = {'B', 'M'};
    Put32(file + 2, fileSize);
    Put32(file + 10, pixelOffset);
    sink.WriteNBytes(sizeof file, file);

    uint8_t info[40] = {};
    Put32(info, 40);
    Put32(info + 4, static_cast<uint32_t>(bmp.GetWidth()));
    Put32(info + 8, static_cast<uint32_t>(bmp.GetHeight()));
    Put16(info + 12, 1);
    Put16(info + 14, static_cast<uint32_t>(fileDepth));
    Put32(info + 24, PixelsPerMetre(bmp.GetResolution().x));
    Put32(info + 28, PixelsPerMetre(bmp.GetResolution().y));
    sink.WriteNBytes(sizeof info, info);
}

void ILBmpEncoder::WritePalette(const ILBmp& bmp, ILDataSink& sink)
{
    const int count = 1 << bmp.GetBitsPerPixel();
    std::vector<uint8_t> table(static_cast<size_t>(count) * 4, 0);
    if (const ILPixel32* p = bmp.GetPalette()) {
        for (int i = 0; i < count; ++i) {
            table[4 * i] = p[i].b;
            table[4 * i + 1] = p[i].g;
            table[4 * i + 2] = p[i].r;
            table[4 * i + 3] = p[i].a;
        }
    }
    sink.WriteNBytes(table.size(), table.data());
}

void ILBmpEncoder::WritePaletteRows(const ILBmp& bmp, ILDataSink& sink, uint32_t rowSize)
{
    const auto pixelBytes = static_cast<uint32_t>((static_cast<uint64_t>(bmp.GetWidth()) * bmp.GetBitsPerPixel() + 7) / 8);
    std::vector<uint8_t> row(rowSize);
    for (uint32_t i = pixelBytes; i < rowSize; ++i) {
        row[i] = kPadding[(i - pixelBytes) & 3];
    }
    const uint8_t* const* lines = bmp.GetLineArray();
    for (int y = bmp.GetHeight() - 1; y >= 0; --y) {
        std::memcpy(row.data(), lines[y], pixelBytes);
        sink.WriteNBytes(rowSize, row.data());
    }
}

// Rows are assembled whole and written with one call each; the bytes are those of a
// pixel-by-pixel writer.
void ILBmpEncoder::WriteTrueColourRows(const ILBmp& bmp, ILDataSink& sink, uint32_t rowSize)
{
    const int width = bmp.GetWidth();
    const int depth = bmp.GetBitsPerPixel();
    std::vector<uint8_t> row(rowSize);
    const uint32_t pixelBytes = static_cast<uint32_t>(width) * 3;
    for (uint32_t i = pixelBytes; i < rowSize; ++i) {
        row[i] = kPadding[(i - pixelBytes) & 3];
    }
    const uint8_t* const* lines = bmp.GetLineArray();
    for (int y = bmp.GetHeight() - 1; y >= 0; --y) {
        const uint8_t* in = lines[y];
        uint8_t* out = row.data();
        for (int x = 0; x < width; ++x, out += 3) {
            if (depth == 16) {
                const ILPixel16 p(static_cast<uint16_t>(in[2 * x] | (in[2 * x + 1] << 8)));
                out[0] = p.GetB();
                out[1] = p.GetG();
                out[2] = p.GetR();
            } else {
                std::memcpy(out, in + x * (depth / 8), 3);
            }
        }
        sink.WriteNBytes(rowSize, row.data());
    }
}
