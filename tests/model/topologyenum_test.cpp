// The enumerators of the topology: what each yields and in which order.

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "model/enumedge.h"
#include "model/enumedgeuse.h"
#include "model/enumface.h"
#include "model/enumloop.h"
#include "model/enumvertex.h"
#include "tests/model/topologytestsupport.h"

namespace {

using topologytest::Builder;
using topologytest::RingOf;

template <typename Enum, typename Element>
std::vector<Element*> Drain(Enum& walk)
{
    std::vector<Element*> out;
    Element* element = nullptr;
    while (walk.Next(element)) {
        out.push_back(element);
    }
    return out;
}

TEST(EdgeEnumerators, AnEdgeWithoutUsesYieldsNothingAndWithOneUseItsUseLoopAndFace)
{
    Builder builder;
    CEdge* bare = builder.Edge(builder.Vertex(5, 5), builder.Vertex(6, 5));
    std::unique_ptr<CEnumEdgeUse> noUses(bare->NewEdgeUseEnum());
    std::unique_ptr<CEnumLoop> noLoops(bare->NewLoopEnum());
    std::unique_ptr<CEnumFace> noFaces(bare->NewFaceEnum());
    EXPECT_TRUE((Drain<CEnumEdgeUse, CEdgeUse>(*noUses).empty()));
    EXPECT_TRUE((Drain<CEnumLoop, CLoop>(*noLoops).empty()));
    EXPECT_TRUE((Drain<CEnumFace, CFace>(*noFaces).empty()));

    CFace* face = builder.Square();
    CEdgeUse* use = face->GetOuterLoop()->GetFirstEdgeUse();
    std::unique_ptr<CEnumEdgeUse> uses(use->GetEdge()->NewEdgeUseEnum());
    std::unique_ptr<CEnumLoop> loops(use->GetEdge()->NewLoopEnum());
    std::unique_ptr<CEnumFace> faces(use->GetEdge()->NewFaceEnum());
    EXPECT_EQ((Drain<CEnumEdgeUse, CEdgeUse>(*uses)), std::vector<CEdgeUse*>{use});
    EXPECT_EQ((Drain<CEnumLoop, CLoop>(*loops)), std::vector<CLoop*>{face->GetOuterLoop()});
    EXPECT_EQ((Drain<CEnumFace, CFace>(*faces)), std::vector<CFace*>{face});
    faces->Reset();
    EXPECT_EQ((Drain<CEnumFace, CFace>(*faces)).size(), 1u);
}

TEST(LoopEnumerators, TheRingWalksForwardOrBackwardAndTheVerticesAreTheUsesStarts)
{
    Builder builder;
    CLoop* loop = builder.Face({builder.Vertex(0, 0), builder.Vertex(1, 0), builder.Vertex(0, 1)}, {0, 0, 1})
                      ->GetOuterLoop();
    const std::vector<CEdgeUse*> ring = RingOf(loop);
    std::unique_ptr<CEnumEdgeUse> walk(loop->NewEdgeUseEnum());
    CEdgeUse* use = nullptr;
    std::vector<CEdgeUse*> backwards;
    while (walk->Next(use, false)) {
        backwards.push_back(use);
    }
    EXPECT_EQ(use, nullptr);
    EXPECT_EQ(backwards, (std::vector<CEdgeUse*>{ring[0], ring[2], ring[1]}));

    std::unique_ptr<CEnumVertex> vertices(loop->NewVertexEnum());
    std::unique_ptr<CEnumEdge> edges(loop->NewEdgeEnum());
    const std::vector<CVertex*> starts = Drain<CEnumVertex, CVertex>(*vertices);
    const std::vector<CEdge*> ringEdges = Drain<CEnumEdge, CEdge>(*edges);
    ASSERT_EQ(starts.size(), 3u);
    ASSERT_EQ(ringEdges.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(starts[i], ring[i]->GetStartVertex());
        EXPECT_EQ(ringEdges[i], ring[i]->GetEdge());
    }

    CLoop empty;
    std::unique_ptr<CEnumVertex> none(empty.NewVertexEnum());
    EXPECT_TRUE((Drain<CEnumVertex, CVertex>(*none).empty()));
}

TEST(VertexEnumerators, LoopsAndFacesAtAVertexComeOnceEachInTheOrderFirstMet)
{
    Builder builder;
    CFace* left = builder.Square();
    CEdgeUse* side = left->GetOuterLoop()->GetFirstEdgeUse()->GetNext();
    CVertex* corner = side->GetStartVertex();
    CFace* right = builder.Face({corner, builder.Vertex(2, 0), builder.Vertex(2, 1), side->GetEndVertex()},
                                {0, 0, 1});
    builder.Edge(corner, builder.Vertex(1, -1));
    ASSERT_EQ(corner->GetEdgeCount(), 4);
    std::unique_ptr<CEnumFace> faces(corner->NewFaceEnum());
    EXPECT_EQ((Drain<CEnumFace, CFace>(*faces)), (std::vector<CFace*>{left, right}));
    std::unique_ptr<CEnumLoop> loops(corner->NewLoopEnum());
    EXPECT_EQ((Drain<CEnumLoop, CLoop>(*loops)), (std::vector<CLoop*>{left->GetOuterLoop(), right->GetOuterLoop()}));
    std::unique_ptr<CEnumEdge> edges(corner->NewEdgeEnum());
    EXPECT_EQ((Drain<CEnumEdge, CEdge>(*edges)).size(), 4u);
}

TEST(FaceEnumerators, WalkEveryLoopInArrayOrderAndEveryUseLoopByLoop)
{
    Builder builder;
    CFace* face = builder.SquareWithHole();
    std::unique_ptr<CEnumLoop> loops(face->NewLoopEnum());
    EXPECT_EQ((Drain<CEnumLoop, CLoop>(*loops)), (std::vector<CLoop*>{face->GetLoop(0), face->GetLoop(1)}));
    std::unique_ptr<CEnumEdgeUse> uses(face->NewEdgeUseEnum());
    std::vector<CEdgeUse*> expected = RingOf(face->GetLoop(0));
    const std::vector<CEdgeUse*> hole = RingOf(face->GetLoop(1));
    expected.insert(expected.end(), hole.begin(), hole.end());
    EXPECT_EQ((Drain<CEnumEdgeUse, CEdgeUse>(*uses)), expected);
    CEdgeUse* use = nullptr;
    EXPECT_FALSE(uses->Next(use));
    uses->Reset();
    EXPECT_EQ((Drain<CEnumEdgeUse, CEdgeUse>(*uses)).size(), 8u);
    std::unique_ptr<CEnumEdge> edges(face->NewEdgeEnum());
    std::unique_ptr<CEnumVertex> vertices(face->NewVertexEnum());
    EXPECT_EQ((Drain<CEnumEdge, CEdge>(*edges)).size(), 8u);
    EXPECT_EQ((Drain<CEnumVertex, CVertex>(*vertices)).size(), 8u);
}

TEST(RingGuard, ARingThatNeverReturnsToItsStartEndsTheWalk)
{
    Builder builder;
    CLoop* loop = builder.Square()->GetOuterLoop();
    const std::vector<CEdgeUse*> ring = RingOf(loop);
    // The last use leads back to the second instead of the first.
    ring[3]->SetNext(ring[1]);
    std::unique_ptr<CEnumEdgeUse> walk(loop->NewEdgeUseEnum());
    const std::vector<CEdgeUse*> seen = Drain<CEnumEdgeUse, CEdgeUse>(*walk);
    EXPECT_GE(seen.size(), 4u);
    EXPECT_LE(seen.size(), 16u);
    EXPECT_EQ(loop->GetEdgeUseCount(), 10001);
    ring[3]->SetNext(ring[0]);
}

} // namespace
