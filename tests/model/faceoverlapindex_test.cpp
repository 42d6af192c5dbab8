// The face finder's place index: the faces near a box, in the component's order,
// following what an operation adds, removes and erases.

#include "model/faceoverlapindex.h"

#include <gtest/gtest.h>

#include "tests/model/geometrytestsupport.h"

namespace {

using geometrytest::Face;
using geometrytest::RecordingModel;
using geometrytest::Vertex;

CFace* Square(CComponent& component, double x, double y, double size = 1.0)
{
    return Face(component, {Vertex(x, y), Vertex(x + size, y), Vertex(x + size, y + size), Vertex(x, y + size)});
}

std::vector<CFace*> Near(const CFaceOverlapIndex& index, double x0, double y0, double x1, double y1)
{
    std::vector<CFace*> faces;
    index.FindNear(CBoundingBox3d(x0, x1, y0, y1, -1, 1), faces);
    return faces;
}

TEST(FaceOverlapIndex, FacesNearABoxComeInTheComponentsOrderAndFollowTheOperation)
{
    RecordingModel model;
    CComponent& component = model.Component();
    CFace* far = Square(component, 50, 50);
    CFace* big = Square(component, 0, 0, 10);
    CFace* small = Square(component, 2, 2);
    model.Begin();
    CFaceOverlapIndex index(&component, GetCurrentUndoManager());
    EXPECT_EQ(index.GetFaceCount(), 3);
    EXPECT_EQ(Near(index, 1.5, 1.5, 3.5, 3.5), (std::vector<CFace*>{big, small}));
    EXPECT_EQ(Near(index, 49, 49, 52, 52), std::vector<CFace*>{far});
    // A box over very many cells looks at every face.
    EXPECT_EQ(Near(index, -1e6, -1e6, 1e6, 1e6), (std::vector<CFace*>{far, big, small}));

    CFace* added = Square(component, 3, 3);
    component.RemoveEntity(added);
    component.AddEntity(added);
    component.EraseEntity(small);
    EXPECT_EQ(Near(index, 1.5, 1.5, 3.5, 3.5), (std::vector<CFace*>{big, added}));
    EXPECT_EQ(index.GetFaceCount(), 3);
}

}  // namespace
