#include "model/relationshipmap.h"

#include <gtest/gtest.h>

#include "model/drawingelement.h"
#include "model/relationship.h"
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

// Stands in for a face: it hears when a link to it comes or goes.
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
    void TearDown() override { m_map.EraseAll(true); }

    CRelationship* Link(CEntity* first, CEntity* second)
    {
        auto* relationship = new CCountedRelationship(first, second);
        m_map.Add(relationship);
        return relationship;
    }

    CRelationshipMap m_map;
    CListeningElement m_face;
    CEntity m_instance;
    CEntity m_other;
};

TEST_F(RelationshipMapTest, AddingAndRemovingALinkParentsItAndTellsTheElementAtItsFirstEnd)
{
    CRelationship* relationship = Link(&m_face, &m_instance);
    m_map.Add(relationship);  // held once only
    EXPECT_EQ(m_map.GetCount(), 1);
    EXPECT_EQ(relationship->GetParent(), &m_map);
    EXPECT_EQ(m_face.m_changes, 1);

    EXPECT_TRUE(m_map.Remove(relationship));
    EXPECT_EQ(relationship->GetParent(), nullptr);
    EXPECT_EQ(m_face.m_changes, 2);
    EXPECT_FALSE(m_map.Remove(relationship));
    EXPECT_EQ(m_face.m_changes, 2);
    EXPECT_EQ(m_map.GetAt(0), nullptr);
    delete relationship;
}

TEST_F(RelationshipMapTest, RemoveAllLeavesTheLinksAliveWithTheirParent)
{
    CRelationship* relationship = Link(&m_instance, &m_other);
    m_map.RemoveAll();
    EXPECT_TRUE(m_map.IsEmpty());
    EXPECT_EQ(relationship->GetParent(), &m_map);
    EXPECT_EQ(CCountedRelationship::s_destroyed, 0);
    delete relationship;
}

TEST_F(RelationshipMapTest, RemovingAnEntityErasesEveryLinkAtEitherEndKeepingTheOrderOfTheRest)
{
    CRelationship* before = Link(&m_other, &m_instance);
    Link(&m_face, &m_instance);
    Link(&m_other, &m_face);
    Link(&m_face, &m_face);
    CRelationship* after = Link(&m_instance, &m_other);

    m_map.RemoveEntity(&m_face);

    EXPECT_EQ(CCountedRelationship::s_destroyed, 3);
    ASSERT_EQ(m_map.GetCount(), 2);
    EXPECT_EQ(m_map.GetAt(0), before);
    EXPECT_EQ(m_map.GetAt(1), after);
}

TEST_F(RelationshipMapTest, AddsRemovalsAndReplacedEndsGoIntoTheOpenOperation)
{
    CRelationship* old = Link(&m_face, &m_instance);
    CRelationship* moved = Link(&m_instance, &m_other);
    const OpenOperation operation;
    auto* added = new CCountedRelationship(&m_other, &m_instance);
    m_map.AddRelationship(added);
    m_map.RemoveEntity(&m_face);
    m_map.ReplaceEntity(&m_other, &m_face);

    using Pairs = std::vector<CUndoOperation::EntityPair>;
    EXPECT_EQ(operation.Get().GetAddedPairs(), (Pairs{{added, &m_map}}));
    EXPECT_EQ(operation.Get().GetRemovedPairs(), (Pairs{{old, &m_map}}));
    EXPECT_EQ(operation.Get().GetErasedEntities(), std::vector<CEntity*>{old});
    EXPECT_EQ(moved->GetSecond(), &m_face);
    EXPECT_EQ(added->GetFirst(), &m_face);
    EXPECT_NE(operation.Get().FindRecord(moved), nullptr);
}

class RelationshipMapRecord : public RelationshipMapTest
{
protected:
    // Reads one map record and erases what it read, ends included.
    static void ReadMap(CArchive& ar, int expectedCount)
    {
        CRelationshipMap map;
        map.Serialize(ar);
        ASSERT_EQ(map.GetCount(), expectedCount);
        for (int i = 0; i < map.GetCount(); ++i) {
            delete map.GetRelationship(i)->GetFirst();
            delete map.GetRelationship(i)->GetSecond();
        }
        map.EraseAll(true);
    }
};

TEST_F(RelationshipMapRecord, ALinkFromAnEntityToItselfIsDroppedAndALaterReferenceToItReadsNone)
{
    Link(&m_instance, &m_other);
    CRelationship* selfLink = Link(&m_instance, &m_instance);
    const Bytes bytes = Store([&](CArchive& ar) {
        m_map.Serialize(ar);
        ar.WriteObject(selfLink);  // a later record names the dropped link again
    });
    CCountedRelationship::s_destroyed = 0;
    Load(bytes, [](CArchive& ar) {
        CRelationshipMap map;
        map.Serialize(ar);
        ASSERT_EQ(map.GetCount(), 1);
        CRelationship* kept = map.GetRelationship(0);
        EXPECT_EQ(kept->GetParent(), nullptr);  // the reader appends without parenting
        // Whoever took it would hold it past the archive, which frees it.
        EXPECT_EQ(ar.ReadObject(RUNTIME_CLASS(CRelationship)), nullptr);
        EXPECT_EQ(CCountedRelationship::s_destroyed, 0);
        delete kept->GetFirst();
        delete kept->GetSecond();
        map.EraseAll(true);
    });
    EXPECT_EQ(CCountedRelationship::s_destroyed, 2);
}

TEST_F(RelationshipMapRecord, NullAndRepeatedReferencesAreSkipped)
{
    CRelationship* relationship = Link(&m_instance, &m_other);
    const Bytes bytes = Store([&](CArchive& ar) {
        ar.WriteObject(nullptr);  // the entity part: no attribute container
        ar << static_cast<std::int32_t>(3);
        ar.WriteObject(relationship);
        ar.WriteObject(relationship);
        ar.WriteObject(nullptr);
    });
    Load(bytes, [](CArchive& ar) { ReadMap(ar, 1); });
}

// A map erases what it holds: a second map that names a relationship of the first would
// erase it again.
TEST_F(RelationshipMapRecord, ARelationshipAnotherMapReadIsLeftToThatMap)
{
    Link(&m_instance, &m_other);
    const Bytes bytes = Store([&](CArchive& ar) {
        m_map.Serialize(ar);
        m_map.Serialize(ar);
    });
    Load(bytes, [](CArchive& ar) {
        CRelationshipMap first;
        first.Serialize(ar);
        CRelationshipMap second;
        second.Serialize(ar);
        EXPECT_EQ(second.GetCount(), 0);
        ASSERT_EQ(first.GetCount(), 1);
        delete first.GetRelationship(0)->GetFirst();
        delete first.GetRelationship(0)->GetSecond();
        first.EraseAll(true);
    });
}

TEST_F(RelationshipMapRecord, ANegativeOrImpossibleCountIsRefusedBeforeAnythingIsRead)
{
    for (const std::int32_t count : {-1, 1000, CRelationshipMap::kMaxRelationships + 1}) {
        const Bytes bytes = Store([&](CArchive& ar) {
            ar.WriteObject(nullptr);
            ar << count;
            ar.WriteObject(nullptr);
        });
        EXPECT_THROW(Load(bytes, [](CArchive& ar) { ReadMap(ar, 0); }), CArchiveException) << count;
    }
}

}  // namespace
