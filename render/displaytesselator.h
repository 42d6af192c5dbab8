#pragma once
// CDisplayTesselator: a face tessellator whose triangles go straight to GL, with the
// normal of each corner when normals are carried; used while a face's display list is
// compiled. Only separate triangles reach GL. Needs a current GL context.

#include "render/facetesselator.h"

class CDisplayTesselator : public CFaceTesselator
{
public:
    using CFaceTesselator::CFaceTesselator;

    void Vertex(const double* position) override;
    void VertexExtra(const double* normal) override;
    void RegisterCallbacks(GLUtesselator* tess) override;
};
