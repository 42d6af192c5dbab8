// Spikes collapsed out of outer loops, and the faces a set of edges shares.

#include "model/loopcleanup.h"

#include <gtest/gtest.h>

#include "model/edgeuse.h"
#include "tests/model/geometrytestsupport.h"

namespace {

using geometrytest::Edge;
using geometrytest::Face;
using geometrytest::RecordingModel;
using geometrytest::Vertex;

// A face whose outer loop runs through the vertices in order; each step uses the edge
// between two neighbours, made when missing.
CFace* LoopFace(CComponent& component, const std::vector<CVertex*>& path)
{
    auto* loop = new CLoop;
    CEdgeUse* previous = nullptr;
    for (std::size_t i = 0; i < path.size(); ++i) {
        CVertex* from = path[i];
        CEdge* edge = Edge(component, from, path[(i + 1) % path.size()]);
        previous = new CEdgeUse(edge, edge->GetStartVertex() != from, previous, loop);
    }
    auto* face = new CFace(CPlane3d(0, 0, 1, 0), loop);
    loop->SetFace(face);
    component.Add(face);
    return face;
}

TEST(LoopCleanup, ASpikeOutOfAnOuterLoopIsCollapsedAndUndoes)
{
    RecordingModel model;
    CComponent& component = model.Component();
    CVertex* c = Vertex(2, 1);
    CFace* face = LoopFace(component, {Vertex(0, 0), Vertex(2, 0), c, Vertex(3, 1), c, Vertex(2, 2), Vertex(0, 2)});
    ASSERT_EQ(face->GetOuterLoop()->GetEdgeUseCount(), 7);
    model.Begin();
    EXPECT_TRUE(RemoveLoopSpikes(face, &component));
    // The spike's edge is gone, and its foot heals into one straight side.
    EXPECT_EQ(face->GetOuterLoop()->GetEdgeUseCount(), 4);
    EXPECT_NEAR(face->GetArea(), 4.0, 1e-9);
    EXPECT_TRUE(model.UndoRestores());
}

TEST(LoopCleanup, ALoopThatIsAllSpikeCollapses)
{
    RecordingModel model;
    CComponent& component = model.Component();
    CFace* face = LoopFace(component, {Vertex(0, 0), Vertex(2, 0), Vertex(1, 0)});
    EXPECT_FALSE(RemoveLoopSpikes(face, &component));
    EXPECT_LE(face->GetOuterLoop()->GetEdgeUseCount(), 2);
}

TEST(LoopCleanup, CommonFacesAreThoseEveryEdgeHas)
{
    RecordingModel model;
    CComponent& component = model.Component();
    CVertex* b = Vertex(1, 0);
    CVertex* c = Vertex(1, 1);
    CVertex* a = Vertex(0, 0);
    CFace* left = Face(component, {a, b, c, Vertex(0, 1)});
    CVertex* e = Vertex(2, 0);
    CFace* right = Face(component, {b, e, Vertex(2, 1), c});
    std::vector<CFace*> faces;
    CEdge* shared = b->FindEdgeTo(c);
    EXPECT_EQ(FindCommonFaces(1, &shared, faces), 2);
    const struct {
        std::vector<CEdge*> edges;
        std::vector<CFace*> common;
    } cases[] = {{{shared, a->FindEdgeTo(b)}, {left}},
                 {{shared, b->FindEdgeTo(e)}, {right}},
                 {{a->FindEdgeTo(b), b->FindEdgeTo(e)}, {}},
                 {{}, {}}};
    for (const auto& k : cases) {
        EXPECT_EQ(FindCommonFaces(static_cast<int>(k.edges.size()), k.edges.data(), faces),
                  static_cast<int>(k.common.size()));
        EXPECT_EQ(faces, k.common);
    }
}

} // namespace
