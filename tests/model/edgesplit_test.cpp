// Splitting, merging, absorbing and removing edges: the graph, the faces around it and
// one undo that gives everything back.

#include <gtest/gtest.h>

#include "document/layer.h"
#include "document/layermanager.h"
#include "model/edgeuse.h"
#include "tests/model/geometrytestsupport.h"

namespace {

using geometrytest::CountFaces;
using geometrytest::Edge;
using geometrytest::Face;
using geometrytest::RecordingModel;
using geometrytest::Vertex;

TEST(EdgeSplit, AnEdgeSplitsOnlyAtAVertexOnItsSegment)
{
    const struct {
        CPoint3d at;
        bool splits;
    } cases[] = {{{1, 0.0005, 0}, true}, {{1, 0.002, 0}, false}, {{3, 0, 0}, false}, {{-0.5, 0, 0}, false}};
    for (const auto& c : cases) {
        RecordingModel model;
        CVertex* end = Vertex(2, 0);
        CEdge* edge = Edge(model.Component(), Vertex(0, 0), end);
        auto* vertex = new CVertex(c.at);
        CEdge* piece = edge->SplitAtVertex(vertex);
        EXPECT_EQ(piece != nullptr, c.splits) << c.at.x << ' ' << c.at.y;
        if (piece != nullptr) {
            EXPECT_EQ(edge->GetEndVertex(), vertex);
            EXPECT_EQ(piece->GetStartVertex(), vertex);
            EXPECT_EQ(piece->GetEndVertex(), end);
            model.Component().Add(piece);
        } else {
            vertex->Erase();
        }
    }
    RecordingModel model;
    CEdge* edge = Edge(model.Component(), Vertex(0, 0), Vertex(2, 0));
    EXPECT_EQ(edge->SplitAtVertex(edge->GetEndVertex()), nullptr);
}

TEST(EdgeSplit, SplittingAnEdgeOfTwoFacesRunsBothLoopsOverBothPiecesAndUndoes)
{
    RecordingModel model;
    CComponent& component = model.Component();
    CVertex* a = Vertex(0, 0);
    CVertex* b = Vertex(1, 0);
    CVertex* c = Vertex(1, 1);
    CVertex* d = Vertex(0, 1);
    CVertex* e = Vertex(2, 0);
    CVertex* f = Vertex(2, 1);
    CFace* left = Face(component, {a, b, c, d});
    CFace* right = Face(component, {b, e, f, c});
    CEdge* shared = b->FindEdgeTo(c);
    model.Begin();
    CEdge* piece = shared->SplitAt(new CVertex(CPoint3d(1, 0.5, 0)));
    ASSERT_NE(piece, nullptr);
    EXPECT_EQ(left->GetOuterLoop()->GetEdgeUseCount(), 5);
    EXPECT_EQ(right->GetOuterLoop()->GetEdgeUseCount(), 5);
    for (CEdge* edge : {shared, piece}) {
        EXPECT_TRUE(edge->HasEdgeUseOnFace(left));
        EXPECT_TRUE(edge->HasEdgeUseOnFace(right));
    }
    EXPECT_TRUE(component.Contains(piece));
    EXPECT_TRUE(model.UndoRestores());
}

TEST(EdgeSplit, TwoCollinearEdgesHealIntoOneAcrossATwoEdgeVertexOnly)
{
    RecordingModel model;
    CComponent& component = model.Component();
    CVertex* middle = Vertex(1, 0);
    CEdge* first = Edge(component, Vertex(0, 0), middle);
    CEdge* second = Edge(component, middle, Vertex(2, 0));
    CEdge* branch = Edge(component, middle, Vertex(1, 1));
    EXPECT_FALSE(middle->RemoveIfRedundant(&component, true));
    model.Begin();
    branch->EraseFromComponent(&component);
    EXPECT_FALSE(component.Contains(second));
    ASSERT_TRUE(component.Contains(first));
    EXPECT_DOUBLE_EQ(first->GetLength(), 2.0);
    EXPECT_EQ(component.GetCount(), 1);
    EXPECT_TRUE(model.UndoRestores());
}

TEST(EdgeSplit, RemovingTheEdgeBetweenTwoCoplanarFacesLeavesOneFace)
{
    RecordingModel model;
    CComponent& component = model.Component();
    CVertex* a = Vertex(0, 0);
    CVertex* b = Vertex(1, 0);
    CVertex* c = Vertex(1, 1);
    CVertex* d = Vertex(0, 1);
    CFace* left = Face(component, {a, b, c, d});
    Face(component, {b, Vertex(2, 0), Vertex(2, 1), c});
    model.Begin();
    b->FindEdgeTo(c)->EraseFromComponent(&component);
    EXPECT_EQ(CountFaces(component), 1);
    ASSERT_TRUE(component.Contains(left));
    EXPECT_NEAR(left->GetArea(), 2.0, 1e-9);
    // The two vertices of the removed edge now lie on straight runs and are healed.
    EXPECT_EQ(left->GetOuterLoop()->GetEdgeUseCount(), 4);
    EXPECT_TRUE(model.UndoRestores());
}

TEST(EdgeSplit, AnEdgeOfAFaceOnAHiddenLayerStaysAndMovesToThatLayer)
{
    RecordingModel model;
    CComponent& component = model.Component();
    CFace* face = Face(component, {Vertex(0, 0), Vertex(1, 0), Vertex(1, 1), Vertex(0, 1)});
    CLayer* hidden = component.GetLayerManager()->AddLayer("Hidden");
    hidden->SetHidden(true);
    face->SetLayer(hidden);
    CEdge* edge = face->GetOuterLoop()->GetFirstEdgeUse()->GetEdge();
    EXPECT_FALSE(edge->RemoveFromComponent(&component, true, true));
    EXPECT_TRUE(component.Contains(face));
    EXPECT_TRUE(component.Contains(edge));
    EXPECT_EQ(edge->GetLayer(), hidden);
}

TEST(EdgeSplit, AbsorbingADuplicateMovesItsUsesAndUndoes)
{
    RecordingModel model;
    CComponent& component = model.Component();
    CVertex* a = Vertex(0, 0);
    CVertex* b = Vertex(1, 0);
    CFace* face = Face(component, {a, b, Vertex(1, 1), Vertex(0, 1)});
    CEdge* original = a->FindEdgeTo(b);
    auto* duplicate = new CEdge(b, a, false);
    component.Add(duplicate);
    model.Begin();
    duplicate->AbsorbDuplicate(original, &component);
    EXPECT_TRUE(original->IsFree());
    EXPECT_TRUE(duplicate->HasEdgeUseOnFace(face));
    EXPECT_EQ(face->GetOuterLoop()->GetEdgeUseCount(), 4);
    component.RemoveEntity(original);
    original->Erase();
    EXPECT_TRUE(model.UndoRestores());
}

} // namespace
