#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "codectestutil.h"
#include "imaging/iltgadecoder.h"

using namespace codectest;

namespace {

struct TgaHeader
{
    uint8_t idLength = 0;
    uint8_t colourMapType = 0;
    uint8_t imageType = 2;
    uint16_t firstEntry = 0;
    uint16_t mapLength = 0;
    uint8_t mapEntrySize = 0;
    uint16_t width = 1;
    uint16_t height = 1;
    uint8_t depth = 24;
    uint8_t descriptor = 0;
};

std::string MakeTga(const TgaHeader& h, const std::string& rest)
{
    std::string s(18, '\0');
    s[0] = static_cast<char>(h.idLength);
    s[1] = static_cast<char>(h.colourMapType);
    s[2] = static_cast<char>(h.imageType);
    s[3] = static_cast<char>(h.firstEntry & 0xFF);
    s[4] = static_cast<char>(h.firstEntry >> 8);
    s[5] = static_cast<char>(h.mapLength & 0xFF);
    s[6] = static_cast<char>(h.mapLength >> 8);
    s[7] = static_cast<char>(h.mapEntrySize);
    s[12] = static_cast<char>(h.width & 0xFF);
    s[13] = static_cast<char>(h.width >> 8);
    s[14] = static_cast<char>(h.height & 0xFF);
    s[15] = static_cast<char>(h.height >> 8);
    s[16] = static_cast<char>(h.depth);
    s[17] = static_cast<char>(h.descriptor);
    return s + rest;
}

std::vector<uint8_t> Decode(const std::string& bytes, ILAnyBmp& bmp)
{
    ILTGADecoder decoder;
    DecodeBytes(decoder, bytes, bmp);
    return BitmapRgba(bmp);
}

struct Variant
{
    const char* name;
    const char* command;
    int depth;
    bool greyscale;
    int tolerance;
    bool opaque;  // compare colours only
};

const Variant kVariants[] = {
    {"truecolour_raw", "convert BASE TGA:OUT", 32, false, 0, false},
    {"truecolour_rle", "convert BASE -compress RLE TGA:OUT", 32, false, 0, false},
    {"alpha_raw", "convert ALPHA TGA:OUT", 32, false, 0, false},
    {"alpha_rle", "convert ALPHA -compress RLE TGA:OUT", 32, false, 0, false},
    {"colourmapped_raw", "convert BASE -colors 200 -type Palette TGA:OUT", 8, false, 0, false},
    {"colourmapped_rle", "convert BASE -colors 200 -type Palette -compress RLE TGA:OUT", 8, false, 0, false},
    {"grey_raw", "convert BASE -colorspace gray TGA:OUT", 8, true, 0, false},
    {"grey_rle", "convert BASE -colorspace gray -compress RLE TGA:OUT", 8, true, 0, false},
    {"netpbm_rgb_rle_with_id", "pamtotga -rgb -name rose BASE > OUT", 32, false, 0, false},
    {"netpbm_rgb_raw", "pamtotga -rgb -norle BASE > OUT", 32, false, 0, false},
    {"netpbm_colourmapped", "convert BASE -colors 50 ppm:- | pamtotga -cmap > OUT", 8, false, 0, false},
    {"netpbm_colourmap_16bit", "convert BASE -colors 50 ppm:- | pamtotga -cmap16 > OUT", 8, false, 7, true},
    {"netpbm_mono", "convert BASE -colorspace gray ppm:- | pamtotga -mono > OUT", 8, true, 0, false},
};

class ILTGADecoderToolTest : public ToolTest
{
};

}  // namespace

TEST_F(ILTGADecoderToolTest, EveryImageTypeRawAndRunLengthDecodesAsTheToolsDecodeIt)
{
    SKIP_WITHOUT_TOOLS("convert", "pamtotga");
    for (const Variant& v : kVariants) {
        SCOPED_TRACE(v.name);
        const std::string out = MakeToolFile(v.command, std::string(v.name) + ".tga");
        ILAnyBmp bmp;
        std::vector<uint8_t> ours = Decode(ReadFile(out), bmp);
        EXPECT_EQ(bmp.GetBitsPerPixel(), v.depth);
        EXPECT_EQ(bmp.IsGreyscale(), v.greyscale);
        std::vector<uint8_t> theirs = ToolRgba(out, "-auto-orient");
        if (v.opaque) {
            ours = Opaque(ours);
            theirs = Opaque(theirs);
        }
        EXPECT_LE(MaxDifference(ours, theirs), v.tolerance);
    }
}

TEST(ILTGADecoderTest, SixteenBitPixelsCarryTheirTopBitAsHalfAlpha)
{
    TgaHeader h;
    h.width = 2;
    h.depth = 16;
    ILAnyBmp bmp;
    const std::vector<uint8_t> rgba = Decode(MakeTga(h, std::string("\x00\x80\xFF\x7F", 4)), bmp);
    EXPECT_TRUE(bmp.HasAlpha());
    EXPECT_EQ(rgba, (std::vector<uint8_t>{0, 0, 0, 0x80, 0xF8, 0xF8, 0xF8, 0}));

    h.depth = 15;
    EXPECT_EQ(Decode(MakeTga(h, std::string("\x00\x80\xFF\x7F", 4)), bmp),
              (std::vector<uint8_t>{0, 0, 0, 255, 0xF8, 0xF8, 0xF8, 255}));
    EXPECT_FALSE(bmp.HasAlpha());
}

TEST(ILTGADecoderTest, RowOrderFollowsTheDescriptorBits)
{
    TgaHeader h;
    h.width = 2;
    h.height = 2;
    h.imageType = 3;
    h.depth = 8;
    const std::string pixels("\x01\x02\x03\x04", 4);
    ILAnyBmp bmp;
    auto indices = [&bmp] {
        return std::vector<uint8_t>{bmp.GetLineArray()[0][0], bmp.GetLineArray()[0][1], bmp.GetLineArray()[1][0],
                                    bmp.GetLineArray()[1][1]};
    };
    Decode(MakeTga(h, pixels), bmp);
    EXPECT_EQ(indices(), (std::vector<uint8_t>{3, 4, 1, 2}));  // bottom-up
    h.descriptor = 0x20;
    Decode(MakeTga(h, pixels), bmp);
    EXPECT_EQ(indices(), (std::vector<uint8_t>{1, 2, 3, 4}));  // top-down
    h.descriptor = 0x30;
    Decode(MakeTga(h, pixels), bmp);
    EXPECT_EQ(indices(), (std::vector<uint8_t>{2, 1, 4, 3}));  // right to left
}

TEST(ILTGADecoderTest, RunLengthPacketsRepeatOneToOneHundredTwentyEightTimesAndRunOnIntoTheNextRow)
{
    TgaHeader h;
    h.imageType = 11;
    h.depth = 8;
    h.width = 100;
    h.height = 2;
    h.descriptor = 0x20;
    // 0x80: one 5; 0xFF: 128 sixes (crossing into row 2); 0x00: one literal 9; then the
    // rest of row 2 as a run of 70 sevens.
    const std::string data("\x80\x05\xFF\x06\x00\x09\xC5\x07", 8);
    ILAnyBmp bmp;
    Decode(MakeTga(h, data), bmp);
    const uint8_t* top = bmp.GetLineArray()[0];
    const uint8_t* bottom = bmp.GetLineArray()[1];
    EXPECT_EQ(top[0], 5);
    EXPECT_EQ(top[1], 6);
    EXPECT_EQ(top[99], 6);
    EXPECT_EQ(bottom[28], 6);
    EXPECT_EQ(bottom[29], 9);
    EXPECT_EQ(bottom[30], 7);
    EXPECT_EQ(bottom[99], 7);
}

TEST(ILTGADecoderTest, ColourMapsFillThePaletteFromTheirFirstIndexAndAreSkippedForTrueColour)
{
    TgaHeader h;
    h.colourMapType = 1;
    h.imageType = 1;
    h.firstEntry = 10;
    h.mapLength = 2;
    h.mapEntrySize = 24;
    h.depth = 8;
    h.width = 2;
    ILAnyBmp bmp;
    EXPECT_EQ(Decode(MakeTga(h, std::string("\x01\x02\x03\x04\x05\x06\x0A\x0B", 8)), bmp),
              (std::vector<uint8_t>{3, 2, 1, 255, 6, 5, 4, 255}));

    h.imageType = 2;
    h.depth = 24;
    EXPECT_EQ(Decode(MakeTga(h, std::string("\x01\x02\x03\x04\x05\x06", 6) + std::string("\x10\x20\x30\x40\x50\x60", 6)),
                     bmp),
              (std::vector<uint8_t>{0x30, 0x20, 0x10, 255, 0x60, 0x50, 0x40, 255}));
}

TEST(ILTGADecoderTest, DamagedFilesEndWithTheirErrorCode)
{
    TgaHeader good;
    good.width = 4;
    good.height = 4;
    const std::string pixels(48, '\x22');
    struct Case
    {
        const char* defect;
        std::string bytes;
        int code;
    };
    std::vector<Case> cases;
    auto with = [&](const char* defect, auto change, const std::string& data, int code) {
        TgaHeader h = good;
        change(h);
        cases.push_back({defect, MakeTga(h, data), code});
    };
    cases.push_back({"header cut short", MakeTga(good, pixels).substr(0, 12), ILTextException::endOfData});
    with("image type zero", [](TgaHeader& h) { h.imageType = 0; }, pixels, ILTextException::badFormat);
    with("image type five", [](TgaHeader& h) { h.imageType = 5; }, pixels, ILTextException::badFormat);
    with("pixel depth twelve", [](TgaHeader& h) { h.depth = 12; }, pixels, ILTextException::notSupported);
    with("colour-mapped at sixteen bits", [](TgaHeader& h) { h.imageType = 1; h.depth = 16; }, pixels,
         ILTextException::notSupported);
    with("colour map entries of eight bits",
         [](TgaHeader& h) { h.colourMapType = 1; h.mapLength = 4; h.mapEntrySize = 8; }, pixels,
         ILTextException::notSupported);
    with("raw pixels cut short", [](TgaHeader&) {}, pixels.substr(0, 40), ILTextException::endOfData);
    with("identification field past the end", [](TgaHeader& h) { h.idLength = 200; }, pixels,
         ILTextException::endOfData);
    with("colour map past the end", [](TgaHeader& h) { h.colourMapType = 1; h.mapLength = 60000; h.mapEntrySize = 32; },
         pixels, ILTextException::endOfData);
    with("run-length data cut short", [](TgaHeader& h) { h.imageType = 10; }, std::string("\x85\x01\x02\x03", 4),
         ILTextException::endOfData);
    with("empty image", [](TgaHeader& h) { h.width = 0; }, pixels, ILTextException::badFormat);
    with("dimensions beyond the pixel limit", [](TgaHeader& h) { h.imageType = 10; h.width = 65535; h.height = 65535; },
         pixels, ILTextException::noMemory);

    ILTGADecoder decoder;
    for (const Case& c : cases) {
        EXPECT_EQ(DecodeFailureCode(decoder, c.bytes), c.code) << c.defect;
    }
    EXPECT_EQ(DecodeFailureCode(decoder, MakeTga(good, pixels)), 0);
}
