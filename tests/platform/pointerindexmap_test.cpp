#include "platform/pointerindexmap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

TEST(PointerIndexMapTest, NumbersSurviveGrowthAndTheLatestNumberWins)
{
    // Enough keys to grow the table many times over, laid out as objects are.
    std::vector<double> objects(5000);
    CPointerIndexMap map;
    map.Set(&objects[0], 1);
    map.Reserve(3000);  // a rebuild part-way keeps what is there
    for (std::size_t i = 0; i < objects.size(); ++i) {
        map.Set(&objects[i], static_cast<UINT>(i + 1));
    }
    map.Set(&objects[7], 9999);
    EXPECT_EQ(map.GetCount(), objects.size());
    for (std::size_t i = 0; i < objects.size(); ++i) {
        EXPECT_EQ(map.Find(&objects[i]), i == 7 ? 9999u : static_cast<UINT>(i + 1)) << i;
    }
    const double stranger = 0;
    EXPECT_EQ(map.Find(&stranger), 0u);
    EXPECT_EQ(map.Find(nullptr), 0u);
}

TEST(PointerIndexMapTest, EntriesListEachPointerOnceWithItsNumber)
{
    int a = 0;
    int b = 0;
    CPointerIndexMap map;
    EXPECT_TRUE(map.GetEntries().empty());
    map.Set(&a, 1);
    map.Set(&b, 2);
    map.Set(&a, 3);
    map.Set(nullptr, 4);
    auto entries = map.GetEntries();
    std::sort(entries.begin(), entries.end(), [](const auto& x, const auto& y) { return x.second < y.second; });
    const std::vector<std::pair<const void*, UINT>> expected{{&b, 2}, {&a, 3}};
    EXPECT_EQ(entries, expected);
}

}  // namespace
