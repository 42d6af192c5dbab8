#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "annotations/dimensionlinear.h"
#include "annotations/dimensionradial.h"
#include "annotations/pointreferences.h"
#include "annotations/text.h"
#include "document/entitycopier.h"
#include "document/versionmap.h"
#include "document/material.h"
#include "document/materialmanager.h"
#include "model/relationship.h"
#include "model/relationshipmap.h"
#include "tests/model/topologytestsupport.h"

using topologytest::Builder;
using topologytest::RingOf;

namespace {

std::set<CEdge*> EdgesOf(const CFace* face)
{
    std::set<CEdge*> edges;
    for (CEdgeUse* use : RingOf(face->GetOuterLoop())) {
        edges.insert(use->GetEdge());
    }
    return edges;
}

std::vector<CEdge*> SharedEdges(const CFace* a, const CFace* b)
{
    const std::set<CEdge*> first = EdgesOf(a);
    const std::set<CEdge*> second = EdgesOf(b);
    std::vector<CEdge*> shared;
    std::set_intersection(first.begin(), first.end(), second.begin(), second.end(), std::back_inserter(shared));
    return shared;
}

void EraseCopies(const std::vector<CEntity*>& copies)
{
    const CUndoSuspender suspender;
    std::vector<CFace*> faces;
    for (CEntity* copy : copies) {
        if (auto* face = dynamic_cast<CFace*>(copy)) {
            faces.push_back(face);
        } else {
            copy->Erase();
        }
    }
    topologytest::EraseWithEdges(faces);
}

class CopierTest : public ::testing::Test
{
protected:
    CopierTest()
    {
        auto* v = m_builder.Vertex(1, 0);
        auto* w = m_builder.Vertex(1, 1);
        m_left = m_builder.Face({m_builder.Vertex(0, 0), v, w, m_builder.Vertex(0, 1)}, {0, 0, 1});
        m_right = m_builder.Face({v, m_builder.Vertex(2, 0), m_builder.Vertex(2, 1), w}, {0, 0, 1});
        m_material = new CMaterial;
        Root().GetMaterialManager()->AddMaterial(m_material);
        m_left->SetMaterial(m_material);
    }
    CComponent& Root() const { return m_builder.Component(); }
    // A linear dimension between the ends of the use and a radial one on its edge, both
    // in the root.
    void AddDimensionsOn(const CEdgeUse* use, CDimensionLinear*& linear, CDimensionRadial*& radial) const
    {
        linear = new CDimensionLinear;
        linear->SetPoints(MakeVertexPoint(use->GetStartVertex()), MakeVertexPoint(use->GetEndVertex()));
        radial = new CDimensionRadial;
        radial->SetEdge(use->GetEdge());
        Root().Add(linear);
        Root().Add(radial);
    }

    Builder m_builder;
    CFace* m_left = nullptr;
    CFace* m_right = nullptr;
    CMaterial* m_material = nullptr;
};

}  // namespace

TEST_F(CopierTest, TwoFacesThatShareAnEdgeAreCopiedSharingOneNewEdgeAndTheSourceMaterial)
{
    CCopier copier(Root().GetModel());
    std::vector<CEntity*> copies{m_left, m_right};
    ASSERT_EQ(copier.Clone(copies), 2);

    auto* left = dynamic_cast<CFace*>(copies[0]);
    auto* right = dynamic_cast<CFace*>(copies[1]);
    ASSERT_NE(left, nullptr);
    ASSERT_NE(right, nullptr);
    const std::vector<CEdge*> shared = SharedEdges(left, right);
    ASSERT_EQ(shared.size(), 1u);
    EXPECT_EQ(copier.GetCopyOf(SharedEdges(m_left, m_right)[0]), shared[0]);
    EXPECT_EQ(EdgesOf(left).size() + EdgesOf(right).size(), 8u);
    EXPECT_EQ(left->GetMaterial(), m_material);
    EXPECT_EQ(left->GetLayer(), m_left->GetLayer());
    EXPECT_EQ(copier.GetCopyOf(m_material), m_material);
    EXPECT_EQ(copier.GetCopyOf(m_left), left);
    EXPECT_EQ(Root().GetMaterialManager()->GetCount(), 1);
    EraseCopies(copies);
}

TEST_F(CopierTest, EverySourceVertexMapsToACopyAtTheSamePlace)
{
    CCopier copier(Root().GetModel());
    std::vector<CEntity*> copies{m_left};
    copier.Clone(copies);
    for (CEdgeUse* use : RingOf(m_left->GetOuterLoop())) {
        CVertex* source = use->GetStartVertex();
        auto* copy = dynamic_cast<CVertex*>(copier.GetCopyOf(source));
        ASSERT_NE(copy, nullptr);
        EXPECT_NE(copy, source);
        EXPECT_TRUE(copy->GetPosition().IsEqual(source->GetPosition()));
    }
    EraseCopies(copies);
}

TEST_F(CopierTest, ARelationshipIsCopiedOnlyWhenBothEndsAre)
{
    auto* inside = new CRelationship(m_left, m_right);
    auto* outward = new CRelationship(m_left, Root().GetAt(0));
    Root().GetRelationshipMap()->Add(inside);
    Root().GetRelationshipMap()->Add(outward);

    CCopier copier(Root().GetModel());
    std::vector<CEntity*> copies{m_left, m_right};
    ASSERT_EQ(copier.Clone(copies), 3);
    auto* relationship = dynamic_cast<CRelationship*>(copies[2]);
    ASSERT_NE(relationship, nullptr);
    EXPECT_EQ(relationship->GetFirst(), copies[0]);
    EXPECT_EQ(relationship->GetSecond(), copies[1]);
    EXPECT_EQ(copier.GetCopyOf(outward), nullptr);
    EraseCopies(copies);
}

TEST_F(CopierTest, AStoreOfNothingLoadsNothingAndEachLoadMakesNewCopies)
{
    CCopier copier;
    std::vector<CEntity*> none;
    EXPECT_EQ(copier.Store(none), 0);
    EXPECT_EQ(copier.Load(none), 0);
    CEntity* one = copier.CloneOne(m_right);
    EXPECT_NE(dynamic_cast<CFace*>(one), nullptr);
    EraseCopies({one});

    std::vector<CEntity*> list{m_right};
    copier.Store(list);
    std::vector<CEntity*> first;
    std::vector<CEntity*> second;
    EXPECT_EQ(copier.Load(first), 1);
    EXPECT_EQ(copier.Load(second), 1);
    EXPECT_NE(first[0], second[0]);
    EXPECT_EQ(copier.GetCopyOf(m_right), second[0]);
    EraseCopies(first);
    EraseCopies(second);
}

TEST_F(CopierTest, ATextKeepsHangingOnAnEntityLeftOutOfTheCopyAndFollowsOneCopiedWithIt)
{
    CVertex* vertex = m_left->GetOuterLoop()->GetFirstEdgeUse()->GetStartVertex();
    auto* text = new CText;
    text->SetLeaderKindValue(1);
    text->SetAnchor(MakeVertexPoint(vertex), false);
    Root().Add(text);

    CCopier alone(Root().GetModel());
    auto* copy = dynamic_cast<CText*>(alone.CloneOne(text));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->GetAnchor().GetFirstEntity(), vertex);

    CCopier together(Root().GetModel());
    std::vector<CEntity*> copies{m_left, text};
    together.Clone(copies);
    auto* withFace = dynamic_cast<CText*>(copies[1]);
    ASSERT_NE(withFace, nullptr);
    EXPECT_EQ(withFace->GetAnchor().GetFirstEntity(), together.GetCopyOf(vertex));
    EXPECT_NE(withFace->GetAnchor().GetFirstEntity(), vertex);
    copies.push_back(copy);
    EraseCopies(copies);
}

// Copies made after an old file was read were read back at that file's versions.
TEST_F(CopierTest, CopiesAreReadAtTheNewestVersionsWhileAnOldFilesMapIsLoaded)
{
    const entitytest::FileVersions oldFile({{"CEntity", 0}, {"CDrawingElement", 0}, {"CFace", 0}});
    CCopier copier(Root().GetModel());
    std::vector<CEntity*> copies{m_left, m_right};
    ASSERT_EQ(copier.Clone(copies), 2);
    EXPECT_EQ(SharedEdges(static_cast<CFace*>(copies[0]), static_cast<CFace*>(copies[1])).size(), 1u);
    EXPECT_EQ(static_cast<CFace*>(copies[0])->GetMaterial(), m_material);
    ASSERT_NE(GetLoadedVersionMap(), nullptr);
    EXPECT_EQ(GetLoadedClassVersion(RUNTIME_CLASS(CFace)), 0);
    EraseCopies(copies);
}

TEST_F(CopierTest, ADimensionCopiedWithoutWhatItHangsOnHangsOnNothingWhileTheSourceKeepsHanging)
{
    const std::vector<CEdgeUse*> ring = RingOf(m_left->GetOuterLoop());
    CVertex* start = ring[0]->GetStartVertex();
    CEdge* edge = ring[0]->GetEdge();
    CDimensionLinear* linear = nullptr;
    CDimensionRadial* radial = nullptr;
    AddDimensionsOn(ring[0], linear, radial);
    // What each dimension of a copy hangs on: its first point's entity, or its edge.
    const auto hangsOn = [](const CEntity* dimension) -> CEntity* {
        if (const auto* asLinear = dynamic_cast<const CDimensionLinear*>(dimension)) {
            return asLinear->GetSecondPoint().GetFirstEntity() != nullptr ? asLinear->GetFirstPoint().GetFirstEntity()
                                                                           : nullptr;
        }
        return dynamic_cast<const CDimensionRadial*>(dimension)->GetEdge();
    };
    struct Case
    {
        CDimension* dimension;
        CEntity* source;
        bool withFace;
    };
    for (const Case& test : {Case{linear, start, false}, Case{linear, start, true}, Case{radial, edge, false},
                             Case{radial, edge, true}}) {
        CCopier copier(Root().GetModel());
        std::vector<CEntity*> copies{test.dimension};
        if (test.withFace) {
            copies.insert(copies.begin(), m_left);
        }
        copier.Clone(copies);
        ASSERT_EQ(copies.size(), test.withFace ? 2u : 1u);
        EXPECT_EQ(hangsOn(copies.back()), test.withFace ? copier.GetCopyOf(test.source) : nullptr);
        EXPECT_EQ(hangsOn(test.dimension), test.source);
        // The mark holds for one write only.
        EXPECT_FALSE(linear->GetFirstPoint().IsDetachPending() || radial->WritesDetached());
        EraseCopies(copies);
    }
}

TEST_F(CopierTest, DimensionsLetGoOfRemovedOrReplacedEntitiesAndFollowAReplacement)
{
    const std::vector<CEdgeUse*> ring = RingOf(m_left->GetOuterLoop());
    CVertex* start = ring[0]->GetStartVertex();
    CVertex* end = ring[0]->GetEndVertex();
    CEdge* edge = ring[0]->GetEdge();
    CEdge* other = ring[1]->GetEdge();
    CDimensionLinear* linear = nullptr;
    CDimensionRadial* radial = nullptr;
    AddDimensionsOn(ring[0], linear, radial);

    CEntitySet referenced;
    linear->AddReferencedEntities(referenced);
    radial->AddReferencedEntities(referenced);
    EXPECT_EQ(referenced.GetCount(), 3);

    linear->ReplaceEntity(start, ring[2]->GetStartVertex());
    radial->ReplaceEntity(edge, other);
    EXPECT_EQ(linear->GetFirstPoint().GetFirstEntity(), ring[2]->GetStartVertex());
    EXPECT_EQ(radial->GetEdge(), other);
    radial->ReplaceEntity(other, start);  // not an edge: the dimension stands free
    EXPECT_EQ(radial->GetEdge(), nullptr);

    CEntitySet removed;
    removed.Add(end);
    removed.Add(other);
    radial->SetEdge(other);
    linear->OnEntitiesRemoved(removed, false);
    radial->OnEntitiesRemoved(removed, false);
    EXPECT_EQ(linear->GetSecondPoint().GetKind(), CModelPointRef::kFreePoint);
    EXPECT_EQ(linear->GetFirstPoint().GetKind(), CModelPointRef::kVertex);
    EXPECT_EQ(radial->GetEdge(), nullptr);

    CEntitySet kept;
    linear->DetachFromEntitiesOutside(kept, false);
    EXPECT_FALSE(linear->IsAssociated());
    EXPECT_EQ(linear->GetFirstPoint().GetKind(), CModelPointRef::kFreePoint);
}
