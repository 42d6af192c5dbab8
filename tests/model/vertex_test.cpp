#include "model/vertex.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "foundation/transformation.h"
#include "model/arccurve.h"
#include "model/enumedge.h"
#include "tests/model/topologytestsupport.h"

namespace {

using topologytest::Builder;
using topologytest::CProbeVertex;

TEST(TopologyArray, GrowsByAnEighthOfItsCountKeptBetweenFourAndOneThousandTwentyFour)
{
    CTopologyArray<CEdge> small;
    for (int i = 0; i < 4; ++i) {
        small.Append(nullptr);
    }
    EXPECT_EQ(small.GetCapacity(), 4);
    small.Append(nullptr);
    EXPECT_EQ(small.GetCapacity(), 8);

    CTopologyArray<CEdge> hundred;
    hundred.Reserve(100);
    hundred.SetCount(100);
    hundred.Append(nullptr);
    EXPECT_EQ(hundred.GetCapacity(), 112);

    CTopologyArray<CEdge> large;
    large.Reserve(10000);
    large.SetCount(10000);
    large.Append(nullptr);
    EXPECT_EQ(large.GetCapacity(), 11024);
    EXPECT_EQ(large.GetCount(), 10001);
}

TEST(TopologyArray, RemovingClosesTheGapInOrderAndOutOfRangeReadsAreNull)
{
    int items[3] = {};
    CTopologyArray<int> array;
    for (int& item : items) {
        array.Append(&item);
    }
    EXPECT_TRUE(array.Remove(&items[1]));
    EXPECT_FALSE(array.Remove(&items[1]));
    EXPECT_EQ(array.GetAt(1), &items[2]);
    EXPECT_EQ(array.GetAt(2), nullptr);
    EXPECT_EQ(array.GetAt(-1), nullptr);
    const CTopologyArray<int> copy(array);
    EXPECT_EQ(copy.GetCapacity(), array.GetCapacity());
    EXPECT_NE(copy.GetData(), array.GetData());
}

TEST(Vertex, ListsItsEdgesInTheOrderTheyRegisteredAndAnEdgeBackToItselfTwice)
{
    Builder builder;
    CVertex* a = builder.Vertex(0, 0);
    CVertex* b = builder.Vertex(1, 0);
    CVertex* c = builder.Vertex(0, 1);
    CEdge* ab = builder.Edge(a, b);
    CEdge* ca = builder.Edge(c, a);
    ASSERT_EQ(a->GetEdgeCount(), 2);
    EXPECT_EQ(a->GetEdgeAt(0), ab);
    EXPECT_EQ(a->GetEdgeAt(1), ca);
    EXPECT_EQ(a->FindEdgeTo(c), ca);
    EXPECT_EQ(a->GetOtherEdge(ab), ca);
    EXPECT_EQ(b->GetOtherEdge(ab), nullptr);
    EXPECT_EQ(b->GetParent(), &builder.Component());

    CVertex* d = builder.Vertex(5, 5);
    auto* loop = new CEdge(d, d, false);
    builder.Component().Add(loop);
    EXPECT_EQ(d->GetEdgeCount(), 2);
}

TEST(Vertex, MergingTakesEveryEdgeOfAVertexWithinTheToleranceAndErasesIt)
{
    Builder builder;
    CVertex* keep = builder.Vertex(0, 0);
    bool deleted = false;
    auto* near = new CProbeVertex(CPoint3d(0.0009, 0, 0), &deleted);
    auto* far = new CProbeVertex(CPoint3d(0.0011, 0, 0), &deleted);
    CEdge* toFar = builder.Edge(builder.Vertex(1, 1), far);
    CEdge* fromNear = builder.Edge(near, builder.Vertex(1, 0));
    CEdge* toNear = builder.Edge(builder.Vertex(0, 1), near);

    keep->MergeVertex(far);
    EXPECT_FALSE(deleted);
    EXPECT_EQ(toFar->GetEndVertex(), far);

    keep->MergeVertex(near);
    EXPECT_TRUE(deleted);
    EXPECT_EQ(fromNear->GetStartVertex(), keep);
    EXPECT_EQ(toNear->GetEndVertex(), keep);
    EXPECT_EQ(keep->GetEdgeCount(), 2);
}

TEST(Vertex, AVertexWithoutEdgesIsRedundantAndOneBetweenTwoEdgesStays)
{
    Builder builder;
    bool deleted = false;
    auto* lonely = new CProbeVertex(CPoint3d(), &deleted);
    EXPECT_TRUE(lonely->RemoveIfRedundant(nullptr, true));
    EXPECT_TRUE(deleted);

    CVertex* middle = builder.Vertex(1, 0);
    builder.Edge(builder.Vertex(0, 0), middle);
    builder.Edge(middle, builder.Vertex(2, 0));
    EXPECT_FALSE(middle->RemoveIfRedundant(nullptr, false));
    EXPECT_EQ(middle->GetEdgeCount(), 2);
}

TEST(Vertex, ErasingLeavesItsEdgesWithANullEnd)
{
    Builder builder;
    CVertex* a = builder.Vertex(0, 0);
    CVertex* b = builder.Vertex(1, 0);
    CEdge* edge = builder.Edge(a, b);
    b->Erase();
    EXPECT_EQ(edge->GetStartVertex(), a);
    EXPECT_EQ(edge->GetEndVertex(), nullptr);
    EXPECT_DOUBLE_EQ(edge->GetLength(), 0.0);
    EXPECT_TRUE(edge->GetLine().line.direction.IsValid());
}

TEST(Vertex, TransformMovesThePositionAndTheEdgeEnumeratorReadsTheListLive)
{
    Builder builder;
    CVertex* a = builder.Vertex(1, 0);
    CTransformation shift;
    shift.SetTranslation(CVector3d(0, 2, 0));
    a->Transform(shift);
    EXPECT_TRUE(a->GetPosition().IsEqual(CPoint3d(1, 2, 0)));

    std::unique_ptr<CEnumEdge> edges(a->NewEdgeEnum());
    CEdge* edge = nullptr;
    EXPECT_FALSE(edges->Next(edge));
    CEdge* added = builder.Edge(a, builder.Vertex(3, 3));
    edges->Reset();
    ASSERT_TRUE(edges->Next(edge));
    EXPECT_EQ(edge, added);
}

// Two arcs of the unit circle about the origin, the first from angle 0 to pi/2 and
// the second from pi/2 to pi, each of two edges, meeting at the top.
class ArcMerge : public ::testing::Test
{
protected:
    ArcMerge()
    {
        for (int i = 0; i <= 4; ++i) {
            const double angle = kPi * i / 4.0;
            m_points[i] = m_builder.Vertex(std::cos(angle), std::sin(angle));
        }
        m_first = MakeArc(0, 0.0, kPi / 2.0);
        m_second = MakeArc(2, kPi / 2.0, kPi);
        m_top = m_points[2];
    }

    CArcCurve* MakeArc(int from, double start, double end)
    {
        auto* curve = new CArcCurve;
        CArc3d arc = CArc3d::FullCircle();
        arc.centre = CPoint3d();
        arc.xAxis = CVector3d(1, 0, 0);
        arc.yAxis = CVector3d(0, 1, 0);
        arc.radius = 1.0;
        arc.startAngle = start;
        arc.endAngle = end;
        curve->SetArc(arc);
        CEdge* edges[2] = {m_builder.Edge(m_points[from], m_points[from + 1]),
                           m_builder.Edge(m_points[from + 1], m_points[from + 2])};
        for (CEdge* edge : edges) {
            edge->SetCurve(curve);
        }
        curve->SetFirstEdge(edges[0]);
        curve->SetLastEdge(edges[1]);
        return curve;
    }

    Builder m_builder;
    CVertex* m_points[5] = {};
    CVertex* m_top = nullptr;
    CArcCurve* m_first = nullptr;
    CArcCurve* m_second = nullptr;
};

TEST_F(ArcMerge, RemovingTheThirdEdgeWhereTwoArcsOfOneCircleMeetJoinsThemIntoOneCurve)
{
    CEdge* spoke = m_builder.Edge(m_top, m_builder.Vertex(0, 5));
    spoke->SetStartVertex(m_builder.Vertex(0, 4), false);
    ASSERT_EQ(m_top->GetEdgeCount(), 2);
    for (int i = 0; i < m_top->GetEdgeCount(); ++i) {
        EXPECT_EQ(m_top->GetEdgeAt(i)->GetCurve(), m_first);
    }
    EXPECT_EQ(m_first->GetEdgeCount(), 4);
    std::vector<CEdge*> chain;
    EXPECT_EQ(m_first->GetEdges(chain), 4);
    EXPECT_EQ(m_first->GetStartVertex(), m_points[0]);
    EXPECT_EQ(m_first->GetEndVertex(), m_points[4]);
    EXPECT_NEAR(m_first->GetArc().endAngle - m_first->GetArc().startAngle, kPi, 1e-9);
}

TEST_F(ArcMerge, ArcsOfOneCircleTurnedOppositeWaysJoinWhereBothEnd)
{
    // The second arc again, now about -z: from (-1, 0) at angle 0 up to the top.
    auto* turned = new CArcCurve;
    CArc3d arc = m_second->GetArc();
    arc.xAxis = CVector3d(-1, 0, 0);
    arc.SetNormal(CVector3d(0, 0, -1));
    arc.Update(true);
    arc.startAngle = 0.0;
    arc.endAngle = kPi / 2.0;
    turned->SetArc(arc);
    CEdge* inner = m_points[3]->FindEdgeTo(m_points[4]);
    CEdge* outer = m_points[2]->FindEdgeTo(m_points[3]);
    for (CEdge* edge : {inner, outer}) {
        edge->SetCurve(nullptr);
        m_second->ReleaseEdge();
        edge->SetCurve(turned);
    }
    turned->RebuildFromEdge(inner);
    ASSERT_EQ(turned->GetEndVertex(), m_top);
    ASSERT_EQ(m_first->GetEndVertex(), m_top);

    CEdge* spoke = m_builder.Edge(m_top, m_builder.Vertex(0, 5));
    spoke->SetStartVertex(m_builder.Vertex(0, 4), false);
    EXPECT_EQ(inner->GetCurve(), m_first);
    EXPECT_EQ(outer->GetCurve(), m_first);
    EXPECT_EQ(m_first->GetEdgeCount(), 4);
}

TEST_F(ArcMerge, AThirdVisibleEdgeLeftAtTheVertexKeepsTheArcsApart)
{
    CEdge* spoke = m_builder.Edge(m_top, m_builder.Vertex(0, 5));
    m_builder.Edge(m_top, m_builder.Vertex(1, 5));
    spoke->SetStartVertex(m_builder.Vertex(0, 4), false);
    EXPECT_EQ(m_points[3]->GetEdgeAt(0)->GetCurve(), m_second);
    EXPECT_EQ(m_first->GetEdgeCount(), 2);
}

} // namespace
