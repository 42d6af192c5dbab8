#include <gtest/gtest.h>

#include "annotations/text.h"
#include "document/entitymerger.h"
#include "model/curve.h"
#include "model/edgeuse.h"
#include "model/loop.h"
#include "model/relationship.h"
#include "model/relationshipmap.h"
#include "tests/document/operationtestsupport.h"
#include "tests/document/undoreplay.h"

using operationtest::Bytes;
using operationtest::ModelFixture;

namespace {

CTransformation Shift(double x, double y, double z)
{
    CTransformation transform;
    transform.SetTranslation(CVector3d(x, y, z));
    return transform;
}

std::vector<CPoint3d> CornersOf(const CFace* face)
{
    std::vector<CPoint3d> corners;
    CEdgeUse* first = face->GetOuterLoop()->GetFirstEdgeUse();
    CEdgeUse* use = first;
    do {
        corners.push_back(use->GetStartVertex()->GetPosition());
        use = use->GetNext();
    } while (use != first && corners.size() < 16);
    return corners;
}

// A curve that counts how often it is told that a vertex moved, and moves nothing.
class CProbeCurve : public CCurve
{
public:
    void StretchToEndpoint(CVertex* /*vertex*/, const CPoint3d& before, const CPoint3d& after) override
    {
        ++calls;
        lastBefore = before;
        lastAfter = after;
    }
    int calls = 0;
    CPoint3d lastBefore;
    CPoint3d lastAfter;
};

class EntityMergerTest : public ::testing::Test
{
protected:
    EntityMergerTest()
    {
        m_face = ModelFixture::Square(Root(), 0, 0, 4);
        m_box = m_fixture.Definition("Box");
    }
    CComponent& Root() const { return m_fixture.Root(); }
    void Glue(CEntity* first, CEntity* second) const
    {
        const CUndoSuspender suspender;
        Root().GetRelationshipMap()->AddRelationship(new CRelationship(first, second));
    }

    ModelFixture m_fixture;
    CFace* m_face = nullptr;
    CComponentDefinition* m_box = nullptr;
};

}  // namespace

TEST_F(EntityMergerTest, AFaceListedTwiceMovesItsVerticesOnce)
{
    const CUndoSuspender suspender;
    CFace* neighbour = ModelFixture::Square(Root(), 4, 0, 4);
    const std::vector<CPoint3d> before = CornersOf(m_face);
    CEntityMerger merger({m_face, m_face, neighbour});
    merger.Merge(Shift(0, 0, 3));
    const std::vector<CPoint3d> after = CornersOf(m_face);
    ASSERT_EQ(after.size(), before.size());
    for (std::size_t i = 0; i < after.size(); ++i) {
        EXPECT_TRUE(after[i].IsEqual(before[i] + CVector3d(0, 0, 3)));
    }
    EXPECT_NEAR(m_face->GetPlane().GetDistance(CPoint3d(0, 0, 3)), 0.0, 1e-9);
    EXPECT_TRUE(CornersOf(neighbour)[0].IsEqual(CPoint3d(4, 0, 3)));
}

TEST_F(EntityMergerTest, GluedInstancesFollowTheFaceAndRidersKeepTheirPlaceOnTheirHost)
{
    const CTransformation scaled = Shift(1, 1, 0) * CTransformation::Scaling(2, 2, 2);
    CComponentInstance* host = ModelFixture::Place(Root(), m_box, scaled);
    CComponentInstance* rider = ModelFixture::Place(Root(), m_box, Shift(2, 1, 0));
    CComponentInstance* loose = ModelFixture::Place(Root(), m_box, Shift(9, 9, 0));
    Glue(m_face, host);
    Glue(host, rider);

    CEntityMerger merger({m_face});
    merger.SetCollectInstances(true);
    merger.Merge(Shift(0, 0, 5));

    EXPECT_TRUE(merger.GetMovedInstances().Contains(host));
    EXPECT_EQ(merger.GetRiders(host), std::vector<CComponentInstance*>{rider});
    EXPECT_TRUE(host->GetTransform().GetOrigin().IsEqual(CPoint3d(1, 1, 5)));
    EXPECT_TRUE(host->GetTransform().GetScales().IsEqual(CVector3d(2, 2, 2)));
    EXPECT_TRUE(rider->GetTransform().GetOrigin().IsEqual(CPoint3d(2, 1, 5)));
    EXPECT_TRUE(rider->GetTransform().GetScales().IsEqual(CVector3d(1, 1, 1)));
    EXPECT_TRUE(loose->GetTransform().GetOrigin().IsEqual(CPoint3d(9, 9, 0)));
}

// Instances glued to each other in a ring once sent the walks round for ever.
TEST_F(EntityMergerTest, InstancesGluedToEachOtherInARingMoveOnce)
{
    CComponentInstance* first = ModelFixture::Place(Root(), m_box);
    CComponentInstance* second = ModelFixture::Place(Root(), m_box, Shift(0, 2, 0));
    Glue(m_face, first);
    Glue(first, second);
    Glue(second, first);
    CEntityMerger merger({m_face});
    merger.SetCollectInstances(true);
    merger.Merge(Shift(1, 0, 0));
    EXPECT_TRUE(first->GetTransform().GetOrigin().IsEqual(CPoint3d(1, 0, 0)));
    EXPECT_TRUE(second->GetTransform().GetOrigin().IsEqual(CPoint3d(1, 2, 0)));
}

TEST_F(EntityMergerTest, ListedTextsAndAnEmptyListAreHandledAsTheirCodesSay)
{
    auto* text = new CText;
    Root().Add(text);
    CEntityMerger merger({m_face, text});
    merger.MergePass(false);
    EXPECT_EQ(merger.GetAnnotationCode(text), CEntityMerger::kListedAndDependent);
    EXPECT_EQ(merger.GetAnnotationCode(m_face), 0);

    CEntityMerger nothing({});
    nothing.Merge(Shift(1, 1, 1));
    EXPECT_TRUE(nothing.GetDependents().IsEmpty());
}

TEST_F(EntityMergerTest, OneUndoRestoresTheBytesAfterAMove)
{
    CComponentInstance* host = ModelFixture::Place(Root(), m_box, Shift(1, 1, 0));
    Glue(m_face, host);
    const Bytes before = ModelFixture::BytesOf(Root());
    CUndoOperation& operation = m_fixture.StartOperation();
    CEntityMerger merger({m_face});
    merger.SetCollectInstances(true);
    merger.Merge(CTransformation::Scaling(2, 1, 1));
    EXPECT_NE(ModelFixture::BytesOf(Root()), before);
    const undoreplay::UndoReplay undo(operation);
    EXPECT_EQ(ModelFixture::BytesOf(Root()), before);
}

TEST_F(EntityMergerTest, TheCurveOfAnEdgeLeftBehindIsToldOnceAndMovesTheSharedVertexItself)
{
    const CUndoSuspender suspender;
    auto* shared = new CVertex(CPoint3d(0, 0, 0));
    auto* far = new CVertex(CPoint3d(1, 0, 0));
    auto* other = new CVertex(CPoint3d(0, 1, 0));
    auto* moved = new CEdge(shared, far, false);
    auto* behind = new CEdge(shared, other, false);
    auto* alsoBehind = new CEdge(shared, new CVertex(CPoint3d(0, -1, 0)), false);
    Root().Add(moved);
    Root().Add(behind);
    Root().Add(alsoBehind);
    auto* curve = new CProbeCurve;
    behind->SetCurve(curve);
    alsoBehind->SetCurve(curve);

    CEntityMerger merger({moved});
    merger.Merge(Shift(0, 0, 2));
    EXPECT_EQ(curve->calls, 1);
    EXPECT_TRUE(curve->lastBefore.IsEqual(CPoint3d(0, 0, 0)));
    EXPECT_TRUE(curve->lastAfter.IsEqual(CPoint3d(0, 0, 2)));
    EXPECT_TRUE(shared->GetPosition().IsEqual(CPoint3d(0, 0, 0)));  // the curve's to move
    EXPECT_TRUE(far->GetPosition().IsEqual(CPoint3d(1, 0, 2)));
    behind->SetCurve(nullptr);
    alsoBehind->SetCurve(nullptr);
    delete curve;
}
