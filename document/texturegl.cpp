#include "document/texturegl.h"

namespace {

// Set and read on the user-interface thread only.
ITextureGL* g_textureGL = nullptr;
unsigned g_textureEpoch = 0;

}  // namespace

ITextureGL::~ITextureGL() = default;

void ITextureGL::SetPlacementMatrix(const double* /*matrix*/) {}

void SetTextureGL(ITextureGL* textureGL)
{
    g_textureGL = textureGL;
}

ITextureGL* GetTextureGL()
{
    return g_textureGL;
}

void ForgetGLTextureNames()
{
    ++g_textureEpoch;
}

unsigned GetGLTextureEpoch()
{
    return g_textureEpoch;
}
