#include "render/gltiledtextimagecache.h"

#include "drawapi/tarnisview.h"
#include "render/textbitmaprenderer.h"

CGLTiledTextImageCache::~CGLTiledTextImageCache()
{
    CGLTiledTextImageCache::Reset();
}

void CGLTiledTextImageCache::UploadTexture(int width, int height, const void* pixels, int bitsPerPixel, int stride,
                                           bool bottomUp)
{
    m_image.Upload(width, height, pixels, bitsPerPixel, stride, bottomUp);
}

void CGLTiledTextImageCache::Draw(ITarnisView* view)
{
    m_image.Draw(view);
}

void CGLTiledTextImageCache::SetText(const CString& text, int alignment, CTwFont* font, ITarnisView* view)
{
    if (m_key.Matches(text, alignment, font) && !m_image.IsStale()) {
        return;
    }
    m_image.Release();
    if (!text.IsEmpty()) {
        RenderTextToBitmap(font, text, alignment, view, this);
    }
    m_key = CTextImageKey{text, alignment, font};
}

void CGLTiledTextImageCache::Reset()
{
    m_key = CTextImageKey{};
    m_image.Release();
}

bool CGLTiledTextImageCache::IsValid() const
{
    return m_key.HasValidAlignment();
}
