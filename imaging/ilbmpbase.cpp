#include "imaging/ilbmpbase.h"

#include <cstdlib>
#include <cstring>

#include "imaging/iltextexception.h"

namespace {

bool Within(int a, int b, int tolerance)
{
    return std::abs(a - b) <= tolerance;
}

}  // namespace

void ILBmpBase::Create(int width, int height, int bitsPerPixel, bool alpha, bool greyscale)
{
    SetBmpInfo(ILPoint(width, height), bitsPerPixel, ILPoint(0, 0), alpha, greyscale);
}

int ILBmpBase::GetNumColors() const
{
    if (m_bitsPerPixel >= 32) {
        return 0x1000000;
    }
    return 1 << m_bitsPerPixel;
}

void ILBmpBase::SetPalette(const ILPixel32* entries)
{
    if (m_palette != nullptr && entries != nullptr) {
        std::memcpy(m_palette, entries, static_cast<std::size_t>(GetNumColors()) * sizeof(ILPixel32));
    }
}

void ILBmpBase::SetPaletteEntry(int index, std::uint8_t red, std::uint8_t green, std::uint8_t blue,
                                std::uint8_t alpha)
{
    if (m_palette == nullptr || index < 0 || index >= GetNumColors()) {
        throw ILTextException(ILTextException::internalError, "Palette index out of range.");
    }
    m_palette[index] = ILPixel32(red, green, blue, alpha);
}

void ILBmpBase::SetGreyPalette()
{
    if (m_palette == nullptr) {
        return;
    }
    const int count = GetNumColors();
    const int step = 255 / (count - 1);
    for (int i = 0; i < count; ++i) {
        const auto grey = static_cast<std::uint8_t>(i * step);
        m_palette[i] = ILPixel32(grey, grey, grey, 255);
    }
}

void ILBmpBase::SetAlphaChannel(const ILBmpBase& alphaBmp)
{
    if (m_bitsPerPixel != 32 || alphaBmp.m_bitsPerPixel != 8 || alphaBmp.m_size != m_size) {
        throw ILTextException(ILTextException::internalError,
                              "An alpha channel needs a 32-bit bitmap and an 8-bit one of its size.");
    }
    for (int y = 0; y < m_size.y; ++y) {
        auto* row = reinterpret_cast<ILPixel32*>(m_lines[static_cast<std::size_t>(y)]);
        const std::uint8_t* alpha = alphaBmp.m_lines[static_cast<std::size_t>(y)];
        for (int x = 0; x < m_size.x; ++x) {
            row[x].a = alpha[x];
        }
    }
    m_alpha = true;
}

std::uint8_t ILBmpBase::FindNearestColor(const ILPixel32& colour) const
{
    if (m_palette == nullptr) {
        return 0;
    }
    int best = 0;
    int bestDistance = 100000;
    const int count = GetNumColors();
    for (int i = 0; i < count; ++i) {
        const ILPixel32& entry = m_palette[i];
        const int distance = std::abs(entry.r - colour.r) + std::abs(entry.g - colour.g) +
                             std::abs(entry.b - colour.b);
        if (distance < bestDistance) {
            bestDistance = distance;
            best = i;
        }
    }
    return static_cast<std::uint8_t>(best);
}

bool ILBmpBase::AlmostEqual(const ILBmpBase& other, int tolerance) const
{
    if (m_size != other.m_size || m_alpha != other.m_alpha || m_greyscale != other.m_greyscale ||
        m_bitsPerPixel != other.m_bitsPerPixel || m_resolution != other.m_resolution) {
        return false;
    }
    if (m_lines.size() != other.m_lines.size()) {
        return false;
    }
    return PixelsAlmostEqual(other, tolerance) && PalettesAlmostEqual(other, tolerance);
}

std::int64_t ILBmpBase::PixelBytesPerRow(int width, int bitsPerPixel)
{
    return (static_cast<std::int64_t>(width) * bitsPerPixel + 7) / 8;
}

bool ILBmpBase::PixelsAlmostEqual(const ILBmpBase& other, int tolerance) const
{
    const int width = m_size.x;
    for (std::size_t y = 0; y < m_lines.size(); ++y) {
        const std::uint8_t* a = m_lines[y];
        const std::uint8_t* b = other.m_lines[y];
        switch (m_bitsPerPixel) {
        case 1: {
            // Bits past the last pixel are padding and may differ.
            const int fullBytes = width / 8;
            if (std::memcmp(a, b, static_cast<std::size_t>(fullBytes)) != 0) {
                return false;
            }
            if (width % 8 != 0) {
                const auto mask = static_cast<std::uint8_t>(0xFF << (8 - width % 8));
                if (((a[fullBytes] ^ b[fullBytes]) & mask) != 0) {
                    return false;
                }
            }
            break;
        }
        case 8:
            for (int x = 0; x < width; ++x) {
                if (!Within(a[x], b[x], tolerance)) {
                    return false;
                }
            }
            break;
        case 16:
        case 24:
            if (std::memcmp(a, b, static_cast<std::size_t>(PixelBytesPerRow(width, m_bitsPerPixel))) != 0) {
                return false;
            }
            break;
        case 32:
            for (int x = 0; x < width; ++x) {
                const std::uint8_t* pa = a + 4 * x;
                const std::uint8_t* pb = b + 4 * x;
                if (!Within(pa[0], pb[0], tolerance) || !Within(pa[1], pb[1], tolerance) ||
                    !Within(pa[2], pb[2], tolerance) || (m_alpha && !Within(pa[3], pb[3], tolerance))) {
                    return false;
                }
            }
            break;
        default:
            break;
        }
    }
    return true;
}

bool ILBmpBase::PalettesAlmostEqual(const ILBmpBase& other, int tolerance) const
{
    if (m_bitsPerPixel > 8 || m_palette == nullptr || other.m_palette == nullptr) {
        return true;
    }
    const int count = GetNumColors();
    for (int i = 0; i < count; ++i) {
        const ILPixel32& a = m_palette[i];
        const ILPixel32& b = other.m_palette[i];
        if (!Within(a.r, b.r, tolerance) || !Within(a.g, b.g, tolerance) || !Within(a.b, b.b, tolerance)) {
            return false;
        }
    }
    return true;
}
