#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "document/componentbehavior.h"
#include "document/enumopeningloopface.h"
#include "model/edge.h"
#include "model/facetesselator.h"
#include "model/perimeterfinder.h"
#include "model/relationship.h"
#include "model/relationshipmap.h"
#include "tests/document/operationtestsupport.h"
#include "tests/document/undoreplay.h"

using operationtest::ModelFixture;
using operationtest::Shift;

namespace {

// The contour's winding about +z: negative when it runs clockwise, as a hole must.
double SignedArea(const std::vector<CPoint3d>& contour)
{
    double twice = 0.0;
    for (std::size_t i = 0; i < contour.size(); ++i) {
        const CPoint3d& a = contour[i];
        const CPoint3d& b = contour[(i + 1) % contour.size()];
        twice += a.x * b.y - b.x * a.y;
    }
    return twice / 2.0;
}

// Adds up the area of the triangles the tessellator hands out.
class CAreaTesselator : public CFaceTesselator
{
public:
    explicit CAreaTesselator(const CFace* face) : CFaceTesselator(face) {}
    void Vertex(const double* position) override
    {
        m_corners[m_count++] = CPoint3d(position[0], position[1], position[2]);
        if (m_count == 3) {
            const CVector3d u = m_corners[1] - m_corners[0];
            const CVector3d v = m_corners[2] - m_corners[0];
            area += 0.5 * std::fabs(u.x * v.y - u.y * v.x);
            m_count = 0;
        }
    }
    double area = 0.0;

private:
    CPoint3d m_corners[3];
    int m_count = 0;
};

// An entity that refers to another and writes down the codes it is told.
class CListener : public CEntity
{
public:
    void OnReferenceChanged(int code, CEntity* /*changed*/, CEntity* /*argument*/) override { codes.push_back(code); }
    std::vector<int> codes;
};

// A 10 by 10 face facing +z with unit windows (cutting definitions) glued to it.
class OpeningTest : public ::testing::Test
{
protected:
    OpeningTest() : m_face(ModelFixture::Square(Root(), 0, 0, 10)) { m_window = Cutting("Window"); }

    CComponent& Root() const { return m_fixture.Root(); }
    CComponentDefinition* Cutting(const char* name, bool cuts = true) const
    {
        CComponentDefinition* definition = m_fixture.Definition(name);
        const CUndoSuspender suspender;
        dynamic_cast<CComponentBehavior*>(definition->GetBehavior())->SetCutsOpening(cuts);
        return definition;
    }
    CComponentInstance* Glue(CComponentDefinition* definition, const CTransformation& placement) const
    {
        CComponentInstance* instance = ModelFixture::Place(Root(), definition, placement);
        const CUndoSuspender suspender;
        Root().GetRelationshipMap()->AddRelationship(new CRelationship(m_face, instance));
        return instance;
    }

    ModelFixture m_fixture;
    CFace* m_face;
    CComponentDefinition* m_window = nullptr;
};

}  // namespace

TEST_F(OpeningTest, AGluedCuttingInstanceCutsOneClockwiseOutlineWhereItStands)
{
    Glue(m_window, Shift(2, 3, 0));
    CEnumOpeningLoopFace openings(m_face, nullptr);
    ASSERT_EQ(openings.GetCount(), 1);
    EXPECT_EQ(openings.GetTotalEdgeUseCount(), 4);
    COpeningLoop* loop = nullptr;
    ASSERT_TRUE(openings.Next(loop));
    EXPECT_FALSE(openings.Next(loop));
    EXPECT_NEAR(openings.GetAt(0)->GetArea(nullptr), -1.0, 1e-9);
    std::vector<CPoint3d> contour;
    openings.GetAt(0)->GetContour(contour);
    ASSERT_EQ(contour.size(), 4u);
    EXPECT_LT(SignedArea(contour), 0.0);
    for (const CPoint3d& p : contour) {
        EXPECT_TRUE(p.x > 1.999 && p.x < 3.001 && p.y > 2.999 && p.y < 4.001);
    }
}

TEST_F(OpeningTest, OnlyShownInstancesOfCuttingDefinitionsCutAndMirroredOnesStillCutHoles)
{
    const struct
    {
        bool cuts;
        bool hidden;
        bool mirrored;
        int expected;
    } cases[] = {{false, false, false, 0}, {true, true, false, 0}, {true, false, true, 1}};
    for (const auto& c : cases) {
        CComponentDefinition* definition = Cutting("Case", c.cuts);
        const CTransformation placement =
            c.mirrored ? Shift(5, 5, 0) * CTransformation::Scaling(-1, 1, 1) : Shift(5, 5, 0);
        CComponentInstance* instance = Glue(definition, placement);
        instance->SetHidden(c.hidden);
        CRelationship* relationship = Root().GetRelationshipMap()->GetRelationship(
            Root().GetRelationshipMap()->GetCount() - 1);
        CEnumOpeningLoopFace openings(relationship, nullptr);
        ASSERT_EQ(openings.GetCount(), c.expected);
        if (c.expected == 1) {
            std::vector<CPoint3d> contour;
            openings.GetAt(0)->GetContour(contour);
            EXPECT_LT(SignedArea(contour), 0.0);
        }
    }
}

TEST_F(OpeningTest, NestedCuttingComponentsCutAtEveryLevelUnderTheComposedPlacement)
{
    CComponentDefinition* frame = Cutting("Frame");
    ModelFixture::Place(*frame, m_window, Shift(3, 0, 0));
    Glue(frame, Shift(1, 1, 0));
    CEnumOpeningLoopFace openings(m_face, nullptr);
    ASSERT_EQ(openings.GetCount(), 2);
    std::vector<CPoint3d> inner;
    openings.GetAt(1)->GetContour(inner);
    ASSERT_FALSE(inner.empty());
    for (const CPoint3d& p : inner) {
        EXPECT_TRUE(p.x > 3.999 && p.x < 5.001) << p.x;
    }
}

// A definition placed inside itself once sent the collection round for ever.
TEST_F(OpeningTest, ADefinitionThatHoldsItsOwnInstanceCutsOnce)
{
    ModelFixture::Place(*m_window, m_window, Shift(0.25, 0.25, 0));
    Glue(m_window, Shift(2, 2, 0));
    CEnumOpeningLoopFace openings(m_face, nullptr);
    EXPECT_EQ(openings.GetCount(), 1);
}

TEST_F(OpeningTest, EveryFaceSharesTheDefinitionsPerimeterUntilTheDefinitionsGeometryChanges)
{
    Glue(m_window, Shift(2, 3, 0));
    const CPerimeterFinder* perimeter = m_window->GetPerimeterFinder();
    {
        // Two enumerators alive at once: perimeters of their own could not share a loop.
        CEnumOpeningLoopFace first(m_face, nullptr);
        CEnumOpeningLoopFace second(m_face, nullptr);
        ASSERT_EQ(first.GetCount(), 1);
        EXPECT_EQ(first.GetAt(0)->GetLoop(), second.GetAt(0)->GetLoop());
        EXPECT_EQ(first.GetAt(0)->GetLoop(), perimeter->GetFace(0)->GetOuterLoop());
        EXPECT_EQ(m_window->GetPerimeterFinder(), perimeter);
    }
    EXPECT_NEAR(m_face->GetArea(), 99.0, 1e-9);
    // A frame drawn around the window widens what it cuts to 3 by 3.
    ModelFixture::Square(*m_window, -1, -1, 3);
    EXPECT_NEAR(m_face->GetArea(), 91.0, 1e-9);
    EXPECT_EQ(m_face->ClassifyPoint(CPoint3d(1.5, 2.5, 0), false), kFacePointOutside);
    // Moving the definition's contents moves its instance back: the hole stays put.
    m_window->Transform(Shift(1, 0, 0));
    EXPECT_EQ(m_face->ClassifyPoint(CPoint3d(3.5, 4, 0), false), kFacePointOutside);
    EXPECT_NEAR(m_face->GetArea(), 91.0, 1e-9);
}

TEST_F(OpeningTest, GluedThingsMoveToANewFaceOnlyWhenTheyLieWithinIt)
{
    CComponentDefinition* plain = Cutting("Plain", false);
    CComponentInstance* inside = Glue(m_window, Shift(1, 1, 0));
    CComponentInstance* outside = Glue(m_window, Shift(7, 7, 0));
    CComponentInstance* onEdge = Glue(plain, Shift(4.5, 2.5, 0));  // centre (5, 3) on the new face's edge
    CFace* newFace = ModelFixture::Square(Root(), 0, 0, 5);
    MoveRelationshipsTo(m_face, newFace);

    auto firstEndOf = [&](const CComponentInstance* instance) {
        std::vector<CRelationship*> relationships;
        instance->CountRelationshipsAsSecond(relationships);
        return relationships.size() == 1 ? relationships[0]->GetFirst() : nullptr;
    };
    EXPECT_EQ(firstEndOf(inside), newFace);
    EXPECT_EQ(firstEndOf(outside), m_face);
    EXPECT_EQ(firstEndOf(onEdge), m_face);
}

TEST_F(OpeningTest, OneUndoRestoresTheBytesAfterGluedThingsMoved)
{
    Glue(m_window, Shift(1, 1, 0));
    CFace* newFace = ModelFixture::Square(Root(), 0, 0, 5);
    const operationtest::Bytes before = ModelFixture::BytesOf(Root());
    CUndoOperation& operation = m_fixture.StartOperation();
    MoveRelationshipsTo(m_face, newFace);
    EXPECT_NE(ModelFixture::BytesOf(Root()), before);
    const undoreplay::UndoReplay undo(operation);
    EXPECT_EQ(ModelFixture::BytesOf(Root()), before);
}

TEST_F(OpeningTest, AFaceLosesItsOpeningsInAreaPointClassificationAndTessellation)
{
    Glue(m_window, Shift(2, 3, 0));
    EXPECT_NEAR(m_face->GetArea(), 99.0, 1e-9);
    EXPECT_EQ(m_face->ClassifyPoint(CPoint3d(2.5, 3.5, 0), false), kFacePointOutside);
    EXPECT_EQ(m_face->ClassifyPoint(CPoint3d(2.5, 3, 0), false), kFacePointOnEdge);
    EXPECT_EQ(m_face->ClassifyPoint(CPoint3d(2.5, 3.5, 0), true), kFacePointInside);
    EXPECT_EQ(m_face->ClassifyPoint(CPoint3d(6, 6, 0), false), kFacePointInside);
    CAreaTesselator withOpenings(m_face);
    ASSERT_TRUE(withOpenings.Tessellate(false));
    EXPECT_NEAR(withOpenings.area, 99.0, 1e-9);
    CAreaTesselator without(m_face);
    ASSERT_TRUE(without.Tessellate(false, false));
    EXPECT_NEAR(without.area, 100.0, 1e-9);
}

TEST_F(OpeningTest, ASplitFaceHandsGluedThingsToTheNewPieceAndTellsItsReferrers)
{
    CComponentInstance* below = Glue(m_window, Shift(6, 1, 0));  // under the diagonal
    CComponentInstance* above = Glue(m_window, Shift(1, 6, 0));
    CListener listener;
    m_face->AddBackReference(&listener);
    std::vector<CVertex*> corners;
    for (CDrawingElement* element : Root().GetEntityList()) {
        if (auto* edge = dynamic_cast<CEdge*>(element)) {
            corners.push_back(edge->GetStartVertex());
        }
    }
    const auto corner = [&](double x, double y) {
        return *std::find_if(corners.begin(), corners.end(), [&](CVertex* v) {
            return v->GetPosition().IsEqual(CPoint3d(x, y, 0));
        });
    };
    const operationtest::Bytes before = ModelFixture::BytesOf(Root());
    CUndoOperation& operation = m_fixture.StartOperation();
    auto* diagonal = new CEdge(corner(0, 0), corner(10, 10), false);
    Root().AddEntity(diagonal);
    CFace* piece = m_face->SplitByEdges(1, &diagonal, m_face->GetOuterLoop());
    ASSERT_NE(piece, nullptr);
    Root().AddEntity(piece);

    const auto firstEndOf = [](const CComponentInstance* instance) {
        std::vector<CRelationship*> relationships;
        instance->CountRelationshipsAsSecond(relationships);
        return relationships.size() == 1 ? relationships[0]->GetFirst() : nullptr;
    };
    const auto holding = [&](double x, double y) {
        return m_face->ClassifyPoint(CPoint3d(x, y, 0)) == kFacePointInside ? m_face : piece;
    };
    EXPECT_EQ(firstEndOf(below), holding(6.5, 1.5));
    EXPECT_EQ(firstEndOf(above), holding(1.5, 6.5));
    EXPECT_NEAR(m_face->GetArea() + piece->GetArea(), 98.0, 1e-9);
    EXPECT_EQ(listener.codes, std::vector<int>{4});
    m_face->RemoveBackReference(&listener);
    const undoreplay::UndoReplay undo(operation);
    EXPECT_EQ(ModelFixture::BytesOf(Root()), before);
}

TEST_F(OpeningTest, AFaceThatBecomesAHoleHandsItsGluedThingsToTheFaceAroundIt)
{
    CFace* inner = ModelFixture::Square(Root(), 3, 3, 4);
    CComponentDefinition* plain = Cutting("Plain", false);
    CComponentInstance* instance = ModelFixture::Place(Root(), plain, Shift(4, 4, 0));
    {
        const CUndoSuspender suspender;
        Root().GetRelationshipMap()->AddRelationship(new CRelationship(inner, instance));
    }
    m_face->AddInnerLoop(inner->GetOuterLoop());
    std::vector<CRelationship*> relationships;
    instance->CountRelationshipsAsSecond(relationships);
    ASSERT_EQ(relationships.size(), 1u);
    EXPECT_EQ(relationships[0]->GetFirst(), m_face);
}
