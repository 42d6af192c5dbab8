// New geometry merged into its component: welding, splitting, degenerate edges, faces
// found for closed loops, and one undo that restores the component.

#include "model/mergecontroller.h"

#include <gtest/gtest.h>

#include "model/edgeuse.h"
#include "model/entityset.h"
#include "tests/model/geometrytestsupport.h"

namespace {

using geometrytest::Edge;
using geometrytest::Face;
using geometrytest::RecordingModel;
using geometrytest::Vertex;

// A new edge with vertices of its own, added to the component and the set.
CEdge* NewEdge(CComponent& component, CEntitySet& set, const CPoint3d& a, const CPoint3d& b)
{
    auto* edge = new CEdge(new CVertex(a), new CVertex(b), false);
    component.AddEntity(edge);
    set.Add(edge);
    return edge;
}

int Count(const CComponent& component, int typeId)
{
    int count = 0;
    for (CDrawingElement* element : component.GetEntityList()) {
        count += element->GetTypeId() == typeId ? 1 : 0;
    }
    return count;
}

constexpr int kEdgeType = 16;
constexpr int kFaceType = 18;

TEST(MergeController, VerticesWeldWithinToleranceOnly)
{
    const struct {
        double dx;
        bool welds;
    } cases[] = {{0.0009, true}, {0.0005, true}, {0.001, false}, {0.002, false}};
    for (const auto& c : cases) {
        RecordingModel model;
        CComponent& component = model.Component();
        CVertex* existing = Vertex(0, 0);
        Edge(component, Vertex(-1, 0), existing);
        CEntitySet set;
        CEdge* added = NewEdge(component, set, {c.dx, 0, 0}, {c.dx, 5, 0});
        CMergeController controller(&component, &set);
        EXPECT_EQ(controller.Merge(false, true), c.welds) << c.dx;
        EXPECT_EQ(added->HasVertex(existing), c.welds) << c.dx;
    }
}

TEST(MergeController, FourSeparateLinesOfASquareWeldIntoOneFaceAndUndo)
{
    RecordingModel model;
    CComponent& component = model.Component();
    model.Begin();
    CEntitySet set;
    const CPoint3d p[4] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
    for (int i = 0; i < 4; ++i) {
        NewEdge(component, set, p[i], p[(i + 1) % 4]);
    }
    CMergeController controller(&component, &set);
    EXPECT_TRUE(controller.Merge(false, true));
    EXPECT_EQ(Count(component, kFaceType), 1);
    EXPECT_EQ(Count(component, kEdgeType), 4);
    EXPECT_EQ(controller.GetWeldedVertices().size(), 4U);
    EXPECT_TRUE(model.UndoRestores());
}

TEST(MergeController, AVertexOnAnEdgeSplitsItUnlessItIsCloseToAnEnd)
{
    const struct {
        double x;
        int edges;
    } cases[] = {{1.0, 3}, {0.0005, 2}, {1.9995, 2}};
    for (const auto& c : cases) {
        RecordingModel model;
        CComponent& component = model.Component();
        Edge(component, Vertex(0, 0), Vertex(2, 0));
        CEntitySet set;
        NewEdge(component, set, {c.x, 0.0005, 0}, {c.x, 3, 0});
        CMergeController controller(&component, &set);
        controller.Merge(false, true);
        EXPECT_EQ(Count(component, kEdgeType), c.edges) << c.x;
    }
}

TEST(MergeController, AnEdgeWhoseEndsWeldIsErasedAndItsTriangleLosesItsFace)
{
    RecordingModel model;
    CComponent& component = model.Component();
    CVertex* b = Vertex(1, 0);
    CVertex* c = Vertex(1, 0.0005);
    CFace* triangle = Face(component, {Vertex(0, 0), b, c});
    CEntitySet set;
    set.Add(triangle);
    model.Begin();
    CMergeController controller(&component, &set);
    EXPECT_TRUE(controller.Merge(false, true));
    EXPECT_EQ(Count(component, kFaceType), 0);
    EXPECT_FALSE(set.Contains(triangle));
    EXPECT_TRUE(model.UndoRestores());
}

// Erasures reach the merge only through an undo operation: a merge run with recording
// off deleted entities its working sets still held. It now records into one of its own.
TEST(MergeController, AMergeOutsideAnyOperationRecordsIntoItsOwn)
{
    RecordingModel model;
    CComponent& component = model.Component();
    CFace* triangle = Face(component, {Vertex(0, 0), Vertex(1, 0), Vertex(1, 0.0005)});
    CEntitySet set;
    set.Add(triangle);
    ASSERT_FALSE(IsRecordingChanges());
    CMergeController controller(&component, &set);
    EXPECT_TRUE(controller.Merge(false, true));
    EXPECT_EQ(Count(component, kFaceType), 0);
    EXPECT_FALSE(IsRecordingChanges());
    EXPECT_EQ(GetCurrentUndoManager()->GetUndoStack().size(), 1U);
}

TEST(MergeController, ACancelEndsTheMergeWithMinusOneAndKeepsWhatWasDone)
{
    struct CancelAtOnce : IMergeProgress
    {
        bool IsCancelled() override { return true; }
        void SetFraction(double value) override { fraction = value; }
        void Step() override {}
        double fraction = 0.0;
    } progress;
    RecordingModel model;
    CComponent& component = model.Component();
    CEntitySet set;
    NewEdge(component, set, {0, 0, 0}, {1, 0, 0});
    NewEdge(component, set, {1, 0, 0}, {1, 1, 0});
    CMergeController controller(&component, &set);
    controller.SetProgressReporter(&progress, 2.0);
    try {
        controller.Merge(false, true);
        ADD_FAILURE() << "the merge was not cancelled";
    } catch (int code) {
        EXPECT_EQ(code, -1);
    }
    EXPECT_DOUBLE_EQ(progress.fraction, 0.7);
    EXPECT_EQ(controller.GetWeldedVertices().size(), 1U);
    EXPECT_FALSE(IsRecordingChanges());
}

TEST(MergeController, MergingNothingFindsNothing)
{
    RecordingModel model;
    CEntitySet set;
    CMergeController controller(&model.Component(), &set);
    EXPECT_FALSE(controller.Merge(true, true));
}

} // namespace

// A split once went on to an edge it had just absorbed; made in the same operation,
// that edge was already deleted.
TEST(MergeController, AnEdgeMadeInTheSameOperationAndAbsorbedByASplitIsLeftAlone)
{
    RecordingModel model;
    CComponent& component = model.Component();
    model.Begin();
    auto* origin = new CVertex(CPoint3d(0, 0, 0));
    component.AddEntity(new CEdge(origin, new CVertex(CPoint3d(2, 0, 0)), false));
    component.AddEntity(new CEdge(origin, new CVertex(CPoint3d(1, 0, 0)), false));  // absorbed by the split
    CEntitySet set;
    NewEdge(component, set, {1, 0, 0}, {1, 1, 0});
    CMergeController controller(&component, &set);
    EXPECT_TRUE(controller.Merge(false, true));
    EXPECT_EQ(Count(component, kEdgeType), 3);
}

// An edge split off during the merge once took the address of an edge the same
// operation had made and erased (and so deleted); the merge took it for erased and
// left the rest of its splits undone, so two faces overlapped.
TEST(MergeController, ATrianglePastedOntoOneWithMoreVerticesOnAnEdgeLeavesOneFaceWithAllOfThem)
{
    RecordingModel model;
    CComponent& component = model.Component();
    Face(component, {Vertex(1.35, 2), Vertex(2, 2), Vertex(2, 3), Vertex(1, 2), Vertex(1.24, 2)});
    model.Begin();
    CEntitySet set;
    const CPoint3d ring[4] = {{1.72, 2, 0}, {2, 2, 0}, {2, 3, 0}, {1, 2, 0}};
    CVertex* vertices[4];
    for (int i = 0; i < 4; ++i) {
        vertices[i] = new CVertex(ring[i]);
    }
    CEdge* edges[4];
    for (int i = 0; i < 4; ++i) {
        edges[i] = new CEdge(vertices[i], vertices[(i + 1) % 4], false);
        component.AddEntity(edges[i]);
        set.Add(edges[i]);
    }
    auto* pasted = new CFace(4, edges, CPlane3d(ring[0], CVector3d(0, 0, 1)));
    component.AddEntity(pasted);
    set.Add(pasted);
    CMergeController controller(&component, &set);
    controller.Merge(false, true);
    ASSERT_EQ(Count(component, kFaceType), 1);
    for (CDrawingElement* element : component.GetEntityList()) {
        if (auto* face = dynamic_cast<CFace*>(element)) {
            EXPECT_EQ(face->GetEdgeUseCount(), 6);
        }
    }
    EXPECT_EQ(Count(component, kEdgeType), 6);
    EXPECT_TRUE(model.UndoRestores());
}
