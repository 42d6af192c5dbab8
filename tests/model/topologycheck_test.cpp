// The consistency checks of vertices, edge uses and loops.

#include <gtest/gtest.h>

#include "model/validitylog.h"
#include "tests/model/topologytestsupport.h"

namespace {

using topologytest::Builder;
using topologytest::RingOf;

// Checks run (the bypass is off) and the log starts and ends empty.
class TopologyCheck : public ::testing::Test
{
protected:
    TopologyCheck() { ClearValidityLog(); }
    ~TopologyCheck() override { ClearValidityLog(); }

    Builder m_builder;
    CValidityCheckScope m_checking;
};

TEST_F(TopologyCheck, AVertexListingAnEdgeTwiceOrOneThatDoesNotEndThereIsRepairedByDroppingTheEntry)
{
    CVertex* a = m_builder.Vertex(0, 0);
    CVertex* b = m_builder.Vertex(1, 0);
    CEdge* edge = m_builder.Edge(a, b);
    CEdge* stranger = m_builder.Edge(m_builder.Vertex(5, 5), m_builder.Vertex(6, 6));
    a->AddEdge(edge, false);
    EXPECT_EQ(a->CheckValidity(kValidityModeCheck, nullptr), kValidityRepairable);
    EXPECT_EQ(a->CheckValidity(kValidityModeIgnoreStaleIds, nullptr), kValiditySound);
    a->AddEdge(stranger, false);
    CValidityResultMap results;
    EXPECT_EQ(a->CheckValidity(kValidityModeRepair, &results), kValiditySound);
    ASSERT_EQ(a->GetEdgeCount(), 1);
    EXPECT_EQ(a->GetEdgeAt(0), edge);
    EXPECT_FALSE(GetValidityLog().IsEmpty());
}

TEST_F(TopologyCheck, AVertexHeldByAComponentLosesItsParentInRepairMode)
{
    CVertex* vertex = m_builder.Vertex(0, 0);
    m_builder.Edge(vertex, m_builder.Vertex(1, 0));
    vertex->SetParent(&m_builder.Component());
    EXPECT_EQ(vertex->CheckValidity(kValidityModeCheck, nullptr), kValidityRepairable);
    EXPECT_EQ(vertex->CheckValidity(kValidityModeRepair, nullptr), kValiditySound);
    EXPECT_EQ(vertex->CEntity::GetParent(), nullptr);
}

TEST_F(TopologyCheck, AnEdgeUseWithoutLoopIsBroken)
{
    CFace* face = m_builder.Square();
    CEdgeUse* use = face->GetOuterLoop()->GetFirstEdgeUse();
    EXPECT_EQ(use->CheckValidity(kValidityModeCheck, nullptr), kValiditySound);
    CValidityResultMap results;
    EXPECT_EQ(use->CheckValidity(kValidityModeCheck, &results), kValiditySound);
    CLoop* loop = use->GetLoop();
    use->SetLoop(nullptr);
    CValidityResultMap second;
    EXPECT_EQ(use->CheckValidity(kValidityModeCheck, &second), kValidityBroken);
    EXPECT_EQ(second[use], kValidityBroken);
    use->SetLoop(loop);
}

TEST_F(TopologyCheck, ASoundLoopPassesAndOneOfTwoUsesIsStale)
{
    CFace* face = m_builder.SquareWithHole();
    CValidityResultMap results;
    EXPECT_EQ(face->GetLoop(1)->CheckValidity(kValidityModeCheck, &results), kValiditySound);

    CVertex* a = m_builder.Vertex(10, 0);
    CVertex* b = m_builder.Vertex(11, 0);
    CEdge* edges[2] = {m_builder.Edge(a, b), m_builder.Edge(a, b)};
    auto* thin = new CFace(2, edges, CPlane3d());
    m_builder.Component().Add(thin);
    EXPECT_EQ(thin->GetOuterLoop()->CheckValidity(kValidityModeCheck, nullptr), kValidityStale);
    EXPECT_EQ(thin->GetOuterLoop()->CheckValidity(kValidityModeIgnoreStaleIds, nullptr), kValiditySound);
}

TEST_F(TopologyCheck, TheOnlyLoopWoundAgainstItsPlaneIsRepairedByTurningThePlane)
{
    CFace* face = m_builder.Square();
    face->FlipPlane();
    CValidityResultMap results;
    EXPECT_EQ(face->GetOuterLoop()->CheckValidity(kValidityModeCheck, &results), kValidityRepairable);
    CValidityResultMap repair;
    EXPECT_EQ(face->GetOuterLoop()->CheckValidity(kValidityModeRepair, &repair), kValiditySound);
    EXPECT_DOUBLE_EQ(face->GetPlane().c, 1.0);
    EXPECT_GT(face->GetOuterLoop()->GetSignedArea(face->GetNormal(), nullptr), 0.0);
}

TEST_F(TopologyCheck, AnEdgeOfTheLoopOutsideItsFacesComponentIsAddedInRepairMode)
{
    CFace* face = m_builder.Square();
    CEdge* edge = face->GetOuterLoop()->GetFirstEdgeUse()->GetEdge();
    m_builder.Component().Remove(edge);
    CValidityResultMap results;
    EXPECT_EQ(face->GetOuterLoop()->CheckValidity(kValidityModeCheck, &results), kValidityRepairable);
    CValidityResultMap repair;
    EXPECT_EQ(face->GetOuterLoop()->CheckValidity(kValidityModeRepair, &repair), kValiditySound);
    EXPECT_TRUE(m_builder.Component().Contains(edge));
}

} // namespace
