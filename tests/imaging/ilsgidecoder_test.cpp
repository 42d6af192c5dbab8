#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "codectestutil.h"
#include "imaging/ildatasource.h"
#include "imaging/ilsgidecoder.h"

using namespace codectest;

namespace {

struct SgiHeader
{
    uint16_t magic = 474;
    uint8_t storage = 0;
    uint8_t bytesPerSample = 1;
    uint16_t dimension = 2;
    uint16_t width = 2;
    uint16_t height = 2;
    uint16_t channels = 1;
    uint32_t colourMap = 0;
};

void PutBE(std::string& s, size_t at, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i) {
        s[at + static_cast<size_t>(i)] = static_cast<char>(value >> (8 * (bytes - 1 - i)));
    }
}

std::string MakeSgi(const SgiHeader& h, const std::string& rest)
{
    std::string s(512, '\0');
    PutBE(s, 0, h.magic, 2);
    s[2] = static_cast<char>(h.storage);
    s[3] = static_cast<char>(h.bytesPerSample);
    PutBE(s, 4, h.dimension, 2);
    PutBE(s, 6, h.width, 2);
    PutBE(s, 8, h.height, 2);
    PutBE(s, 10, h.channels, 2);
    PutBE(s, 104, h.colourMap, 4);
    return s + rest;
}

struct Variant
{
    const char* name;
    const char* command;
    int depth;
    bool alpha;
};

const Variant kVariants[] = {
    {"netpbm_verbatim_grey", "convert BASE -colorspace gray pgm:- | pnmtosgi -verbatim > OUT", 8, false},
    {"netpbm_verbatim_rgb", "pnmtosgi -verbatim BASE > OUT", 32, false},
    {"magick_verbatim_rgba", "convert ALPHA -depth 8 -compress None SGI:OUT", 32, true},
};

class ILSGIDecoderToolTest : public ToolTest
{
};

}  // namespace

TEST_F(ILSGIDecoderToolTest, ImagesOfOneThreeAndFourChannelsDecodeAsTheToolsDecodeThem)
{
    SKIP_WITHOUT_TOOLS("convert", "pnmtosgi");
    for (const Variant& v : kVariants) {
        SCOPED_TRACE(v.name);
        const std::string out = MakeToolFile(v.command, std::string(v.name) + ".sgi");
        ILSGIDecoder decoder;
        ILAnyBmp bmp;
        DecodeBytes(decoder, ReadFile(out), bmp);
        EXPECT_EQ(bmp.GetBitsPerPixel(), v.depth);
        EXPECT_EQ(bmp.HasAlpha(), v.alpha);
        EXPECT_EQ(bmp.IsGreyscale(), v.depth == 8);
        EXPECT_EQ(BitmapRgba(bmp), ToolRgba(out));
    }
}

TEST(ILSGIDecoderTest, TheFirstStoredRowIsTheBottomRowAndAColourMapKindIsNotGrey)
{
    SgiHeader h;
    ILSGIDecoder decoder;
    ILAnyBmp bmp;
    DecodeBytes(decoder, MakeSgi(h, "\x01\x02\x03\x04"), bmp);
    EXPECT_EQ(bmp.GetLineArray()[1][0], 1);
    EXPECT_EQ(bmp.GetLineArray()[0][1], 4);
    EXPECT_TRUE(bmp.IsGreyscale());
    h.colourMap = 1;
    DecodeBytes(decoder, MakeSgi(h, "\x01\x02\x03\x04"), bmp);
    EXPECT_FALSE(bmp.IsGreyscale());
}

// Run-length files used to be decoded.
TEST_F(ILSGIDecoderToolTest, RunLengthFilesAreRefusedBeforeAnyPixelIsRead)
{
    SKIP_WITHOUT_TOOLS("pnmtosgi");
    const std::string made = ReadFile(MakeToolFile("pnmtosgi BASE > OUT", "rle.sgi"));
    ASSERT_EQ(made[2], 1) << "the tool made another variant";
    // The storage byte is the only refusal: the rest of the header is a good one.
    SgiHeader h;
    h.storage = 1;
    ILSGIDecoder decoder;
    for (const std::string& bytes : {made, MakeSgi(h, "")}) {
        const ILTextException e = Failure([&] {
            ILAnyBmp bmp;
            DecodeBytes(decoder, bytes, bmp);
        });
        EXPECT_EQ(e.GetCode(), ILTextException::notSupported);
        EXPECT_STREQ(e.GetText(), "Compressed SGI RGB files are not supported.");
    }
}

TEST(ILSGIDecoderTest, DamagedAndTruncatedFilesEndWithTheirCodes)
{
    auto header = [](auto change) {
        SgiHeader h;
        change(h);
        return MakeSgi(h, "\x01\x02\x03\x04");
    };
    const struct
    {
        const char* name;
        std::string bytes;
        int code;
    } cases[] = {
        {"good", header([](SgiHeader&) {}), 0},
        {"wrong-magic", header([](SgiHeader& h) { h.magic = 475; }), ILTextException::wrongSignature},
        {"two-channels", header([](SgiHeader& h) { h.channels = 2; }), ILTextException::notSupported},
        {"five-channels", header([](SgiHeader& h) { h.channels = 5; }), ILTextException::notSupported},
        {"no-channels", header([](SgiHeader& h) { h.channels = 0; }), ILTextException::notSupported},
        {"one-dimension", header([](SgiHeader& h) { h.dimension = 1; }), ILTextException::notSupported},
        {"two-bytes-per-sample", header([](SgiHeader& h) { h.bytesPerSample = 2; }), ILTextException::notSupported},
        {"unknown-storage", header([](SgiHeader& h) { h.storage = 2; }), ILTextException::badFormat},
        {"empty", header([](SgiHeader& h) { h.width = 0; }), ILTextException::badFormat},
        {"too-large", header([](SgiHeader& h) { h.width = h.height = 0xFFFF; }), ILTextException::noMemory},
        {"truncated-header", header([](SgiHeader&) {}).substr(0, 300), ILTextException::endOfData},
        {"truncated-pixels", header([](SgiHeader&) {}).substr(0, 515), ILTextException::endOfData},
    };
    ILSGIDecoder decoder;
    for (const auto& c : cases) {
        EXPECT_EQ(DecodeFailureCode(decoder, c.bytes), c.code) << c.name;
    }
    const std::string wrongMagic = header([](SgiHeader& h) { h.magic = 1; });
    const ILTextException e = Failure([&] {
        ILAnyBmp bmp;
        DecodeBytes(decoder, wrongMagic, bmp);
    });
    EXPECT_STREQ(e.GetText(), "SGI decoder invoked for non-SGI file.") << "thrown without the decoders' prefix";
}
