// Texts and linear dimensions hear what happens to what they hang on: the model's own
// operations erase, merge, move and explode it, and the model is then saved, read back
// and released with nothing left pointing at freed entities.

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "annotations/dimensionlinear.h"
#include "annotations/pointreferences.h"
#include "annotations/text.h"
#include "document/classregistration.h"
#include "document/entitymerger.h"
#include "model/entityset.h"
#include "model/mergecontroller.h"
#include "samplegen/geometrybuilder.h"
#include "samplegen/housemodel.h"
#include "samplegen/modelfiles.h"
#include "tests/document/operationtestsupport.h"

using operationtest::ModelFixture;
using operationtest::Shift;

namespace {

struct HungPoint
{
    std::int32_t kind;
    CPoint3d position;
};

// Every text's anchor and both points of every linear dimension, where they lie now.
std::vector<HungPoint> HungPoints(const CComponent& component)
{
    std::vector<HungPoint> points;
    const auto add = [&points](CModelPointRef point) { points.push_back({point.GetKind(), point.Evaluate()}); };
    for (CDrawingElement* element : component.GetEntityList()) {
        if (const auto* text = dynamic_cast<const CText*>(element)) {
            add(text->GetAnchor());
        } else if (const auto* dimension = dynamic_cast<const CDimensionLinear*>(element)) {
            add(dimension->GetFirstPoint());
            add(dimension->GetSecondPoint());
        }
    }
    return points;
}

// Saves the model, reads the file into a second model and finds every text and
// dimension hanging where it hung in the first; then releases the second.
void ExpectSavedAsTheyHang(CTarnwickModel& model)
{
    auto* read = new CTarnwickModel;
    ReadModelBytes(WriteModelBytes(model, kSaveFormat5000), *read);
    const std::vector<HungPoint> made = HungPoints(*model.GetRootComponent());
    const std::vector<HungPoint> back = HungPoints(*read->GetRootComponent());
    ASSERT_EQ(back.size(), made.size());
    for (std::size_t i = 0; i < made.size(); ++i) {
        EXPECT_EQ(back[i].kind, made[i].kind) << i;
        EXPECT_TRUE(back[i].position.IsEqual(made[i].position)) << i;
    }
    read->Release();
}

int CountOf(const CComponent& component, int typeId)
{
    int count = 0;
    for (CDrawingElement* element : component.GetEntityList()) {
        count += element->GetTypeId() == typeId ? 1 : 0;
    }
    return count;
}

struct Registered
{
    Registered() { RegisterModelClasses(); }
};

// Two unit squares side by side, left A B C D and right B E F C, and a lone edge F G,
// in the root.
class AnnotationNoticeTest : public ::testing::Test
{
protected:
    AnnotationNoticeTest() : m_builder(Root())
    {
        const CUndoSuspender suspender;
        m_a = Vertex(0, 0);
        m_b = Vertex(1, 0);
        m_c = Vertex(1, 1);
        m_d = Vertex(0, 1);
        m_e = Vertex(2, 0);
        m_f = Vertex(2, 1);
        m_g = Vertex(3, 1);
        m_left = m_builder.Face({m_a, m_b, m_c, m_d}, {0, 0, 1});
        m_right = m_builder.Face({m_b, m_e, m_f, m_c}, {0, 0, 1});
        m_lone = m_builder.Edge(m_f, m_g);
    }

    [[nodiscard]] CComponent& Root() const { return m_fixture.Root(); }
    [[nodiscard]] CVertex* Vertex(double x, double y) const { return m_builder.Vertex(CPoint3d(x, y, 0)); }
    [[nodiscard]] CEdge* EdgeOf(CVertex* start, CVertex* end) const { return m_builder.Edge(start, end); }

    // A text with a model leader hanging on the point, in the root.
    CText* Hang(const CModelPointRef& anchor) const
    {
        const CUndoSuspender suspender;
        auto* text = new CText;
        text->SetAnchor(anchor, true);
        text->SetLeaderKindValue(CText::kModelLeader);
        text->SetLeaderVector(0, 1, 0);
        Root().Add(text);
        return text;
    }
    CDimensionLinear* Measure(const CModelPointRef& first, const CModelPointRef& second) const
    {
        const CUndoSuspender suspender;
        auto* dimension = new CDimensionLinear;
        dimension->SetPoints(first, second);
        Root().Add(dimension);
        return dimension;
    }

    Registered m_registered;
    ModelFixture m_fixture;
    CGeometryBuilder m_builder;
    CVertex* m_a = nullptr;
    CVertex* m_b = nullptr;
    CVertex* m_c = nullptr;
    CVertex* m_d = nullptr;
    CVertex* m_e = nullptr;
    CVertex* m_f = nullptr;
    CVertex* m_g = nullptr;
    CFace* m_left = nullptr;
    CFace* m_right = nullptr;
    CEdge* m_lone = nullptr;
};

void ExpectHanging(const CModelPointRef& point, std::int32_t kind, const CPoint3d& where)
{
    CModelPointRef now = point;
    EXPECT_EQ(now.GetKind(), kind);
    const CPoint3d at = now.Evaluate();
    EXPECT_TRUE(at.IsEqual(where)) << at.x << ", " << at.y << ", " << at.z;
}

}  // namespace

// Saving or releasing such a model once read the freed entities the texts hung on.
TEST_F(AnnotationNoticeTest, WhatHungOnAnErasedEntityStaysFreeWhereItLastWas)
{
    CText* onEdge = Hang(MakeEdgePoint(EdgeOf(m_a, m_b), CPoint3d(0.25, 0, 0)));
    CText* onFace = Hang(MakeFacePoint(m_right, CPoint3d(1.5, 0.25, 0)));
    CDimensionLinear* toLoneEnd = Measure(MakeVertexPoint(m_d), MakeVertexPoint(m_g));
    CDimensionLinear* onFaceAndEdge =
        Measure(MakeFacePoint(m_right, CPoint3d(1.75, 0.5, 0)), MakeEdgePoint(EdgeOf(m_a, m_b), CPoint3d(0.5, 0, 0)));

    EdgeOf(m_a, m_b)->EraseFromComponent(&Root());  // takes the left face along
    m_right->EraseFromComponent(&Root());
    m_lone->EraseFromComponent(&Root());  // and its end G with it

    ExpectHanging(onEdge->GetAnchor(), CModelPointRef::kFreePoint, CPoint3d(0.25, 0, 0));
    ExpectHanging(onFace->GetAnchor(), CModelPointRef::kFreePoint, CPoint3d(1.5, 0.25, 0));
    ExpectHanging(toLoneEnd->GetFirstPoint(), CModelPointRef::kVertex, CPoint3d(0, 1, 0));
    ExpectHanging(toLoneEnd->GetSecondPoint(), CModelPointRef::kFreePoint, CPoint3d(3, 1, 0));
    ExpectHanging(onFaceAndEdge->GetFirstPoint(), CModelPointRef::kFreePoint, CPoint3d(1.75, 0.5, 0));
    ExpectHanging(onFaceAndEdge->GetSecondPoint(), CModelPointRef::kFreePoint, CPoint3d(0.5, 0, 0));
    ExpectSavedAsTheyHang(m_fixture.Model());
}

TEST_F(AnnotationNoticeTest, WhatHungOnAFaceMergedIntoItsNeighbourHangsOnTheSurvivorWhereItWas)
{
    CEdge* shared = EdgeOf(m_b, m_c);
    CText* onFace = Hang(MakeFacePoint(m_right, CPoint3d(1.5, 0.25, 0)));
    CText* onShared = Hang(MakeEdgePoint(shared, CPoint3d(1, 0.5, 0)));
    CDimensionLinear* across = Measure(MakeVertexPoint(m_d), MakeFacePoint(m_right, CPoint3d(1.75, 0.5, 0)));

    shared->EraseFromComponent(&Root());

    ASSERT_EQ(CountOf(Root(), kTypeFace), 1);
    EXPECT_EQ(onFace->GetAnchor().GetFirstEntity(), m_left);
    ExpectHanging(onFace->GetAnchor(), CModelPointRef::kFacePoint, CPoint3d(1.5, 0.25, 0));
    ExpectHanging(onShared->GetAnchor(), CModelPointRef::kFreePoint, CPoint3d(1, 0.5, 0));
    ExpectHanging(across->GetSecondPoint(), CModelPointRef::kFacePoint, CPoint3d(1.75, 0.5, 0));
    ExpectSavedAsTheyHang(m_fixture.Model());
}

// Renewing its references while the face told it once took the text off the face's list.
TEST_F(AnnotationNoticeTest, ATextOnAReversedFaceStaysWhereItWasAndTurnsTheSideItShowsFrom)
{
    CText* onFace = Hang(MakeFacePoint(m_right, CPoint3d(1.75, 0.25, 0)));

    m_right->Reverse();

    EXPECT_FALSE(onFace->GetFaceSide());
    ExpectHanging(onFace->GetAnchor(), CModelPointRef::kFacePoint, CPoint3d(1.75, 0.25, 0));
    ExpectSavedAsTheyHang(m_fixture.Model());
}

// A second edge drawn over A B, from B to A, welds onto the square: its ends merge
// into B and A and one of the two edges absorbs the other.
TEST_F(AnnotationNoticeTest, WhatHungOnAnAbsorbedEdgeOrAWeldedVertexFollowsTheSurvivor)
{
    CText* onEdge = Hang(MakeEdgePoint(EdgeOf(m_a, m_b), CPoint3d(0.25, 0, 0)));
    CEntitySet drawn;
    auto* overB = new CVertex(CPoint3d(1, 0, 0));
    auto* overA = new CVertex(CPoint3d(0, 0, 0));
    auto* over = new CEdge(overB, overA, false);
    Root().AddEntity(over);
    drawn.Add(over);
    CText* onDrawn = Hang(MakeEdgePoint(over, CPoint3d(0.75, 0, 0)));
    CDimensionLinear* fromDrawnEnd = Measure(MakeVertexPoint(overA), MakeVertexPoint(m_c));
    Measure(MakeVertexPoint(overA), MakeVertexPoint(m_a));  // collapses to nothing

    CMergeController(&Root(), &drawn).Merge(false, false);

    ASSERT_EQ(CountOf(Root(), kTypeEdge), 8);
    EXPECT_EQ(CountOf(Root(), kTypeDimensionLinear), 1);
    for (const CText* text : {onEdge, onDrawn}) {
        const auto* edge = dynamic_cast<const CEdge*>(text->GetAnchor().GetFirstEntity());
        ASSERT_NE(edge, nullptr);
        EXPECT_TRUE(Root().Contains(edge));
    }
    ExpectHanging(onEdge->GetAnchor(), CModelPointRef::kEdgePoint, CPoint3d(0.25, 0, 0));
    ExpectHanging(onDrawn->GetAnchor(), CModelPointRef::kEdgePoint, CPoint3d(0.75, 0, 0));
    ExpectHanging(fromDrawnEnd->GetFirstPoint(), CModelPointRef::kVertex, CPoint3d(0, 0, 0));
    EXPECT_EQ(fromDrawnEnd->GetFirstPoint().GetFirstEntity(), m_a);
    ExpectSavedAsTheyHang(m_fixture.Model());
}

// A quarter turn about z through B moves the right face: E goes to (1, 1), F to (0, 1).
// A dimension listed without its points carries its label point (0, 0.5) in its frame,
// (0.5, 1) in the model, to (0, -0.5): 1.5 along its line from D, which the frame now
// runs along, and no offset.
TEST_F(AnnotationNoticeTest, MovedAnnotationsTurnWithTheMoveAndOnesListedAloneMoveTheirLabelsOnly)
{
    CText* onMoved = Hang(MakeEdgePoint(EdgeOf(m_b, m_e), CPoint3d(1.5, 0, 0)));
    CText* listedAlone = Hang(MakeVertexPoint(m_d));
    CDimensionLinear* onMovedEnds = Measure(MakeVertexPoint(m_e), MakeVertexPoint(m_f));
    CDimensionLinear* dimensionAlone = Measure(MakeVertexPoint(m_d), MakeVertexPoint(m_a));
    dimensionAlone->SetOffset(0.5);
    CEntityMerger merger({m_right, listedAlone, dimensionAlone});

    merger.Merge(CTransformation::Rotation(CPoint3d(1, 0, 0), CUnitVector3d(0, 0, 1), std::acos(0.0)));

    EXPECT_EQ(merger.GetAnnotationCode(onMoved), CEntityMerger::kReachedAsDependent);
    EXPECT_EQ(merger.GetAnnotationCode(listedAlone), CEntityMerger::kListedOnly);
    ExpectHanging(onMoved->GetAnchor(), CModelPointRef::kEdgePoint, CPoint3d(1, 0.5, 0));
    EXPECT_TRUE(onMoved->GetLeaderVector().IsEqual(CVector3d(-1, 0, 0)));
    ExpectHanging(listedAlone->GetAnchor(), CModelPointRef::kVertex, CPoint3d(0, 1, 0));
    EXPECT_TRUE(listedAlone->GetLeaderVector().IsEqual(CVector3d(-1, -2, 0)));
    EXPECT_TRUE(onMovedEnds->GetDirection().IsEqual(CVector3d(0, 1, 0)));
    EXPECT_NEAR(dimensionAlone->GetLabelPosition(), 1.5, 1e-9);
    EXPECT_NEAR(dimensionAlone->GetOffset(), 0.0, 1e-9);
    ExpectSavedAsTheyHang(m_fixture.Model());
}

// The instance turns its unit square a quarter turn about z and moves it to (5, 0, 0).
TEST_F(AnnotationNoticeTest, TextsAndDimensionsFollowAnExplodedInstancesGeometryToItsCopies)
{
    const CUndoSuspender suspender;
    auto* box = new CComponentDefinition;
    box->SetName(CString("Box"));
    Root().GetDefinitionList()->AddDefinition(box, false);
    const CGeometryBuilder inBox(*box);
    CVertex* origin = inBox.Vertex(CPoint3d(0, 0, 0));
    CVertex* corner = inBox.Vertex(CPoint3d(1, 0, 0));
    inBox.Face({origin, corner, inBox.Vertex(CPoint3d(1, 1, 0)), inBox.Vertex(CPoint3d(0, 1, 0))}, {0, 0, 1});
    CEdge* boxEdge = inBox.Edge(origin, corner);
    auto* inside = new CText;
    auto* span = new CDimensionLinear;
    {
        inside->SetAnchor(MakeEdgePoint(boxEdge, CPoint3d(0.5, 0, 0)), true);
        inside->SetLeaderKindValue(CText::kModelLeader);
        inside->SetLeaderVector(0, 1, 0);
        box->Add(inside);
        span->SetPoints(MakeVertexPoint(origin), MakeVertexPoint(corner));
        box->Add(span);
    }
    const CTransformation placement =
        Shift(5, 0, 0) * CTransformation::Rotation(CPoint3d(), CUnitVector3d(0, 0, 1), std::acos(0.0));
    CComponentInstance* instance = ModelFixture::Place(Root(), box, placement);
    CModelPointRef throughInstance = MakeEdgePoint(boxEdge, CPoint3d(0.25, 0, 0));
    CInstancePath path;
    path.Push(instance);
    throughInstance.Set(throughInstance.GetKind(), throughInstance.GetParameters(), boxEdge, path, nullptr,
                        CInstancePath());
    CText* outside = Hang(throughInstance);

    instance->Explode(false, true);

    ASSERT_EQ(CountOf(Root(), kTypeText), 2);
    ASSERT_EQ(CountOf(Root(), kTypeDimensionLinear), 1);
    EXPECT_TRUE(outside->GetAnchor().GetFirstPath().IsEmpty());
    EXPECT_TRUE(Root().Contains(outside->GetAnchor().GetDrawingElement()));
    ExpectHanging(outside->GetAnchor(), CModelPointRef::kEdgePoint, CPoint3d(5, 0.25, 0));
    for (CDrawingElement* element : Root().GetEntityList()) {
        if (auto* copy = dynamic_cast<CText*>(element); copy != nullptr && copy != outside) {
            ExpectHanging(copy->GetAnchor(), CModelPointRef::kEdgePoint, CPoint3d(5, 0.5, 0));
            EXPECT_TRUE(copy->GetLeaderVector().IsEqual(CVector3d(-1, 0, 0)));
        } else if (const auto* copied = dynamic_cast<CDimensionLinear*>(element)) {
            ExpectHanging(copied->GetFirstPoint(), CModelPointRef::kVertex, CPoint3d(5, 0, 0));
            ExpectHanging(copied->GetSecondPoint(), CModelPointRef::kVertex, CPoint3d(5, 1, 0));
            EXPECT_TRUE(copied->GetDirection().IsEqual(CVector3d(0, 1, 0)));
        }
    }
    ExpectSavedAsTheyHang(m_fixture.Model());
}

// Releasing the house once read the freed vertices its label and dimension hung on.
TEST(SampleHouseAnnotations, TheHousesLabelAndDimensionAreSavedReadAndReleasedWithIt)
{
    RegisterModelClasses();
    const entitytest::QuietSettings settings;
    auto* house = new CTarnwickModel;
    BuildHouseModel(*house);
    const std::vector<HungPoint> points = HungPoints(*house->GetRootComponent());
    ASSERT_EQ(points.size(), 3u);
    // The label hangs on the window's corner, not on the wall, whose plane it would lie in.
    EXPECT_EQ(points[0].kind, CModelPointRef::kVertex);
    EXPECT_EQ(points[1].kind, CModelPointRef::kVertex);
    ExpectSavedAsTheyHang(*house);
    house->Release();
}
