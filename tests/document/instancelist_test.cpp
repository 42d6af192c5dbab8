#include "document/instancelist.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace {

// Stand-ins the list never follows.
CComponentInstance* Fake(int index)
{
    return reinterpret_cast<CComponentInstance*>(static_cast<std::uintptr_t>(16 * (index + 1)));
}

TEST(InstanceList, TakingOutFirstMiddleAndMissingEntriesKeepsTheRestInOrderThroughEveryCompaction)
{
    CInstanceList list;
    std::vector<CComponentInstance*> expected;
    const auto same = [&] {
        return list.size() == expected.size() && std::ranges::equal(list, expected) &&
               std::ranges::equal(list.GetSpan(), expected);
    };
    for (int i = 0; i < 1000; ++i) {
        list.push_back(Fake(i % 700));
        expected.push_back(Fake(i % 700));
    }
    // Mostly the first, as a model lets go of its placements; now and then one further
    // in, one listed twice, a new one at the end and one never listed.
    for (int step = 0; !expected.empty(); ++step) {
        CComponentInstance* taken = expected.front();
        if (step % 7 == 3) {
            taken = expected[expected.size() / 2];
        }
        expected.erase(std::find(expected.begin(), expected.end(), taken));
        ASSERT_TRUE(list.EraseFirst(taken));
        if (step % 11 == 5) {
            list.push_back(Fake(2000 + step));
            expected.push_back(Fake(2000 + step));
        }
        EXPECT_FALSE(list.EraseFirst(Fake(5000)));
        ASSERT_TRUE(same()) << "step " << step;
    }
    EXPECT_TRUE(list.empty());
    list.push_back(Fake(1));
    CInstanceList other;
    other.swap(list);
    EXPECT_TRUE(list.empty());
    ASSERT_EQ(other.size(), 1u);
    EXPECT_EQ(other[0], Fake(1));
}

}  // namespace
