#include "render/gltextimagecache.h"

#include <cmath>

bool CGLTextImageCache::IsValid() const
{
    const double scale = GetImage().GetScale();
    return std::isfinite(scale) && scale != 0.0 && CTextImageCacheBase::IsValid();
}
