#include "samplegen/geometrybuilder.h"

#include <array>

#include "document/component.h"
#include "foundation/plane3d.h"
#include "model/edge.h"
#include "model/edgeuse.h"
#include "model/face.h"
#include "model/loop.h"
#include "model/vertex.h"

CVertex* CGeometryBuilder::Vertex(const CPoint3d& position) const
{
    return new CVertex(position);
}

CEdge* CGeometryBuilder::Edge(CVertex* start, CVertex* end) const
{
    if (CEdge* existing = start->FindEdgeTo(end)) {
        return existing;
    }
    auto* edge = new CEdge(start, end, false);
    m_component.Add(edge);
    return edge;
}

CFace* CGeometryBuilder::Face(const std::vector<CVertex*>& ring, const CVector3d& normal) const
{
    std::vector<CEdge*> edges;
    edges.reserve(ring.size());
    for (std::size_t i = 0; i < ring.size(); ++i) {
        edges.push_back(Edge(ring[i], ring[(i + 1) % ring.size()]));
    }
    auto* face = new CFace(static_cast<int>(edges.size()), edges.data(), CPlane3d(ring[0]->GetPosition(), normal));
    m_component.Add(face);
    return face;
}

CFace* CGeometryBuilder::Face(const std::vector<CVertex*>& ring) const
{
    const CPoint3d& a = ring[0]->GetPosition();
    const CVector3d normal = (ring[1]->GetPosition() - a).CrossProduct(ring[2]->GetPosition() - a);
    return Face(ring, normal);
}

CLoop* CGeometryBuilder::Hole(CFace* face, const std::vector<CVertex*>& ring) const
{
    auto* loop = new CLoop;
    CEdgeUse* previous = nullptr;
    for (std::size_t i = 0; i < ring.size(); ++i) {
        CEdge* edge = Edge(ring[i], ring[(i + 1) % ring.size()]);
        previous = new CEdgeUse(edge, edge->GetStartVertex() != ring[i], previous, loop);
    }
    face->AddInnerLoop(loop);
    return loop;
}

std::vector<CFace*> CGeometryBuilder::Box(const CPoint3d& low, const CPoint3d& high) const
{
    std::array<CVertex*, 8> v{};
    for (int i = 0; i < 8; ++i) {
        v[static_cast<std::size_t>(i)] = Vertex(CPoint3d((i & 1) != 0 ? high.x : low.x, (i & 2) != 0 ? high.y : low.y,
                                                         (i & 4) != 0 ? high.z : low.z));
    }
    return {Face({v[0], v[2], v[3], v[1]}, {0, 0, -1}), Face({v[4], v[5], v[7], v[6]}, {0, 0, 1}),
            Face({v[0], v[1], v[5], v[4]}, {0, -1, 0}), Face({v[2], v[6], v[7], v[3]}, {0, 1, 0}),
            Face({v[0], v[4], v[6], v[2]}, {-1, 0, 0}), Face({v[1], v[3], v[7], v[5]}, {1, 0, 0})};
}
