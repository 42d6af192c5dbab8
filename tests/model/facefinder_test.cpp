// Faces found for new edges: closed squares, split faces, holes, open chains, one undo
// that restores the component, and the planes a search walks along a long straight run.

#include "model/facefinder.h"

#include <gtest/gtest.h>

#include <cmath>

#include "model/edgeuse.h"
#include "tests/model/geometrytestsupport.h"

namespace {

using geometrytest::CountFaces;
using geometrytest::Edge;
using geometrytest::Face;
using geometrytest::Hole;
using geometrytest::RecordingModel;
using geometrytest::Vertex;

// The edges between consecutive vertices, left open: the last vertex joins the first
// only through AddEdgeAndFind.
void Chain(CComponent& component, const std::vector<CVertex*>& v)
{
    for (std::size_t i = 0; i + 1 < v.size(); ++i) {
        Edge(component, v[i], v[i + 1]);
    }
}

// The face across the edge from a to b other than the given one.
CFace* FaceBesides(const CVertex* a, const CVertex* b, const CFace* face)
{
    CEdgeUse* use = a->FindEdgeTo(b)->GetFirstEdgeUse();
    return use->GetFace() == face ? use->GetNextAroundEdge()->GetFace() : use->GetFace();
}

// The new edge from a to b in the component, handed to a finder of the component.
int AddEdgeAndFind(CComponent& component, CVertex* a, CVertex* b, bool eraseRejected = false)
{
    auto* edge = new CEdge(a, b, false);
    component.AddEntity(edge);
    CFaceFinder finder(&component);
    finder.FindFaces(edge, eraseRejected);
    finder.AddFacesTo(&component);
    return finder.GetFaceCount();
}

TEST(FaceFinder, FourLinesClosingASquareMakeOneFace)
{
    RecordingModel model;
    CComponent& component = model.Component();
    const std::vector<CVertex*> v{Vertex(0, 0), Vertex(1, 0), Vertex(1, 1), Vertex(0, 1)};
    Chain(component, v);
    model.Begin();
    EXPECT_EQ(AddEdgeAndFind(component, v[3], v[0]), 1);
    ASSERT_EQ(CountFaces(component), 1);
    const CFace* face = v[0]->FindEdgeTo(v[1])->GetFirstEdgeUse()->GetFace();
    EXPECT_NEAR(face->GetArea(), 1.0, 1e-9);
    EXPECT_EQ(face->GetOuterLoop()->GetEdgeUseCount(), 4);
    EXPECT_TRUE(model.UndoRestores());
}

TEST(FaceFinder, ANewFaceFacesTheWayOfItsNeighbour)
{
    for (const double nz : {1.0, -1.0}) {
        RecordingModel model;
        CComponent& component = model.Component();
        CVertex* b = Vertex(1, 0);
        CVertex* c = Vertex(1, 1);
        CFace* old = Face(component, {Vertex(0, 0), b, c, Vertex(0, 1)});
        if (nz < 0.0) {
            old->Reverse();
        }
        CVertex* e = Vertex(2, 0);
        CVertex* f = Vertex(2, 1);
        Edge(component, b, e);
        Edge(component, e, f);
        ASSERT_EQ(AddEdgeAndFind(component, f, c), 1);
        const CFace* found = e->FindEdgeTo(f)->GetFirstEdgeUse()->GetFace();
        EXPECT_DOUBLE_EQ(found->GetNormal().z, nz);
    }
}

TEST(FaceFinder, ADiagonalSplitsAFaceInTwo)
{
    RecordingModel model;
    CComponent& component = model.Component();
    CVertex* a = Vertex(0, 0);
    CVertex* c = Vertex(2, 2);
    CFace* square = Face(component, {a, Vertex(2, 0), c, Vertex(0, 2)});
    model.Begin();
    EXPECT_EQ(AddEdgeAndFind(component, a, c), 1);
    EXPECT_EQ(CountFaces(component), 2);
    EXPECT_NEAR(square->GetArea(), 2.0, 1e-9);
    EXPECT_EQ(a->FindEdgeTo(c)->GetEdgeUseCount(), 2);
    EXPECT_TRUE(model.UndoRestores());
}

TEST(FaceFinder, ASquareDrawnInsideAFaceBecomesAHole)
{
    RecordingModel model;
    CComponent& component = model.Component();
    CFace* outer = Face(component, {Vertex(0, 0), Vertex(4, 0), Vertex(4, 4), Vertex(0, 4)});
    const std::vector<CVertex*> v{Vertex(1, 1), Vertex(3, 1), Vertex(3, 3), Vertex(1, 3)};
    Chain(component, v);
    model.Begin();
    EXPECT_EQ(AddEdgeAndFind(component, v[3], v[0]), 1);
    EXPECT_EQ(CountFaces(component), 2);
    ASSERT_EQ(outer->GetLoopCount(), 2);
    EXPECT_NEAR(outer->GetArea(), 12.0, 1e-9);
    const CFace* innerFace = FaceBesides(v[0], v[1], outer);
    EXPECT_NE(innerFace, outer);
    EXPECT_DOUBLE_EQ(innerFace->GetNormal().z, outer->GetNormal().z);
    EXPECT_TRUE(model.UndoRestores());
}

TEST(FaceFinder, ASquareDrawnAroundAFaceTakesItsOutlineAsAHole)
{
    RecordingModel model;
    CComponent& component = model.Component();
    CFace* inner = Face(component, {Vertex(1, 1), Vertex(3, 1), Vertex(3, 3), Vertex(1, 3)});
    const std::vector<CVertex*> v{Vertex(0, 0), Vertex(4, 0), Vertex(4, 4), Vertex(0, 4)};
    Chain(component, v);
    model.Begin();
    EXPECT_EQ(AddEdgeAndFind(component, v[3], v[0]), 1);
    const CFace* outer = v[0]->FindEdgeTo(v[1])->GetFirstEdgeUse()->GetFace();
    EXPECT_EQ(outer->GetLoopCount(), 2);
    EXPECT_NEAR(outer->GetArea(), 12.0, 1e-9);
    EXPECT_EQ(inner->GetLoopCount(), 1);
    EXPECT_NEAR(inner->GetArea(), 4.0, 1e-9);
    EXPECT_TRUE(model.UndoRestores());
}

TEST(FaceFinder, ASquareDrawnInsideAHoleDoesNotBecomeAHoleOfThatFace)
{
    RecordingModel model;
    CComponent& component = model.Component();
    CFace* outer = Face(component, {Vertex(0, 0), Vertex(10, 0), Vertex(10, 10), Vertex(0, 10)});
    Hole(component, outer, {Vertex(2, 2), Vertex(2, 8), Vertex(8, 8), Vertex(8, 2)});
    const std::vector<CVertex*> v{Vertex(4, 4), Vertex(6, 4), Vertex(6, 6), Vertex(4, 6)};
    Chain(component, v);
    EXPECT_EQ(AddEdgeAndFind(component, v[3], v[0]), 1);
    EXPECT_EQ(outer->GetLoopCount(), 2);
    EXPECT_NEAR(outer->GetArea(), 100.0 - 36.0, 1e-9);
}

TEST(FaceFinder, ALoopAroundAHoleTakesTheHoleOverOrTheFaceThatFillsIt)
{
    // Pins a past fault: the finder took every entity it heard erased, a loop too, for an edge.
    for (const bool filled : {false, true}) {
        RecordingModel model;
        CComponent& component = model.Component();
        CFace* outer = Face(component, {Vertex(0, 0), Vertex(10, 0), Vertex(10, 10), Vertex(0, 10)});
        const std::vector<CVertex*> ring{Vertex(4, 4), Vertex(4, 6), Vertex(6, 6), Vertex(6, 4)};
        Hole(component, outer, ring);
        CFace* filling = filled ? Face(component, {ring[0], ring[3], ring[2], ring[1]}) : nullptr;
        const std::vector<CVertex*> v{Vertex(2, 2), Vertex(8, 2), Vertex(8, 8), Vertex(2, 8)};
        Chain(component, v);
        model.Begin();
        EXPECT_EQ(AddEdgeAndFind(component, v[3], v[0]), 1);
        const CFace* found = FaceBesides(v[0], v[1], outer);
        // The surrounding face now has the new face's outline as its only hole.
        EXPECT_EQ(outer->GetLoopCount(), 2) << filled;
        EXPECT_NEAR(outer->GetArea(), 100.0 - 36.0, 1e-9) << filled;
        EXPECT_EQ(found->GetLoopCount(), 2) << filled;
        EXPECT_NEAR(found->GetArea(), 36.0 - 4.0, 1e-9) << filled;
        if (filling != nullptr) {
            EXPECT_NEAR(filling->GetArea(), 4.0, 1e-9);
        }
        EXPECT_TRUE(model.UndoRestores()) << filled;
    }
}

TEST(FaceFinder, OpenOrDegenerateEdgesMakeNoFace)
{
    RecordingModel model;
    CComponent& component = model.Component();
    CVertex* a = Vertex(0, 0);
    CVertex* b = Vertex(1, 0);
    CVertex* c = Vertex(1, 1);
    CVertex* d = Vertex(0, 1);
    Edge(component, a, b);
    Edge(component, c, d);
    auto* middle = new CEdge(b, c, false);
    component.Add(middle);
    CFaceFinder finder(&component);
    // A dangling chain counts as handled without a face.
    EXPECT_TRUE(finder.FindFaces(middle, false));
    auto* lone = new CEdge(Vertex(5, 5), Vertex(6, 5), false);
    component.Add(lone);
    EXPECT_FALSE(finder.FindFaces(lone, false));
    EXPECT_FALSE(finder.FindFaces(nullptr, false));
    EXPECT_EQ(finder.GetFaceCount(), 0);
    // Back and forth along one line closes nothing.
    CVertex* e = Vertex(2, 0);
    auto* back = new CEdge(a, e, false);
    component.Add(back);
    EXPECT_FALSE(finder.FindFaces(Edge(component, b, e), false));
    EXPECT_EQ(finder.GetFaceCount(), 0);
    EXPECT_EQ(CountFaces(component), 0);
}

TEST(FaceFinder, WithRejectionALoopNoFaceSurroundsIsErased)
{
    RecordingModel model;
    CComponent& component = model.Component();
    const std::vector<CVertex*> v{Vertex(0, 0), Vertex(1, 0), Vertex(1, 1), Vertex(0, 1)};
    Chain(component, v);
    EXPECT_EQ(AddEdgeAndFind(component, v[3], v[0], true), 0);
    EXPECT_EQ(CountFaces(component), 0);
    EXPECT_TRUE(v[0]->FindEdgeTo(v[1])->IsFree());
}

// A skew line of 60 vertices, each with two spokes across it in one plane; a few
// vertices have one more spoke, each into a plane of its own, at different distances on
// either side of the edges searched, so that the order the planes are found in depends
// on walking both sides evenly. The skipping search must find the planes the plain walk
// finds, in the same order, from every edge, also with the runs kept between searches.
TEST(FaceFinder, ALongStraightRunGivesTheSamePlanesAsThePlainWalk)
{
    RecordingModel model;
    CComponent& component = model.Component();
    CVector3d along(1.0, 0.37, 0.21);
    along.Normalize();
    CVector3d across = along.CrossProduct(CVector3d(0.0, 0.0, 1.0));
    across.Normalize();
    const CVector3d up = along.CrossProduct(across);
    const CPoint3d origin(0.3, -1.7, 2.9);
    const auto at = [&](double t, const CVector3d& offset) { return origin + along * (0.7 * t) + offset; };
    // The extra spokes: the vertex index and the spoke's offset.
    const std::vector<std::pair<int, CVector3d>> extras{{3, up * 0.4 + across * 0.8},
                                                        {13, up * 0.6},
                                                        {36, (across + up) * 0.35},
                                                        {55, across * 0.5 - up * 1.0}};
    std::vector<CVertex*> line;
    std::vector<CEdge*> edges;
    for (int i = 0; i < 60; ++i) {
        line.push_back(new CVertex(at(i, CVector3d(0.0, 0.0, 0.0))));
        if (i > 0) {
            edges.push_back(Edge(component, line[i - 1], line[i]));
        }
        Edge(component, line[i], new CVertex(at(i, across * 0.5)));
        Edge(component, line[i], new CVertex(at(i, across * -0.5)));
        for (const auto& [index, offset] : extras) {
            if (index == i) {
                Edge(component, line[i], new CVertex(at(i, offset)));
            }
        }
    }
    for (const bool keep : {false, true}) {
        CFaceFinder finder(&component);
        finder.KeepStraightRuns(keep);
        for (const std::size_t e : {std::size_t{0}, std::size_t{1}, std::size_t{8}, std::size_t{25}, std::size_t{26},
                                    std::size_t{44}, std::size_t{57}, std::size_t{58}}) {
            const std::vector<CPlane3d> plain = finder.GetSearchPlanes(edges[e], true);
            const std::vector<CPlane3d> skipping = finder.GetSearchPlanes(edges[e], false);
            // The spokes' plane and each extra spoke's own.
            ASSERT_EQ(plain.size(), 5U) << e;
            ASSERT_EQ(skipping.size(), plain.size()) << e;
            for (std::size_t p = 0; p < plain.size(); ++p) {
                EXPECT_NEAR(skipping[p].a, plain[p].a, 1e-12) << e << " " << p;
                EXPECT_NEAR(skipping[p].b, plain[p].b, 1e-12) << e << " " << p;
                EXPECT_NEAR(skipping[p].c, plain[p].c, 1e-12) << e << " " << p;
                EXPECT_NEAR(skipping[p].d, plain[p].d, 1e-12) << e << " " << p;
            }
        }
    }
}

} // namespace
