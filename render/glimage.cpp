#include "render/glimage.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "document/texturegl.h"
#include "drawapi/modelview.h"
#include "foundation/framemeter.h"
#include "render/texturesize.h"

namespace {

// Larger bitmaps are refused before anything is allocated for them.
constexpr int kLargestBitmapSide = 1 << 15;

// The bitmap's rows, tightly packed, for the image scaling.
std::vector<std::uint8_t> PackRows(const std::uint8_t* pixels, int width, int height, int bytesPerPixel, int stride)
{
    const auto rowBytes = static_cast<std::size_t>(width) * bytesPerPixel;
    std::vector<std::uint8_t> packed(rowBytes * height);
    for (int y = 0; y < height; ++y) {
        std::memcpy(packed.data() + rowBytes * y, pixels + static_cast<std::size_t>(stride) * y, rowBytes);
    }
    return packed;
}

}  // namespace

CGLImage::CGLImage()
{
    Init();
}

CGLImage::~CGLImage()
{
    CGLImage::Release();
}

void CGLImage::Init()
{
    m_texture = 0;
    m_displayList = 0;
    m_format = 0;
    m_width = 0;
    m_height = 0;
    m_textureWidth = 0;
    m_textureHeight = 0;
    m_scale = 1.0;
}

bool CGLImage::IsStale() const
{
    return (m_texture != 0 || m_displayList != 0) && m_epoch != GetGLTextureEpoch();
}

void CGLImage::Release()
{
    if (!IsStale()) {
        if (m_texture != 0) {
            glDeleteTextures(1, &m_texture);
        }
        if (m_displayList != 0) {
            glDeleteLists(m_displayList, 1);
        }
    }
    Init();
}

void CGLImage::Upload(int width, int height, const void* pixels, int bitsPerPixel, int stride, bool bottomUp)
{
    Release();
    const int bytesPerPixel = bitsPerPixel == 24 ? 3 : bitsPerPixel == 32 ? 4 : 0;
    if (pixels == nullptr || bytesPerPixel == 0 || width < 1 || height < 1 || width > kLargestBitmapSide ||
        height > kLargestBitmapSide) {
        return;
    }
    if (stride == 0) {
        stride = width * bytesPerPixel;
    }
    if (stride < width * bytesPerPixel) {
        return;
    }
    m_format = GL_ALPHA;
    m_width = width;
    m_height = height;
    const auto* source = static_cast<const std::uint8_t*>(pixels);
    std::vector<std::uint8_t> scaled;
    int used = width;
    int usedHeight = height;
    if (width > kLargestSide || height > kLargestSide) {
        const double sx = width / static_cast<double>(kLargestSide);
        const double sy = height / static_cast<double>(kLargestSide);
        if (sx <= sy) {
            m_scale = sy;
            usedHeight = kLargestSide;
            used = std::max(1, static_cast<int>(width / sy));
        } else {
            m_scale = sx;
            used = kLargestSide;
            usedHeight = std::max(1, static_cast<int>(height / sx));
        }
        const std::vector<std::uint8_t> packed = PackRows(source, width, height, bytesPerPixel, stride);
        scaled.resize(static_cast<std::size_t>(used) * usedHeight * bytesPerPixel);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        const GLenum format = bytesPerPixel == 3 ? GL_RGB : GL_RGBA;
        gluScaleImage(format, width, height, GL_UNSIGNED_BYTE, packed.data(), used, usedHeight, GL_UNSIGNED_BYTE,
                      scaled.data());
        glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
        glPixelStorei(GL_PACK_ALIGNMENT, 4);
        source = scaled.data();
        stride = used * bytesPerPixel;
    }
    m_textureWidth = GetTextureSide(used);
    m_textureHeight = GetTextureSide(usedHeight);
    std::vector<std::uint8_t> alpha(static_cast<std::size_t>(m_textureWidth) * m_textureHeight, 0);
    for (int y = 0; y < usedHeight; ++y) {
        const std::uint8_t* row = source + static_cast<std::size_t>(stride) * (bottomUp ? usedHeight - 1 - y : y);
        std::uint8_t* target = alpha.data() + static_cast<std::size_t>(m_textureWidth) * y;
        for (int x = 0; x < used; ++x) {
            target[x] = AlphaOf(row + static_cast<std::size_t>(x) * bytesPerPixel);
        }
    }
    glGenTextures(1, &m_texture);
    m_epoch = GetGLTextureEpoch();
    glBindTexture(GL_TEXTURE_2D, m_texture);
    UploadAlphaTexels(m_textureWidth, m_textureHeight, alpha.data());
    glBindTexture(GL_TEXTURE_2D, 0);
}

void CGLImage::UploadAlphaTexels(int width, int height, const std::uint8_t* alpha)
{
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_ALPHA, width, height, 0, GL_ALPHA, GL_UNSIGNED_BYTE, alpha);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
}

bool CGLImage::MayRecordList(const IModelView* view)
{
    return view == nullptr ||
           (view->GetCompilingDisplayList() == 0 && view->GetDrawMode() != IModelView::kDrawModeSelection);
}

void CGLImage::BeginAlphaTexturing()
{
    glEnable(GL_TEXTURE_2D);
    // Textured faces may leave coordinate generation or another combination behind.
    glDisable(GL_TEXTURE_GEN_S);
    glDisable(GL_TEXTURE_GEN_T);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_GREATER, 0.0F);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}

void CGLImage::EndAlphaTexturing()
{
    glDisable(GL_BLEND);
    glDisable(GL_ALPHA_TEST);
    glBindTexture(GL_TEXTURE_2D, 0);
    glDisable(GL_TEXTURE_2D);
}

void CGLImage::Draw(const IModelView* view)
{
    if (IsStale()) {
        Init();
    }
    if (m_texture == 0) {
        return;
    }
    // One quad in a call of its own, and the picture's pixels to fill, whether drawn anew
    // or from its list.
    (void)CFrameMeter::Charge(CFrameMeter::kDrawCallCost + 4 * CFrameMeter::kVertexCost +
                              CFrameMeter::RasterUnits(static_cast<double>(m_width) * static_cast<double>(m_height),
                                                       CFrameMeter::kFilledPixelsPerUnit));
    if (m_displayList != 0) {
        glCallList(m_displayList);
        return;
    }
    const unsigned list = MayRecordList(view) ? glGenLists(1) : 0;
    if (list != 0) {
        glNewList(list, GL_COMPILE_AND_EXECUTE);
    }
    double s = m_width / static_cast<double>(m_textureWidth);
    double t = m_height / static_cast<double>(m_textureHeight);
    if (m_scale != 1.0) {
        s /= m_scale;
        t /= m_scale;
    }
    BeginAlphaTexturing();
    glBindTexture(GL_TEXTURE_2D, m_texture);
    glBegin(GL_QUADS);
    glTexCoord2d(0.0, 0.0);
    glVertex3d(0.0, 0.0, 0.0);
    glTexCoord2d(s, 0.0);
    glVertex3d(m_width, 0.0, 0.0);
    glTexCoord2d(s, t);
    glVertex3d(m_width, m_height, 0.0);
    glTexCoord2d(0.0, t);
    glVertex3d(0.0, m_height, 0.0);
    glEnd();
    EndAlphaTexturing();
    if (list != 0) {
        glEndList();
        m_displayList = list;
    }
}
