#include "render/offscreenrender.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace {

constexpr std::uint64_t kMiB = 1u << 20;
constexpr std::uint64_t kUnlimited = std::numeric_limits<std::uint64_t>::max();

}  // namespace

TEST(OffscreenRender, TheBudgetIsAQuarterOfTheMemoryWithin8And32MiBAndOfTheAddressSpaceLeft)
{
    const struct
    {
        std::uint64_t physical, available, budget;
    } cases[] = {
        {16 * kMiB, kUnlimited, 8 * kMiB},
        {64 * kMiB, kUnlimited, 16 * kMiB},
        {16384 * kMiB, kUnlimited, 32 * kMiB},
        {16384 * kMiB, 40 * kMiB, 10 * kMiB},
        {0, 0, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(COffscreenRender::GetMemoryBudget(c.physical, c.available), c.budget) << c.physical;
}

TEST(OffscreenRender, AnA0SheetAt600DpiIsDrawnInBandsThatFitTheBudgetAndCoverIt)
{
    // 841 x 1189 mm.
    const int width = 19866;
    const int height = 28087;
    for (const std::size_t budget : {COffscreenRender::kMinBudget, COffscreenRender::kMaxBudget})
    {
        const auto bands = COffscreenRender::PlanBands(width, height, budget, 16384);
        ASSERT_FALSE(bands.empty());
        long long covered = 0;
        int rowTop = 0;
        int nextLeft = 0;
        for (const auto& band : bands)
        {
            EXPECT_LE(static_cast<std::size_t>(band.width) * band.height * COffscreenRender::kBytesPerPixel, budget);
            EXPECT_LE(band.width, 16384);
            EXPECT_LE(band.height, 16384);
            // Row by row, left to right, without gaps.
            if (band.left == 0)
                rowTop = band.top;
            EXPECT_EQ(band.top, rowTop);
            EXPECT_EQ(band.left, nextLeft % width);
            nextLeft = band.left + band.width;
            covered += static_cast<long long>(band.width) * band.height;
        }
        EXPECT_EQ(covered, static_cast<long long>(width) * height);
        EXPECT_EQ(bands.back().left + bands.back().width, width);
        EXPECT_EQ(bands.back().top + bands.back().height, height);
    }
    // A budget that holds not one pixel plans nothing.
    EXPECT_TRUE(COffscreenRender::PlanBands(width, height, 7, 16384).empty());
    EXPECT_TRUE(COffscreenRender::PlanBands(0, height, COffscreenRender::kMaxBudget, 16384).empty());
}

TEST(OffscreenRender, APictureShrunkForTheBudgetKeepsItsShapeAndFits)
{
    const struct
    {
        int width, height;
        std::size_t budget;
        int fittedWidth, fittedHeight;
    } cases[] = {
        {1000, 500, COffscreenRender::kMinBudget, 1000, 500},  // fits as it is
        {4000, 2000, COffscreenRender::kMinBudget, 1448, 724},
        {9921, 14031, COffscreenRender::kMaxBudget, 1720, 2432},
        {10, 10, 7, 0, 0},  // nothing fits
    };
    for (const auto& c : cases)
    {
        int width = c.width;
        int height = c.height;
        EXPECT_EQ(COffscreenRender::FitToBudget(width, height, c.budget), c.fittedWidth > 0) << c.width;
        EXPECT_EQ(width, c.fittedWidth) << c.width;
        EXPECT_EQ(height, c.fittedHeight) << c.width;
        EXPECT_LE(static_cast<double>(width) * height * COffscreenRender::kBytesPerPixel, c.budget);
    }
}
