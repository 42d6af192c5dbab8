#include "model/entityset.h"

#include <gtest/gtest.h>

#include <memory>

#include "model/entity.h"
#include "model/entitycontainer.h"

namespace {

class EntitySetTest : public ::testing::Test
{
protected:
    // Three entities in address order, whatever order they were made in.
    void SetUp() override
    {
        for (CEntity& entity : m_storage) {
            m_sorted.push_back(&entity);
        }
        std::sort(m_sorted.begin(), m_sorted.end());
    }

    CEntity m_storage[3];
    std::vector<CEntity*> m_sorted;
};

TEST_F(EntitySetTest, KeepsEachEntityOnceInAddressOrder)
{
    CEntitySet set;
    EXPECT_TRUE(set.Add(m_sorted[2]));
    EXPECT_TRUE(set.Add(m_sorted[0]));
    EXPECT_FALSE(set.Add(m_sorted[2]));
    set.AddVector({m_sorted[1], m_sorted[0]});

    std::vector<CEntity*> out{nullptr};
    EXPECT_EQ(set.ToVector(out), 3);
    EXPECT_EQ(out, (std::vector<CEntity*>{nullptr, m_sorted[0], m_sorted[1], m_sorted[2]}));
}

TEST_F(EntitySetTest, AnEmptySetLeavesTheVectorUntouched)
{
    const CEntitySet set;
    std::vector<CEntity*> out;
    EXPECT_EQ(set.ToVector(out), 0);
    EXPECT_EQ(out.capacity(), 0U);
}

TEST_F(EntitySetTest, RemovesSinglyBySetAndByVector)
{
    CEntitySet set;
    set.AddVector(m_sorted);
    EXPECT_TRUE(set.Remove(m_sorted[1]));
    EXPECT_FALSE(set.Remove(m_sorted[1]));

    CEntitySet other;
    other.Add(m_sorted[0]);
    other.Add(m_sorted[1]);
    set.RemoveSet(other);
    EXPECT_EQ(set.GetCount(), 1);
    EXPECT_TRUE(set.Contains(m_sorted[2]));

    set.RemoveVector({m_sorted[2], m_sorted[0]});
    EXPECT_TRUE(set.IsEmpty());

    set.AddAll(other);
    set.RemoveSet(set);
    EXPECT_TRUE(set.IsEmpty());
}

TEST_F(EntitySetTest, AssignmentAndCopiesReplaceTheMembership)
{
    CEntitySet set;
    set.Add(m_sorted[0]);
    CEntitySet other;
    other.Add(m_sorted[1]);
    set = other;
    EXPECT_FALSE(set.Contains(m_sorted[0]));
    EXPECT_TRUE(set.Contains(m_sorted[1]));
    const CEntitySet copy(set);
    EXPECT_EQ(copy.GetCount(), 1);
    set.AddAll(set);
    EXPECT_EQ(set.GetCount(), 1);
}

TEST_F(EntitySetTest, TheIteratorEndsWithNullAndStartsAgainAfterReset)
{
    CEntitySet set;
    set.AddVector(m_sorted);
    std::unique_ptr<IEntityIterator> it(set.NewIterator());
    CEntity* entity = nullptr;
    for (CEntity* expected : m_sorted) {
        ASSERT_TRUE(it->Next(entity));
        EXPECT_EQ(entity, expected);
    }
    EXPECT_FALSE(it->Next(entity));
    EXPECT_EQ(entity, nullptr);
    EXPECT_FALSE(it->Next(entity));
    it->Reset();
    ASSERT_TRUE(it->Next(entity));
    EXPECT_EQ(entity, m_sorted[0]);
}

TEST_F(EntitySetTest, TheIteratorSurvivesRemovalOfTheEntityItLastHandedOut)
{
    CEntitySet set;
    set.AddVector(m_sorted);
    std::unique_ptr<IEntityIterator> it(set.NewIterator());
    CEntity* entity = nullptr;
    ASSERT_TRUE(it->Next(entity));
    set.Remove(entity);
    ASSERT_TRUE(it->Next(entity));
    EXPECT_EQ(entity, m_sorted[1]);
}

}  // namespace
