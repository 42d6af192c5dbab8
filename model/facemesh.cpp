#include "model/facemesh.h"

#include "foundation/polygonmesh.h"
#include "model/face.h"
#include "model/loop.h"

using orvell::geometry::CPolygonMesh;

namespace {

// Model space into the frame of the face's plane, where a texture's coordinates are
// read off x and y.
CTransformation PlaneFrame(const CFace* face)
{
    CTransformation frame;
    frame.SetFromPlane(face->GetFirstPoint(), face->GetNormal());
    frame.Invert();
    return frame;
}

} // namespace

CFaceToMesh::CFaceToMesh(const CFace* face, CPolygonMesh* mesh) : CFaceTesselator(face), m_mesh(mesh)
{
    const int uses = face->GetEdgeUseCount();
    const int holes = face->GetLoopCount() > 1 ? face->GetLoopCount() - 1 : 0;
    const int triangles = uses + 2 * holes - 2;
    m_mesh->Reserve(uses > 0 ? uses : 0, triangles > 0 ? triangles : 0);
    if ((m_mesh->GetFlags() & (CPolygonMesh::kFrontUVs | CPolygonMesh::kBackUVs)) != 0) {
        m_frontTransform = PlaneFrame(face);
        m_backTransform = m_frontTransform;
    }
}

CFaceToMesh::~CFaceToMesh() = default;

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
        const CPoint3d uv = m_frontTransform * position;
        m_mesh->SetFrontUV(index, CPoint3d(uv.x, uv.y, 1.0));
    }
    if ((flags & CPolygonMesh::kBackUVs) != 0) {
        const CPoint3d uv = m_backTransform * position;
        m_mesh->SetBackUV(index, CPoint3d(uv.x, uv.y, 1.0));
    }
    if ((flags & CPolygonMesh::kNormals) != 0) {
        m_mesh->SetNormal(index, GetFace()->GetNormal());
    }
}
