#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <memory>
#include <vector>

#include "model/backreferencemap.h"
#include "model/entity.h"
#include "model/entitycontainer.h"

namespace {

// A referrer that records what it was told and can react while being told.
class CListeningEntity : public CEntity
{
public:
    void OnReferenceChanged(int code, CEntity* changed, CEntity* argument) override
    {
        codes.push_back(code);
        lastChanged = changed;
        lastArgument = argument;
        if (reaction) {
            reaction();
        }
    }

    std::vector<int> codes;
    CEntity* lastChanged = nullptr;
    CEntity* lastArgument = nullptr;
    std::function<void()> reaction;
};

std::vector<CEntity*> Referrers(const CBackReferenceMap& map, const CEntity* entity)
{
    std::vector<CEntity*> out;
    std::unique_ptr<IEntityIterator> iterator(map.NewIterator(entity));
    CEntity* referrer = nullptr;
    while (iterator != nullptr && iterator->Next(referrer)) {
        out.push_back(referrer);
    }
    return out;
}

// A map and one entity with up to three referrers; each test adds the referrers it needs.
class BackReferenceMap : public testing::Test
{
protected:
    // Adds the referrers to the entity in the order given.
    void Refer(std::initializer_list<CListeningEntity*> referrers)
    {
        for (CListeningEntity* referrer : referrers) {
            map.Add(&entity, referrer);
        }
    }

    CBackReferenceMap map;
    CEntity entity;
    CListeningEntity first;
    CListeningEntity second;
    CListeningEntity third;
};

} // namespace

TEST_F(BackReferenceMap, ReferrersAreKeptInOrderAndTwiceWhenAddedTwice)
{
    Refer({&first, &second, &first});
    map.Add(nullptr, &first);
    map.Add(&entity, nullptr);
    EXPECT_EQ(Referrers(map, &entity), (std::vector<CEntity*>{&first, &second, &first}));
    EXPECT_EQ(map.GetEntryCount(), 1);
    EXPECT_EQ(map.NewIterator(&first), nullptr);
}

TEST_F(BackReferenceMap, RemovingTheLastReferrerRemovesTheEntry)
{
    Refer({&first, &first});
    map.Remove(&entity, &first);
    EXPECT_TRUE(map.Contains(&entity));
    map.Remove(&entity, &first);
    EXPECT_FALSE(map.Contains(&entity));
    EXPECT_FALSE(map.Contains(nullptr));
    map.Remove(&entity, &first);
}

TEST_F(BackReferenceMap, EveryReferrerIsToldTheCodeTheEntityAndTheArgument)
{
    CEntity target;
    Refer({&first, &second});
    map.Notify(&entity, kReferenceMerged, &target);
    map.Notify(nullptr, kReferenceMerged, &target);
    map.Notify(&target, kReferenceMerged, &entity);
    EXPECT_EQ(first.codes, std::vector<int>{kReferenceMerged});
    EXPECT_EQ(second.codes, std::vector<int>{kReferenceMerged});
    EXPECT_EQ(second.lastChanged, &entity);
    EXPECT_EQ(second.lastArgument, &target);
}

TEST_F(BackReferenceMap, AReferrerThatRemovesItselfLeavesASlotCompactedAfterwards)
{
    Refer({&first, &second, &third});
    first.reaction = [&] {
        map.Remove(&entity, &first);
        EXPECT_EQ(Referrers(map, &entity), (std::vector<CEntity*>{&second, &third}));
    };
    map.Notify(&entity, kReferenceErased, nullptr);
    EXPECT_EQ(second.codes.size(), 1u);
    EXPECT_EQ(third.codes.size(), 1u);
    const std::vector<CEntity*>* slots = map.FindReferrers(&entity);
    ASSERT_NE(slots, nullptr);
    EXPECT_EQ(*slots, (std::vector<CEntity*>{&second, &third}));
}

TEST_F(BackReferenceMap, AdditionsAndNestedNotificationsDuringANotificationAreIgnored)
{
    CListeningEntity latecomer;
    Refer({&first});
    first.reaction = [&] {
        map.Add(&entity, &latecomer);
        map.Notify(&entity, kReferenceCurveChanged, nullptr);
    };
    map.Notify(&entity, kReferenceMerged, nullptr);
    EXPECT_EQ(first.codes, std::vector<int>{kReferenceMerged});
    EXPECT_TRUE(latecomer.codes.empty());
    EXPECT_EQ(Referrers(map, &entity), std::vector<CEntity*>{&first});
}

TEST_F(BackReferenceMap, AMapEmptiedDuringANotificationEndsItCleanly)
{
    Refer({&first, &second});
    first.reaction = [&] { map.RemoveAll(); };
    map.Notify(&entity, kReferenceErased, nullptr);
    EXPECT_TRUE(second.codes.empty());
    EXPECT_FALSE(map.Contains(&entity));
}

TEST_F(BackReferenceMap, AnIteratorOutlivingItsEntryEndsCleanly)
{
    Refer({&first});
    std::unique_ptr<IEntityIterator> iterator(map.NewIterator(&entity));
    map.Remove(&entity, &first);
    CEntity* next = &entity;
    EXPECT_FALSE(iterator->Next(next));
    EXPECT_EQ(next, nullptr);
    iterator->Reset();
    EXPECT_FALSE(iterator->Next(next));
}

TEST_F(BackReferenceMap, AnEntryMadeAnewDuringANotificationIsNeitherToldNorReadPastItsEnd)
{
    CListeningEntity newcomer;
    CListeningEntity otherNewcomer;
    Refer({&first, &second, &third});
    first.reaction = [&] {
        map.RemoveAll();
        map.Add(&entity, &newcomer);
        map.Add(&entity, &otherNewcomer);
    };
    map.Notify(&entity, kReferenceErased, nullptr);
    EXPECT_TRUE(second.codes.empty());
    EXPECT_TRUE(third.codes.empty());
    EXPECT_TRUE(newcomer.codes.empty());
    EXPECT_TRUE(otherNewcomer.codes.empty());
    EXPECT_EQ(Referrers(map, &entity), (std::vector<CEntity*>{&newcomer, &otherNewcomer}));
}
