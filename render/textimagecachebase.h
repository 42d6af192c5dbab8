#pragma once
// CTextImageCacheBase: a text label kept as an alpha image of the given kind (one texture
// or a grid of them), rendered again only when the text, alignment or font change or the
// image's context is gone.

#include "drawapi/gltextimagecache.h"
#include "drawapi/tarnisview.h"
#include "render/textbitmaprenderer.h"
#include "render/textimagekey.h"

template <typename TImage>
class CTextImageCacheBase : public IGLTextImageCache
{
public:
    CTextImageCacheBase() = default;
    CTextImageCacheBase(const CTextImageCacheBase&) = delete;
    CTextImageCacheBase& operator=(const CTextImageCacheBase&) = delete;
    ~CTextImageCacheBase() override { ReleaseAll(); }

    void UploadTexture(int width, int height, const void* pixels, int bitsPerPixel, int stride,
                       bool bottomUp) override
    {
        m_image.Upload(width, height, pixels, bitsPerPixel, stride, bottomUp);
    }
    void Draw(ITarnisView* view) override { m_image.Draw(view); }
    [[nodiscard]] int GetWidth() const override { return m_image.GetWidth(); }
    [[nodiscard]] int GetHeight() const override { return m_image.GetHeight(); }
    void SetText(const CString& text, int alignment, CTwFont* font, ITarnisView* view) override
    {
        const double scale = GetTextScale(view);
        if (m_key.Matches(text, alignment, font, scale) && !m_image.IsStale()) {
            return;
        }
        m_image.Release();
        if (!text.IsEmpty()) {
            RenderTextToBitmap(font, text, alignment, view, this);
        }
        m_key = CTextImageKey{text, alignment, font, scale};
    }
    void Reset() override { ReleaseAll(); }
    [[nodiscard]] bool IsValid() const override { return m_key.HasValidAlignment(); }

    [[nodiscard]] const TImage& GetImage() const { return m_image; }

private:
    void ReleaseAll()
    {
        m_key = CTextImageKey{};
        m_image.Release();
    }

    TImage m_image;
    CTextImageKey m_key;
};
