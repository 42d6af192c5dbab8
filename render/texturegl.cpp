#include "render/texturegl.h"

#include <GL/gl.h>

#include "document/renderingoptions.h"
#include "document/tarnwickmodel.h"

#ifndef GL_BGRA
#define GL_BGRA 0x80E1
#endif
#ifndef GL_BGR
#define GL_BGR 0x80E0
#endif

unsigned CTextureGL::MakeTexture(const std::uint8_t* pixels, int width, int height, int bitsPerPixel)
{
    if (pixels == nullptr || width <= 0 || height <= 0 || (bitsPerPixel != 32 && bitsPerPixel != 24)) {
        return 0;
    }
    GLuint name = 0;
    glGenTextures(1, &name);
    if (name == 0) {
        return 0;
    }
    // A picture of one row is a two-dimensional texture of height one: faces bind every
    // texture as two-dimensional, and a one-dimensional one would never show.
    glBindTexture(GL_TEXTURE_2D, name);
    glPixelStorei(GL_UNPACK_ALIGNMENT, bitsPerPixel == 32 ? 4 : 1);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    const GLenum format = bitsPerPixel == 32 ? GL_BGRA : GL_BGR;
    glTexImage2D(GL_TEXTURE_2D, 0, bitsPerPixel == 32 ? GL_RGBA : GL_RGB, width, height, 0, format, GL_UNSIGNED_BYTE,
                 pixels);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glBindTexture(GL_TEXTURE_2D, 0);
    return name;
}

void CTextureGL::DeleteTexture(unsigned name)
{
    if (name != 0) {
        const GLuint n = name;
        glDeleteTextures(1, &n);
    }
}

void CTextureGL::BindTexture(unsigned name)
{
    if (name == 0) {
        return;
    }
    glBindTexture(GL_TEXTURE_2D, name);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_TEXTURE_GEN_S);
    glEnable(GL_TEXTURE_GEN_T);
}

void CTextureGL::BeginMapping(const double* sPlane, const double* tPlane, double width, double height)
{
    if (sPlane == nullptr || tPlane == nullptr || width <= 0.0 || height <= 0.0) {
        return;
    }
    GLdouble s[4];
    GLdouble t[4];
    for (int i = 0; i < 4; ++i) {
        s[i] = sPlane[i] / width;
        t[i] = tPlane[i] / height;
    }
    glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_OBJECT_LINEAR);
    glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_OBJECT_LINEAR);
    glTexGendv(GL_S, GL_OBJECT_PLANE, s);
    glTexGendv(GL_T, GL_OBJECT_PLANE, t);
    glEnable(GL_TEXTURE_GEN_S);
    glEnable(GL_TEXTURE_GEN_T);
}

void CTextureGL::EndMapping()
{
    glDisable(GL_TEXTURE_GEN_S);
    glDisable(GL_TEXTURE_GEN_T);
    glDisable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, 0);
}

TextureTransparencyMode CTextureGL::GetTransparencyMode() const
{
    const CRenderingOptions* options = m_options;
    if (options == nullptr) {
        CTarnwickModel* model = GetCurrentModel();
        options = model != nullptr ? model->GetRenderingOptions() : nullptr;
    }
    if (options == nullptr) {
        return kTextureOpaque;
    }
    if (options->IsTransparentDisplay()) {
        return kTextureSeeThrough;
    }
    return options->IsEnableTransparency() ? kTextureTransparent : kTextureOpaque;
}
