// The view's own texts: the standard view's name in the corner of the frame and text
// placed in window pixels, drawn as text images in the view font; and the texts that
// entities place in the model.

#include <GL/gl.h>

#include <cmath>

#include "document/renderingoptions.h"
#include "document/twfont.h"
#include "platform/profile.h"
#include "render/gltiledtextimagecache.h"
#include "render/installedfontlist.h"
#include "render/tarnisview.h"
#include "render/textdrawing.h"

namespace {

// The ninth of the options' display switches, on by default, turns the view-name
// label on.
constexpr auto kViewNameByte = static_cast<CRenderingOptions::DisplayByte>(8);

bool Is(double value, double wanted)
{
    return std::fabs(value - wanted) <= 0.001;
}

}  // namespace

CString CTarnisView::GetViewDirectionName(const CVector3d& d)
{
    if (Is(d.z, 1.0)) {
        return CString("Bottom");
    }
    if (Is(d.z, -1.0)) {
        return CString("Top");
    }
    if (Is(d.x, 1.0)) {
        return CString("Left");
    }
    if (Is(d.x, -1.0)) {
        return CString("Right");
    }
    if (Is(d.y, 1.0)) {
        return CString("Front");
    }
    if (Is(d.y, -1.0)) {
        return CString("Back");
    }
    return {};
}

bool CTarnisView::ShowsScreenText() const
{
    const CRenderingOptions* options = GetRenderingOptions();
    return options != nullptr && options->GetDisplayByte(kViewNameByte) && m_interactionMode != 1;
}

CTwFont* CTarnisView::GetScreenFont()
{
    CTwFont* font = GetViewFont();
    if (font == nullptr || font->IsRealized()) {
        return font;
    }
    font->Refresh();
    CString path = font->GetFontPath();
    if (path.IsEmpty()) {
        path = ResolveFontFile(font->GetFaceName(), font->IsBold(), font->IsItalic());
        font->SetFontPath(path);
        font->Refresh();
    }
    WriteProfileString(CString("ViewFont"), CString("FontPath"), path);
    return font;
}

void CTarnisView::DrawWindowText(IGLTextImageCache& cache, double x, double y, const CString& text)
{
    const CRenderingOptions* options = GetRenderingOptions();
    SetColor(options != nullptr ? options->GetForegroundColor() : CColor(0, 0, 0, 255));
    const bool depthTest = SetCapability(GL_DEPTH_TEST, false);
    DrawTextImageCached(*this, cache, m_viewFont, text, IGLTextImageCache::kAlignLeft, x, y, 0.0);
    SetCapability(GL_DEPTH_TEST, depthTest);
}

void CTarnisView::DrawScreenText(int x, int y, const CString& text)
{
    CTwFont* font = GetScreenFont();
    if (font == nullptr || text.IsEmpty()) {
        return;
    }
    m_screenTextCache.SetText(text, IGLTextImageCache::kAlignLeft, font, this);
    const int h = m_screenTextCache.GetHeight();
    DrawWindowText(m_screenTextCache, x, m_viewDefinition.GetViewportHeight() - y - h, text);
}

void CTarnisView::DrawViewNameLabel()
{
    const CString name = GetViewDirectionName(m_viewDefinition.GetViewDirection());
    CTwFont* font = name.IsEmpty() ? nullptr : GetScreenFont();
    if (font == nullptr) {
        return;
    }
    m_labelCache.SetText(name, IGLTextImageCache::kAlignLeft, font, this);
    const int h = m_labelCache.GetHeight();
    DrawWindowText(m_labelCache, std::floor(0.25 * h), m_viewDefinition.GetViewportHeight() - h, name);
}

std::unique_ptr<IGLTextImageCache> CTarnisView::CreateTextImageCache(bool tiled)
{
    if (tiled) {
        return std::make_unique<CGLTiledTextImageCache>();
    }
    return std::make_unique<CGLTextImageCache>();
}

void CTarnisView::DrawText(CTwFont* font, const CPoint3d& position, const CString& text, int placement,
                           int alignment, unsigned flags, const CPlane3d* plane, bool flip, IGLTextImageCache* cache)
{
    DrawModelText(*this, font, position, text, placement, alignment, flags, plane, flip, cache);
}

bool CTarnisView::ReadWindowDepth(int x, int y, double& depth) const
{
    if (x < 0 || y < 0 || x >= m_viewDefinition.GetViewportWidth() || y >= m_viewDefinition.GetViewportHeight()) {
        return false;
    }
    GLfloat value = 1.0f;
    glReadPixels(x, m_viewDefinition.GetViewportHeight() - 1 - y, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &value);
    depth = value;
    return glGetError() == GL_NO_ERROR;
}

void CTarnisView::DrawPixels(const CPoint3d& position, int width, int height, int bitsPerPixel,
                             const std::uint8_t* pixels)
{
    if (pixels == nullptr || width <= 0 || height <= 0 || (bitsPerPixel != 24 && bitsPerPixel != 32)) {
        return;
    }
    EndPrimitive();
    // The picture's own colours, whatever the faces left switched on.
    glPushAttrib(GL_ENABLE_BIT);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_LIGHTING);
    glDisable(GL_FOG);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glRasterPos3d(position.x, position.y, position.z);
    glDrawPixels(width, height, bitsPerPixel == 32 ? GL_BGRA : GL_BGR, GL_UNSIGNED_BYTE, pixels);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPopAttrib();
}
