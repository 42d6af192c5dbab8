#include <gtest/gtest.h>

#include <numbers>

#include "annotations/dimensionradial.h"
#include "model/arccurve.h"
#include "model/backreferencemap.h"
#include "model/edge.h"
#include "model/entityset.h"
#include "model/vertex.h"
#include "tests/annotations/dimensiontestsupport.h"
#include "tests/model/curvetestsupport.h"

using namespace dimensiontest;

namespace {

void ReadRadial(CDimensionRadial& dimension, const Bytes& bytes, int version,
                std::initializer_list<CObject*> known = {})
{
    ReadInto(dimension, bytes,
             {{"CEntity", 0}, {"CDrawingElement", 0}, {"CDimension", 0}, {"CDimensionRadial", version}}, known);
}

// A record on the edge known as object 1, or free (edge 0) with an arc of radius 2
// about (1, 2, 3) whose y axis is stored from version 2.
Bytes RadialRecord(int version, WORD edge)
{
    RecordBuilder record;
    record.PlainElement().String("").Reference(edge).Double(0.5).Double(-2.0).Bool(true);
    if (edge == 0) {
        record.Point(1, 2, 3).Point(0, 0, 1).Point(2, 0, 0).Double(0.0).Double(std::numbers::pi);
        if (version >= 2) {
            record.Point(0, 2, 0);
        }
    }
    return record.Build();
}

// An edge whose curve is the circle of radius 1 about the origin.
CEdge* ArcEdge(curvetest::Topology& topology)
{
    CVertex* start = topology.Vertex(1, 0);
    CVertex* end = topology.Vertex(0, 1);
    auto* curve = new CArcCurve;
    CArc3d arc = CArc3d::FullCircle();
    arc.xAxis = CVector3d(1, 0, 0);
    arc.yAxis = CVector3d(0, 1, 0);
    arc.radius = 1.0;
    curve->SetArc(arc);
    return topology.Chain({start, end}, curve).front();
}

}  // namespace

TEST(DimensionRadialRecord, AFreeDimensionReadsItsArcWithTheYAxisFromVersionTwo)
{
    const CUndoSuspender suspender;
    for (const int version : {1, 2}) {
        SCOPED_TRACE(version);
        CDimensionRadial dimension;
        ReadRadial(dimension, RadialRecord(version, 0), version);
        EXPECT_EQ(dimension.GetEdge(), nullptr);
        EXPECT_EQ(dimension.GetLeaderAngle(), 0.5);
        EXPECT_EQ(dimension.GetLeaderExtent(), -2.0);
        EXPECT_TRUE(dimension.IsDiameter());
        const CArc3d& arc = dimension.GetArc();
        EXPECT_EQ(arc.centre, CPoint3d(1, 2, 3));
        EXPECT_EQ(arc.radius, 2.0);
        EXPECT_EQ(arc.yAxis, CVector3d(0, 2, 0));
        EXPECT_FALSE(dimension.IsAssociated());
    }
}

TEST(DimensionRadialRecord, ADimensionOnAnEdgeReadsNoArcAndRegistersWithTheEdge)
{
    const entitytest::CurrentModel model;
    curvetest::Topology topology;
    CEdge* edge = ArcEdge(topology);
    CDimensionRadial dimension;
    ReadRadial(dimension, RadialRecord(2, 1), 2, {edge});
    EXPECT_EQ(dimension.GetEdge(), edge);
    EXPECT_TRUE(dimension.IsAssociated());
    EXPECT_EQ(dimension.GetArc().radius, 1.0);
    ASSERT_NE(model.Get().FindEntitySet()->FindReferrers(edge), nullptr);
    EXPECT_EQ(*model.Get().FindEntitySet()->FindReferrers(edge), std::vector<CEntity*>{&dimension});

    // Erasing the edge tells its referrers; the dimension keeps the last arc.
    dimension.OnReferenceChanged(kReferenceErased, edge, nullptr);
    EXPECT_EQ(dimension.GetEdge(), nullptr);
    EXPECT_FALSE(dimension.IsAssociated());
    EXPECT_EQ(dimension.GetArc().radius, 1.0);
    EXPECT_FALSE(model.Get().FindEntitySet()->Contains(edge));
}

TEST(DimensionRadialRecord, AnEdgeReferenceToAnotherClassIsABadClass)
{
    const CUndoSuspender suspender;
    CVertex vertex;
    CDimensionRadial dimension;
    const Bytes bytes = RadialRecord(2, 1);
    EXPECT_EQ(ArchiveCause([&]() { ReadRadial(dimension, bytes, 2, {&vertex}); }), CArchiveException::badClass);
}

TEST(DimensionRadialRecord, AMarkOnlyDetachWritesTheArcOnceAndTheEdgeAgainAfterwards)
{
    curvetest::Topology topology;
    CEdge* edge = ArcEdge(topology);
    CDimensionRadial dimension;
    dimension.SetEdge(edge);
    dimension.SetLeader(1.0, 1.5);

    dimension.DetachFromEntitiesOutside(CEntitySet(), true);
    EXPECT_TRUE(dimension.WritesDetached());
    CDimensionRadial detached;
    ReadWritten(detached, Write(dimension, kSaveFormat5000, {edge}), kSaveFormat5000, {edge});
    EXPECT_EQ(detached.GetEdge(), nullptr);
    EXPECT_EQ(detached.GetArc().radius, 1.0);
    EXPECT_EQ(detached.GetLeaderExtent(), 1.5);

    EXPECT_FALSE(dimension.WritesDetached());
    CDimensionRadial attached;
    ReadWritten(attached, Write(dimension, kSaveFormat5000, {edge}), kSaveFormat5000, {edge});
    EXPECT_EQ(attached.GetEdge(), edge);
}

// A copy of a free dimension once started from the full circle of radius 0, so that
// undo restored a free dimension without its arc.
TEST(DimensionRadialCopies, ACopyOfAFreeDimensionKeepsItsArc)
{
    const CUndoSuspender suspender;
    CDimensionRadial dimension;
    ReadRadial(dimension, RadialRecord(2, 0), 2);
    CEntity* copy = dimension.Clone();
    auto* clone = dynamic_cast<CDimensionRadial*>(copy);
    ASSERT_NE(clone, nullptr);
    EXPECT_EQ(clone->GetArc().centre, CPoint3d(1, 2, 3));
    EXPECT_EQ(clone->GetArc().radius, 2.0);
    EXPECT_TRUE(clone->IsDiameter());

    CDimensionRadial fresh;
    fresh.SwapData(*clone);
    EXPECT_EQ(fresh.GetArc().radius, 2.0);
    EXPECT_EQ(clone->GetArc().radius, 0.0);
    delete copy;
}

TEST(DimensionRadialRecord, EveryFormatWritesTheWholeRecordAndReadsItBack)
{
    const CUndoSuspender suspender;
    CDimensionRadial dimension;
    ReadRadial(dimension, RadialRecord(2, 0), 2);
    for (const int format : kFormats) {
        EXPECT_TRUE(RoundTrips<CDimensionRadial>(dimension, format, {}, [](CDimensionRadial& read) {
            EXPECT_EQ(read.GetArc().centre, CPoint3d(1, 2, 3));
            EXPECT_EQ(read.GetLeaderAngle(), 0.5);
        })) << format;
    }
}

TEST(DimensionRadialLayout, TheTextPointLiesAtItsExtentAlongTheLeaderAndFollowsAMove)
{
    const CUndoSuspender suspender;
    struct Case
    {
        double extent;
        double distance;  // from the centre, the radius being 2
    };
    for (const Case& c : {Case{1.0, 2.0}, Case{1.5, 3.0}, Case{-2.0, 4.0}}) {
        SCOPED_TRACE(c.extent);
        CDimensionRadial dimension;
        ReadRadial(dimension, RadialRecord(2, 0), 2);
        dimension.SetDiameter(false);
        dimension.SetLeader(0.5, c.extent);
        const CDimensionRadial::Layout layout = dimension.ComputeLayout();
        EXPECT_NEAR((layout.points[0] - CPoint3d(1, 2, 3)).GetLength(), c.distance, 1e-9);
        EXPECT_NEAR((layout.points[1] - CPoint3d(1, 2, 3)).GetLength(), 2.0, 1e-9);
        dimension.Transform(CTransformation(CVector3d(1, 0, 0), CVector3d(0, 1, 0), CVector3d(0, 0, 1),
                                            CPoint3d(10, 0, 0)));
        const CDimensionRadial::Layout moved = dimension.ComputeLayout();
        EXPECT_NEAR((moved.points[0] - (layout.points[0] + CVector3d(10, 0, 0))).GetLength(), 0.0, 1e-9);
        EXPECT_EQ(dimension.GetLeaderExtent() >= 0.0, c.extent >= 0.0);
    }
}
