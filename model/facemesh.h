#pragma once
// CFaceToMesh: a face tessellator that collects the triangles of one face into a polygon
// mesh instead of drawing them. Boundary edges keep positive corner indices; edges that
// the tessellation made inside the face get negative ones.

#include <cstdint>
#include <vector>

#include "document/placementmatrix.h"
#include "foundation/transformation.h"
#include "model/facetesselator.h"

namespace orvell::geometry {
class CPolygonMesh;
}
class CMaterial;
class CTexture;
struct CTexturePlacement;

// Where the coordinates of one texture under one placement matrix ended up: their box,
// which a mesh's coordinates are mapped onto 0..1 by.
struct CFaceMeshTextureRecord
{
    const CTexture* texture = nullptr;
    Matrix3 matrix = Matrix3Identity();
    double uMin = 0.0;
    double vMin = 0.0;
    double uMax = 1.0;
    double vMax = 1.0;
};

class CFaceToMesh : public CFaceTesselator
{
public:
    // Reserves in the mesh for the face's points and triangles. For each side whose
    // texture coordinates the mesh keeps, a textured material (the face's, or its back
    // material) maps positions into its texture: the face plane's frame (or the
    // projection of the side's placement) scaled by the texture's size (or the
    // placement's matrix), then onto 0..1 by the matching record when records are given.
    CFaceToMesh(const CFace* face, orvell::geometry::CPolygonMesh* mesh,
                const std::vector<CFaceMeshTextureRecord>* records = nullptr);
    ~CFaceToMesh() override;

    void Begin(unsigned int primitive) override;
    void EdgeFlag(bool boundary) override;
    void Vertex(const double* position) override;

private:
    struct Side
    {
        CTransformation transform;
        Matrix3 matrix = Matrix3Identity();
        const CFaceMeshTextureRecord* record = nullptr;
    };
    void SetUpSide(Side& side, const CMaterial* material, const CTexturePlacement* placement,
                   const std::vector<CFaceMeshTextureRecord>* records) const;
    [[nodiscard]] static CPoint3d MapToTexture(const Side& side, const CPoint3d& position);
    [[nodiscard]] CUnitVector3d GetNormalAt(const CPoint3d& position) const;
    void SetPointData(int index, const CPoint3d& position);

    orvell::geometry::CPolygonMesh* m_mesh;
    int m_cornerCount = 0;
    int m_corners[3] = {0, 0, 0};
    bool m_edgeFlag = true;
    Side m_front;
    Side m_back;
};
