// Faces absorbing one another, splitting with their holes, and taking materials over.

#include <gtest/gtest.h>

#include "document/facetexturecoords.h"
#include "document/material.h"
#include "document/materialmanager.h"
#include "model/edgeuse.h"
#include "tests/model/geometrytestsupport.h"

namespace {

using geometrytest::Edge;
using geometrytest::Face;
using geometrytest::Hole;
using geometrytest::RecordingModel;
using geometrytest::Vertex;

TEST(FaceEdit, AnAbsorbedFaceHandsItsHolesOverWoundClockwise)
{
    RecordingModel model;
    CComponent& component = model.Component();
    CVertex* b = Vertex(2, 0);
    CVertex* c = Vertex(2, 2);
    CFace* left = Face(component, {Vertex(0, 0), b, c, Vertex(0, 2)});
    CFace* right = Face(component, {b, Vertex(6, 0), Vertex(6, 2), c});
    Hole(component, right, {Vertex(3, 0.5), Vertex(3, 1.5), Vertex(5, 1.5), Vertex(5, 0.5)});
    model.Begin();
    left->MergeWith(right, b->FindEdgeTo(c));
    component.EraseEntity(right);
    ASSERT_EQ(left->GetLoopCount(), 2);
    EXPECT_LT(left->GetLoop(1)->GetSignedArea(left->GetNormal(), nullptr), 0.0);
    EXPECT_EQ(left->GetLoop(1)->GetFace(), left);
    EXPECT_NEAR(left->GetArea(), 12.0 - 2.0, 1e-9);
    EXPECT_TRUE(model.UndoRestores());
}

TEST(FaceEdit, ASplitHandsAHoleOutsideTheRemainingOutlineToTheNewFace)
{
    RecordingModel model;
    CComponent& component = model.Component();
    CVertex* bottom = Vertex(2, 0);
    CVertex* top = Vertex(2, 2);
    CFace* face = Face(component, {Vertex(0, 0), bottom, Vertex(4, 0), Vertex(4, 2), top, Vertex(0, 2)});
    Hole(component, face, {Vertex(3, 0.5), Vertex(3, 1.5), Vertex(3.5, 1.5), Vertex(3.5, 0.5)});
    auto* material = new CMaterial;
    component.GetMaterialManager()->AddMaterial(material);
    face->SetMaterial(material);
    auto* cut = new CEdge(bottom, top, false);
    component.Add(cut);
    model.Begin();
    CFace* split = face->SplitByEdges(1, &cut, face->GetOuterLoop());
    ASSERT_NE(split, nullptr);
    component.AddEntity(split);
    const CFace* withHole = face->GetLoopCount() == 2 ? face : split;
    const CFace* without = withHole == face ? split : face;
    EXPECT_EQ(withHole->GetLoopCount(), 2);
    EXPECT_EQ(without->GetLoopCount(), 1);
    EXPECT_NEAR(withHole->GetArea(), 4.0 - 0.5, 1e-9);
    EXPECT_EQ(withHole->GetBoundingBox().xmin, 2.0);
    EXPECT_EQ(split->GetMaterial(), material);
    EXPECT_TRUE(model.UndoRestores());
}

TEST(FaceEdit, ASmallerFaceWithItsOwnMaterialTakesTheLargerOnes)
{
    RecordingModel model;
    CComponent& component = model.Component();
    auto* red = new CMaterial;
    auto* blue = new CMaterial;
    component.GetMaterialManager()->AddMaterial(red);
    component.GetMaterialManager()->AddMaterial(blue);
    const struct {
        double size;
        CMaterial* own;
        CMaterial* expected;
    } cases[] = {{1.0, red, blue}, {3.0, red, red}, {1.0, nullptr, nullptr}};
    for (const auto& c : cases) {
        CFace* face = Face(component, {Vertex(0, 0), Vertex(c.size, 0), Vertex(c.size, c.size), Vertex(0, c.size)});
        CFace* other = Face(component, {Vertex(0, 5), Vertex(2, 5), Vertex(2, 7), Vertex(0, 7)});
        face->SetMaterial(c.own);
        other->SetMaterial(blue);
        auto* coords = new CFaceTextureCoords;
        coords->SetFrontMatrix(Matrix3Identity());
        other->GetOrCreateAttributeContainer(coords);
        face->TakeMaterialsFrom(other);
        EXPECT_EQ(face->GetMaterial(), c.expected) << c.size;
        // The placement comes along with a material taken over.
        EXPECT_EQ(GetFaceTextureCoords(face) != nullptr, c.expected == blue) << c.size;
    }
}

} // namespace
