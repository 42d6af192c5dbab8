#include "model/filterediterator.h"

#include <gtest/gtest.h>

#include <memory>

#include "model/entity.h"
#include "model/entityset.h"
#include "model/notinsetmatch.h"

namespace {

class FilteredIteratorTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (CEntity& entity : m_storage) {
            m_all.Add(&entity);
        }
        m_all.ToVector(m_sorted);
    }

    CEntity m_storage[3];
    CEntitySet m_all;
    std::vector<CEntity*> m_sorted;
};

TEST_F(FilteredIteratorTest, LeavesOutTheEntitiesOfTheExcludedSet)
{
    CEntitySet excluded;
    excluded.Add(m_sorted[1]);
    CNotInSetMatch match(&excluded);
    CFilteredIterator it(m_all.NewIterator(), &match);

    CEntity* entity = nullptr;
    ASSERT_TRUE(it.Next(entity));
    EXPECT_EQ(entity, m_sorted[0]);
    ASSERT_TRUE(it.Next(entity));
    EXPECT_EQ(entity, m_sorted[2]);
    EXPECT_FALSE(it.Next(entity));
    EXPECT_EQ(entity, nullptr);

    it.Reset();
    ASSERT_TRUE(it.Next(entity));
    EXPECT_EQ(entity, m_sorted[0]);
}

TEST_F(FilteredIteratorTest, WithoutAMatchEveryEntityPasses)
{
    CFilteredIterator it(m_all.NewIterator(), nullptr);
    CEntity* entity = nullptr;
    int count = 0;
    while (it.Next(entity)) {
        ++count;
    }
    EXPECT_EQ(count, 3);
}

TEST_F(FilteredIteratorTest, AMatchThatRefusesEverythingEndsTheWalkAtOnce)
{
    CNotInSetMatch match(&m_all);
    CFilteredIterator it(m_all.NewIterator(), &match);
    CEntity* entity = m_sorted[0];
    EXPECT_FALSE(it.Next(entity));
    EXPECT_EQ(entity, nullptr);

    CFilteredIterator empty(nullptr, &match);
    EXPECT_FALSE(empty.Next(entity));
    EXPECT_TRUE(CNotInSetMatch(nullptr).Match(m_sorted[0]));
}

}  // namespace
