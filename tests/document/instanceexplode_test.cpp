#include <gtest/gtest.h>

#include <algorithm>

#include "document/componentbehavior.h"
#include "document/group.h"
#include "document/layer.h"
#include "document/layermanager.h"
#include "document/material.h"
#include "document/materialmanager.h"
#include "document/instanceexplode.h"
#include "model/edgeuse.h"
#include "model/loop.h"
#include "model/relationship.h"
#include "model/relationshipmap.h"
#include "tests/document/operationtestsupport.h"
#include "tests/document/undoreplay.h"

using operationtest::Bytes;
using operationtest::ModelFixture;
using operationtest::Shift;

namespace {

CBoundingBox3d FaceBox(const CComponent& component)
{
    CBoundingBox3d box;
    for (CDrawingElement* element : component.GetEntityList()) {
        if (auto* face = dynamic_cast<CFace*>(element)) {
            CEdgeUse* first = face->GetOuterLoop()->GetFirstEdgeUse();
            CEdgeUse* use = first;
            do {
                box.Add(use->GetStartVertex()->GetPosition());
                use = use->GetNext();
            } while (use != first);
        }
    }
    return box;
}

class InstanceExplodeTest : public ::testing::Test
{
protected:
    ModelFixture m_fixture;
};

}  // namespace

TEST_F(InstanceExplodeTest, AnExplodedGroupLeavesItsEntitiesWhereTheyWereShown)
{
    CComponentDefinition* definition = m_fixture.Definition("Group#1");
    const CTransformation placement = Shift(5, 1, 2) * CTransformation::Scaling(2, 2, 2);
    auto* group = ModelFixture::Place<CGroup>(m_fixture.Root(), definition, placement);
    CBoundingBox3d shown;
    group->GetExtents(shown);

    const std::vector<CEntity*> copies = group->Explode(false, false);
    EXPECT_EQ(copies.size(), 5u);  // the face and its four edges
    EXPECT_EQ(m_fixture.Root().GetCount(), 5);
    const CBoundingBox3d box = FaceBox(m_fixture.Root());
    EXPECT_TRUE(box.GetMin().IsEqual(shown.GetMin()));
    EXPECT_TRUE(box.GetMax().IsEqual(shown.GetMax()));
    EXPECT_TRUE(box.GetMax().IsEqual(CPoint3d(7, 3, 2)));
    // The group was its definition's only instance: the definition goes with it.
    EXPECT_EQ(m_fixture.Root().GetDefinitionList()->GetCount(), 0);
}

TEST_F(InstanceExplodeTest, ExplodingOneOfTwoInstancesKeepsTheDefinitionForTheOther)
{
    CComponentDefinition* box = m_fixture.Definition("Box");
    CComponentInstance* exploded = ModelFixture::Place(m_fixture.Root(), box, Shift(3, 0, 0));
    CComponentInstance* kept = ModelFixture::Place(m_fixture.Root(), box);
    exploded->Explode(false, exploded->IsUnique());
    EXPECT_EQ(m_fixture.Root().GetDefinitionList()->GetCount(), 1);
    EXPECT_TRUE(std::ranges::equal(box->GetInstances(), std::vector<CComponentInstance*>{kept}));
    EXPECT_TRUE(FaceBox(m_fixture.Root()).GetMin().IsEqual(CPoint3d(3, 0, 0)));
    EXPECT_EQ(box->GetCount(), 5);
}

TEST_F(InstanceExplodeTest, OneUndoRestoresTheBytesAfterAGroupIsExploded)
{
    CComponentDefinition* definition = m_fixture.Definition("Group#1");
    auto* group = ModelFixture::Place<CGroup>(m_fixture.Root(), definition, Shift(1, 2, 3));
    const Bytes before = ModelFixture::BytesOf(m_fixture.Root());
    CUndoOperation& operation = m_fixture.StartOperation();
    group->Explode(false, false);
    EXPECT_NE(ModelFixture::BytesOf(m_fixture.Root()), before);
    const undoreplay::UndoReplay undo(operation);
    EXPECT_EQ(ModelFixture::BytesOf(m_fixture.Root()), before);
}

TEST_F(InstanceExplodeTest, AGroupSharingItsDefinitionLeavesTheDefinitionToTheOtherGroup)
{
    CComponentDefinition* definition = m_fixture.Definition("Group#1");
    auto* exploded = ModelFixture::Place<CGroup>(m_fixture.Root(), definition);
    auto* other = ModelFixture::Place<CGroup>(m_fixture.Root(), definition, Shift(0, 5, 0));
    exploded->Explode(false, true);  // the group decides for itself: not its only instance
    EXPECT_EQ(m_fixture.Root().GetDefinitionList()->GetCount(), 1);
    EXPECT_EQ(other->GetDefinition(), definition);
}

TEST_F(InstanceExplodeTest, ExplodedCopiesTakeTheInstancesPaintAndLayerAndMergeIntoTheHoldersGeometry)
{
    CComponent& root = m_fixture.Root();
    ModelFixture::Square(root, 0, 0);
    CComponentDefinition* definition = m_fixture.Definition("Tile");
    auto* material = new CMaterial;
    root.GetMaterialManager()->AddMaterial(material);
    CLayer* walls = root.GetLayerManager()->AddLayer("Walls");
    CComponentInstance* instance = ModelFixture::Place(root, definition, Shift(1, 0, 0));
    {
        const CUndoSuspender suspender;
        instance->SetMaterial(material);
        instance->SetLayer(walls);
    }
    (void)m_fixture.StartOperation();
    const std::vector<CEntity*> copies = instance->Explode(false, true);
    ASSERT_FALSE(copies.empty());
    for (CEntity* copy : copies) {
        auto* element = dynamic_cast<CDrawingElement*>(copy);
        ASSERT_NE(element, nullptr);
        EXPECT_EQ(element->GetLayer(), walls) << element->GetTypeId();
        if (auto* face = dynamic_cast<CFace*>(element)) {
            EXPECT_EQ(face->GetMaterial(), material);
            EXPECT_EQ(face->GetBackMaterial(), material);
        }
    }
    int edges = 0;
    for (CDrawingElement* element : root.GetEntityList()) {
        edges += dynamic_cast<CEdge*>(element) != nullptr ? 1 : 0;
    }
    // The shared side of the two squares is one edge.
    EXPECT_EQ(edges, 7);
    EXPECT_FALSE(root.Contains(instance));
}

TEST_F(InstanceExplodeTest, AGluedInstanceLeavesItsGlueBehindAndCutsItsOutlineIntoTheFaceWhenItCutsOpenings)
{
    for (const bool cuts : {false, true}) {
        ModelFixture fixture;
        CComponent& root = fixture.Root();
        CFace* floor = ModelFixture::Square(root, 0, 0, 10);
        CComponentDefinition* window = fixture.Definition("Window");
        {
            const CUndoSuspender suspender;
            dynamic_cast<CComponentBehavior*>(window->GetBehavior())->SetCutsOpening(cuts);
        }
        // It hovers above the floor, so only a cut outline can reach the floor.
        CComponentInstance* instance = ModelFixture::Place(root, window, Shift(2, 2, 0.5));
        root.GetRelationshipMap()->AddRelationship(new CRelationship(floor, instance));
        (void)fixture.StartOperation();
        instance->Explode(false, true);
        EXPECT_EQ(root.GetRelationshipMap()->GetCount(), 0) << cuts;
        EXPECT_EQ(floor->GetLoopCount(), cuts ? 2 : 1) << cuts;
        int floorFaces = 0;
        for (CDrawingElement* element : root.GetEntityList()) {
            auto* face = dynamic_cast<CFace*>(element);
            if (face != nullptr && face->GetPlane().GetDistance(CPoint3d(0, 0, 0)) < 1e-9) {
                ++floorFaces;
                EXPECT_GT(face->GetNormal().z, 0.0);
            }
        }
        EXPECT_EQ(floorFaces, cuts ? 2 : 1) << cuts;
    }
}

TEST_F(InstanceExplodeTest, InstancesAmongTheCopiesAreGluedToTheFacesTheyStandOnWhenTheDefinitionGlues)
{
    for (const bool glues : {false, true}) {
        ModelFixture fixture;
        CComponent& root = fixture.Root();
        CComponentDefinition* room = fixture.Definition("Room");
        CComponentDefinition* chair = fixture.Definition("Chair");
        {
            const CUndoSuspender suspender;
            ModelFixture::Square(*room, 2, 2, 10);
            ModelFixture::Place(*room, chair, Shift(5, 5, 0));
            dynamic_cast<CComponentBehavior*>(room->GetBehavior())->SetGlued(glues, 0);
        }
        CComponentInstance* instance = ModelFixture::Place(root, room, Shift(20, 0, 0));
        (void)fixture.StartOperation();
        instance->Explode(false, true);
        EXPECT_EQ(root.GetRelationshipMap()->GetCount(), glues ? 1 : 0) << glues;
    }
}
