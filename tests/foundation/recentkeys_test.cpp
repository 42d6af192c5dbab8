#include "foundation/recentkeys.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <limits>

namespace {

TEST(RecentKeys, AKeyRepeatsUntilAnotherOfItsSlotPushesItOutOrTheTableIsCleared)
{
    // One slot: every key falls in it, whatever its hash.
    CRecentKeys<std::array<std::uint64_t, 2>, 1> keys;
    EXPECT_FALSE(keys.Repeats({1, 2}));
    EXPECT_TRUE(keys.Repeats({1, 2}));
    EXPECT_FALSE(keys.Repeats({2, 1}));
    EXPECT_FALSE(keys.Repeats({1, 2}));
    keys.Clear();
    EXPECT_FALSE(keys.Repeats({1, 2}));
}

TEST(RecentKeys, FloatsAreComparedAsBits)
{
    CRecentKeys<std::array<float, 2>, 4096> keys;
    const float nan = std::numeric_limits<float>::quiet_NaN();
    EXPECT_FALSE(keys.Repeats({nan, 1.0f}));
    EXPECT_TRUE(keys.Repeats({nan, 1.0f}));
    EXPECT_FALSE(keys.Repeats({0.0f, 1.0f}));
    EXPECT_FALSE(keys.Repeats({-0.0f, 1.0f}));
    EXPECT_TRUE(keys.Repeats({0.0f, 1.0f}));
}

}  // namespace

namespace {

TEST(RecentKeys, KeysAlikeInTheHashedWordsShareASlotAndAreStillToldApart)
{
    // Only the first word chooses the slot: the second key pushes the first out.
    CRecentKeys<std::array<std::uint64_t, 2>, 1024, 1> keys;
    EXPECT_FALSE(keys.Repeats({7, 1}));
    EXPECT_FALSE(keys.Repeats({7, 2}));
    EXPECT_TRUE(keys.Repeats({7, 2}));
    EXPECT_FALSE(keys.Repeats({7, 1}));
}

}  // namespace
