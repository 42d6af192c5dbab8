#include "imaging/ilwinbmp.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include "imaging/iltextexception.h"
#include "imaging/iltrace.h"
#include "platform/clipboard.h"
#include "platform/resources.h"

namespace {

constexpr int kCompressionNone = 0;

std::uint32_t ReadU32(const std::uint8_t* p)
{
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

std::uint16_t ReadU16(const std::uint8_t* p)
{
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

void WriteU32(std::uint8_t* p, std::uint32_t value)
{
    p[0] = static_cast<std::uint8_t>(value);
    p[1] = static_cast<std::uint8_t>(value >> 8);
    p[2] = static_cast<std::uint8_t>(value >> 16);
    p[3] = static_cast<std::uint8_t>(value >> 24);
}

void WriteU16(std::uint8_t* p, std::uint16_t value)
{
    p[0] = static_cast<std::uint8_t>(value);
    p[1] = static_cast<std::uint8_t>(value >> 8);
}

std::size_t TableEntries(int bitsPerPixel)
{
    return bitsPerPixel < 16 ? std::size_t{1} << bitsPerPixel : 0;
}

[[noreturn]] void BadDib()
{
    throw ILTextException(ILTextException::badFormat, "Bad device-independent bitmap.");
}

// The fields of a DIB header that decide its layout, checked against the bytes given.
struct DibLayout
{
    int width = 0;
    int height = 0;
    int bitsPerPixel = 0;
    std::size_t tableEntries = 0;  // entries stored in the DIB, before the rows
};

DibLayout ReadLayout(const std::uint8_t* dib, std::size_t size)
{
    if (dib == nullptr || size < ILWinBmp::kHeaderSize || ReadU32(dib) != ILWinBmp::kHeaderSize) {
        BadDib();
    }
    DibLayout layout;
    const auto width = static_cast<std::int32_t>(ReadU32(dib + 4));
    const auto height = static_cast<std::int32_t>(ReadU32(dib + 8));
    layout.bitsPerPixel = ReadU16(dib + 14);
    const std::uint32_t compression = ReadU32(dib + 16);
    const std::uint32_t coloursUsed = ReadU32(dib + 32);
    const int depth = layout.bitsPerPixel;
    if (width <= 0 || height <= 0 || compression != kCompressionNone ||
        (depth != 1 && depth != 8 && depth != 16 && depth != 24 && depth != 32)) {
        BadDib();
    }
    if (static_cast<std::int64_t>(width) * height > ILBmp::GetMaxPixels()) {
        throw ILTextException(ILTextException::noMemory, "Bitmap too large.");
    }
    layout.width = width;
    layout.height = height;
    if (coloursUsed > (std::uint32_t{1} << 24)) {
        BadDib();
    }
    // Deeper DIBs may still carry a table, which only has to be skipped.
    const std::size_t full = TableEntries(depth);
    if (full == 0) {
        layout.tableEntries = coloursUsed;
    } else {
        layout.tableEntries = coloursUsed == 0 ? full : std::min<std::size_t>(coloursUsed, full);
    }
    const std::size_t rows = static_cast<std::size_t>(ILWinBmp::BytesPerLineFor(width, depth)) * height;
    if (size - ILWinBmp::kHeaderSize < layout.tableEntries * 4 ||
        size - ILWinBmp::kHeaderSize - layout.tableEntries * 4 < rows) {
        BadDib();
    }
    return layout;
}

}  // namespace

ILWinBmp::ILWinBmp()
{
    Recreate(16, 16, 8, false, false);
}

ILWinBmp::ILWinBmp(const ILBmp& source)
{
    InternalCopy(source);
}

ILWinBmp::ILWinBmp(const ILWinBmp& source) : ILBmp()
{
    InternalCopy(source);
}

ILWinBmp& ILWinBmp::operator=(const ILWinBmp& other)
{
    CreateCopy(other, 0);
    return *this;
}

ILWinBmp::~ILWinBmp()
{
    ILWinBmp::freeMembers();
}

std::size_t ILWinBmp::GetMemUsed() const
{
    return m_dibSize + 56;
}

int ILWinBmp::GetBytesPerLine() const
{
    return BytesPerLineFor(m_size.x, m_bitsPerPixel);
}

int ILWinBmp::BytesPerLineFor(int width, int bitsPerPixel)
{
    std::int64_t bytes = static_cast<std::int64_t>(width) * bitsPerPixel / 8;
    if (bitsPerPixel == 1 && width % 8 != 0) {
        ++bytes;
    }
    return static_cast<int>((bytes + 3) & ~std::int64_t{3});
}

std::size_t ILWinBmp::BlockSize(int width, int height, int bitsPerPixel)
{
    return kHeaderSize + 4 * TableEntries(bitsPerPixel) +
           static_cast<std::size_t>(BytesPerLineFor(width, bitsPerPixel)) * static_cast<std::size_t>(height);
}

void ILWinBmp::internalCreate(int width, int height, int bitsPerPixel, bool alpha, bool greyscale)
{
    m_dibSize = BlockSize(width, height, bitsPerPixel);
    m_dib.reset(new (std::nothrow) std::uint8_t[m_dibSize]());
    if (!m_dib) {
        m_dibSize = 0;
        throw ILTextException(ILTextException::noMemory, "Out of memory creating bitmap.");
    }
    std::uint8_t* header = m_dib.get();
    WriteU32(header, kHeaderSize);
    WriteU32(header + 4, static_cast<std::uint32_t>(width));
    WriteU32(header + 8, static_cast<std::uint32_t>(height));
    WriteU16(header + 12, 1);
    WriteU16(header + 14, static_cast<std::uint16_t>(bitsPerPixel));
    ++m_lockCount;
    initPointers();
    Create(width, height, bitsPerPixel, alpha, greyscale);
}

void ILWinBmp::initPointers()
{
    const int depth = ReadU16(m_dib.get() + 14);
    if (depth < 16) {
        m_palette = reinterpret_cast<ILPixel32*>(m_dib.get() + kHeaderSize);
        m_bits = m_dib.get() + kHeaderSize + 4 * TableEntries(depth);
    } else {
        m_palette = nullptr;
        m_bits = m_dib.get() + kHeaderSize;
    }
}

void ILWinBmp::initLineArray()
{
    const auto bytesPerLine = static_cast<std::size_t>(GetBytesPerLine());
    const auto height = static_cast<std::size_t>(m_size.y);
    m_lines.resize(height);
    for (std::size_t i = 0; i < height; ++i) {
        m_lines[i] = m_bits + (height - 1 - i) * bytesPerLine;
    }
}

void ILWinBmp::freeMembers()
{
    if (m_dib) {
        --m_lockCount;
    }
    m_dib.reset();
    m_dibSize = 0;
    m_bits = nullptr;
    m_palette = nullptr;
    m_lines.clear();
    m_lines.shrink_to_fit();
}

void ILWinBmp::CreateFromDIB(const std::uint8_t* dib, std::size_t size)
{
    const DibLayout layout = ReadLayout(dib, size);
    Recreate(layout.width, layout.height, layout.bitsPerPixel, false, false);
    const std::size_t ownEntries = TableEntries(layout.bitsPerPixel);
    const std::uint8_t* rows = dib + kHeaderSize + 4 * layout.tableEntries;
    if (ownEntries > 0) {
        std::fill(m_palette, m_palette + ownEntries, ILPixel32());
        std::memcpy(m_palette, dib + kHeaderSize, 4 * layout.tableEntries);
    }
    std::memcpy(m_bits, rows, m_dibSize - kHeaderSize - 4 * ownEntries);
}

void ILWinBmp::CreateFromDIBWithPalette(const std::uint8_t* dib, std::size_t size, const ILPixel32* palette,
                                        int count)
{
    CreateFromDIB(dib, size);
    if (palette == nullptr || m_bitsPerPixel > 8) {
        return;
    }
    const int entries = std::min(count, GetNumColors());
    for (int i = 0; i < entries; ++i) {
        m_palette[i] = ILPixel32(palette[i].r, palette[i].g, palette[i].b, 0);
    }
}

void ILWinBmp::CreateFromResource(int resourceId)
{
    const auto found = FindResource("BITMAP", resourceId);
    if (!found) {
        throw ILTextException(ILTextException::fileNotFound, "Bitmap resource not found.");
    }
    CreateFromDIB(found->data(), found->size());
}

std::vector<std::uint8_t> ILWinBmp::CopyToGlobalMemory() const
{
    return std::vector<std::uint8_t>(m_dib.get(), m_dib.get() + m_dibSize);
}

void ILWinBmp::CreateFromHBitmap(HBITMAP bitmap)
{
    if (bitmap == nullptr) {
        throw ILTextException(ILTextException::badFormat, "No bitmap.");
    }
    const std::size_t pixels = static_cast<std::size_t>(std::max(bitmap->width, 0)) *
                               static_cast<std::size_t>(std::max(bitmap->height, 0));
    if (bitmap->bgra.size() < pixels * 4) {
        throw ILTextException(ILTextException::badFormat, "Bitmap smaller than its size.");
    }
    CreateFromData(bitmap->width, bitmap->height, 32, false, false, bitmap->bgra.data(), 0, ILPoint(0, 0));
}

bool ILWinBmp::CopyToClipboard() const
{
    IClipboard* clipboard = GetClipboard();
    return clipboard != nullptr && clipboard->SetDib(CopyToGlobalMemory());
}

bool ILWinBmp::CreateFromClipboard(UINT format)
{
    IClipboard* clipboard = GetClipboard();
    if (clipboard == nullptr || (format != CF_BITMAP && format != CF_DIB) || !clipboard->IsFormatAvailable(format)) {
        return false;
    }
    if (format == CF_BITMAP) {
        const std::unique_ptr<HBITMAP__, void (*)(HBITMAP)> bitmap(clipboard->GetBitmap(), &DeleteBitmapHandle);
        if (bitmap == nullptr) {
            return false;
        }
        CreateFromHBitmap(bitmap.get());
        return true;
    }
    std::vector<std::uint8_t> dib;
    if (!clipboard->GetDib(dib)) {
        return false;
    }
    // The DIB carries its own colour table, which stands for the clipboard's palette here.
    CreateFromDIBWithPalette(dib.data(), dib.size(), nullptr, 0);
    return true;
}

void ILWinBmp::CopyPalette(const ILBmp& other)
{
    if (m_bitsPerPixel > 8 || other.GetBitsPerPixel() > 8 || m_palette == nullptr || other.GetPalette() == nullptr) {
        return;
    }
    const int count = std::min(other.GetNumColors(), GetNumColors());
    std::memcpy(m_palette, other.GetPalette(), static_cast<std::size_t>(count) * sizeof(ILPixel32));
}

void ILWinBmp::AlphaBlt(const ILWinBmp& source, int x, int y)
{
    const int depth = source.GetBitsPerPixel();
    if (m_bitsPerPixel != 32 || (depth != 1 && depth != 8 && depth != 32)) {
        throw ILTextException(ILTextException::notSupported, "Alpha blending needs a 32-bit target.");
    }
    const int firstRow = std::max(0, -y);
    const int lastRow = std::min(source.GetHeight(), m_size.y - y);
    const int firstColumn = std::max(0, -x);
    const int lastColumn = std::min(source.GetWidth(), m_size.x - x);
    const int fromBytes = source.GetBytesPerLine();
    const int toBytes = GetBytesPerLine();
    const ILPixel32* palette = source.GetPalette();
    for (int r = firstRow; r < lastRow; ++r) {
        const std::uint8_t* from = source.m_bits + static_cast<std::size_t>(r) * fromBytes;
        std::uint8_t* to = m_bits + static_cast<std::size_t>(y + r) * toBytes;
        for (int c = firstColumn; c < lastColumn; ++c) {
            ILPixel32 pixel;
            if (depth == 32) {
                std::memcpy(&pixel, from + 4 * c, 4);
            } else if (depth == 8) {
                pixel = palette[from[c]];
            } else {
                pixel = palette[(from[c / 8] >> (7 - c % 8)) & 1];
            }
            std::uint8_t* target = to + 4 * (x + c);
            if (!source.HasAlpha()) {
                target[0] = pixel.b;
                target[1] = pixel.g;
                target[2] = pixel.r;
                target[3] = pixel.a;
                continue;
            }
            const int a = pixel.a;
            target[0] = static_cast<std::uint8_t>((target[0] * (255 - a) + pixel.b * a) >> 8);
            target[1] = static_cast<std::uint8_t>((target[1] * (255 - a) + pixel.g * a) >> 8);
            target[2] = static_cast<std::uint8_t>((target[2] * (255 - a) + pixel.r * a) >> 8);
        }
    }
}

void ILWinBmp::TracePalette() const
{
    if (m_palette == nullptr) {
        return;
    }
    const int count = GetNumColors();
    for (int i = 0; i < count; ++i) {
        char line[64];
        std::snprintf(line, sizeof line, "%d: %d, %d, %d\n", i, m_palette[i].r, m_palette[i].g, m_palette[i].b);
        ILDebugOutput(line);
    }
}
