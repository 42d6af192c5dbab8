#include <gtest/gtest.h>

#include "model/edge.h"

TEST(EdgeDisplay, DepthCueNarrowsLinesWithTheirDepthForEachWidthSetting)
{
    struct Case
    {
        int setting;
        double depth;
        int width;
    };
    const Case cases[] = {
        {12, 0.0, 10}, {10, 0.049, 10}, {10, 0.05, 9}, {10, 0.55, 2}, {10, 0.6, 1},
        {9, 0.0, 9},   {9, 0.45, 2},    {9, 0.5, 1},   {8, 0.15, 7},  {7, 0.2, 5},
        {6, 0.35, 3},  {5, 0.1, 5},     {5, 0.3, 3},   {4, 0.2, 3},   {4, 0.49, 2},
        {3, 0.2, 3},   {2, 0.3, 2},     {2, 0.5, 1},   {1, 0.0, 1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(GetDepthCueWidth(c.setting, c.depth), c.width) << c.setting << " at " << c.depth;
    }
}
