#include "render/displaytesselator.h"

#include <GL/gl.h>

void CDisplayTesselator::Begin(unsigned int primitive)
{
    glBegin(primitive);
}

void CDisplayTesselator::Vertex(const double* position)
{
    glVertex3dv(position);
}

void CDisplayTesselator::End()
{
    glEnd();
}

void CDisplayTesselator::VertexExtra(const double* normal)
{
    glNormal3dv(normal);
}
