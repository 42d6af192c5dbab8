#pragma once
// CFaceToMesh: a face tessellator that collects the triangles of one face into a polygon
// mesh instead of drawing them. Boundary edges keep positive corner indices; edges that
// the tessellation made inside the face get negative ones.

#include <cstdint>

#include "foundation/transformation.h"
#include "model/facetesselator.h"

namespace orvell::geometry {
class CPolygonMesh;
}

class CFaceToMesh : public CFaceTesselator
{
public:
    // Reserves in the mesh for the face's points and triangles; texture coordinates
    // that the mesh keeps are taken in the face plane's own frame.
    CFaceToMesh(const CFace* face, orvell::geometry::CPolygonMesh* mesh);
    ~CFaceToMesh() override;

    void Begin(unsigned int primitive) override;
    void EdgeFlag(bool boundary) override;
    void Vertex(const double* position) override;

private:
    void SetPointData(int index, const CPoint3d& position);

    orvell::geometry::CPolygonMesh* m_mesh;
    int m_cornerCount = 0;
    int m_corners[3] = {0, 0, 0};
    bool m_edgeFlag = true;
    CTransformation m_frontTransform;
    CTransformation m_backTransform;
};
