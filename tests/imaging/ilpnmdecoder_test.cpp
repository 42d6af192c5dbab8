#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "codectestutil.h"
#include "imaging/ilpgmdecoder.h"
#include "imaging/ilppmdecoder.h"

using namespace codectest;

namespace {

std::vector<uint8_t> DecodeGrey(const std::string& bytes, ILAnyBmp& bmp)
{
    ILPGMDecoder decoder;
    DecodeBytes(decoder, bytes, bmp);
    return {bmp.GetLineArray()[0], bmp.GetLineArray()[0] + bmp.GetWidth() * bmp.GetHeight()};
}

struct Variant
{
    const char* name;
    const char* command;
    bool grey;
};

const Variant kVariants[] = {
    {"pgm_raw", "convert BASE -colorspace gray -depth 8 pgm:OUT", true},
    {"pgm_plain", "convert BASE -colorspace gray -depth 8 pgm:- | pnmtoplainpnm > OUT", true},
    {"pgm_raw_16bit", "convert BASE -colorspace gray -depth 8 pgm:- | pamdepth 65535 > OUT", true},
    {"pgm_plain_16bit", "convert BASE -colorspace gray -depth 8 pgm:- | pamdepth 65535 | pnmtoplainpnm > OUT", true},
    {"pgm_maximum_15", "convert BASE -colorspace gray -depth 4 pgm:OUT", true},
    {"ppm_raw", "convert BASE -depth 8 ppm:OUT", false},
    {"ppm_plain", "pnmtoplainpnm BASE > OUT", false},
    {"ppm_raw_16bit", "pamdepth 65535 BASE > OUT", false},
    {"ppm_plain_16bit", "pamdepth 65535 BASE | pnmtoplainpnm > OUT", false},
};

class ILPNMDecoderToolTest : public ToolTest
{
};

}  // namespace

TEST_F(ILPNMDecoderToolTest, PlainRawAndSixteenBitMapsDecodeAsTheToolsDecodeThem)
{
    SKIP_WITHOUT_TOOLS("convert", "pnmtoplainpnm", "pamdepth");
    for (const Variant& v : kVariants) {
        SCOPED_TRACE(v.name);
        const std::string out = MakeToolFile(v.command, std::string(v.name) + (v.grey ? ".pgm" : ".ppm"));
        ILPGMDecoder pgm;
        ILPPMDecoder ppm;
        ILAnyBmp bmp;
        DecodeBytes(v.grey ? static_cast<ILPicDecoder&>(pgm) : ppm, ReadFile(out), bmp);
        EXPECT_EQ(bmp.GetBitsPerPixel(), v.grey ? 8 : 32);
        EXPECT_EQ(bmp.IsGreyscale(), v.grey);
        EXPECT_FALSE(bmp.HasAlpha());
        EXPECT_EQ(BitmapRgba(bmp), ToolRgba(out));
    }
}

TEST_F(ILPNMDecoderToolTest, MapsShrunkAsTheyAreReadAreTheWholeMapShrunk)
{
    SKIP_WITHOUT_TOOLS("convert", "pnmtoplainpnm", "pamdepth");
    for (const Variant& v : kVariants) {
        SCOPED_TRACE(v.name);
        const std::string bytes = ReadFile(MakeToolFile(v.command, std::string(v.name) + (v.grey ? ".pgm" : ".ppm")));
        ILPGMDecoder pgm;
        ILPPMDecoder ppm;
        ILPicDecoder& decoder = v.grey ? static_cast<ILPicDecoder&>(pgm) : ppm;
        const ShrunkPair pair = DecodeWholeAndShrunk(decoder, bytes, 10, 6);
        EXPECT_EQ(BitmapRgba(pair.shrunk), BitmapRgba(pair.expected));
    }
}

TEST(ILPNMDecoderTest, HeadersTakeCommentsAndEveryKindOfWhiteSpace)
{
    ILAnyBmp bmp;
    EXPECT_EQ(DecodeGrey(std::string("P5 2 2 255\n") + std::string("\x01\xFE\x00\x80", 4), bmp),
              (std::vector<uint8_t>{1, 0xFE, 0, 0x80}));
    EXPECT_TRUE(bmp.IsGreyscale());
    EXPECT_EQ(bmp.GetPalette()[0x80], ILPixel32(0x80, 0x80, 0x80, 255));
    EXPECT_EQ(DecodeGrey("P2\t# a comment\r\n2\v# another\n1\f15\r\n 15\t\v\f7", bmp),
              (std::vector<uint8_t>{255, 119}));

    ILPPMDecoder ppm;
    DecodeBytes(ppm, "P3\n1 2\n255\n1 2\r3\r\n\t4\n5 6", bmp);
    EXPECT_EQ(BitmapRgba(bmp), (std::vector<uint8_t>{1, 2, 3, 255, 4, 5, 6, 255}));
}

TEST(ILPNMDecoderTest, DamagedAndTruncatedMapsEndWithTheirCodes)
{
    const struct
    {
        const char* name;
        bool grey;
        std::string bytes;
        int code;
    } cases[] = {
        {"good-pgm", true, "P2 2 1 15 1 2", 0},
        {"good-ppm", false, "P6 1 1 255\n\x01\x02\x03", 0},
        {"pgm-identifier-of-ppm", true, "P6 1 1 255\n\x01\x02\x03", ILTextException::badFormat},
        {"ppm-identifier-of-pgm", false, "P2 2 1 15 1 2", ILTextException::badFormat},
        {"no-p", true, "Q2 2 1 15 1 2", ILTextException::badFormat},
        {"letter-in-header", true, "P2 2 x 15 1 2", ILTextException::badFormat},
        {"letter-among-samples", true, "P2 2 1 15 1 y", ILTextException::badFormat},
        {"text-sample-above-maximum", true, "P2 2 1 15 1 16", ILTextException::badFormat},
        {"binary-sample-above-maximum", true, "P5 1 1 100\n\xC8", ILTextException::badFormat},
        {"wide-sample-above-maximum", false, std::string("P6 1 1 1000\n\x03\xE8\x03\xE9\x00\x00", 18),
         ILTextException::badFormat},
        {"maximum-zero", true, "P2 1 1 0 0", ILTextException::badFormat},
        {"maximum-above-65535", true, "P2 1 1 65536 0", ILTextException::badFormat},
        {"width-zero", true, "P2 0 1 15 ", ILTextException::badFormat},
        {"side-with-too-many-digits", true, "P2 99999999999999 1 15 1", ILTextException::badFormat},
        {"too-large", false, "P6 30000 30000 255\n", ILTextException::noMemory},
        {"truncated-identifier", true, "P", ILTextException::endOfData},
        {"truncated-header", true, "P5 2 2", ILTextException::endOfData},
        {"truncated-binary", true, "P5 2 2 255\n\x01\x02\x03", ILTextException::endOfData},
        {"truncated-wide-binary", false, std::string("P6 1 1 1000\n\x03\xE8\x03\xE8\x00", 17),
         ILTextException::endOfData},
        {"truncated-text", false, "P3 2 1 255 1 2 3 4 5", ILTextException::endOfData},
    };
    ILPGMDecoder pgm;
    ILPPMDecoder ppm;
    for (const auto& c : cases) {
        EXPECT_EQ(DecodeFailureCode(c.grey ? static_cast<ILPicDecoder&>(pgm) : ppm, c.bytes), c.code) << c.name;
    }
}
