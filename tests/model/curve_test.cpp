#include <gtest/gtest.h>

#include "model/curve.h"
#include "model/edge.h"
#include "model/vertex.h"
#include "platform/exceptions.h"
#include "tests/model/curvetestsupport.h"
#include "tests/model/entitytestsupport.h"

using namespace curvetest;
using namespace entitytest;

namespace {

// The entity part of a record in a file whose entities carry an attribute reference.
Bytes EntityPart()
{
    Bytes bytes;
    PutReference(bytes, 0);
    return bytes;
}

void ReadCurve(CCurve& curve, const Bytes& bytes, int curveVersion)
{
    const FileVersions versions{{"CEntity", 3}, {"CCurve", curveVersion}};
    Load(bytes, [&](CArchive& ar) {
        curve.Serialize(ar);
        EXPECT_EQ(ar.GetRemainingBytes(), 0U);
    });
}

} // namespace

// Records

TEST(CurveRecord, VersionFourCarriesTheFlagAndTheCount)
{
    Bytes bytes = EntityPart();
    bytes.push_back(1);
    PutInt(bytes, 7);
    CCurve curve;
    ReadCurve(curve, bytes, 4);
    EXPECT_TRUE(curve.GetFlag());
    EXPECT_EQ(curve.GetEdgeCount(), 7);
    EXPECT_EQ(curve.GetFirstEdge(), nullptr);
}

TEST(CurveRecord, VersionThreeCarriesTheEndsBeforeFlagAndCount)
{
    Bytes bytes = EntityPart();
    PutReference(bytes, 0);
    PutReference(bytes, 0);
    bytes.push_back(0);
    PutInt(bytes, 2);
    CCurve curve;
    ReadCurve(curve, bytes, 3);
    EXPECT_FALSE(curve.GetFlag());
    EXPECT_EQ(curve.GetEdgeCount(), 2);
}

TEST(CurveRecord, OlderAndNewerVersionsReadOnlyWhatTheyHold)
{
    Bytes flagOnly = EntityPart();
    flagOnly.push_back(1);
    CCurve second;
    ReadCurve(second, flagOnly, 2);
    EXPECT_TRUE(second.GetFlag());

    Bytes twoReferences = EntityPart();
    PutReference(twoReferences, 0);
    PutReference(twoReferences, 0);
    CCurve oldest;
    ReadCurve(oldest, twoReferences, 0);
    EXPECT_EQ(oldest.GetFirstEdge(), nullptr);
    EXPECT_EQ(oldest.GetLastEdge(), nullptr);

    CCurve newer;
    ReadCurve(newer, EntityPart(), 5);
    EXPECT_EQ(newer.GetEdgeCount(), 0);
}

TEST(CurveRecord, ANegativeCountIsRefused)
{
    Bytes bytes = EntityPart();
    bytes.push_back(0);
    PutInt(bytes, -1);
    CCurve curve;
    const FileVersions versions{{"CEntity", 3}, {"CCurve", 4}};
    EXPECT_THROW(Load(bytes, [&](CArchive& ar) { curve.Serialize(ar); }), CArchiveException);
}

TEST(CurveRecord, TheOldestSaveFormatWritesTheEndsAndTheNewerOnesDoNot)
{
    CCurve curve;
    curve.SetFlag(true);
    curve.SetEdgeCount(3);
    const Bytes newest = Store([&](CArchive& ar) { curve.Serialize(ar); });
    Bytes expected = EntityPart();
    expected.push_back(1);
    PutInt(expected, 3);
    EXPECT_EQ(newest, expected);

    const Bytes oldest = Store([&](CArchive& ar) { curve.Serialize(ar); }, kSaveFormat3000);
    Bytes expectedOldest;
    PutReference(expectedOldest, 0);
    PutReference(expectedOldest, 0);
    expectedOldest.push_back(1);
    PutInt(expectedOldest, 3);
    EXPECT_EQ(oldest, expectedOldest);
}

// Chains

TEST(CurveChain, RebuildingFromAnInnerEdgeFindsBothEndsAndTheDirections)
{
    Topology topology;
    auto* curve = new CCurve;
    const std::vector<CVertex*> v{topology.Vertex(0, 0), topology.Vertex(1, 0), topology.Vertex(2, 0),
                                  topology.Vertex(3, 0)};
    const auto edges = topology.Chain(v, curve, {false, true, false});
    curve->RebuildFromEdge(edges[0]);
    EXPECT_EQ(curve->GetEdgeCount(), 3);
    ASSERT_NE(curve->GetFirstEdge(), nullptr);
    EXPECT_EQ(curve->GetStartVertex(), v[0]);
    EXPECT_EQ(curve->GetEndVertex(), v[3]);
    EXPECT_EQ(curve->GetEdgeDirection(edges[0]), kCurveDirectionForward);
    EXPECT_EQ(curve->GetEdgeDirection(edges[1]), kCurveDirectionReversed);
    EXPECT_EQ(curve->GetEdgeDirection(edges[2]), kCurveDirectionForward);

    std::vector<CEdge*> walked;
    EXPECT_EQ(curve->GetEdges(walked), 3);
    EXPECT_EQ(walked, edges);
    std::vector<CVertex*> vertices;
    EXPECT_EQ(curve->GetVertices(vertices), 4);
    EXPECT_EQ(vertices, v);
    EXPECT_DOUBLE_EQ(curve->GetLength(), 3.0);
    EXPECT_FALSE(curve->IsClosed(true));
}

TEST(CurveChain, ACurveWithoutItsEndsKnowsNoDirection)
{
    Topology topology;
    auto* curve = new CCurve;
    const auto edges = topology.Chain({topology.Vertex(0, 0), topology.Vertex(1, 0)}, curve);
    EXPECT_EQ(curve->GetEdgeDirection(edges[0]), kCurveDirectionUnknown);
    curve->SetFirstEdge(edges[0]);
    EXPECT_EQ(curve->GetEdgeDirection(edges[0]), kCurveDirectionUnknown);
}

TEST(CurveChain, AClosedChainPutsItsSeamWhereVisibleGeometryMeetsIt)
{
    Topology topology;
    auto* curve = new CCurve;
    const std::vector<CVertex*> v{topology.Vertex(0, 0), topology.Vertex(1, 0), topology.Vertex(1, 1),
                                  topology.Vertex(0, 1)};
    const auto edges = topology.Chain({v[0], v[1], v[2], v[3], v[0]}, curve);
    curve->RebuildFromEdge(edges[1]);
    // Nothing else meets the square: the seam is at the edge it was rebuilt from.
    EXPECT_EQ(curve->GetFirstEdge(), edges[1]);
    EXPECT_EQ(curve->GetLastEdge(), edges[0]);
    EXPECT_TRUE(curve->IsClosed(true));
    EXPECT_FALSE(curve->IsClosed(false));
    std::vector<CVertex*> vertices;
    EXPECT_EQ(curve->GetVertices(vertices), 5);
    EXPECT_EQ(vertices.front(), vertices.back());

    // A visible edge at the far corner moves the seam there.
    topology.Edge(v[3], topology.Vertex(-1, 2));
    curve->RebuildFromEdge(edges[1]);
    EXPECT_EQ(curve->GetFirstEdge(), edges[3]);
    EXPECT_EQ(curve->GetLastEdge(), edges[2]);
}

TEST(CurveChain, ASoftEdgeDoesNotAttractTheSeam)
{
    Topology topology;
    auto* curve = new CCurve;
    const std::vector<CVertex*> v{topology.Vertex(0, 0), topology.Vertex(1, 0), topology.Vertex(1, 1)};
    const auto edges = topology.Chain({v[0], v[1], v[2], v[0]}, curve);
    CEdge* soft = topology.Edge(v[2], topology.Vertex(2, 2));
    soft->SetSoft(true);
    curve->RebuildFromEdge(edges[0]);
    EXPECT_EQ(curve->GetFirstEdge(), edges[0]);
}

TEST(CurveChain, SplittingAtAnInnerVertexLeavesTwoCurvesThatCountTheirEdges)
{
    Topology topology;
    auto* curve = new CCurve;
    const std::vector<CVertex*> v{topology.Vertex(0, 0), topology.Vertex(1, 0), topology.Vertex(2, 0),
                                  topology.Vertex(3, 0), topology.Vertex(4, 0)};
    const auto edges = topology.Chain(v, curve);
    curve->RebuildFromEdge(edges[0]);
    curve->SplitAtVertex(v[2], edges[2], edges[1]);

    CCurve* split = edges[2]->GetCurve();
    ASSERT_NE(split, curve);
    EXPECT_EQ(edges[3]->GetCurve(), split);
    EXPECT_EQ(split->GetEdgeCount(), 2);
    EXPECT_EQ(split->GetStartVertex(), v[2]);
    EXPECT_EQ(split->GetEndVertex(), v[4]);
    EXPECT_EQ(edges[0]->GetCurve(), curve);
    EXPECT_EQ(curve->GetEdgeCount(), 2);
    EXPECT_EQ(curve->GetEndVertex(), v[2]);
}

TEST(CurveChain, ReleasingTheLastEdgeErasesTheCurve)
{
    Topology topology;
    bool deleted = false;
    auto* curve = new CProbeCurve(&deleted);
    const auto edges = topology.Chain({topology.Vertex(0, 0), topology.Vertex(1, 0), topology.Vertex(2, 0)}, curve);
    curve->ReleaseEdge();
    EXPECT_FALSE(deleted);
    for (CEdge* edge : edges) {
        edge->SetCurve(nullptr);
    }
    curve->ReleaseEdge();
    EXPECT_TRUE(deleted);
}

// A damaged chain: the curve's edges form a ring that its last edge is not part of.
TEST(CurveChain, WalksAlongARingWithoutItsEndStopCleanly)
{
    Topology topology;
    auto* curve = new CCurve;
    const std::vector<CVertex*> v{topology.Vertex(0, 0), topology.Vertex(1, 0), topology.Vertex(1, 1)};
    const auto ring = topology.Chain({v[0], v[1], v[2], v[0]}, curve);
    const auto tail = topology.Chain({topology.Vertex(5, 5), topology.Vertex(6, 5)}, curve);
    curve->SetFirstEdge(ring[0]);
    curve->SetLastEdge(tail[0]);
    curve->SetEdgeCount(1000000);

    std::vector<CEdge*> edges;
    EXPECT_EQ(curve->GetEdges(edges), 3);
    std::vector<CVertex*> vertices;
    EXPECT_EQ(curve->GetVertices(vertices), 4);
    EXPECT_EQ(curve->GetEdgeDirection(ring[1]), kCurveDirectionUnknown);
    EXPECT_EQ(curve->ChainFromEdge(ring[0], 4), 0);
    // The true count, so that the curve goes with its last edge.
    curve->SetEdgeCount(4);
}

TEST(CurveChain, TheRegistryWalkRefusesABranchingChain)
{
    Topology topology;
    auto* curve = new CCurve;
    CVertex* hub = topology.Vertex(0, 0);
    topology.Chain({topology.Vertex(-1, 0), hub, topology.Vertex(1, 0)}, curve);
    CEdge* branch = topology.Chain({hub, topology.Vertex(0, 1)}, curve)[0];
    EXPECT_EQ(curve->ChainFromEdge(branch, 3), 0);
}

TEST(CurveStretch, AStraightChainTurnsAndScalesAboutItsFixedEnd)
{
    Topology topology;
    auto* curve = new CCurve;
    const std::vector<CVertex*> v{topology.Vertex(0, 0), topology.Vertex(1, 0), topology.Vertex(2, 0),
                                  topology.Vertex(3, 0)};
    const auto edges = topology.Chain(v, curve);
    curve->RebuildFromEdge(edges[0]);
    curve->StretchToEndpoint(v[3], CPoint3d(0, 6, 0), CPoint3d(3, 0, 0));
    EXPECT_EQ(v[0]->GetPosition(), CPoint3d(0, 0, 0));
    EXPECT_EQ(v[1]->GetPosition(), CPoint3d(0, 2, 0));
    EXPECT_EQ(v[2]->GetPosition(), CPoint3d(0, 4, 0));
    EXPECT_EQ(v[3]->GetPosition(), CPoint3d(0, 6, 0));
}

TEST(CurveStretch, AClosedChainDoesNotStretch)
{
    Topology topology;
    auto* curve = new CCurve;
    const std::vector<CVertex*> v{topology.Vertex(0, 0), topology.Vertex(1, 0), topology.Vertex(1, 1)};
    const auto edges = topology.Chain({v[0], v[1], v[2], v[0]}, curve);
    curve->RebuildFromEdge(edges[0]);
    curve->StretchToEndpoint(v[0], CPoint3d(5, 5, 0), CPoint3d(0, 0, 0));
    EXPECT_EQ(v[0]->GetPosition(), CPoint3d(0, 0, 0));
}
