#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "codectestutil.h"
#include "imaging/ilbmpdecoder.h"
#include "imaging/ilbmpencoder.h"

using namespace codectest;

namespace {

ILAnyBmp Pattern(int depth, int width, int height, ILPoint resolution = ILPoint(0, 0))
{
    ILAnyBmp bmp;
    bmp.CreateFromData(width, height, depth, depth == 32, false, nullptr, 0, resolution);
    const int bytes = bmp.GetBytesPerLine();
    for (int y = 0; y < height; ++y) {
        for (int i = 0; i < bytes; ++i) {
            bmp.GetLineArray()[y][i] = static_cast<uint8_t>(i * 7 + y * 31);
        }
    }
    if (depth == 8) {
        for (int i = 0; i < 256; ++i) {
            bmp.SetPaletteEntry(i, static_cast<uint8_t>(255 - i), static_cast<uint8_t>(i), static_cast<uint8_t>(i / 2),
                                static_cast<uint8_t>(i));
        }
    }
    return bmp;
}

std::string Encode(const ILBmp& bmp)
{
    ILBmpEncoder encoder;
    return EncodeToString(encoder, bmp);
}

uint16_t Le16(const std::string& s, size_t at)
{
    return static_cast<uint16_t>(static_cast<uint8_t>(s[at]) | (static_cast<uint8_t>(s[at + 1]) << 8));
}

class ILBmpEncoderToolTest : public ToolTest
{
};

}  // namespace

TEST_F(ILBmpEncoderToolTest, TheToolsReadOurFilesOfEveryDepthPixelForPixel)
{
    SKIP_WITHOUT_TOOLS("convert");
    for (int depth : {32, 24, 16, 8, 1}) {
        SCOPED_TRACE(depth);
        const ILAnyBmp bmp = Pattern(depth, 13, 7);
        const std::string path = WriteFile("ours.bmp", Encode(bmp));
        ILAnyBmp wide;
        wide.CreateCopy(bmp, 32);
        EXPECT_EQ(ToolRgba(path), Opaque(BitmapRgba(wide)));
    }
}

TEST(ILBmpEncoderTest, HeadersGiveOffsetsSizesAndDepthAsTheLayoutSays)
{
    const struct
    {
        int depth;
        int width;
        int height;
        uint32_t offset;
        uint32_t rowSize;
        int fileDepth;
    } cases[] = {{32, 3, 2, 54, 12, 24}, {32, 4, 2, 54, 12, 24}, {1, 10, 3, 62, 4, 1}, {8, 5, 4, 1078, 8, 8},
                 {24, 5, 1, 54, 16, 24}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.depth * 100 + c.width);
        const std::string file = Encode(Pattern(c.depth, c.width, c.height));
        EXPECT_EQ(file.substr(0, 2), "BM");
        EXPECT_EQ(Le32(file, 10), c.offset);
        EXPECT_EQ(Le32(file, 2), c.offset + c.height * c.rowSize);
        EXPECT_EQ(file.size(), c.offset + c.height * c.rowSize);
        EXPECT_EQ(Le32(file, 14), 40u);
        EXPECT_EQ(Le16(file, 28), c.fileDepth);
        EXPECT_EQ(Le32(file, 30), 0u);
    }
}

TEST(ILBmpEncoderTest, RowsArePaddedWithTheSpacePatternAndAlphaIsNotWritten)
{
    const std::string file = Encode(Pattern(32, 3, 1));
    ASSERT_EQ(file.size(), 54u + 12u);
    EXPECT_EQ(file.substr(54 + 9, 3), std::string("\x20\x00\x00", 3));
    const ILAnyBmp bmp = Pattern(32, 3, 1);
    const auto* p = reinterpret_cast<const ILPixel32*>(bmp.GetLineArray()[0]);
    EXPECT_EQ(static_cast<uint8_t>(file[54 + 3]), p[1].b);
    EXPECT_EQ(static_cast<uint8_t>(file[54 + 5]), p[1].r);
}

TEST(ILBmpEncoderTest, ResolutionRoundsToPixelsPerMetre)
{
    const std::string file = Encode(Pattern(24, 2, 2, ILPoint(72, 300)));
    EXPECT_EQ(Le32(file, 38), 2835u);
    EXPECT_EQ(Le32(file, 42), 11811u);
}

TEST(ILBmpEncoderTest, PaletteEntriesKeepTheirAlphaByteAndOurFilesDecodeBack)
{
    const ILAnyBmp bmp = Pattern(8, 9, 5);
    const std::string file = Encode(bmp);
    EXPECT_EQ(static_cast<uint8_t>(file[54 + 4 * 77 + 3]), 77);  // alpha of entry 77
    for (int depth : {8, 1, 32}) {
        const ILAnyBmp source = Pattern(depth, 9, 5);
        ILBmpDecoder decoder;
        ILAnyBmp back;
        DecodeBytes(decoder, Encode(source), back, 32);
        ILAnyBmp wide;
        wide.CreateCopy(source, 32);
        EXPECT_EQ(Opaque(BitmapRgba(back)), Opaque(BitmapRgba(wide))) << depth;
    }
}
