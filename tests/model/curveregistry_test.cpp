#include <gtest/gtest.h>

#include "model/curveregistry.h"
#include "tests/model/curvetestsupport.h"

using namespace curvetest;

namespace {

void Register(const std::vector<CEdge*>& edges)
{
    for (CEdge* edge : edges) {
        CCurveRegistry::Add(edge);
    }
}

} // namespace

TEST(CurveRegistry, ListsEachEdgeOnceUnderItsCurveAndIgnoresPlainEdges)
{
    Topology topology;
    auto* curve = new CCurve;
    const auto edges = topology.Chain({topology.Vertex(0, 0), topology.Vertex(1, 0), topology.Vertex(2, 0)}, curve);
    CEdge* plain = topology.Edge(topology.Vertex(5, 5), topology.Vertex(6, 5));
    CCurveRegistry::Reset();
    Register({edges[0], edges[1], edges[0], plain});
    EXPECT_EQ(CCurveRegistry::GetEntryCount(), 1);
    EXPECT_EQ(CCurveRegistry::GetEdgesOf(curve), edges);
    CCurveRegistry::Reset();
    EXPECT_EQ(CCurveRegistry::GetEntryCount(), 0);
}

TEST(CurveRegistry, ResolvingASoundChainFindsItsEndsAndTrustsOnlyItsOwnCount)
{
    Topology topology;
    auto* curve = new CCurve;
    const std::vector<CVertex*> v{topology.Vertex(0, 0), topology.Vertex(1, 0), topology.Vertex(2, 0),
                                  topology.Vertex(3, 0)};
    const auto edges = topology.Chain(v, curve, {false, true, false});
    curve->SetEdgeCount(99);
    CCurveRegistry::Reset();
    Register({edges[1], edges[2], edges[0]});
    CCurveRegistry::Resolve(true);

    EXPECT_EQ(CCurveRegistry::GetEntryCount(), 0);
    EXPECT_EQ(curve->GetEdgeCount(), 3);
    std::vector<CVertex*> ends{curve->GetStartVertex(), curve->GetEndVertex()};
    std::sort(ends.begin(), ends.end());
    std::vector<CVertex*> expected{v[0], v[3]};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(ends, expected);
    for (CEdge* edge : edges) {
        EXPECT_EQ(edge->GetCurve(), curve);
    }
}

TEST(CurveRegistry, ACurveWhoseEdgesAreNotOneChainIsDissolvedAndItsOrphansErased)
{
    Topology topology;
    bool deleted = false;
    auto* curve = new CProbeCurve(&deleted);
    CVertex* shared = topology.Vertex(9, 9);
    const auto chain = topology.Chain({topology.Vertex(0, 0), topology.Vertex(1, 0), topology.Vertex(2, 0)}, curve);
    // A loose edge of the same curve, far from the chain, beside an edge that stays.
    topology.Edge(shared, topology.Vertex(9, 10));
    CEdge* orphan = topology.Edge(topology.Vertex(8, 9), shared, true);
    orphan->SetCurve(curve);
    CCurveRegistry::Reset();
    Register({chain[0], chain[1], orphan});
    topology.Forget(orphan);
    CCurveRegistry::Resolve(true);

    EXPECT_TRUE(deleted);
    EXPECT_EQ(chain[0]->GetCurve(), nullptr);
    EXPECT_EQ(chain[1]->GetCurve(), nullptr);
    EXPECT_EQ(shared->GetEdgeCount(), 1);
    EXPECT_FALSE(shared->ContainsEdge(orphan));
}

TEST(CurveRegistry, DissolvingWithoutErasingOrphansKeepsThemAsPlainEdges)
{
    Topology topology;
    auto* curve = new CCurve;
    const auto chain = topology.Chain({topology.Vertex(0, 0), topology.Vertex(1, 0)}, curve);
    CEdge* loose = topology.Edge(topology.Vertex(5, 0), topology.Vertex(6, 0), true);
    loose->SetCurve(curve);
    CCurveRegistry::Reset();
    Register({chain[0], loose});
    CCurveRegistry::Resolve(false);
    EXPECT_EQ(chain[0]->GetCurve(), nullptr);
    EXPECT_EQ(loose->GetCurve(), nullptr);
    EXPECT_EQ(loose->GetStartVertex()->GetEdgeCount(), 1);
}

// A file can make a curve whose edges close into a ring with a tail: a walk that
// trusted the ring would go round for ever.
TEST(CurveRegistry, ARingWithATailEndsCleanlyAndIsDissolved)
{
    Topology topology;
    auto* curve = new CCurve;
    const std::vector<CVertex*> v{topology.Vertex(0, 0), topology.Vertex(1, 0), topology.Vertex(1, 1)};
    const auto ring = topology.Chain({v[0], v[1], v[2], v[0]}, curve);
    const auto tail = topology.Chain({v[1], topology.Vertex(3, 0)}, curve);
    curve->SetFirstEdge(ring[2]);
    curve->SetLastEdge(tail[0]);
    CCurveRegistry::Reset();
    Register({ring[0], ring[1], ring[2], tail[0]});
    CCurveRegistry::Resolve(true);
    for (CEdge* edge : {ring[0], ring[1], ring[2], tail[0]}) {
        EXPECT_EQ(edge->GetCurve(), nullptr);
    }
}

TEST(CurveRegistry, AnEndNamedByAnOldRecordThatIsNotOnTheCurveIsNotTrusted)
{
    Topology topology;
    auto* curve = new CCurve;
    const auto chain = topology.Chain({topology.Vertex(0, 0), topology.Vertex(1, 0), topology.Vertex(2, 0)}, curve);
    CEdge* stranger = topology.Edge(topology.Vertex(7, 7), topology.Vertex(8, 8));
    curve->SetFirstEdge(stranger);
    curve->SetLastEdge(stranger);
    CCurveRegistry::Reset();
    Register(chain);
    CCurveRegistry::Resolve(true);
    EXPECT_EQ(chain[0]->GetCurve(), curve);
    EXPECT_EQ(curve->GetEdgeCount(), 2);
    EXPECT_NE(curve->GetFirstEdge(), stranger);
}
