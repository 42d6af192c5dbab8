#include "render/textdrawing.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include "document/twfont.h"
#include "drawapi/glfont.h"
#include "drawapi/tarnisview.h"
#include "foundation/plane3d.h"
#include "foundation/unitvector3d.h"
#include "render/gltextimagecache.h"
#include "render/viewdefinition.h"

namespace {

// What a block is drawn with and how large it is, in pixels.
struct Block
{
    IGLFont* glyphs = nullptr;
    IGLTextImageCache* cache = nullptr;
    std::vector<CString> lines;
    int alignment = 0;
    double width = 0.0;
    double height = 0.0;
};

Block PrepareBlock(ITarnisView& view, CTwFont* font, const CString& text, int alignment, IGLTextImageCache& cache)
{
    Block block;
    block.alignment = alignment;
    if (font != nullptr && !font->IsRealized()) {
        font->Refresh();
    }
    block.glyphs = font != nullptr ? font->GetGLFont() : nullptr;
    if (block.glyphs == nullptr) {
        block.cache = &cache;
        cache.SetText(text, alignment, font, &view);
        block.width = cache.GetWidth();
        block.height = cache.GetHeight();
        return block;
    }
    block.lines = SplitTextLines(text);
    for (const CString& line : block.lines) {
        block.width = std::max(block.width, block.glyphs->GetAdvance(line));
    }
    block.height = block.glyphs->GetLineHeight() * static_cast<double>(block.lines.size());
    return block;
}

void DrawGlyphLines(const Block& block)
{
    const double lineHeight = block.glyphs->GetLineHeight();
    for (std::size_t i = 0; i < block.lines.size(); ++i) {
        const double advance = block.glyphs->GetAdvance(block.lines[i]);
        double x = 0.0;
        if (block.alignment == 1) {
            x = (block.width - advance) / 2.0;
        } else if (block.alignment == 2) {
            x = block.width - advance;
        }
        const double baseline = block.height - lineHeight * static_cast<double>(i + 1) + block.glyphs->GetDescent();
        // Raster glyphs start at the raster position, the others in the frame.
        glRasterPos3d(x, baseline, 0.0);
        glPushMatrix();
        glTranslated(x, baseline, 0.0);
        block.glyphs->Render(block.lines[i]);
        glPopMatrix();
    }
}

void DrawBlock(ITarnisView& view, const Block& block)
{
    if (block.cache != nullptr) {
        block.cache->Draw(&view);
    } else if (block.glyphs != nullptr) {
        DrawGlyphLines(block);
    }
}

// Unlit, without polygon offset, in the view's colour; restored afterwards.
class CTextState
{
public:
    explicit CTextState(ITarnisView& view)
        : m_view(view),
          m_lighting(glIsEnabled(GL_LIGHTING) == GL_TRUE),
          m_offset(glIsEnabled(GL_POLYGON_OFFSET_FILL) == GL_TRUE)
    {
        view.EndPrimitive();
        view.SetLighting(false);
        glDisable(GL_POLYGON_OFFSET_FILL);
    }
    ~CTextState()
    {
        if (m_offset) {
            glEnable(GL_POLYGON_OFFSET_FILL);
        }
        m_view.SetLighting(m_lighting);
    }
    CTextState(const CTextState&) = delete;
    CTextState& operator=(const CTextState&) = delete;

private:
    ITarnisView& m_view;
    bool m_lighting;
    bool m_offset;
};

// Window pixels with (0, 0) at the bottom left and depths 0 to 1 into the screen.
class CWindowFrame
{
public:
    explicit CWindowFrame(const ITarnisView& view)
    {
        const CViewDefinition& definition = view.GetViewDefinition();
        glMatrixMode(GL_PROJECTION);
        glPushMatrix();
        // A pick keeps its region, so a label is hit only under the cursor.
        if (view.GetDrawMode() == IModelView::kDrawModeSelection) {
            glLoadMatrixd(definition.GetPickRegion().GetValues());
        } else {
            glLoadIdentity();
        }
        glOrtho(0.0, definition.GetViewportWidth(), 0.0, definition.GetViewportHeight(), 0.0, 1.0);
        glMatrixMode(GL_MODELVIEW);
        glPushMatrix();
        glLoadIdentity();
    }
    ~CWindowFrame()
    {
        glPopMatrix();
        glMatrixMode(GL_PROJECTION);
        glPopMatrix();
        glMatrixMode(GL_MODELVIEW);
    }
    CWindowFrame(const CWindowFrame&) = delete;
    CWindowFrame& operator=(const CWindowFrame&) = delete;
};

// Where the block's lower-left corner lies relative to the anchor.
void PlacementOffset(int placement, const Block& block, double& x, double& y)
{
    if (placement < 0 || placement > 8) {
        placement = 0;
    }
    const int column = placement % 3;
    const int row = placement / 3;
    x = -0.5 * column * block.width;
    y = -0.5 * row * block.height;
}

CVector3d ToVector(const CUnitVector3d& v)
{
    return {v.x, v.y, v.z};
}

// A frame in the plane through the anchor with x along the screen's right and y along
// its up, one unit a pixel; false when the plane is seen edge on or the point does not
// project. Window points count their y downwards.
bool PlaneFrame(ITarnisView& view, const CPoint3d& anchor, const CPlane3d& plane, bool flip, double matrix[16])
{
    CPoint3d screen;
    CPoint3d right;
    CPoint3d up;
    if (!view.ModelToScreen(anchor, screen) ||
        !view.ScreenToModel(CPoint3d(screen.x + 1.0, screen.y, screen.z), right) ||
        !view.ScreenToModel(CPoint3d(screen.x, screen.y - 1.0, screen.z), up)) {
        return false;
    }
    const CVector3d normal = ToVector(plane.GetNormal());
    const CVector3d pixelRight = right - anchor;
    const double scale = pixelRight.GetLength();
    CVector3d x = pixelRight - normal * DotProduct(normal, pixelRight);
    CVector3d y = up - anchor;
    y -= normal * DotProduct(normal, y);
    if (scale <= 0.0 || !x.Normalize()) {
        return false;
    }
    y -= x * DotProduct(x, y);
    if (!y.Normalize()) {
        y = normal.CrossProduct(x);
    }
    const bool fromBehind = DotProduct(normal, view.GetLocalViewDirection()) > 0.0;
    if (fromBehind && !flip) {
        x = -x;
    }
    const CVector3d axes[3] = {x * scale, y * scale, normal * scale};
    for (int i = 0; i < 3; ++i) {
        matrix[4 * i] = axes[i].x;
        matrix[4 * i + 1] = axes[i].y;
        matrix[4 * i + 2] = axes[i].z;
        matrix[4 * i + 3] = 0.0;
    }
    matrix[12] = anchor.x;
    matrix[13] = anchor.y;
    matrix[14] = anchor.z;
    matrix[15] = 1.0;
    return true;
}

}  // namespace

std::vector<CString> SplitTextLines(const CString& text)
{
    std::vector<CString> lines;
    std::u16string line;
    const int length = text.GetLength();
    for (int i = 0; i < length; ++i) {
        const char16_t unit = text[i];
        const bool escaped = unit == u'\\' && i + 1 < length && text[i + 1] == u'n';
        if (escaped || unit == u'\r' || unit == u'\n') {
            lines.push_back(CString(line));
            line.clear();
            i += escaped || (unit == u'\r' && i + 1 < length && text[i + 1] == u'\n') ? 1 : 0;
        } else {
            line.push_back(unit);
        }
    }
    lines.push_back(CString(line));
    return lines;
}

void DrawTextImageCached(ITarnisView& view, IGLTextImageCache& cache, CTwFont* font, const CString& text,
                         int alignment, double x, double y, double depth)
{
    const Block block = PrepareBlock(view, font, text, alignment, cache);
    if (block.width <= 0.0 || block.height <= 0.0) {
        return;
    }
    const CTextState state(view);
    const CWindowFrame frame(view);
    glTranslated(x, y, -depth);
    DrawBlock(view, block);
}

void DrawModelText(ITarnisView& view, CTwFont* font, const CPoint3d& position, const CString& text, int placement,
                   int alignment, unsigned /*flags*/, const CPlane3d* plane, bool flip, IGLTextImageCache* cache)
{
    if (cache == nullptr) {
        DrawTextBlock(view, font, position, text, placement, alignment, plane, flip);
        return;
    }
    const Block block = PrepareBlock(view, font, text, alignment, *cache);
    if (block.width <= 0.0 || block.height <= 0.0) {
        return;
    }
    double dx = 0.0;
    double dy = 0.0;
    PlacementOffset(placement, block, dx, dy);
    if (plane == nullptr) {
        CPoint3d screen;
        if (!view.ModelToScreen(position, screen)) {
            return;
        }
        // Whole pixels keep the unfiltered texels sharp; window points count y downwards.
        const double y = view.GetViewDefinition().GetViewportHeight() - screen.y;
        const CTextState state(view);
        const CWindowFrame frame(view);
        glTranslated(std::floor(screen.x + dx + 0.5), std::floor(y + dy + 0.5), -screen.z);
        DrawBlock(view, block);
        return;
    }
    double matrix[16];
    if (!PlaneFrame(view, position, *plane, flip, matrix)) {
        return;
    }
    const CTextState state(view);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glMultMatrixd(matrix);
    glTranslated(dx, dy, 0.0);
    DrawBlock(view, block);
    glPopMatrix();
}

void DrawTextBlock(ITarnisView& view, CTwFont* font, const CPoint3d& position, const CString& text, int placement,
                   int alignment, const CPlane3d* plane, bool flip)
{
    CGLTextImageCache cache;
    DrawModelText(view, font, position, text, placement, alignment, 0, plane, flip, &cache);
}
