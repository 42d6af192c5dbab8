#include "render/equallayers.h"

#include <GL/gl.h>

void CEqualLayers::Load()
{
    GLint function = GL_LESS;
    glGetIntegerv(GL_DEPTH_FUNC, &function);
    GLboolean writes = GL_FALSE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &writes);
    m_rejecting = glIsEnabled(GL_DEPTH_TEST) == GL_TRUE && writes == GL_TRUE && function == GL_LESS;
}
