#include <gtest/gtest.h>

#include "render/framepainter.h"

TEST(FramePainter, ASlowFrameDropsTheLevelUntilAFeatureThatIsOnNeedsIt)
{
    struct Case
    {
        int level;
        int requested;
        int remembered;
        double seconds;
        bool seeThrough;
        bool shadows;
        bool textures;
        int expected;
    };
    const Case cases[] = {
        {8, 0, 8, 0.5, false, true, true, 4},     // 8, 6, 5 kept for shadows, one more step
        {8, 0, 8, 0.5, true, true, true, 5},      // 6 kept for see-through, one more step
        {8, 0, 8, 0.5, false, false, true, 3},    // 8, 6, 5, 4 kept for textures, one more step
        {8, 0, 8, 0.5, false, false, false, 2},   // down to 3, one more step
        {8, 0, 0, 0.5, false, false, false, 1},   // more than two above the remembered 0
        {3, 0, 3, 0.3, false, false, false, 2},   // 1 would be too low for a frame under 0.33 s
        {3, 0, 3, 0.4, false, false, false, 2},
        {2, 0, 2, 0.4, false, false, false, 1},
        {4, 4, 8, 0.5, false, false, false, 4},   // not above the requested level
    };
    for (const Case& c : cases) {
        EXPECT_EQ(LowerDrawingLevel(c.level, c.requested, c.remembered, c.seconds, c.seeThrough, c.shadows, c.textures),
                  c.expected)
            << c.level << " " << c.remembered << " " << c.seeThrough << c.shadows << c.textures;
    }
}
