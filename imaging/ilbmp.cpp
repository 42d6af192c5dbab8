#include "imaging/ilbmp.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <new>

#include "imaging/ilanybmp.h"
#include "imaging/ilfilter.h"
#include "imaging/ilfilterquantize.h"
#include "imaging/ilpixel16.h"
#include "imaging/ilpixel24.h"
#include "imaging/iltextexception.h"

namespace {

bool IsDepth(int bitsPerPixel)
{
    return bitsPerPixel == 1 || bitsPerPixel == 8 || bitsPerPixel == 16 || bitsPerPixel == 24 ||
           bitsPerPixel == 32;
}

bool CanConvert(int from, int to)
{
    switch (to) {
    case 32:
    case 24:
        return true;
    case 16:
        return from != 16;
    case 8:
        return from == 1 || from == 32;
    case 1:
        return from == 8 || from == 32;
    default:
        return false;
    }
}

bool BitAt(const std::uint8_t* row, int x)
{
    return (row[x / 8] & (0x80 >> (x % 8))) != 0;
}

// The colour of pixel x of a row of any depth, through the palette for depths up to 8.
ILPixel32 ColourAt(const std::uint8_t* row, int x, int bitsPerPixel, const ILPixel32* palette)
{
    switch (bitsPerPixel) {
    case 1:
        return palette[BitAt(row, x) ? 1 : 0];
    case 8:
        return palette[row[x]];
    case 16: {
        ILPixel16 pixel;
        std::memcpy(&pixel.word, row + 2 * x, 2);
        return ILPixel32(pixel.GetR(), pixel.GetG(), pixel.GetB(), 255);
    }
    case 24:
        return ILPixel32(row[3 * x + 2], row[3 * x + 1], row[3 * x], 255);
    default: {
        ILPixel32 pixel;
        std::memcpy(&pixel, row + 4 * x, 4);
        return pixel;
    }
    }
}

void ConvertRow(const std::uint8_t* from, int fromDepth, const ILPixel32* palette, std::uint8_t* to, int toDepth,
                int width, int bytesPerLine)
{
    if (toDepth == 1) {
        std::memset(to, 0, static_cast<std::size_t>(bytesPerLine));
    }
    for (int x = 0; x < width; ++x) {
        if (toDepth == 8) {
            to[x] = BitAt(from, x) ? 1 : 0;  // only 1-bit sources reach 8 bits
            continue;
        }
        const ILPixel32 colour = ColourAt(from, x, fromDepth, palette);
        switch (toDepth) {
        case 32:
            std::memcpy(to + 4 * x, &colour, 4);
            break;
        case 24:
            to[3 * x] = colour.b;
            to[3 * x + 1] = colour.g;
            to[3 * x + 2] = colour.r;
            break;
        case 16: {
            const ILPixel16 packed(colour.r, colour.g, colour.b);
            std::memcpy(to + 2 * x, &packed.word, 2);
            break;
        }
        default:
            if (colour.r < 128 && colour.g < 128 && colour.b < 128) {
                to[x / 8] = static_cast<std::uint8_t>(to[x / 8] | (0x80 >> (x % 8)));
            }
            break;
        }
    }
}

}  // namespace

ILBmp& ILBmp::operator=(const ILBmp& other)
{
    CreateCopy(other, 0);
    return *this;
}

void ILBmp::Create(int width, int height, int bitsPerPixel, bool alpha, bool greyscale)
{
    ILBmpBase::Create(width, height, bitsPerPixel, alpha, greyscale);
    initLineArray();
    if (bitsPerPixel < 16) {
        SetGreyPalette();
    }
}

void ILBmp::CreateFromInfo(const ILBmpInfo& info)
{
    CreateFromData(info.GetWidth(), info.GetHeight(), info.GetBitsPerPixel(), info.HasAlpha(),
                   info.IsGreyscale(), nullptr, 0, info.GetResolution());
}

void ILBmp::CreateFromData(int width, int height, int bitsPerPixel, bool alpha, bool greyscale,
                           const std::uint8_t* data, int stride, const ILPoint& resolution)
{
    Recreate(width, height, bitsPerPixel, alpha, greyscale);
    m_resolution = resolution;
    if (data == nullptr) {
        return;
    }
    const std::int64_t rowBytes = PixelBytesPerRow(width, bitsPerPixel);
    const std::int64_t step = stride != 0 ? stride : rowBytes;
    for (int y = 0; y < height; ++y) {
        std::memcpy(m_lines[static_cast<std::size_t>(y)], data + y * step, static_cast<std::size_t>(rowBytes));
    }
}

void ILBmp::Lock(bool /*readable*/, bool /*writable*/)
{
    ++m_lockCount;
}

void ILBmp::Unlock()
{
    --m_lockCount;
}

void ILBmp::CreateCopy(const ILBmp& source, int bitsPerPixel)
{
    const int fromDepth = source.GetBitsPerPixel();
    if (bitsPerPixel == 0 || bitsPerPixel == fromDepth) {
        if (&source != this) {
            InternalCopy(source);
        }
        return;
    }
    if (!CanConvert(fromDepth, bitsPerPixel)) {
        throw ILTextException(ILTextException::notSupported, "Conversion between these bit depths is not supported.");
    }
    if (&source == this) {
        // Recreating frees the pixels the conversion would read.
        const ILAnyBmp original(*this);
        CreateCopy(original, bitsPerPixel);
        return;
    }
    if (fromDepth == 32 && bitsPerPixel == 8) {
        ILFilterQuantize(m_ditherPaletteType, m_ditherType).Apply(source, *this);
        return;
    }
    const bool alpha = source.HasAlpha() && bitsPerPixel == 32;
    const bool greyscale = source.IsGreyscale() && bitsPerPixel == 8;
    CreateFromData(source.GetWidth(), source.GetHeight(), bitsPerPixel, alpha, greyscale, nullptr, 0,
                   ILPoint(0, 0));
    ConvertFrom(source);
    m_resolution = source.GetResolution();
}

void ILBmp::ConvertFrom(const ILBmp& source)
{
    const int fromDepth = source.GetBitsPerPixel();
    if (m_bitsPerPixel == 8) {
        SetPaletteEntry(0, source.m_palette[0].r, source.m_palette[0].g, source.m_palette[0].b, 255);
        SetPaletteEntry(1, source.m_palette[1].r, source.m_palette[1].g, source.m_palette[1].b, 255);
    } else if (m_bitsPerPixel == 1) {
        SetPaletteEntry(0, 255, 255, 255, 255);
        SetPaletteEntry(1, 0, 0, 0, 255);
    }
    const int bytesPerLine = GetBytesPerLine();
    for (std::size_t y = 0; y < m_lines.size(); ++y) {
        ConvertRow(source.m_lines[y], fromDepth, source.m_palette, m_lines[y], m_bitsPerPixel, m_size.x,
                   bytesPerLine);
    }
}

void ILBmp::ApplyFilter(const ILFilter& filter)
{
    filter.ApplyInPlace(*this);
}

void ILBmp::ApplyFilter(const ILFilter& filter, ILBmp& destination) const
{
    filter.Apply(*this, destination);
}

void ILBmp::SetQuantizationMode(int ditherType, int ditherPaletteType)
{
    m_ditherType = ditherType;
    m_ditherPaletteType = ditherPaletteType;
}

void ILBmp::SetHasAlpha(bool hasAlpha)
{
    if (m_bitsPerPixel == 16 || m_bitsPerPixel == 24) {
        if (hasAlpha) {
            throw ILTextException(ILTextException::notSupported, "Only 32-bit and palette bitmaps carry alpha.");
        }
        return;
    }
    if (!m_alpha && hasAlpha) {
        if (m_bitsPerPixel == 32) {
            for (std::size_t y = 0; y < m_lines.size(); ++y) {
                for (int x = 0; x < m_size.x; ++x) {
                    m_lines[y][4 * x + 3] = 255;
                }
            }
        } else if (m_palette != nullptr) {
            const int count = GetNumColors();
            for (int i = 0; i < count; ++i) {
                m_palette[i].a = 255;
            }
        }
    }
    m_alpha = hasAlpha;
}

void ILBmp::InternalCopy(const ILBmp& source)
{
    Recreate(source.GetWidth(), source.GetHeight(), source.GetBitsPerPixel(), source.HasAlpha(),
             source.IsGreyscale());
    // The two bitmaps may pad their rows differently; only the pixel bytes are shared.
    const auto rowBytes = static_cast<std::size_t>(PixelBytesPerRow(m_size.x, m_bitsPerPixel));
    for (std::size_t y = 0; y < m_lines.size(); ++y) {
        std::memcpy(m_lines[y], source.m_lines[y], rowBytes);
    }
    if (m_bitsPerPixel <= 8 && m_palette != nullptr && source.m_palette != nullptr) {
        std::memcpy(m_palette, source.m_palette, static_cast<std::size_t>(GetNumColors()) * sizeof(ILPixel32));
    }
    m_resolution = source.GetResolution();
}

namespace {

std::atomic<std::int64_t> g_maxPixels{ILBmp::kMaxPixels};

}  // namespace

std::int64_t ILBmp::GetMaxPixels()
{
    return g_maxPixels.load(std::memory_order_relaxed);
}

void ILBmp::SetMaxPixels(std::int64_t pixels)
{
    g_maxPixels.store(std::clamp<std::int64_t>(pixels, 1, kMaxPixels), std::memory_order_relaxed);
}

void ILBmp::Recreate(int width, int height, int bitsPerPixel, bool alpha, bool greyscale)
{
    if (!IsDepth(bitsPerPixel) || width < 0 || height < 0) {
        throw ILTextException(ILTextException::internalError, "Bitmap size or depth not supported.");
    }
    const std::int64_t maxPixels = GetMaxPixels();
    if (width > maxPixels || height > maxPixels || static_cast<std::int64_t>(width) * height > maxPixels) {
        throw ILTextException(ILTextException::noMemory, "Bitmap too large.");
    }
    freeMembers();
    try {
        internalCreate(width, height, bitsPerPixel, alpha, greyscale);
    } catch (const std::bad_alloc&) {
        freeMembers();
        m_size = ILPoint(0, 0);
        throw ILTextException(ILTextException::noMemory, "Out of memory creating bitmap.");
    } catch (...) {
        freeMembers();
        m_size = ILPoint(0, 0);
        throw;
    }
}
