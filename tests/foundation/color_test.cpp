#include "foundation/color.h"

#include <gtest/gtest.h>

#include <limits>
#include <set>

#include "tests/foundation/valuebytes.h"

using valuetests::Bytes;

TEST(ColorTest, DoublesBecomeBytesByTruncationAndClamping)
{
    const CColor color(0.5, 1.0, -0.2, 0.999);
    EXPECT_EQ(color, CColor(127, 255, 0, 254));
    EXPECT_EQ(DoubleToColorByte(std::numeric_limits<double>::quiet_NaN()), 0);
}

TEST(ColorTest, ComponentsStepByTheFloatOfOneOver255AndRoundTrip)
{
    EXPECT_DOUBLE_EQ(CColor(255, 0, 0, 255).GetRed(), 255 * 0.003921568859368563);
    for (int byte = 0; byte < 256; ++byte) {
        EXPECT_EQ(DoubleToColorByte(CColor(byte, 0, 0, 0).GetRed()), byte);
    }
}

TEST(ColorTest, WordHoldsRedInTheLowByteAndAlphaInTheHigh)
{
    const CColor color(0x11, 0x22, 0x33, 0x44);
    EXPECT_EQ(color.GetValue(), 0x44332211u);
    EXPECT_EQ(color.GetRGB(), 0x332211u);
    CColor fromReference;
    fromReference.SetFromCOLORREF(0x00332211u);
    EXPECT_EQ(fromReference.GetValue(), 0xFF332211u);
}

TEST(ColorTest, GetFloat4WithoutAnArrayOverwritesOneSharedArray)
{
    const float* shared = CColor(255, 0, 51, 0).GetFloat4();
    EXPECT_FLOAT_EQ(shared[2], 0.2f);
    EXPECT_EQ(CColor(0, 0, 0, 255).GetFloat4(), shared);
    EXPECT_FLOAT_EQ(shared[3], 1.0f);
}

TEST(ColorTest, ScaleBlendAndInterpolateWorkOnComponents)
{
    CColor scaled(200, 100, 0, 7);
    scaled.Scale(0.5);
    EXPECT_EQ(scaled, CColor(100, 50, 0, 7));

    CColor blended(255, 0, 0, 255);
    blended.Blend(CColor(0, 0, 255, 255), 0.5);
    EXPECT_EQ(blended, CColor(127, 0, 127, 255));

    CColor result;
    CColor::Interpolate(CColor(0, 0, 0, 0), CColor(255, 255, 255, 255), 1.0, result);
    EXPECT_EQ(result.GetValue(), 0u);
}

TEST(ColorTest, HslOfZeroWordFailsButOpaqueBlackIsGray)
{
    double h = 7.0;
    double l = 7.0;
    double s = 7.0;
    EXPECT_FALSE(CColor(0, 0, 0, 0).GetHSL(h, l, s));
    EXPECT_EQ(h, 7.0);
    ASSERT_TRUE(CColor(0, 0, 0, 255).GetHSL(h, l, s));
    EXPECT_EQ(h, -1.0);
    EXPECT_EQ(l, 0.0);
    EXPECT_EQ(s, 0.0);
}

TEST(ColorTest, PrimaryColoursHaveTheirHues)
{
    double h = 0.0;
    double l = 0.0;
    double s = 0.0;
    RGBToHSL(255, 0, 0, h, l, s);
    EXPECT_DOUBLE_EQ(h, 0.0);
    EXPECT_DOUBLE_EQ(s, 1.0);
    EXPECT_NEAR(l, 0.5, 1e-6);
    RGBToHSL(0, 0, 255, h, l, s);
    EXPECT_DOUBLE_EQ(h, 240.0);
    RGBToHSL(255, 0, 255, h, l, s);
    EXPECT_DOUBLE_EQ(h, 300.0);
}

TEST(ColorTest, HslConvertsBackToTheSameBytesAndIgnoresHueWithoutSaturation)
{
    for (const CColor& color : {CColor(255, 0, 0, 255), CColor(0, 102, 153, 255), CColor(204, 135, 204, 255)}) {
        double h = 0.0;
        double l = 0.0;
        double s = 0.0;
        RGBToHSL(color.GetRedByte(), color.GetGreenByte(), color.GetBlueByte(), h, l, s);
        BYTE r = 0;
        BYTE g = 0;
        BYTE b = 0;
        HSLToRGB(h, l, s, r, g, b);
        EXPECT_NEAR(r, color.GetRedByte(), 1);
        EXPECT_NEAR(g, color.GetGreenByte(), 1);
        EXPECT_NEAR(b, color.GetBlueByte(), 1);
    }
    BYTE r = 0;
    BYTE g = 0;
    BYTE b = 0;
    HSLToRGB(123.0, 0.5, 0.0, r, g, b);
    EXPECT_EQ(CColor(r, g, b, 255), CColor(127, 127, 127, 255));
    EXPECT_DOUBLE_EQ(HueToComponent(0.0, 1.0, 390.0), 0.5);
}

TEST(ColorTest, ArchiveFormIsFourBytesRedFirstWithAlphaKept)
{
    const Bytes bytes = valuetests::StoreBytes([](CArchive& ar) { ar << CColor(1, 2, 3, 0); });
    EXPECT_EQ(bytes, (Bytes{1, 2, 3, 0}));
    CColor read;
    valuetests::LoadBytes(bytes, [&](CArchive& ar) { ar >> read; });
    EXPECT_EQ(read, CColor(1, 2, 3, 0));
}

TEST(ColorTest, LayerTableHasFiftyEightOpaqueColoursWithTwoRepeats)
{
    EXPECT_EQ(GetLayerColor(0), CColor(255, 84, 84, 255));
    EXPECT_EQ(GetLayerColor(57), CColor(255, 0, 119, 255));
    std::set<std::uint32_t> distinct;
    for (int i = 0; i < kLayerColorCount; ++i) {
        EXPECT_EQ(GetLayerColor(i).GetAlphaByte(), 255);
        distinct.insert(GetLayerColor(i).GetValue());
    }
    EXPECT_EQ(distinct.size(), 56u);
    EXPECT_EQ(GetLayerColor(13), GetLayerColor(30));
    EXPECT_EQ(GetLayerColor(43), GetLayerColor(47));
}

TEST(ColorTest, TheFiftyNinthLayerGetsTheFirstColourAgain)
{
    CLayerColorCycle cycle;
    const CColor first = cycle.Next();
    for (int i = 1; i < kLayerColorCount; ++i) {
        (void)cycle.Next();
    }
    EXPECT_EQ(cycle.Next(), first);
}
