#include "model/entityset.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "model/entity.h"
#include "model/entitycontainer.h"
#include "model/filterediterator.h"
#include "model/notinsetmatch.h"

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

    // Everything the iterator hands out until it ends.
    static std::vector<CEntity*> Walk(IEntityIterator& it)
    {
        std::vector<CEntity*> out;
        CEntity* entity = nullptr;
        while (it.Next(entity)) {
            out.push_back(entity);
        }
        EXPECT_EQ(entity, nullptr);
        return out;
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

    std::vector<CEntity*> untouched;
    EXPECT_EQ(CEntitySet().ToVector(untouched), 0);
    EXPECT_EQ(untouched.capacity(), 0U);
}

TEST_F(EntitySetTest, RemovingItsOwnMembersEmptiesTheSet)
{
    CEntitySet set;
    set.AddVector(m_sorted);
    EXPECT_TRUE(set.Remove(m_sorted[1]));
    EXPECT_FALSE(set.Remove(m_sorted[1]));
    set.RemoveSet(set);
    EXPECT_TRUE(set.IsEmpty());
}

TEST_F(EntitySetTest, TheIteratorEndsWithNullStartsAgainAfterResetAndSurvivesRemovals)
{
    CEntitySet set;
    set.AddVector(m_sorted);
    std::unique_ptr<IEntityIterator> it(set.NewIterator());
    EXPECT_EQ(Walk(*it), m_sorted);
    EXPECT_TRUE(Walk(*it).empty());

    it->Reset();
    CEntity* entity = nullptr;
    ASSERT_TRUE(it->Next(entity));
    set.Remove(entity);  // the entity it handed out last leaves the set
    EXPECT_EQ(Walk(*it), (std::vector<CEntity*>{m_sorted[1], m_sorted[2]}));
}

TEST_F(EntitySetTest, AFilteredWalkLeavesOutTheEntitiesOfTheExcludedSet)
{
    CEntitySet all;
    all.AddVector(m_sorted);
    CEntitySet excluded;
    excluded.Add(m_sorted[1]);
    CNotInSetMatch match(&excluded);
    CFilteredIterator it(all.NewIterator(), &match);
    EXPECT_EQ(Walk(it), (std::vector<CEntity*>{m_sorted[0], m_sorted[2]}));
    it.Reset();
    EXPECT_EQ(Walk(it).size(), 2U);

    CFilteredIterator unfiltered(all.NewIterator(), nullptr);
    EXPECT_EQ(Walk(unfiltered), m_sorted);
}

}  // namespace
