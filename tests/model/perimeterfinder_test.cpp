// Outer perimeters of edges drawn in a plane, found on scratch copies.

#include "model/perimeterfinder.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "document/componentinstance.h"
#include "foundation/transformation.h"
#include "model/entitycontainer.h"
#include "tests/model/geometrytestsupport.h"

namespace {

using geometrytest::Edge;
using geometrytest::RecordingModel;
using geometrytest::Vertex;

// The closed ring of edges through the points, in the component.
void Ring(CComponent& component, const std::vector<CVertex*>& ring)
{
    for (std::size_t i = 0; i < ring.size(); ++i) {
        Edge(component, ring[i], ring[(i + 1) % ring.size()]);
    }
}

struct Outcome
{
    int faces;
    double area;
    int edges;
};

Outcome FindIn(CComponent& component)
{
    CPerimeterFinder finder;
    std::unique_ptr<IEntityIterator> entities(component.NewIterator());
    finder.Find(entities.get(), CTransformation());
    const double area = finder.GetFaceCount() == 1 ? finder.GetFace(0)->GetArea() : 0.0;
    return {finder.GetFaceCount(), area, finder.GetEdgeCount()};
}

TEST(PerimeterFinder, OnlyTheOutermostOutlinesInThePlaneRemain)
{
    const struct {
        const char* name;
        std::function<void(CComponent&)> draw;
        Outcome expected;
    } cases[] = {
        {"square", [](CComponent& c) { Ring(c, {Vertex(0, 0), Vertex(2, 0), Vertex(2, 2), Vertex(0, 2)}); }, {1, 4.0, 4}},
        {"square inside a square",
         [](CComponent& c) {
             Ring(c, {Vertex(0, 0), Vertex(4, 0), Vertex(4, 4), Vertex(0, 4)});
             Ring(c, {Vertex(1, 1), Vertex(3, 1), Vertex(3, 3), Vertex(1, 3)});
         },
         {1, 16.0, 4}},
        {"two squares sharing an edge",
         [](CComponent& c) {
             CVertex* b = Vertex(1, 0);
             CVertex* e = Vertex(1, 1);
             Ring(c, {Vertex(0, 0), b, e, Vertex(0, 1)});
             Ring(c, {b, Vertex(2, 0), Vertex(2, 1), e});
         },
         {1, 2.0, 6}},
        {"open chain",
         [](CComponent& c) {
             CVertex* b = Vertex(1, 0);
             CVertex* d = Vertex(1, 1);
             Edge(c, Vertex(0, 0), b);
             Edge(c, b, d);
             Edge(c, d, Vertex(3, 1));
         },
         {0, 0.0, 0}},
        {"square above the plane",
         [](CComponent& c) { Ring(c, {Vertex(0, 0, 1), Vertex(2, 0, 1), Vertex(2, 2, 1), Vertex(0, 2, 0.002)}); },
         {0, 0.0, 0}},
    };
    for (const auto& c : cases) {
        RecordingModel model;
        c.draw(model.Component());
        const Outcome found = FindIn(model.Component());
        EXPECT_EQ(found.faces, c.expected.faces) << c.name;
        EXPECT_NEAR(found.area, c.expected.area, 1e-9) << c.name;
        EXPECT_EQ(found.edges, c.expected.edges) << c.name;
    }
}

// Edges were sorted with a comparison that took close midpoints as equal, which is no
// strict weak order; many such edges could send the sort out of bounds.
TEST(PerimeterFinder, ManyEdgesWithMidpointsCloserThanTheToleranceSortSafely)
{
    RecordingModel model;
    CComponent& component = model.Component();
    std::vector<CVertex*> zigzag;
    for (int i = 0; i < 200; ++i) {
        zigzag.push_back(Vertex(i * 0.0004, (i % 2) * 10.0));
    }
    for (std::size_t i = 0; i + 1 < zigzag.size(); ++i) {
        Edge(component, zigzag[i], zigzag[i + 1]);
    }
    Ring(component, {Vertex(-5, -5), Vertex(-1, -5), Vertex(-1, -1), Vertex(-5, -1)});
    const Outcome found = FindIn(component);
    EXPECT_EQ(found.faces, 1);
    EXPECT_NEAR(found.area, 16.0, 1e-9);
}

TEST(PerimeterFinder, ScratchEdgesKnowTheirSourcesAndLeaveTheSourcesAlone)
{
    RecordingModel model;
    CComponent& component = model.Component();
    Ring(component, {Vertex(0, 0), Vertex(2, 0), Vertex(2, 2), Vertex(0, 2)});
    const int before = component.GetCount();
    CPerimeterFinder finder;
    std::unique_ptr<IEntityIterator> entities(component.NewIterator());
    finder.Find(entities.get(), CTransformation());
    ASSERT_EQ(finder.GetFaceCount(), 1);
    const CEdge* scratch = finder.GetFace(0)->GetOuterLoop()->GetFirstEdgeUse()->GetEdge();
    EXPECT_TRUE(component.Contains(finder.GetSourceEdge(scratch)));
    EXPECT_EQ(finder.GetSourceEdge(finder.GetSourceEdge(scratch)), nullptr);
    EXPECT_EQ(component.GetCount(), before);
    EXPECT_LT(finder.GetFace(0)->GetNormal().z, 0.0);
}

TEST(PerimeterFinder, InstancesStandingInThePlaneAreCollected)
{
    RecordingModel model;
    CComponent& component = model.Component();
    std::vector<CComponentInstance*> placed;
    for (const double z : {0.0, 0.0005, 3.0}) {
        auto* instance = new CComponentInstance;
        CTransformation placement;
        placement.SetTranslation(CVector3d(1, 2, z));
        instance->SetTransform(placement);
        component.Add(instance);
        placed.push_back(instance);
    }
    CPerimeterFinder finder;
    std::unique_ptr<IEntityIterator> entities(component.NewIterator());
    finder.Find(entities.get(), CTransformation());
    ASSERT_EQ(finder.GetInstanceCount(), 2);
    EXPECT_EQ(finder.GetInstance(0), placed[0]);
    EXPECT_EQ(finder.GetInstance(1), placed[1]);
}

} // namespace
