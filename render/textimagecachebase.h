#pragma once
// CTextImageCacheBase: a text label kept as an alpha image of the given kind (one texture
// or a grid of them), rendered again only when the text, alignment or font change, the
// image's context is gone or the shared store of label pictures (CTextPictureStore) let
// the picture go to make room. A picture let go keeps its size, so that picking and
// extents see the label as drawn last. A pick makes no picture: it measures the text
// and names the rectangle the picture would cover, so that picking many labels costs
// what their rectangles cost. A rendering given up because the frame must stop
// (CFrameMeter) is tried again on the next draw.

#include "drawapi/glenums.h"
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
        if (IsPicking(view)) {
            DrawOutline(*view);
            return;
        }
        CTextPictureStore::Get().Touch(*this);
        m_image.Draw(view);
    }
    [[nodiscard]] int GetWidth() const override { return m_letGo ? m_width : m_image.GetWidth(); }
    [[nodiscard]] int GetHeight() const override { return m_letGo ? m_height : m_image.GetHeight(); }
    void SetText(const CString& text, int alignment, CTwFont* font, ITarnisView* view) override
    {
        const double scale = GetTextScale(view);
        if (IsPicking(view)) {
            TakeSize(text, alignment, font, scale);
            return;
        }
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
    // A pick asks only where the label lies: its picture is neither made nor drawn.
    [[nodiscard]] static bool IsPicking(const ITarnisView* view)
    {
        return view != nullptr && view->GetDrawMode() == IModelView::kDrawModeSelection;
    }
    // The size the picture would have, measured without making it; the picture is made
    // when a frame draws the label.
    void TakeSize(const CString& text, int alignment, CTwFont* font, double scale)
    {
        if (m_key.Matches(text, alignment, font, scale)) {
            return;
        }
        ReleaseImage();
        m_key = CTextImageKey{text, alignment, font, scale};
        m_letGo = true;
        m_width = 0;
        m_height = 0;
        if (!text.IsEmpty() && !GetTextBitmapRenderer().Measure(font, text, m_width, m_height, scale)) {
            m_width = 0;
            m_height = 0;
        }
    }
    // The rectangle the picture covers, which is all a pick needs. It goes through the
    // view, which sends a pick's vertices from an array of its own: the software driver
    // keeps for good every vertex buffer a pick's immediate mode reached.
    void DrawOutline(ITarnisView& view) const
    {
        const double width = GetWidth();
        const double height = GetHeight();
        if (width <= 0.0 || height <= 0.0) {
            return;
        }
        (void)CFrameMeter::Charge(CFrameMeter::kDrawCallCost);
        view.BeginPrimitive(glenum::kQuads);
        view.Vertex(0.0, 0.0, 0.0);
        view.Vertex(width, 0.0, 0.0);
        view.Vertex(width, height, 0.0);
        view.Vertex(0.0, height, 0.0);
        view.EndPrimitive();
    }
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
