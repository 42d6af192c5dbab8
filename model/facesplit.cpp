// The repair of a face whose vertices no longer lie in one plane: its triangles become
// faces of their own, each flat by construction.

#include <cmath>
#include <vector>

#include "document/component.h"
#include "foundation/polygonmesh.h"
#include "model/edge.h"
#include "model/face.h"
#include "model/facemesh.h"
#include "model/enumvertex.h"
#include "model/loop.h"
#include "model/octree.h"
#include "model/vertex.h"

namespace {

// The edge between the two vertices; a new one, hidden and plain, where the
// tessellation made an inner edge.
CEdge* FindOrMakeEdge(CVertex* a, CVertex* b, const CFace* source, CComponent* component)
{
    if (CEdge* existing = a->FindEdgeTo(b)) {
        return existing;
    }
    auto* edge = new CEdge(a, b, false);
    edge->CopyPropertiesFrom(source);
    edge->SetSoftAndSmooth(false, false);
    edge->SetHidden(true);
    edge->SetMaterial(nullptr);
    component->AddEntity(edge);
    return edge;
}

} // namespace

bool CFace::SplitIntoPlanarFaces()
{
    auto* component = dynamic_cast<CComponent*>(GetParent());
    if (component == nullptr) {
        return false;
    }
    orvell::geometry::CPolygonMesh mesh;
    CFaceToMesh(this, &mesh).Tessellate(false);
    if (mesh.GetPolygonCount() == 0) {
        return false;
    }
    // The face's own vertices first, so that the triangles meet its edges.
    COctree shared;
    CEnumVertex* vertices = NewVertexEnum();
    CVertex* vertex = nullptr;
    while (vertices->Next(vertex)) {
        if (vertex != nullptr) {
            shared.AddVertex(vertex);
        }
    }
    delete vertices;
    std::vector<CFace*> pieces;
    for (int p = 1; p <= mesh.GetPolygonCount(); ++p) {
        CVertex* corners[3];
        for (int k = 0; k < 3; ++k) {
            corners[k] = shared.FindOrAddVertex(mesh.GetPolygonPoint(p, k + 1));
        }
        if (corners[0] == corners[1] || corners[1] == corners[2] || corners[2] == corners[0]) {
            continue;
        }
        CEdge* edges[3];
        for (int k = 0; k < 3; ++k) {
            edges[k] = FindOrMakeEdge(corners[k], corners[(k + 1) % 3], this, component);
        }
        auto* piece = new CFace(3, edges, m_plane);
        piece->CopyPropertiesFrom(this);
        component->AddEntity(piece);
        pieces.push_back(piece);
    }
    shared.Clear();
    if (pieces.empty()) {
        return false;
    }
    ReplaceInRelationships(pieces.front());
    for (CFace* piece : pieces) {
        if (std::fabs(piece->GetArea()) <= kLengthTolerance) {
            component->EraseEntity(piece);
        } else {
            piece->RefitPlane(nullptr, true);
        }
    }
    // Erased, not only taken out: its uses would stay on the edges the triangles now
    // share, and nothing would free it. Last, since without an open operation the
    // face is gone with it.
    component->EraseEntity(this);
    return true;
}
