#include "tools/bitmapcolor.h"

#include <gtest/gtest.h>

#include <vector>

#include "tools/matrix3.h"

namespace {

TEST(BitmapColor, OnlyTwentyFourAndThirtyTwoBitPixelsAreRecoloured)
{
    for (const int bits : {8, 16, 24, 32})
    {
        std::vector<std::uint8_t> pixels(16, 7);
        const auto before = pixels;
        const bool canShift = ShiftBitmapHsv(pixels.data(), 2, 2, bits, 0, {10.0, 0.0, 0.0}, true);
        const bool canReplace = ReplaceBitmapColor(pixels.data(), 2, 2, bits, 0, CColor(7, 7, 7), CColor(1, 2, 3),
                                                   CColor(4, 5, 6));
        EXPECT_EQ(canShift, bits >= 24) << bits;
        EXPECT_EQ(canReplace, bits >= 24) << bits;
        if (bits < 24)
        {
            EXPECT_EQ(pixels, before) << bits;
        }
    }
}

TEST(BitmapColor, AGreyTargetDrainsTheColourAndHuesWrapRound)
{
    const CHsvDelta drained = ComputeHsvDelta(CColor(255, 0, 0), CColor(128, 128, 128), true);
    EXPECT_EQ(drained.hue, 0.0);
    EXPECT_EQ(drained.saturation, -1.0);
    // Red with a little blue has hue 350; shifted by 20 it is 10.
    std::uint8_t pixel[3] = {43, 0, 255};
    ASSERT_TRUE(ShiftBitmapHsv(pixel, 1, 1, 24, 0, {20.0, 0.0, 0.0}, true));
    const CHsvDelta shifted = ComputeHsvDelta(CColor(255, 0, 0), CColor(pixel[2], pixel[1], pixel[0]), true);
    EXPECT_NEAR(shifted.hue, 10.0, 0.5);
}

TEST(BitmapColor, ReplacingAColourKeepsAlphaAndSkipsTheRowPadding)
{
    // Two 32-bit pixels per row, rows padded to twelve bytes.
    std::vector<std::uint8_t> pixels = {3, 2, 1, 10, 9, 9, 9, 20, 0xEE, 0xEE, 0xEE, 0xEE,
                                        9, 9, 9, 30, 3, 2, 1, 40, 0xEE, 0xEE, 0xEE, 0xEE};
    ASSERT_TRUE(ReplaceBitmapColor(pixels.data(), 2, 2, 32, 12, CColor(1, 2, 3), CColor(100, 0, 0), CColor(0, 0, 50)));
    const std::vector<std::uint8_t> expected = {0, 0, 100, 10, 50, 0, 0, 20, 0xEE, 0xEE, 0xEE, 0xEE,
                                                50, 0, 0, 30, 0, 0, 100, 40, 0xEE, 0xEE, 0xEE, 0xEE};
    EXPECT_EQ(pixels, expected);
}

TEST(Matrix3, TheAdjugateOverTheDeterminantUndoesTheMatrix)
{
    const Matrix3 m = {{{2, 0, 1}, {1, 3, 0}, {0, 1, 4}}};
    Matrix3 adjugate{};
    const double determinant = Matrix3Adjugate(m, adjugate);
    EXPECT_DOUBLE_EQ(determinant, 25.0);
    const Matrix3 product = Matrix3Multiply(adjugate, m);
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column)
            EXPECT_DOUBLE_EQ(product[row][column], row == column ? determinant : 0.0);
    const Vector3 moved = Matrix3TransformVector(m, {1, 2, 3});
    EXPECT_EQ(moved, (Vector3{5, 7, 14}));
    const Vector3 back = Matrix3TransformVector(adjugate, moved);
    EXPECT_EQ(back, (Vector3{25, 50, 75}));
}

}  // namespace
