#pragma once
// CDisplayTesselator: a face tessellator whose triangles go straight to GL, with the
// normal of each vertex when normals are carried; used while a face's display list is
// compiled. Only separate triangles reach GL. Needs a current GL context.

#include "model/facetesselator.h"

class CDisplayTesselator : public CFaceTesselator
{
public:
    using CFaceTesselator::CFaceTesselator;

    void Begin(unsigned int primitive) override;
    void Vertex(const double* position) override;
    void End() override;

protected:
    void VertexExtra(const double* normal) override;
};
