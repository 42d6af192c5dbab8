#pragma once
// CTextImageCacheBase: a text label kept as an alpha image of the given kind (one texture
// or a grid of them), rendered again only when the text, alignment or font change, the
// image's context is gone or the shared store of label pictures (CTextPictureStore) let
// the picture go to make room. A picture let go keeps its size, so that picking and
// extents see the label as drawn last. A rendering given up because the frame must stop
// (CFrameMeter) is tried again on the next draw.

#include "drawapi/gltextimagecache.h"
#include "drawapi/tarnisview.h"
#include <cstddef>

#include "foundation/framemeter.h"
#include "render/glimage.h"
#include "render/gltiledimage.h"
#include "render/textbitmaprenderer.h"
#include "render/textimagekey.h"
#include "render/textpicturestore.h"

// The texel bytes the image's textures hold: the store weighs its pictures by them.
[[nodiscard]] inline std::size_t TexelBytes(const CGLImage& image)
{
    return image.HasTexture() ? static_cast<std::size_t>(image.GetTextureWidth()) * image.GetTextureHeight() : 0;
}
[[nodiscard]] inline std::size_t TexelBytes(const CGLTiledImage& image)
{
    if (!image.HasTextures()) {
        return 0;
    }
    std::size_t width = 0;
    std::size_t height = 0;
    for (int i = 0; i < image.GetColumns().count; ++i) {
        width += static_cast<std::size_t>(image.GetColumns().sizes[i]);
    }
    for (int i = 0; i < image.GetRows().count; ++i) {
        height += static_cast<std::size_t>(image.GetRows().sizes[i]);
    }
    return width * height;
}

template <typename TImage>
class CTextImageCacheBase : public IGLTextImageCache, private CTextPictureStore::IHolder
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
        m_letGo = false;
        CTextPictureStore::Get().Keep(*this, TexelBytes(m_image));
    }
    void Draw(ITarnisView* view) override
    {
        CTextPictureStore::Get().Touch(*this);
        m_image.Draw(view);
    }
    [[nodiscard]] int GetWidth() const override { return m_letGo ? m_width : m_image.GetWidth(); }
    [[nodiscard]] int GetHeight() const override { return m_letGo ? m_height : m_image.GetHeight(); }
    void SetText(const CString& text, int alignment, CTwFont* font, ITarnisView* view) override
    {
        const double scale = GetTextScale(view);
        if (m_key.Matches(text, alignment, font, scale) && !m_letGo && !m_image.IsStale()) {
            return;
        }
        ReleaseImage();
        m_key = CTextImageKey{text, alignment, font, scale};
        if (!text.IsEmpty()) {
            (void)RenderTextToBitmap(font, text, alignment, view, this);
            if (TexelBytes(m_image) == 0 && CFrameMeter::ShouldStop()) {
                // Given up because the frame stops, not refused: the next frame renders it.
                m_key = CTextImageKey{};
            }
        }
    }
    void Reset() override { ReleaseAll(); }
    [[nodiscard]] bool IsValid() const override { return m_key.HasValidAlignment(); }

    [[nodiscard]] const TImage& GetImage() const { return m_image; }

private:
    void LetGoOfPicture() override
    {
        m_width = m_image.GetWidth();
        m_height = m_image.GetHeight();
        m_image.Release();
        m_letGo = true;
    }
    void ReleaseImage()
    {
        CTextPictureStore::Get().Forget(*this);
        m_image.Release();
        m_letGo = false;
    }
    void ReleaseAll()
    {
        m_key = CTextImageKey{};
        ReleaseImage();
    }

    TImage m_image;
    CTextImageKey m_key;
    // The store let the picture go; its size is kept here.
    bool m_letGo = false;
    int m_width = 0;
    int m_height = 0;
};
