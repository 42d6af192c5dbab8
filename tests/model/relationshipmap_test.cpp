#include "model/relationshipmap.h"

#include <gtest/gtest.h>

#include <memory>

#include "model/drawingelement.h"
#include "model/relationship.h"
#include "model/validitylog.h"
#include "tests/model/attributetestsupport.h"

using attributetest::Bytes;
using attributetest::Load;
using attributetest::OpenOperation;
using attributetest::Store;

// Counts destructions so that a test sees when a relationship is really gone.
class CCountedRelationship : public CRelationship
{
    DECLARE_SERIAL(CCountedRelationship)
public:
    CCountedRelationship() = default;
    CCountedRelationship(CEntity* first, CEntity* second) : CRelationship(first, second) {}
    ~CCountedRelationship() override { ++s_destroyed; }

    static inline int s_destroyed = 0;
};
IMPLEMENT_SERIAL(CCountedRelationship, CRelationship, VERSIONABLE_SCHEMA | 0)

namespace {

// A face stands in: it hears when a link to it comes or goes.
class CListeningElement : public CDrawingElement
{
public:
    void OnGeometryChanged() override { ++m_changes; }
    int m_changes = 0;
};

class RelationshipMapTest : public ::testing::Test
{
protected:
    void SetUp() override { CCountedRelationship::s_destroyed = 0; }
    void TearDown() override
    {
        m_map->RemoveAll();
        delete m_map;
    }

    CRelationship* Link(CEntity* first, CEntity* second)
    {
        auto* relationship = new CCountedRelationship(first, second);
        m_map->Add(relationship);
        return relationship;
    }

    CRelationshipMap* m_map = new CRelationshipMap;
    CListeningElement m_face;
    CEntity m_instance;
    CEntity m_other;
};

TEST_F(RelationshipMapTest, AddingAndRemovingALinkParentsItAndTellsTheElementAtItsFirstEnd)
{
    CRelationship* relationship = Link(&m_face, &m_instance);
    EXPECT_EQ(relationship->GetParent(), m_map);
    EXPECT_EQ(m_face.m_changes, 1);
    EXPECT_TRUE(m_map->Contains(relationship));

    EXPECT_TRUE(m_map->Remove(relationship));
    EXPECT_EQ(relationship->GetParent(), nullptr);
    EXPECT_EQ(m_face.m_changes, 2);
    EXPECT_FALSE(m_map->Remove(relationship));
    EXPECT_EQ(m_face.m_changes, 2);
    delete relationship;
}

TEST_F(RelationshipMapTest, HoldsEachLinkOnceAndIgnoresEntitiesThatAreNotLinks)
{
    CRelationship* relationship = Link(&m_instance, &m_other);
    m_map->Add(relationship);
    m_map->Add(&m_other);
    m_map->Add(nullptr);
    EXPECT_EQ(m_map->GetCount(), 1);
    m_map->EraseAll(true);
    EXPECT_EQ(CCountedRelationship::s_destroyed, 1);
}

TEST_F(RelationshipMapTest, RemovingKeepsTheOrderOfTheRest)
{
    CRelationship* a = Link(&m_instance, &m_other);
    CRelationship* b = Link(&m_other, &m_instance);
    CRelationship* c = Link(&m_face, &m_instance);
    EXPECT_TRUE(m_map->Remove(b));
    EXPECT_EQ(m_map->GetAt(0), a);
    EXPECT_EQ(m_map->GetAt(1), c);
    EXPECT_EQ(m_map->GetAt(2), nullptr);
    EXPECT_EQ(m_map->GetAt(-1), nullptr);
    delete b;
    m_map->EraseAll(true);
}

TEST_F(RelationshipMapTest, RemoveAllLeavesTheLinksAliveWithTheirParent)
{
    CRelationship* relationship = Link(&m_instance, &m_other);
    m_map->RemoveAll();
    EXPECT_TRUE(m_map->IsEmpty());
    EXPECT_EQ(relationship->GetParent(), m_map);
    EXPECT_EQ(CCountedRelationship::s_destroyed, 0);
    delete relationship;
}

TEST_F(RelationshipMapTest, TheIteratorWalksInOrderStaysAtTheEndAndStartsAgainAfterReset)
{
    CRelationship* a = Link(&m_instance, &m_other);
    CRelationship* b = Link(&m_other, &m_instance);
    std::unique_ptr<IEntityIterator> it(m_map->NewIterator());
    CEntity* entity = nullptr;
    ASSERT_TRUE(it->Next(entity));
    EXPECT_EQ(entity, a);
    ASSERT_TRUE(it->Next(entity));
    EXPECT_EQ(entity, b);
    EXPECT_FALSE(it->Next(entity));
    EXPECT_EQ(entity, nullptr);
    EXPECT_FALSE(it->Next(entity));
    it->Reset();
    ASSERT_TRUE(it->Next(entity));
    EXPECT_EQ(entity, a);
    m_map->EraseAll(true);
}

TEST_F(RelationshipMapTest, FindsLinksByEitherEndInMapOrder)
{
    CRelationship* a = Link(&m_face, &m_instance);
    Link(&m_other, &m_face);
    CRelationship* c = Link(&m_face, &m_other);
    std::vector<CRelationship*> found;
    EXPECT_EQ(m_map->FindByFirst(&m_face, found), 2);
    EXPECT_EQ(found, (std::vector<CRelationship*>{a, c}));
    EXPECT_EQ(m_map->FindBySecond(&m_face, found), 1);
    EXPECT_EQ(found.size(), 3U);
    m_map->EraseAll(true);
}

TEST_F(RelationshipMapTest, RemovingAnEntityErasesEveryLinkAtEitherEndAndNothingElse)
{
    Link(&m_face, &m_instance);
    Link(&m_other, &m_face);
    CRelationship* unrelated = Link(&m_other, &m_instance);
    CRelationship* selfLink = Link(&m_face, &m_face);

    m_map->RemoveEntity(&m_face);

    EXPECT_EQ(CCountedRelationship::s_destroyed, 3);
    ASSERT_EQ(m_map->GetCount(), 1);
    EXPECT_EQ(m_map->GetAt(0), unrelated);
    (void)selfLink;
    m_map->EraseAll(true);
}

TEST_F(RelationshipMapTest, ReplacingAnEntityMovesBothEndsAndRecordsEachChangedLink)
{
    CRelationship* first = Link(&m_face, &m_instance);
    CRelationship* both = Link(&m_face, &m_face);
    CRelationship* untouched = Link(&m_other, &m_instance);
    {
        const OpenOperation operation;
        m_map->ReplaceEntity(&m_face, &m_other);
        EXPECT_NE(operation.Get().FindRecord(first), nullptr);
        EXPECT_NE(operation.Get().FindRecord(both), nullptr);
        EXPECT_EQ(operation.Get().FindRecord(untouched), nullptr);
    }
    EXPECT_EQ(first->GetFirst(), &m_other);
    EXPECT_EQ(both->GetFirst(), &m_other);
    EXPECT_EQ(both->GetSecond(), &m_other);
    EXPECT_EQ(untouched->GetFirst(), &m_other);
    m_map->EraseAll(true);
}

TEST_F(RelationshipMapTest, AddsAndRemovalsGoIntoTheOpenOperation)
{
    CRelationship* old = Link(&m_face, &m_instance);
    const OpenOperation operation;
    auto* added = new CCountedRelationship(&m_other, &m_instance);
    m_map->AddRelationship(added);
    m_map->RemoveEntity(&m_face);

    const auto& addedPairs = operation.Get().GetAddedPairs();
    ASSERT_EQ(addedPairs.size(), 1U);
    EXPECT_EQ(addedPairs[0].first, added);
    EXPECT_EQ(addedPairs[0].second, static_cast<IEntityContainer*>(m_map));
    const auto& removedPairs = operation.Get().GetRemovedPairs();
    ASSERT_EQ(removedPairs.size(), 1U);
    EXPECT_EQ(removedPairs[0].first, old);
    const auto& erased = operation.Get().GetErasedEntities();
    EXPECT_NE(std::find(erased.begin(), erased.end(), old), erased.end());
    m_map->RemoveAll();
    delete added;
}

TEST(Relationship, ClonesAndSwapsCarryBothEnds)
{
    CEntity a;
    CEntity b;
    CRelationship relationship(&a, &b);
    std::unique_ptr<CEntity> clone(relationship.Clone());
    auto* copy = dynamic_cast<CRelationship*>(clone.get());
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->GetFirst(), &a);
    EXPECT_EQ(copy->GetSecond(), &b);
    EXPECT_EQ(copy->GetId(), 0);

    CRelationship other(&b, nullptr);
    relationship.SwapData(other);
    EXPECT_EQ(relationship.GetFirst(), &b);
    EXPECT_EQ(relationship.GetSecond(), nullptr);
    EXPECT_EQ(other.GetSecond(), &b);
}

TEST(Relationship, ALinkWithoutAnEndIsBrokenAndTheMapReportsIt)
{
    const CValidityCheckScope checking;
    ClearValidityLog();
    CEntity a;
    auto* broken = new CRelationship(&a, nullptr);
    CRelationshipMap map;
    map.Add(broken);
    CValidityResultMap results;

    EXPECT_EQ(map.CheckValidity(kValidityModeCheck, &results), kValidityBroken);
    EXPECT_EQ(results[&map], kValidityBroken);
    EXPECT_FALSE(GetValidityLog().IsEmpty());
    EXPECT_EQ(CRelationship(&a, &a).CheckValidity(kValidityModeCheck, nullptr), kValiditySound);
    map.RemoveAll();
    delete broken;
    ClearValidityLog();
}

class RelationshipMapRecord : public ::testing::Test
{
protected:
    void SetUp() override { CCountedRelationship::s_destroyed = 0; }
    void TearDown() override
    {
        m_written.RemoveAll();
        for (CRelationship* relationship : m_owned) {
            delete relationship;
        }
    }

    void Link(CEntity* first, CEntity* second)
    {
        auto* relationship = new CCountedRelationship(first, second);
        m_owned.push_back(relationship);
        m_written.Add(relationship);
    }

    CRelationshipMap m_written;
    std::vector<CRelationship*> m_owned;
    CEntity m_a;
    CEntity m_b;
};

TEST_F(RelationshipMapRecord, RoundTripsItsLinksAndTheirEnds)
{
    Link(&m_a, &m_b);
    Link(&m_b, &m_a);
    const Bytes bytes = Store([&](CArchive& ar) { m_written.Serialize(ar); });
    CCountedRelationship::s_destroyed = 0;
    Load(bytes, [](CArchive& ar) {
        CRelationshipMap map;
        map.Serialize(ar);
        ASSERT_EQ(map.GetCount(), 2);
        CRelationship* first = map.GetRelationship(0);
        CRelationship* second = map.GetRelationship(1);
        ASSERT_NE(first->GetFirst(), nullptr);
        EXPECT_EQ(first->GetFirst(), second->GetSecond());
        EXPECT_EQ(first->GetSecond(), second->GetFirst());
        EXPECT_NE(first->GetFirst(), first->GetSecond());
        // The reader appends without parenting.
        EXPECT_EQ(first->GetParent(), nullptr);
        delete first->GetFirst();
        delete first->GetSecond();
        map.EraseAll(true);
    });
    EXPECT_EQ(CCountedRelationship::s_destroyed, 2);
}

TEST_F(RelationshipMapRecord, ALinkFromAnEntityToItselfIsDroppedYetALaterReferenceToItIsSafe)
{
    Link(&m_a, &m_b);
    Link(&m_a, &m_a);
    CRelationship* selfLink = m_owned.back();
    const Bytes bytes = Store([&](CArchive& ar) {
        m_written.Serialize(ar);
        ar.WriteObject(selfLink);  // a later record names the dropped link again
        m_written.Serialize(ar);   // and a second map lists it once more
    });
    CCountedRelationship::s_destroyed = 0;
    Load(bytes, [](CArchive& ar) {
        CRelationshipMap map;
        map.Serialize(ar);
        EXPECT_EQ(map.GetCount(), 1);
        auto* later = static_cast<CRelationship*>(ar.ReadObject(RUNTIME_CLASS(CRelationship)));
        ASSERT_NE(later, nullptr);
        EXPECT_TRUE(later->IsSelfLink());
        EXPECT_EQ(later->GetFirst(), map.GetRelationship(0)->GetFirst());
        CRelationshipMap again;
        again.Serialize(ar);
        EXPECT_EQ(again.GetCount(), 1);
        EXPECT_EQ(CCountedRelationship::s_destroyed, 0);
        delete map.GetRelationship(0)->GetFirst();
        delete map.GetRelationship(0)->GetSecond();
        map.EraseAll(true);
        again.RemoveAll();
    });
    EXPECT_EQ(CCountedRelationship::s_destroyed, 2);
}

TEST_F(RelationshipMapRecord, NullAndRepeatedReferencesAreSkipped)
{
    Link(&m_a, &m_b);
    // The entity part of the map, a count of 3, the link, a back-reference to it, null.
    const Bytes record = Store([&](CArchive& ar) {
        ar.WriteObject(nullptr);
        ar << static_cast<std::int32_t>(3);
        ar.WriteObject(m_owned[0]);
        ar.WriteObject(m_owned[0]);
        ar.WriteObject(nullptr);
    });
    Load(record, [](CArchive& ar) {
        CRelationshipMap map;
        map.Serialize(ar);
        ASSERT_EQ(map.GetCount(), 1);
        delete map.GetRelationship(0)->GetFirst();
        delete map.GetRelationship(0)->GetSecond();
        map.EraseAll(true);
    });
}

TEST_F(RelationshipMapRecord, ANegativeOrImpossibleCountIsRefusedBeforeAnythingIsRead)
{
    for (const std::int32_t count : {-1, 1000, CRelationshipMap::kMaxRelationships + 1}) {
        const Bytes record = Store([&](CArchive& ar) {
            ar.WriteObject(nullptr);
            ar << count;
            ar.WriteObject(nullptr);
        });
        EXPECT_THROW(Load(record,
                          [](CArchive& ar) {
                              CRelationshipMap map;
                              map.Serialize(ar);
                          }),
                     CArchiveException)
            << count;
    }
}

}  // namespace
