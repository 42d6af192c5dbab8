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
    Put16(s, 3, h.firstEntry);
    Put16(s, 5, h.mapLength);
    s[7] = static_cast<char>(h.mapEntrySize);
    Put16(s, 12, h.width);
    Put16(s, 14, h.height);
    s[16] = static_cast<char>(h.depth);
    s[17] = static_cast<char>(h.descriptor);
    return s + rest;
}

struct Variant
{
    const char* name;
    const char* command;
    int depth;
    bool greyscale;
    int tolerance;
};

const Variant kVariants[] = {
    {"truecolour_raw", "convert BASE TGA:OUT", 32, false, 0},
    {"truecolour_rle", "convert BASE -compress RLE TGA:OUT", 32, false, 0},
    {"alpha_raw", "convert ALPHA TGA:OUT", 32, false, 0},
    {"alpha_rle", "convert ALPHA -compress RLE TGA:OUT", 32, false, 0},
    {"colourmapped_raw", "convert BASE -colors 200 -type Palette TGA:OUT", 8, false, 0},
    {"colourmapped_rle", "convert BASE -colors 200 -type Palette -compress RLE TGA:OUT", 8, false, 0},
    {"grey_raw", "convert BASE -colorspace gray TGA:OUT", 8, true, 0},
    {"grey_rle", "convert BASE -colorspace gray -compress RLE TGA:OUT", 8, true, 0},
    {"netpbm_rgb_rle_with_id", "pamtotga -rgb -name rose BASE > OUT", 32, false, 0},
    {"netpbm_rgb_raw", "pamtotga -rgb -norle BASE > OUT", 32, false, 0},
    {"netpbm_colourmapped", "convert BASE -colors 50 ppm:- | pamtotga -cmap > OUT", 8, false, 0},
    // The tools widen five bits to the full range; here they keep their top bits (31 reads 248).
    {"netpbm_colourmap_16bit", "convert BASE -colors 50 ppm:- | pamtotga -cmap16 > OUT", 8, false, 7},
    {"netpbm_mono", "convert BASE -colorspace gray ppm:- | pamtotga -mono > OUT", 8, true, 0},
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
        const std::vector<uint8_t> ours = DecodeRgba<ILTGADecoder>(ReadFile(out), bmp);
        EXPECT_EQ(bmp.GetBitsPerPixel(), v.depth);
        EXPECT_EQ(bmp.IsGreyscale(), v.greyscale);
        EXPECT_LE(MaxDifference(ours, ToolRgba(out, "-auto-orient")), v.tolerance);
    }
}

// Bit 15 used to be alpha (half, when set) whatever the descriptor said, so ordinary 16-bit
// files came out invisible.
TEST(ILTGADecoderTest, AlphaComesOnlyFromDeclaredAlphaBitsAndThirtyTwoBitColourMaps)
{
    const std::string twoPixels("\x00\x80\xFF\x7F", 4);  // black with bit 15, white without
    const std::string colourMap32("\x10\x20\x30\x40\x50\x60\x70\x00", 8);
    const std::string colourMap16 = twoPixels;
    const std::string indices("\x00\x01", 2);
    const struct
    {
        const char* name;
        TgaHeader header;
        std::string data;
        std::vector<uint8_t> rgba;
        bool alpha;
    } cases[] = {
        {"16 bits, no alpha bits", {0, 0, 2, 0, 0, 0, 2, 1, 16, 0}, twoPixels, {0, 0, 0, 255, 248, 248, 248, 255}, false},
        {"16 bits, one alpha bit", {0, 0, 2, 0, 0, 0, 2, 1, 16, 1}, twoPixels, {0, 0, 0, 255, 248, 248, 248, 0}, true},
        {"15 bits", {0, 0, 2, 0, 0, 0, 2, 1, 15, 1}, twoPixels, {0, 0, 0, 255, 248, 248, 248, 255}, false},
        {"32-bit colour map", {0, 1, 1, 0, 2, 32, 2, 1, 8, 0}, colourMap32 + indices,
         {0x30, 0x20, 0x10, 0x40, 0x70, 0x60, 0x50, 0}, true},
        {"16-bit colour map, no alpha bits", {0, 1, 1, 0, 2, 16, 2, 1, 8, 0}, colourMap16 + indices,
         {0, 0, 0, 255, 248, 248, 248, 255}, false},
    };
    for (const auto& c : cases) {
        ILAnyBmp bmp;
        EXPECT_EQ(DecodeRgba<ILTGADecoder>(MakeTga(c.header, c.data), bmp), c.rgba) << c.name;
        EXPECT_EQ(bmp.HasAlpha(), c.alpha) << c.name;
        ILTGADecoder decoder;
        ILAnyBmp deep;
        DecodeBytes(decoder, MakeTga(c.header, c.data), deep, 32);
        EXPECT_EQ(BitmapRgba(deep), c.rgba) << c.name << ", asked for 32 bits";
        EXPECT_EQ(deep.HasAlpha(), c.alpha) << c.name << ", asked for 32 bits";
    }
}

// Five-bit channels used to be stretched to the full range (31 read 255).
TEST(ILTGADecoderTest, FiveBitChannelsKeepTheirBitsAtTheTopOfTheByte)
{
    const struct
    {
        uint16_t word;
        std::vector<uint8_t> rgba;
    } cases[] = {
        {0x7FFF, {248, 248, 248, 255}}, {0x0000, {0, 0, 0, 255}},    {0x7C00, {248, 0, 0, 255}},
        {0x03E0, {0, 248, 0, 255}},     {0x001F, {0, 0, 248, 255}},  {0x0421, {8, 8, 8, 255}},
        {0x4210, {128, 128, 128, 255}}, {0x3DEF, {120, 120, 120, 255}},
    };
    for (const auto& c : cases) {
        for (uint8_t depth : {15, 16}) {
            TgaHeader h;
            h.depth = depth;
            ILAnyBmp bmp;
            const std::string pixel{static_cast<char>(c.word & 0xFF), static_cast<char>(c.word >> 8)};
            EXPECT_EQ(DecodeRgba<ILTGADecoder>(MakeTga(h, pixel), bmp), c.rgba) << std::hex << c.word << " at " << int{depth};
        }
    }
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
    DecodeRgba<ILTGADecoder>(MakeTga(h, pixels), bmp);
    EXPECT_EQ(indices(), (std::vector<uint8_t>{3, 4, 1, 2}));  // bottom-up
    h.descriptor = 0x20;
    DecodeRgba<ILTGADecoder>(MakeTga(h, pixels), bmp);
    EXPECT_EQ(indices(), (std::vector<uint8_t>{1, 2, 3, 4}));  // top-down
    h.descriptor = 0x30;
    DecodeRgba<ILTGADecoder>(MakeTga(h, pixels), bmp);
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
    DecodeRgba<ILTGADecoder>(MakeTga(h, data), bmp);
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
    EXPECT_EQ(DecodeRgba<ILTGADecoder>(MakeTga(h, std::string("\x01\x02\x03\x04\x05\x06\x0A\x0B", 8)), bmp),
              (std::vector<uint8_t>{3, 2, 1, 255, 6, 5, 4, 255}));

    h.imageType = 2;
    h.depth = 24;
    const std::string data = std::string("\x01\x02\x03\x04\x05\x06", 6) + std::string("\x10\x20\x30\x40\x50\x60", 6);
    EXPECT_EQ(DecodeRgba<ILTGADecoder>(MakeTga(h, data), bmp),
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

TEST(ILTGADecoderTest, RunLengthDimensionsTheDataCannotHoldFailBeforeTheBitmapIsMade)
{
    // Once four bytes of packets made a bitmap of a gigabyte before they ran out.
    TgaHeader h;
    h.imageType = 10;
    h.width = 16000;
    h.height = 16000;
    ILTGADecoder decoder;
    try {
        ILAnyBmp bmp;
        DecodeBytes(decoder, MakeTga(h, std::string("\xFF\x22\x22\x22", 4)), bmp);
        FAIL();
    } catch (const ILTextException& e) {
        EXPECT_EQ(e.GetCode(), ILTextException::endOfData);
        EXPECT_NE(std::string(e.GetText()).find("shorter than the header says"), std::string::npos) << e.GetText();
    }
}
