#pragma once
// CGLTextImageCache: a text label kept as one alpha texture (CGLImage); a rendering
// larger than 1024 pixels is reduced to fit. Dimension labels and the view's own
// screen texts use it.

#include "render/glimage.h"
#include "render/textimagecachebase.h"

class CGLTextImageCache : public CTextImageCacheBase<CGLImage>
{
public:
    // A rendering to be reduced is charged to the frame first; when the frame must stop
    // it is left out and the cache stays empty.
    void UploadTexture(int width, int height, const void* pixels, int bitsPerPixel, int stride,
                       bool bottomUp) override;
    // A reduced image is valid only while its scale is a usable factor.
    [[nodiscard]] bool IsValid() const override;
};
