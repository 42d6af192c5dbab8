#include "render/clipplanegl.h"

#include <GL/gl.h>

void CClipPlaneGL::EnableClipPlane(int index)
{
    glEnable(GL_CLIP_PLANE0 + index);
}

void CClipPlaneGL::DisableClipPlane(int index)
{
    glDisable(GL_CLIP_PLANE0 + index);
}

void CClipPlaneGL::LoadClipPlane(int index, const CPlane3d& equation)
{
    const GLdouble coefficients[4] = {equation.a, equation.b, equation.c, equation.d};
    glClipPlane(GL_CLIP_PLANE0 + index, coefficients);
}

int CClipPlaneGL::GetMaxClipPlanes() const
{
    // Asked of the context current now: views may sit on different drivers.
    GLint count = 0;
    glGetIntegerv(GL_MAX_CLIP_PLANES, &count);
    return count > 0 ? count : 0;
}

CClipPlaneGL& CClipPlaneGL::Get()
{
    static CClipPlaneGL instance;
    return instance;
}
