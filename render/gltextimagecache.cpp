#include "render/gltextimagecache.h"

#include <cmath>
#include <cstdint>

#include "foundation/framemeter.h"

namespace {

// Reducing reads every colour channel of every pixel, through a filter that costs about
// as much a channel as rasterising costs a pixel.
constexpr std::uint64_t kReducedChannels = 3;

}  // namespace

void CGLTextImageCache::UploadTexture(int width, int height, const void* pixels, int bitsPerPixel, int stride,
                                      bool bottomUp)
{
    const bool reduced = width > CGLImage::kLargestSide || height > CGLImage::kLargestSide;
    if (reduced && width > 0 && height > 0) {
        const std::uint64_t channels = kReducedChannels * static_cast<std::uint64_t>(width) * height;
        if (!CFrameMeter::Charge(CFrameMeter::PixelUnits(channels, CFrameMeter::kPixelsPerUnit))) {
            return;
        }
    }
    CTextImageCacheBase<CGLImage>::UploadTexture(width, height, pixels, bitsPerPixel, stride, bottomUp);
}

bool CGLTextImageCache::IsValid() const
{
    const double scale = GetImage().GetScale();
    return std::isfinite(scale) && scale != 0.0 && CTextImageCacheBase::IsValid();
}
