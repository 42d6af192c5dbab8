#include "render/clipvolume.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstddef>
#include <iterator>
#include <vector>

#include "glcontextfixture.h"

namespace {

class ClipVolumeTest : public GLContextTest
{
protected:
    // With identity matrices the clip volume is the cube from -1 to 1.
    CClipVolume Loaded()
    {
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        CClipVolume volume;
        EXPECT_TRUE(volume.Load());
        return volume;
    }
};

TEST_F(ClipVolumeTest, ABoxCountsEveryVertexWhateverTheirNumberAndPlace)
{
    const CClipVolume volume = Loaded();
    // The one vertex outside comes at each place of arrays of up to two lanes' steps.
    for (std::size_t count = 1; count <= 13; ++count) {
        for (std::size_t outside = 0; outside < count; ++outside) {
            std::vector<float> positions;
            for (std::size_t v = 0; v < count; ++v) {
                const float x = v == outside ? 3.0f : 0.01f * static_cast<float>(v);
                positions.insert(positions.end(), {x, -0.5f, 0.25f});
            }
            const CClipVolume::Place expected = count == 1 ? CClipVolume::kOutside : CClipVolume::kCrossing;
            EXPECT_EQ(volume.ClassifyBox(positions.data(), count), expected) << count << " " << outside;
        }
    }
}

TEST_F(ClipVolumeTest, SiftKeepsTheSegmentsNotWhollyOutsideInOrderWithTheirAttributes)
{
    const CClipVolume loaded = Loaded();
    struct Case
    {
        const char* name;
        std::size_t count;
        std::size_t outsideEvery;  // 0: none outside; 1: all
    };
    const Case cases[] = {{"all inside, many groups", 100, 0},
                          {"all outside", 100, 1},
                          {"some outside", 100, 7},
                          {"fewer than a group", 5, 2}};
    for (const Case& c : cases) {
        CClipVolume volume = loaded;
        std::vector<float> positions;
        std::vector<int> ids;
        std::vector<int> expected;
        for (std::size_t i = 0; i < c.count; ++i) {
            const bool out = c.outsideEvery != 0 && i % c.outsideEvery == 0;
            const float x = out ? 5.0f : -0.9f + 0.01f * static_cast<float>(i);
            positions.insert(positions.end(), {x, 0.0f, 0.0f, x + 0.005f, 0.1f, 0.0f});
            ids.insert(ids.end(), {static_cast<int>(i), static_cast<int>(i)});
            if (!out) {
                expected.insert(expected.end(), {static_cast<int>(i), static_cast<int>(i)});
            }
        }
        const std::size_t kept =
            volume.Sift(positions.data(), positions.size() / 3, 2, false, {{ids.data(), sizeof(int)}});
        ids.resize(kept);
        EXPECT_EQ(ids, expected) << c.name;
    }
}

TEST_F(ClipVolumeTest, TrianglesCountTheSamePixelsTogetherAsEachAlone)
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glFrustum(-1.0, 1.0, -1.0, 1.0, 1.0, 100.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glViewport(0, 0, 640, 480);
    CClipVolume volume;
    ASSERT_TRUE(volume.Load());
    // Small, thin, large, behind the eye, in the eye's plane and across it, at every place
    // of runs counted four at a time and of the rest.
    const float corners[][9] = {{0, 0, -5, 0.1f, 0, -5, 0, 0.1f, -5},
                                {-3, -1, -4, 3, -0.99f, -4, 3, -0.98f, -4},
                                {-50, -50, -2, 50, -50, -2, 0, 50, -2},
                                {0, 0, 5, 1, 0, 5, 0, 1, 5},
                                {0, 0, 0, 1, 0, -5, 0, 1, -5},
                                {0, 0, -5, 1, 0, 5, 0, 1, -5},
                                {0.2f, 0.3f, -9, 0.5f, 0.1f, -8, 0.4f, 0.6f, -7}};
    std::vector<float> positions;
    double alone = 0.0;
    for (std::size_t t = 0; t < 19; ++t) {
        const float* triangle = corners[(t * 3) % std::size(corners)];
        positions.insert(positions.end(), triangle, triangle + 9);
        alone += volume.CountTrianglePixels(triangle, 3);
        EXPECT_EQ(volume.CountTrianglePixels(positions.data(), positions.size() / 3), alone) << t;
    }
    EXPECT_GT(alone, 0.0);
}

}  // namespace
