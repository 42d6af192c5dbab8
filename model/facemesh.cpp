#include "model/facemesh.h"

#include <cmath>

#include "document/component.h"
#include "document/facetexturecoords.h"
#include "document/material.h"
#include "document/texture.h"
#include "foundation/polygonmesh.h"
#include "model/edgeuse.h"
#include "model/face.h"
#include "model/loop.h"
#include "model/smoothnormals.h"
#include "model/vertex.h"

using orvell::geometry::CPolygonMesh;

namespace {

// Model space into the frame of a plane through the face's first point with the normal,
// where a texture's coordinates are read off x and y.
CTransformation PlaneFrame(const CFace* face, const CVector3d& normal)
{
    CTransformation frame;
    frame.SetFromPlane(face->GetFirstPoint(), CUnitVector3d(normal));
    frame.Invert();
    return frame;
}

const CFaceMeshTextureRecord* FindRecord(const std::vector<CFaceMeshTextureRecord>* records, const CTexture* texture,
                                         const Matrix3& matrix)
{
    if (records == nullptr) {
        return nullptr;
    }
    for (const CFaceMeshTextureRecord& record : *records) {
        if (record.texture == texture && Matrix3IsEqual(record.matrix, matrix, 1e-6)) {
            return &record;
        }
    }
    return nullptr;
}

// A span too small to divide by leaves the coordinate where it is.
double MapOntoUnit(double value, double low, double high)
{
    return std::abs(high - low) > 1e-12 ? (value - low) / (high - low) : value;
}

}  // namespace

CFaceToMesh::CFaceToMesh(const CFace* face, CPolygonMesh* mesh, const std::vector<CFaceMeshTextureRecord>* records)
    : CFaceTesselator(face), m_mesh(mesh)
{
    const int uses = face->GetEdgeUseCount();
    const int holes = face->GetLoopCount() > 1 ? face->GetLoopCount() - 1 : 0;
    const int triangles = uses + 2 * holes - 2;
    m_mesh->Reserve(uses > 0 ? uses : 0, triangles > 0 ? triangles : 0);
    const CFaceTextureCoords* coords = GetFaceTextureCoords(face);
    if ((m_mesh->GetFlags() & CPolygonMesh::kFrontUVs) != 0) {
        SetUpSide(m_front, face->GetMaterial(), coords != nullptr ? &coords->GetFrontPlacement() : nullptr, records);
    }
    if ((m_mesh->GetFlags() & CPolygonMesh::kBackUVs) != 0) {
        SetUpSide(m_back, face->GetBackMaterial(), coords != nullptr ? &coords->GetBackPlacement() : nullptr, records);
    }
}

CFaceToMesh::~CFaceToMesh() = default;

void CFaceToMesh::SetUpSide(Side& side, const CMaterial* material, const CTexturePlacement* placement,
                            const std::vector<CFaceMeshTextureRecord>* records) const
{
    const CTexture* texture = material != nullptr ? material->GetTexture() : nullptr;
    if (texture == nullptr) {
        return;
    }
    const CVector3d& direction = placement != nullptr ? placement->direction : CVector3d();
    const bool projected = direction.GetLengthSquared() > 0.0;
    side.transform = PlaneFrame(GetFace(), projected ? direction : CVector3d(GetFace()->GetNormal()));
    if (placement != nullptr && (placement->flags & CTexturePlacement::kPositioned) != 0) {
        side.matrix = placement->matrix;
    } else if (texture->GetWidth() != 0.0 && texture->GetHeight() != 0.0) {
        side.matrix = Matrix3Scale(1.0 / texture->GetWidth(), 1.0 / texture->GetHeight());
    }
    side.record = FindRecord(records, texture, side.matrix);
}

CPoint3d CFaceToMesh::MapToTexture(const Side& side, const CPoint3d& position)
{
    const CPoint3d plane = side.transform * position;
    const Matrix3& m = side.matrix;
    CPoint3d uv(plane.x * m[0] + plane.y * m[3] + m[6], plane.x * m[1] + plane.y * m[4] + m[7],
                plane.x * m[2] + plane.y * m[5] + m[8]);
    if (side.record != nullptr) {
        uv.x = MapOntoUnit(uv.x, side.record->uMin, side.record->uMax);
        uv.y = MapOntoUnit(uv.y, side.record->vMin, side.record->vMax);
    }
    return uv;
}

// The face's normal, or the smooth normal of the corner at the position once the face's
// component has worked its smooth normals out.
CUnitVector3d CFaceToMesh::GetNormalAt(const CPoint3d& position) const
{
    const CFace* face = GetFace();
    CComponent* component = face->GetParentComponent();
    if (component == nullptr || !component->GetSmoothNormals().IsBuilt()) {
        return face->GetNormal();
    }
    for (int l = 0; l < face->GetLoopCount(); ++l) {
        CEdgeUse* first = face->GetLoop(l)->GetFirstEdgeUse();
        CEdgeUse* use = first;
        while (use != nullptr) {
            if (use->GetStartVertex()->GetPosition().IsEqualPerAxis(position, 0.001)) {
                const CUnitVector3d smooth = use->GetSmoothNormal();
                if (smooth.x != 0.0 || smooth.y != 0.0 || smooth.z != 0.0) {
                    return smooth;
                }
            }
            use = use->GetNext();
            if (use == first) {
                break;
            }
        }
    }
    return face->GetNormal();
}

void CFaceToMesh::Begin(unsigned int /*primitive*/)
{
    m_cornerCount = 0;
}

void CFaceToMesh::EdgeFlag(bool boundary)
{
    m_edgeFlag = boundary;
}

void CFaceToMesh::Vertex(const double* position)
{
    const CPoint3d point(position[0], position[1], position[2]);
    const int before = m_mesh->GetPointCount();
    const int index = m_mesh->AddPoint(point);
    const int corner = m_edgeFlag ? index : -index;
    m_corners[m_cornerCount++] = corner;
    if (index > before) {
        SetPointData(corner, point);
    }
    if (m_cornerCount == 3) {
        m_mesh->AddPolygon(3, m_corners);
        m_cornerCount = 0;
    }
}

void CFaceToMesh::SetPointData(int index, const CPoint3d& position)
{
    const std::uint32_t flags = m_mesh->GetFlags();
    if ((flags & CPolygonMesh::kFrontUVs) != 0) {
        m_mesh->SetFrontUV(index, MapToTexture(m_front, position));
    }
    if ((flags & CPolygonMesh::kBackUVs) != 0) {
        m_mesh->SetBackUV(index, MapToTexture(m_back, position));
    }
    if ((flags & CPolygonMesh::kNormals) != 0) {
        m_mesh->SetNormal(index, GetNormalAt(position));
    }
}
