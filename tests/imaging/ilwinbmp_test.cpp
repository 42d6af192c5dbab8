#include "imaging/ilwinbmp.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "imaging/ilanybmp.h"
#include "imaging/iltextexception.h"
#include "imagingtestutil.h"

namespace {

std::uint32_t HeaderField(const ILWinBmp& bmp, int offset)
{
    std::uint32_t value = 0;
    std::memcpy(&value, bmp.GetBMI() + offset, 4);
    return value;
}

// A 2 × 1 8-bit DIB that stores only `colours` palette entries.
std::vector<std::uint8_t> ShortTableDib(std::uint32_t colours)
{
    std::vector<std::uint8_t> dib(40 + 4 * colours + 4, 0);
    const std::uint32_t fields[] = {40, 2, 1};
    std::memcpy(dib.data(), fields, sizeof fields);
    dib[12] = 1;
    dib[14] = 8;
    std::memcpy(dib.data() + 32, &colours, 4);
    for (std::uint32_t i = 0; i < colours; ++i) {
        dib[40 + 4 * i + 2] = static_cast<std::uint8_t>(100 + i);  // red
    }
    dib[40 + 4 * colours] = 1;
    dib[40 + 4 * colours + 1] = 0;
    return dib;
}

}  // namespace

TEST(ILWinBmpTest, RowsArePaddedToFourBytesAndStoredBottomUp)
{
    EXPECT_EQ(ILWinBmp::BytesPerLineFor(5, 24), 16);
    EXPECT_EQ(ILWinBmp::BytesPerLineFor(5, 8), 8);
    EXPECT_EQ(ILWinBmp::BytesPerLineFor(33, 1), 8);

    ILWinBmp bmp;
    EXPECT_EQ(bmp.GetMemUsed(), 1320u + 56u);
    EXPECT_EQ(HeaderField(bmp, 0), 40u);
    EXPECT_EQ(HeaderField(bmp, 4), 16u);
    EXPECT_EQ(HeaderField(bmp, 8), 16u);
    EXPECT_EQ(bmp.GetBMI()[14], 8);
    EXPECT_EQ(reinterpret_cast<const std::uint8_t*>(bmp.GetPalette()), bmp.GetBMI() + 40);
    EXPECT_EQ(bmp.GetBits(), bmp.GetBMI() + 40 + 1024);
    EXPECT_EQ(bmp.GetLineArray()[15], bmp.GetBits()) << "the bottom row comes first in memory";
    EXPECT_EQ(bmp.GetLineArray()[0], bmp.GetBits() + 15 * 16);

    bmp.CreateFromData(5, 2, 32, true, false, nullptr, 0, ILPoint());
    EXPECT_EQ(bmp.GetPalette(), nullptr);
    EXPECT_EQ(bmp.GetBits(), bmp.GetBMI() + 40);
    EXPECT_EQ(bmp.GetMemUsed(), 40u + 40u + 56u);
}

TEST(ILWinBmpTest, CopiesToAndFromPackedBitmapsKeepThePixels)
{
    ILAnyBmp packed;
    packed.CreateFromData(5, 3, 24, false, false, nullptr, 0, ILPoint(7, 7));
    for (int y = 0; y < 3; ++y) {
        for (int i = 0; i < 15; ++i) {
            packed.GetLineArray()[y][i] = static_cast<std::uint8_t>(y * 15 + i);
        }
    }
    const ILWinBmp win(packed);
    EXPECT_EQ(win.GetBytesPerLine(), 16);
    EXPECT_EQ(win.GetLineArray()[2][14], 44);
    EXPECT_TRUE(win == packed);
    const ILAnyBmp back(win);
    EXPECT_TRUE(back == packed);
}

TEST(ILWinBmpTest, BitmapResourcesLoadFromTheirDib)
{
    RegisterResources_test_imaging();
    ILWinBmp bmp;
    bmp.CreateFromResource(131);
    ASSERT_EQ(bmp.GetWidth(), 3);
    ASSERT_EQ(bmp.GetHeight(), 2);
    EXPECT_EQ(bmp.GetBitsPerPixel(), 24);
    EXPECT_FALSE(bmp.HasAlpha());
    EXPECT_EQ(bmp.GetLineArray()[0][2], 255) << "the top row is red";
    EXPECT_EQ(bmp.GetBits()[0], 255) << "the first row in memory is the blue bottom row";
    EXPECT_EQ(bmp.CopyToGlobalMemory().size(), 40u + 24u);
    EXPECT_THROW(bmp.CreateFromResource(7777), ILTextException);
}

TEST(ILWinBmpTest, DibsWithAShortColourTableGetTheFullOne)
{
    const std::vector<std::uint8_t> dib = ShortTableDib(2);
    ILWinBmp bmp;
    bmp.CreateFromDIB(dib.data(), dib.size());
    EXPECT_EQ(bmp.GetPalette()[1], ILPixel32(101, 0, 0, 0));
    EXPECT_EQ(bmp.GetPalette()[2], ILPixel32(0, 0, 0, 0));
    EXPECT_EQ(bmp.GetLineArray()[0][0], 1);
    EXPECT_EQ(HeaderField(bmp, 32), 0u);

    const ILPixel32 colours[] = {ILPixel32(1, 2, 3, 255)};
    bmp.CreateFromDIBWithPalette(dib.data(), dib.size(), colours, 1);
    EXPECT_EQ(bmp.GetPalette()[0], ILPixel32(1, 2, 3, 0));
}

TEST(ILWinBmpTest, MalformedDibsAreRefused)
{
    std::vector<std::uint8_t> dib = ShortTableDib(2);
    ILWinBmp bmp;
    EXPECT_THROW(bmp.CreateFromDIB(dib.data(), dib.size() - 1), ILTextException);
    EXPECT_THROW(bmp.CreateFromDIB(dib.data(), 39), ILTextException);
    dib[14] = 4;
    EXPECT_THROW(bmp.CreateFromDIB(dib.data(), dib.size()), ILTextException);
    dib = ShortTableDib(2);
    dib[8] = 0xFF;  // a height of 255 rows that are not there
    try {
        bmp.CreateFromDIB(dib.data(), dib.size());
        FAIL();
    } catch (const ILTextException& e) {
        EXPECT_EQ(e.GetCode(), ILTextException::badFormat);
    }
    EXPECT_EQ(bmp.GetWidth(), 16) << "a refused DIB leaves the bitmap as it was";
}

TEST(ILWinBmpTest, AlphaBlendingMixesColoursAndKeepsTheTargetsAlpha)
{
    ILWinBmp target;
    target.CreateFromData(3, 2, 32, false, false, nullptr, 0, ILPoint());
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 3; ++x) {
            SetPixel(target, x, y, ILPixel32(0, 0, 200, 77));
        }
    }
    ILWinBmp source;
    source.CreateFromData(2, 1, 32, true, false, nullptr, 0, ILPoint());
    SetPixel(source, 0, 0, ILPixel32(255, 0, 0, 128));
    SetPixel(source, 1, 0, ILPixel32(255, 0, 0, 255));
    target.AlphaBlt(source, 2, 0);  // memory row 0 is the bottom row; column 3 is clipped
    EXPECT_EQ(PixelAt(target, 2, 1), ILPixel32((255 * 128) >> 8, 0, (200 * 127) >> 8, 77));
    EXPECT_EQ(PixelAt(target, 2, 0), ILPixel32(0, 0, 200, 77));

    ILWinBmp opaque;
    opaque.CreateFromData(1, 1, 8, false, false, nullptr, 0, ILPoint());
    opaque.GetLineArray()[0][0] = 9;
    target.AlphaBlt(opaque, 0, 1);
    EXPECT_EQ(PixelAt(target, 0, 0), ILPixel32(9, 9, 9, 255));
    EXPECT_THROW(opaque.AlphaBlt(target, 0, 0), ILTextException);
}
