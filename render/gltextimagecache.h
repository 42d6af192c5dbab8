#pragma once
// CGLTextImageCache: a text label kept as one alpha texture (CGLImage); a rendering
// larger than 1024 pixels is reduced to fit. Dimension labels and the view's own
// screen texts use it.

#include "drawapi/gltextimagecache.h"
#include "render/glimage.h"
#include "render/textimagekey.h"

class CGLTextImageCache : public IGLTextImageCache
{
public:
    CGLTextImageCache() = default;
    CGLTextImageCache(const CGLTextImageCache&) = delete;
    CGLTextImageCache& operator=(const CGLTextImageCache&) = delete;
    ~CGLTextImageCache() override;

    void UploadTexture(int width, int height, const void* pixels, int bitsPerPixel, int stride,
                       bool bottomUp) override;
    void Draw(ITarnisView* view) override;
    [[nodiscard]] int GetWidth() const override { return m_image.GetWidth(); }
    [[nodiscard]] int GetHeight() const override { return m_image.GetHeight(); }
    void SetText(const CString& text, int alignment, CTwFont* font, ITarnisView* view) override;
    void Reset() override;
    [[nodiscard]] bool IsValid() const override;

    [[nodiscard]] const CGLImage& GetImage() const { return m_image; }

private:
    CGLImage m_image;
    CTextImageKey m_key;
};
