#include "imaging/ilbmpinfo.h"

#include <cstdio>

namespace {

constexpr const char* kTextForm = "{ Size: (%i, %i), bpp: %i, Resolution: (%i, %i), Alpha: %i, Greyscale: %i }";

}  // namespace

ILBmpInfo::ILBmpInfo(const ILPoint& size, int bitsPerPixel, const ILPoint& resolution, bool alpha,
                     bool greyscale)
    : m_size(size), m_bitsPerPixel(bitsPerPixel), m_resolution(resolution), m_alpha(alpha),
      m_greyscale(greyscale)
{
}

ILBmpInfo::ILBmpInfo(const char* text)
{
    int width = 0;
    int height = 0;
    int alpha = 0;
    int greyscale = 0;
    if (text != nullptr) {
        (void)std::sscanf(text, kTextForm, &width, &height, &m_bitsPerPixel, &m_resolution.x,
                          &m_resolution.y, &alpha, &greyscale);
    }
    m_size = ILPoint(width, height);
    m_alpha = alpha != 0;
    m_greyscale = greyscale != 0;
}

void ILBmpInfo::SetBmpInfo(const ILPoint& size, int bitsPerPixel, const ILPoint& resolution, bool alpha,
                           bool greyscale)
{
    m_size = size;
    m_bitsPerPixel = bitsPerPixel;
    m_resolution = resolution;
    m_alpha = alpha;
    m_greyscale = greyscale;
}

std::string ILBmpInfo::AsString() const
{
    char buffer[160];
    std::snprintf(buffer, sizeof buffer, kTextForm, m_size.x, m_size.y, m_bitsPerPixel, m_resolution.x,
                  m_resolution.y, m_alpha ? 1 : 0, m_greyscale ? 1 : 0);
    return buffer;
}

bool operator==(const ILBmpInfo& a, const ILBmpInfo& b)
{
    return a.m_size == b.m_size && a.m_bitsPerPixel == b.m_bitsPerPixel && a.m_resolution == b.m_resolution &&
           a.m_alpha == b.m_alpha && a.m_greyscale == b.m_greyscale;
}
