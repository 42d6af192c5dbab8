#include "render/gltextimagecache.h"

#include <cmath>

#include "drawapi/tarnisview.h"
#include "render/textbitmaprenderer.h"

CGLTextImageCache::~CGLTextImageCache()
{
    CGLTextImageCache::Reset();
}

void CGLTextImageCache::UploadTexture(int width, int height, const void* pixels, int bitsPerPixel, int stride,
                                      bool bottomUp)
{
    m_image.Upload(width, height, pixels, bitsPerPixel, stride, bottomUp);
}

void CGLTextImageCache::Draw(ITarnisView* view)
{
    m_image.Draw(view);
}

void CGLTextImageCache::SetText(const CString& text, int alignment, CTwFont* font, ITarnisView* view)
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

void CGLTextImageCache::Reset()
{
    m_key = CTextImageKey{};
    m_image.Release();
}

bool CGLTextImageCache::IsValid() const
{
    const double scale = m_image.GetScale();
    return std::isfinite(scale) && scale != 0.0 && m_key.HasValidAlignment();
}
