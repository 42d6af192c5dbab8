#pragma once
// CGLTiledTextImageCache: a text label kept at full resolution as a grid of alpha
// textures (CGLTiledImage), for labels that may be larger than one texture. Text
// entities use it.

#include "drawapi/gltextimagecache.h"
#include "render/gltiledimage.h"
#include "render/textimagekey.h"

class CGLTiledTextImageCache : public IGLTextImageCache
{
public:
    CGLTiledTextImageCache() = default;
    CGLTiledTextImageCache(const CGLTiledTextImageCache&) = delete;
    CGLTiledTextImageCache& operator=(const CGLTiledTextImageCache&) = delete;
    ~CGLTiledTextImageCache() override;

    void UploadTexture(int width, int height, const void* pixels, int bitsPerPixel, int stride,
                       bool bottomUp) override;
    void Draw(ITarnisView* view) override;
    [[nodiscard]] int GetWidth() const override { return m_image.GetWidth(); }
    [[nodiscard]] int GetHeight() const override { return m_image.GetHeight(); }
    void SetText(const CString& text, int alignment, CTwFont* font, ITarnisView* view) override;
    void Reset() override;
    [[nodiscard]] bool IsValid() const override;

    [[nodiscard]] const CGLTiledImage& GetImage() const { return m_image; }

private:
    CGLTiledImage m_image;
    CTextImageKey m_key;
};
