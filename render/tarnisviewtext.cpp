// The view's own texts: the standard view's name in the corner of the frame and text
// placed in window pixels, drawn with the view font's glyphs.

#include <GL/gl.h>

#include <cmath>

#include "document/renderingoptions.h"
#include "document/twfont.h"
#include "platform/profile.h"
#include "render/tarnisview.h"

namespace {

// The ninth of the options' display switches, on by default, turns the view-name
// label on.
constexpr auto kViewNameByte = static_cast<CRenderingOptions::DisplayByte>(8);

// Text images take the point height at the screen's 96 pixels per inch.
constexpr double kPixelsPerPoint = 1.3333;

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

CGLGlyphFont* CTarnisView::GetScreenFont()
{
    CTwFont* font = GetViewFont();
    if (font == nullptr) {
        return nullptr;
    }
    const bool stale = !font->IsRealized();
    if (stale) {
        font->Refresh();
    }
    const int size = static_cast<int>(font->GetHeight() * kPixelsPerPoint);
    if (m_screenFont != nullptr && m_screenFont->IsOpen() && m_screenFont->GetPixelSize() == size && !stale) {
        return m_screenFont.get();
    }
    if (m_screenFont == nullptr) {
        m_screenFont = std::make_unique<CGLGlyphFont>();
    }
    CString path = font->GetFontPath();
    if (path.IsEmpty() || !m_screenFont->Open(path, size)) {
        path = CGLGlyphFont::FindFontFile(font->GetFaceName(), font->IsBold(), font->IsItalic());
        if (!m_screenFont->Open(path, size)) {
            return nullptr;
        }
    }
    if (stale) {
        WriteProfileString(CString("ViewFont"), CString("FontPath"), path);
    }
    return m_screenFont.get();
}

void CTarnisView::DrawWindowText(double x, double y, const CString& text)
{
    CGLGlyphFont* font = GetScreenFont();
    if (font == nullptr || text.IsEmpty()) {
        return;
    }
    const CRenderingOptions* options = GetRenderingOptions();
    EndPrimitive();
    const int width = m_viewDefinition.GetViewportWidth();
    const int height = m_viewDefinition.GetViewportHeight();
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0.0, width, 0.0, height, 0.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glTranslated(x, y, 0.0);
    // The raster colour is taken unlit from the current colour.
    SetLighting(false);
    SetColor(options != nullptr ? options->GetForegroundColor() : CColor(0, 0, 0, 255));
    const GLboolean depthTest = glIsEnabled(GL_DEPTH_TEST);
    glDisable(GL_DEPTH_TEST);
    glRasterPos2d(0.0, font->GetDescent());
    font->Draw(text);
    if (depthTest == GL_TRUE) {
        glEnable(GL_DEPTH_TEST);
    }
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
}

void CTarnisView::DrawScreenText(int x, int y, const CString& text)
{
    const CGLGlyphFont* font = GetScreenFont();
    if (font == nullptr) {
        return;
    }
    DrawWindowText(x, m_viewDefinition.GetViewportHeight() - y - font->GetLineHeight(), text);
}

void CTarnisView::DrawViewNameLabel()
{
    const CString name = GetViewDirectionName(m_viewDefinition.GetViewDirection());
    const CGLGlyphFont* font = name.IsEmpty() ? nullptr : GetScreenFont();
    if (font == nullptr) {
        return;
    }
    const int h = font->GetLineHeight();
    DrawWindowText(0.25 * h, m_viewDefinition.GetViewportHeight() - h, name);
}
