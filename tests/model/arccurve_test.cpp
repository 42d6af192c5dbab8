#include <gtest/gtest.h>

#include <cmath>

#include "foundation/tolerance.h"
#include "model/arccurve.h"
#include "model/validitylog.h"
#include "tests/model/curvetestsupport.h"
#include "tests/model/entitytestsupport.h"

using namespace curvetest;
using namespace entitytest;

namespace {

// The unit circle about the origin in the XY plane.
CArc3d UnitCircle(double start = 0.0, double end = kTwoPi)
{
    CArc3d arc;
    arc.xAxis = CVector3d(1, 0, 0);
    arc.yAxis = CVector3d(0, 1, 0);
    arc.radius = 1.0;
    arc.startAngle = start;
    arc.endAngle = end;
    return arc;
}

// Vertices on the unit circle every eighth of a turn, from angle 0 up to and
// including the given number of steps.
std::vector<CVertex*> CircleVertices(Topology& topology, int steps)
{
    std::vector<CVertex*> vertices;
    for (int i = 0; i <= steps && i < 8; ++i) {
        const double angle = i * kPi / 4.0;
        vertices.push_back(topology.Vertex(std::cos(angle), std::sin(angle)));
    }
    if (steps == 8) {
        vertices.push_back(vertices.front());
    }
    return vertices;
}

// An arc curve on a chain of eighth-turn edges, refitted to its chain.
CArcCurve* MakeArcCurve(Topology& topology, int steps, std::vector<CVertex*>& vertices)
{
    auto* curve = new CArcCurve;
    curve->SetArc(UnitCircle());
    vertices = CircleVertices(topology, steps);
    const auto edges = topology.Chain(vertices, curve);
    curve->RebuildFromEdge(edges.front());
    return curve;
}

void PutDoubles(Bytes& bytes, std::initializer_list<double> values)
{
    for (double value : values) {
        const auto* raw = reinterpret_cast<const BYTE*>(&value);
        bytes.insert(bytes.end(), raw, raw + sizeof(double));
    }
}

// The entity and curve parts of an arc curve record: no attributes, flag, count.
Bytes CurveParts()
{
    Bytes bytes;
    PutReference(bytes, 0);
    bytes.push_back(0);
    PutInt(bytes, 1);
    return bytes;
}

} // namespace

// Records

TEST(ArcCurveRecord, VersionZeroCarriesElevenDoublesAndDerivesTheYAxis)
{
    Bytes bytes = CurveParts();
    PutDoubles(bytes, {1, 2, 3, 0, 0, 1, 2, 0, 0, 0.5, 1.5});
    CArcCurve curve;
    const FileVersions versions{{"CEntity", 3}, {"CCurve", 4}, {"CArcCurve", 0}};
    Load(bytes, [&](CArchive& ar) {
        curve.Serialize(ar);
        EXPECT_EQ(ar.GetRemainingBytes(), 0U);
    });
    const CArc3d& arc = curve.GetArc();
    EXPECT_EQ(arc.centre, CPoint3d(1, 2, 3));
    EXPECT_EQ(arc.yAxis, CVector3d(0, 2, 0));
    EXPECT_DOUBLE_EQ(arc.radius, 2.0);
    EXPECT_DOUBLE_EQ(arc.startAngle, 0.5);
    EXPECT_DOUBLE_EQ(arc.endAngle, 1.5);
}

TEST(ArcCurveRecord, AMirroredArcTurnsItsPlaneToFollowItsAxes)
{
    Bytes bytes = CurveParts();
    PutDoubles(bytes, {0, 0, 0, 0, 0, 1, 1, 0, 0, 0, 1, 0, -1, 0});
    CArcCurve curve;
    const FileVersions versions{{"CEntity", 3}, {"CCurve", 4}, {"CArcCurve", 1}};
    Load(bytes, [&](CArchive& ar) { curve.Serialize(ar); });
    EXPECT_EQ(curve.GetNormal(), CVector3d(0, 0, -1));
}

TEST(ArcCurveRecord, WhatIsWrittenReadsBackTheSame)
{
    CArcCurve written;
    written.SetArc(UnitCircle(0.25, 2.0));
    const Bytes bytes = Store([&](CArchive& ar) { written.Serialize(ar); });
    CArcCurve read;
    const FileVersions versions{{"CEntity", 3}, {"CCurve", 4}, {"CArcCurve", 1}};
    Load(bytes, [&](CArchive& ar) { read.Serialize(ar); });
    EXPECT_TRUE(read.GetArc().IsEqual(written.GetArc()));
    EXPECT_EQ(read.GetArc().yAxis, CVector3d(0, 1, 0));
    EXPECT_DOUBLE_EQ(read.GetArc().endAngle, 2.0);
}

// Fitting the arc to its chain

TEST(ArcCurve, AClosedChainWithAPlainSeamBecomesSeamlessAndKeepsItsLength)
{
    Topology topology;
    std::vector<CVertex*> vertices;
    CArcCurve* curve = MakeArcCurve(topology, 8, vertices);
    EXPECT_EQ(curve->GetArc().startAngle, 0.0);
    EXPECT_EQ(curve->GetArc().endAngle, 0.0);
    EXPECT_TRUE(curve->IsClosed(false));
    EXPECT_NEAR(curve->GetLength(), kTwoPi, 1e-9);
}

TEST(ArcCurve, AnOpenChainEndsItsArcAtItsLastVertex)
{
    Topology topology;
    std::vector<CVertex*> vertices;
    CArcCurve* curve = MakeArcCurve(topology, 4, vertices);
    EXPECT_NEAR(curve->GetArc().endAngle, kPi, 1e-9);
    EXPECT_FALSE(curve->IsClosed(true));
    EXPECT_NEAR(curve->GetLength(), kPi, 1e-9);
    CPoint3d middle;
    ASSERT_TRUE(curve->GetMidPoint(middle));
    EXPECT_EQ(middle, CPoint3d(0, 1, 0));
}

TEST(ArcCurve, EdgeDirectionFollowsTheAnglesAndAHalfTurnIsForwardOnlyUpwards)
{
    Topology topology;
    CArcCurve curve;
    curve.SetArc(UnitCircle());
    CVertex* east = topology.Vertex(1, 0);
    CVertex* west = topology.Vertex(-1, 0);
    CVertex* south = topology.Vertex(0, -1);
    EXPECT_EQ(curve.GetEdgeDirection(topology.Edge(east, west)), kCurveDirectionForward);
    EXPECT_EQ(curve.GetEdgeDirection(topology.Edge(west, east)), kCurveDirectionReversed);
    // Across angle 0 the larger angle comes first.
    EXPECT_EQ(curve.GetEdgeDirection(topology.Edge(south, east)), kCurveDirectionForward);
    EXPECT_EQ(curve.GetEdgeDirection(topology.Edge(east, south)), kCurveDirectionReversed);
}

TEST(ArcCurve, APointJustBeyondAnEndAngleIsStillOnTheArc)
{
    CArcCurve curve;
    curve.SetArc(UnitCircle(0.0, kPi / 2.0));
    EXPECT_TRUE(curve.IsPointOnArc(CPoint3d(std::cos(-5e-7), std::sin(-5e-7), 0)));
    EXPECT_FALSE(curve.IsPointOnArc(CPoint3d(std::cos(-1e-5), std::sin(-1e-5), 0)));
    EXPECT_FALSE(curve.IsPointOnArc(CPoint3d(0, 1, 0.01)));
    EXPECT_FALSE(curve.IsPointOnArc(CPoint3d(0, 1.01, 0)));
    curve.SetArc(UnitCircle(0.0, 0.0));
    EXPECT_TRUE(curve.IsPointOnArc(CPoint3d(-1, 0, 0)));
}

TEST(ArcCurve, QuadrantPointsOfACircleStartAtItsEasternmostVertex)
{
    Topology topology;
    std::vector<CVertex*> vertices;
    CArcCurve* curve = MakeArcCurve(topology, 8, vertices);
    CPoint3d points[4];
    ASSERT_TRUE(curve->GetQuadrantPoints(points));
    EXPECT_EQ(points[0], CPoint3d(1, 0, 0));
    EXPECT_EQ(points[1], CPoint3d(0, 1, 0));
    EXPECT_EQ(points[2], CPoint3d(-1, 0, 0));
    EXPECT_EQ(points[3], CPoint3d(0, -1, 0));
}

TEST(ArcCurve, AnEmptyCopyIsAFullCircleOnTheSameCircle)
{
    CArcCurve curve;
    CArc3d arc = UnitCircle(0.5, 1.0);
    arc.centre = CPoint3d(4, 5, 6);
    curve.SetArc(arc);
    curve.SetFlag(true);
    std::unique_ptr<CCurve> empty(curve.NewEmptyCurve());
    auto* copy = AsArcCurve(empty.get());
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->GetArc().centre, CPoint3d(4, 5, 6));
    EXPECT_DOUBLE_EQ(copy->GetArc().radius, 1.0);
    EXPECT_EQ(copy->GetArc().endAngle, kTwoPi);
    EXPECT_TRUE(copy->GetFlag());
    EXPECT_EQ(copy->GetEdgeCount(), 0);
}

// Dragging

TEST(ArcCurve, StretchingAClosedArcMovesEveryVertexOntoTheNewRadius)
{
    Topology topology;
    std::vector<CVertex*> vertices;
    CArcCurve* curve = MakeArcCurve(topology, 8, vertices);
    curve->StretchToEndpoint(vertices[2], CPoint3d(0, 1, 0), CPoint3d(0, 3, 0));
    EXPECT_DOUBLE_EQ(curve->GetArc().radius, 3.0);
    for (const CVertex* vertex : vertices) {
        EXPECT_NEAR(vertex->GetPosition().Distance(CPoint3d(0, 0, 0)), 3.0, 1e-9);
    }
}

TEST(ArcCurve, DraggingTheBulgeBringsTheChainThroughTheTarget)
{
    Topology topology;
    std::vector<CVertex*> vertices;
    CArcCurve* curve = MakeArcCurve(topology, 4, vertices);
    curve->MoveBulge(CPoint3d(0, 0.5, 0));
    EXPECT_EQ(vertices.front()->GetPosition(), CPoint3d(1, 0, 0));
    EXPECT_EQ(vertices.back()->GetPosition(), CPoint3d(-1, 0, 0));
    CPoint3d reached;
    ASSERT_TRUE(curve->GetPolylinePoint(CPoint3d(0, 0.5, 0), reached));
    EXPECT_NEAR(reached.y, 0.5, 0.001);
}

// Checks

TEST(ArcCurveCheck, ASoundArcPassesAndAWrongRadiusIsReportedOrRepaired)
{
    Topology topology;
    std::vector<CVertex*> vertices;
    CArcCurve* curve = MakeArcCurve(topology, 4, vertices);
    const CValidityCheckScope checking;
    ClearValidityLog();
    EXPECT_EQ(curve->CheckValidity(kValidityModeCheck, nullptr), kValiditySound);

    CArc3d arc = curve->GetArc();
    arc.radius = 2.0;
    curve->SetArc(arc);
    EXPECT_EQ(curve->CheckValidity(kValidityModeCheck, nullptr), kValidityRepairable);
    EXPECT_FALSE(GetValidityLog().IsEmpty());

    CEdge* edge = vertices[0]->GetEdgeAt(0);
    EXPECT_EQ(curve->CheckValidity(kValidityModeRepair, nullptr), kValiditySound);
    EXPECT_EQ(edge->GetCurve(), nullptr);
}

TEST(CurveCheck, AWrongCountIsReportedAndRepairDissolvesTheCurve)
{
    Topology topology;
    auto* curve = new CCurve;
    const auto edges = topology.Chain({topology.Vertex(0, 0), topology.Vertex(1, 0), topology.Vertex(2, 0)}, curve);
    curve->RebuildFromEdge(edges[0]);
    const CValidityCheckScope checking;
    EXPECT_EQ(curve->CheckValidity(kValidityModeCheck, nullptr), kValiditySound);
    curve->SetEdgeCount(5);
    EXPECT_EQ(curve->CheckValidity(kValidityModeCheck, nullptr), kValidityRepairable);
    EXPECT_EQ(curve->CheckValidity(kValidityModeRepair, nullptr), kValiditySound);
    EXPECT_EQ(edges[0]->GetCurve(), nullptr);
    EXPECT_EQ(edges[1]->GetCurve(), nullptr);
}

TEST(CurveCheck, TheBypassAnswersSoundWithoutLooking)
{
    CCurve curve;
    EXPECT_EQ(curve.CheckValidity(kValidityModeCheck, nullptr), kValiditySound);
}
