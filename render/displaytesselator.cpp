#include "render/displaytesselator.h"

#include <GL/gl.h>
#include <GL/glu.h>

namespace {

void BeginTriangles(GLenum type)
{
    glBegin(type);
}

void EndTriangles()
{
    glEnd();
}

// Registered only so that GLU hands over separate triangles, never fans or strips.
void IgnoreEdgeFlag(GLboolean /*flag*/)
{
}

template <typename Callback>
void SetTessCallback(GLUtesselator* tess, GLenum which, Callback callback)
{
    gluTessCallback(tess, which, reinterpret_cast<_GLUfuncptr>(callback));
}

}  // namespace

void CDisplayTesselator::Vertex(const double* position)
{
    glVertex3dv(position);
}

void CDisplayTesselator::VertexExtra(const double* normal)
{
    glNormal3dv(normal);
}

void CDisplayTesselator::RegisterCallbacks(GLUtesselator* tess)
{
    SetTessCallback(tess, GLU_TESS_BEGIN, BeginTriangles);
    SetTessCallback(tess, GLU_TESS_END, EndTriangles);
    SetTessCallback(tess, GLU_TESS_EDGE_FLAG, IgnoreEdgeFlag);
    RegisterDataCallbacks(tess);
}
