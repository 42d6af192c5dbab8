#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "codectestutil.h"
#include "imaging/ilpcxdecoder.h"

using namespace codectest;

namespace {

struct PcxHeader
{
    uint8_t manufacturer = 10;
    uint8_t encoding = 1;
    uint8_t bitsPerPixel = 8;
    uint16_t xMin = 0;
    uint16_t xMax = 0;
    uint16_t yMax = 0;
    uint8_t planes = 1;
    uint16_t bytesPerLine = 1;
};

std::string MakePcx(const PcxHeader& h, const std::string& rest)
{
    std::string s(128, '\0');
    s[0] = static_cast<char>(h.manufacturer);
    s[1] = 5;
    s[2] = static_cast<char>(h.encoding);
    s[3] = static_cast<char>(h.bitsPerPixel);
    Put16(s, 4, h.xMin);
    Put16(s, 8, h.xMax);
    Put16(s, 10, h.yMax);
    s[12] = 72;
    s[14] = 96;
    for (int i = 0; i < 48; ++i) {
        s[16 + i] = static_cast<char>(i * 5);  // the header's 16 colours
    }
    s[65] = static_cast<char>(h.planes);
    Put16(s, 66, h.bytesPerLine);
    return s + rest;
}

std::string Palette256(char separator = 0x0C)
{
    std::string palette(1, separator);
    for (int i = 0; i < 256; ++i) {
        palette += {static_cast<char>(i), static_cast<char>(255 - i), static_cast<char>(i / 2)};
    }
    return palette;
}

struct Variant
{
    const char* name;
    const char* command;
};

// The tools' own reading of PCX files is pcxtoppm's.
const Variant kVariants[] = {
    {"truecolour_planes", "ppmtopcx BASE > OUT"},
    {"palette_8bit", "convert BASE -colors 200 ppm:- | ppmtopcx > OUT"},
    {"planar_16_colours", "convert BASE -colors 16 ppm:- | ppmtopcx > OUT"},
    {"planar_8_colours", "convert BASE -colors 8 ppm:- | ppmtopcx -planes 3 > OUT"},
    {"planar_4_colours", "convert BASE -colors 4 ppm:- | ppmtopcx -planes 2 > OUT"},
    {"packed_4bit", "convert BASE -colors 16 ppm:- | ppmtopcx -packed > OUT"},
    {"packed_2bit", "convert BASE -colors 4 ppm:- | ppmtopcx -packed > OUT"},
    {"monochrome", "convert BASE -monochrome ppm:- | ppmtopcx -packed > OUT"},
    {"magick_truecolour", "convert BASE PCX:OUT"},
    {"magick_palette", "convert BASE -colors 100 -type Palette PCX:OUT"},
};

class ILPCXDecoderToolTest : public ToolTest
{
};

}  // namespace

TEST_F(ILPCXDecoderToolTest, EveryBitAndPlaneLayoutDecodesAsTheToolsDecodeIt)
{
    SKIP_WITHOUT_TOOLS("convert", "ppmtopcx", "pcxtoppm");
    for (const Variant& v : kVariants) {
        SCOPED_TRACE(v.name);
        const std::string out = MakeToolFile(v.command, std::string(v.name) + ".pcx");
        ILAnyBmp bmp;
        const std::vector<uint8_t> ours = DecodeRgba<ILPCXDecoder>(ReadFile(out), bmp);
        EXPECT_EQ(bmp.GetBitsPerPixel(), 32);
        EXPECT_FALSE(bmp.HasAlpha());
        const std::string theirs =
            RunCapture("pcxtoppm " + Quote(out) + " 2>/dev/null | convert ppm:- -depth 8 rgba:-");
        EXPECT_EQ(ours, std::vector<uint8_t>(theirs.begin(), theirs.end()));
    }
}

// A format read whole before it is shrunk refuses, when shrunk, a picture that would take
// more than 300 MB whole; 8192 pixels square at 32 bits still passes that.
TEST(ILPCXDecoderTest, PicturesTooLargeToReadWholeAreRefusedWhenShrunk)
{
    PcxHeader h;
    h.xMax = 9999;
    h.yMax = 7999;
    h.bytesPerLine = 10000;
    // Data enough for the header's check, never decoded.
    const std::string bytes = MakePcx(h, std::string(10000 * 8000 / 32, '\0'));
    ILPCXDecoder decoder;
    decoder.SetMaxSide(256);
    EXPECT_EQ(DecodeFailureCode(decoder, bytes), ILTextException::noMemory);
}

TEST(ILPCXDecoderTest, TheHeaderGivesSizeAndResolution)
{
    PcxHeader h;
    h.xMax = 2;
    h.bytesPerLine = 4;
    ILAnyBmp bmp;
    DecodeRgba<ILPCXDecoder>(MakePcx(h, std::string("\x01\x02\x03\x00", 4) + Palette256()), bmp);
    EXPECT_EQ(bmp.GetWidth(), 3);
    EXPECT_EQ(bmp.GetHeight(), 1);
    EXPECT_EQ(bmp.GetResolution(), ILPoint(72, 96));
}

TEST(ILPCXDecoderTest, RunsRepeatTheirValueAndTheSeparatorIsSkippedWhateverItHolds)
{
    PcxHeader h;
    h.xMax = 3;
    h.bytesPerLine = 4;
    // 0xC0 with a value stores nothing; 0xC3 stores the next byte three times.
    const std::string pixels("\xC0\x09\xC3\x07\xC1\xC5", 6);
    ILAnyBmp bmp;
    const std::vector<uint8_t> rgba = DecodeRgba<ILPCXDecoder>(MakePcx(h, pixels + Palette256('\x42')), bmp);
    EXPECT_EQ(rgba, (std::vector<uint8_t>{7, 248, 3, 255, 7, 248, 3, 255, 7, 248, 3, 255, 0xC5, 0x3A, 0x62, 255}));
}

TEST(ILPCXDecoderTest, MonochromeImagesAreBlackAndWhiteWhateverTheHeaderPaletteSays)
{
    PcxHeader h;
    h.bitsPerPixel = 1;
    h.xMax = 9;
    h.bytesPerLine = 2;
    ILAnyBmp bmp;
    const std::vector<uint8_t> rgba = DecodeRgba<ILPCXDecoder>(MakePcx(h, "\xA0\x40"), bmp);
    const std::vector<int> bits = {1, 0, 1, 0, 0, 0, 0, 0, 0, 1};
    for (size_t x = 0; x < bits.size(); ++x) {
        EXPECT_EQ(rgba[4 * x], bits[x] ? 255 : 0) << x;
    }
}

TEST(ILPCXDecoderTest, DamagedAndTruncatedFilesEndWithTheirCodes)
{
    PcxHeader h;
    h.xMax = 3;
    h.yMax = 1;
    h.bytesPerLine = 4;
    const std::string pixels = "\xC4\x01\x01\x02\x03\x04";
    auto header = [&h](auto change) {
        PcxHeader changed = h;
        change(changed);
        return MakePcx(changed, std::string());
    };
    const std::string good = MakePcx(h, pixels + Palette256());
    const struct
    {
        const char* name;
        std::string bytes;
        int code;
    } cases[] = {
        {"good", good, 0},
        {"truncated-header", good.substr(0, 100), ILTextException::endOfData},
        {"truncated-pixels", good.substr(0, 130), ILTextException::endOfData},
        {"truncated-palette", good.substr(0, good.size() - 1), ILTextException::endOfData},
        {"palette-missing", MakePcx(h, pixels), ILTextException::endOfData},
        {"wrong-maker", header([](PcxHeader& c) { c.manufacturer = 11; }) + pixels, ILTextException::wrongSignature},
        {"unknown-encoding", header([](PcxHeader& c) { c.encoding = 0; }) + pixels, ILTextException::wrongSignature},
        {"five-planes", header([](PcxHeader& c) { c.bitsPerPixel = 1, c.planes = 5; }) + pixels,
         ILTextException::badFormat},
        {"no-planes", header([](PcxHeader& c) { c.bitsPerPixel = 1, c.planes = 0; }) + pixels,
         ILTextException::badFormat},
        {"three-bits", header([](PcxHeader& c) { c.bitsPerPixel = 3; }) + pixels, ILTextException::badFormat},
        {"eight-bits-two-planes", header([](PcxHeader& c) { c.planes = 2; }) + pixels, ILTextException::badFormat},
        {"four-bits-three-planes", header([](PcxHeader& c) { c.bitsPerPixel = 4, c.planes = 3; }) + pixels,
         ILTextException::internalError},
        {"run-past-the-end", MakePcx(h, "\xC4\x01\xC5\x02"), ILTextException::internalError},
        {"no-pixels", header([](PcxHeader& c) { c.xMin = 4; }) + pixels, ILTextException::badFormat},
        {"rows-too-short", header([](PcxHeader& c) { c.bytesPerLine = 3; }) + pixels, ILTextException::badFormat},
        {"too-large", header([](PcxHeader& c) { c.xMax = c.yMax = 0xFFFE, c.bytesPerLine = 0xFFFF; }) + pixels,
         ILTextException::noMemory},
        {"larger-than-the-data", header([](PcxHeader& c) { c.yMax = 4000; }) + pixels, ILTextException::endOfData},
    };
    ILPCXDecoder decoder;
    for (const auto& c : cases) {
        EXPECT_EQ(DecodeFailureCode(decoder, c.bytes), c.code) << c.name;
    }
}
