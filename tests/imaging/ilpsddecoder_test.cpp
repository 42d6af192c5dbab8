#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "codectestutil.h"
#include "imaging/ilmemsource.h"
#include "imaging/ilpsddecoder.h"

using namespace codectest;

namespace {

// The tools read their own merged image back through a white matte, and cannot read their
// own indexed documents: those variants are compared with the picture they were made from.
struct Variant
{
    const char* name;
    const char* command;
    int depth;
    bool alpha;
    bool greyscale;
    const char* reference;  // null: the tools' reading of the file itself
    int tolerance;          // quantized colours and 16-bit grey levels: the tools round on other roads
};

const Variant kVariants[] = {
    {"rgb_rle", "convert BASE -compress RLE OUT", 32, false, false, nullptr, 0},
    {"rgb_raw", "convert BASE -compress None OUT", 32, false, false, nullptr, 0},
    {"rgba_rle_with_layer", "convert ALPHA -compress RLE OUT", 32, true, false, "alpha.png", 0},
    {"rgba_raw_with_layer", "convert ALPHA -compress None OUT", 32, true, false, "alpha.png", 0},
    {"grey_rle", "convert BASE -colorspace gray -compress RLE OUT", 8, false, true, nullptr, 0},
    {"grey_raw", "convert BASE -colorspace gray -compress None OUT", 8, false, true, nullptr, 0},
    {"indexed", "convert BASE -colors 20 -type Palette OUT", 8, false, false, "indexed.png", 1},
    {"rgb_16_rle", "convert BASE -depth 16 -compress RLE OUT", 32, false, false, nullptr, 0},
    {"rgb_16_raw", "convert BASE -depth 16 -compress None OUT", 32, false, false, nullptr, 0},
    {"rgba_16_rle", "convert ALPHA -depth 16 -compress RLE OUT", 32, true, false, "alpha.png", 0},
    {"grey_16_raw", "convert BASE -colorspace gray -depth 16 -compress None OUT", 8, false, true, nullptr, 1},
};

class ILPSDDecoderToolTest : public ToolTest
{
};

// A document of the given header fields with empty sections and raw pixel data.
std::string MakePsd(int channels, int height, int width, int depth, int mode, const std::string& data)
{
    std::string s("8BPS\x00\x01", 6);
    s += std::string(6, '\0');
    s += {static_cast<char>(channels >> 8), static_cast<char>(channels)};
    s += {0, 0, static_cast<char>(height >> 8), static_cast<char>(height)};
    s += {0, 0, static_cast<char>(width >> 8), static_cast<char>(width)};
    s += {0, static_cast<char>(depth), 0, static_cast<char>(mode)};
    s += std::string(12, '\0');  // colour mode data, resources, layer section: all empty
    return s + data;
}

}  // namespace

TEST_F(ILPSDDecoderToolTest, EveryModeAndChannelDepthDecodesAsTheToolsDecodeIt)
{
    SKIP_WITHOUT_TOOLS("convert");
    ILPSDDecoder decoder;
    for (const Variant& v : kVariants) {
        SCOPED_TRACE(v.name);
        const std::string out = MakeToolFile(v.command, std::string(v.name) + ".psd");
        ILAnyBmp bmp;
        DecodeBytes(decoder, ReadFile(out), bmp);
        EXPECT_EQ(bmp.GetBitsPerPixel(), v.depth);
        EXPECT_EQ(bmp.HasAlpha(), v.alpha);
        EXPECT_EQ(bmp.IsGreyscale(), v.greyscale);
        std::string reference = out + "[0]";  // the merged image, before the layers
        if (v.reference != nullptr) {
            MakeToolFile("convert BASE -colors 20 -type Palette OUT", "indexed.png");
            reference = PathOf(v.reference);
        }
        EXPECT_LE(MaxDifference(BitmapRgba(bmp), ToolRgba(reference)), v.tolerance);
    }
}

TEST_F(ILPSDDecoderToolTest, TheResolutionResourceGivesDotsPerInch)
{
    SKIP_WITHOUT_TOOLS("convert");
    const std::string out = MakeToolFile("convert BASE -units PixelsPerInch -density 72 OUT", "dpi.psd");
    ILPSDDecoder decoder;
    ILAnyBmp bmp;
    DecodeBytes(decoder, ReadFile(out), bmp);
    EXPECT_EQ(bmp.GetResolution(), ILPoint(72, 72));
}

TEST_F(ILPSDDecoderToolTest, LayersAreReadOneAfterTheOtherThroughTheLayerInterface)
{
    SKIP_WITHOUT_TOOLS("convert");
    const std::string file = ReadFile(MakeToolFile("convert ALPHA -compress RLE OUT", "layered.psd"));
    ILMemSource source;
    ASSERT_EQ(source.Open(reinterpret_cast<const uint8_t*>(file.data()), static_cast<int64_t>(file.size())), 0);
    ILPSDDecoder decoder;
    decoder.Open(source);
    ASSERT_EQ(decoder.GetNumLayers(), 1);
    ILAnyBmp layer;
    decoder.ReadNextLayer(layer);
    EXPECT_TRUE(layer.HasAlpha());
    EXPECT_EQ(decoder.GetLayerOffset(), ILPoint(0, 0));
    EXPECT_EQ(MaxDifference(BitmapRgba(layer), ToolRgba(PathOf("alpha.png"))), 0);
    EXPECT_EQ(Failure([&] { decoder.ReadNextLayer(layer); }).GetCode(), ILTextException::internalError);
}

TEST(ILPSDDecoderTest, RecognisesItsSignature)
{
    EXPECT_TRUE(ILPSDDecoder::IsPSD(reinterpret_cast<const uint8_t*>("8BPS\x00\x01"), 6));
    EXPECT_FALSE(ILPSDDecoder::IsPSD(reinterpret_cast<const uint8_t*>("8BP"), 3));
    EXPECT_FALSE(ILPSDDecoder::IsPSD(reinterpret_cast<const uint8_t*>("8BIM"), 4));
}

TEST(ILPSDDecoderTest, ExtraChannelsOfAGreyDocumentAreReadPast)
{
    // Two raw channels of 2 × 1: the second must not land in the 8-bit row.
    ILPSDDecoder decoder;
    ILAnyBmp bmp;
    DecodeBytes(decoder, MakePsd(2, 1, 2, 8, 1, std::string("\x00\x00\x10\x20\x30\x40", 6)), bmp);
    EXPECT_EQ(bmp.GetLineArray()[0][0], 0x10);
    EXPECT_EQ(bmp.GetLineArray()[0][1], 0x20);
}

TEST(ILPSDDecoderTest, DamagedDocumentsEndWithTheirErrorCode)
{
    const std::string pixels("\x00\x00\x01\x02\x03\x04\x05\x06", 8);  // raw, 3 channels of 2 × 1
    const std::string good = MakePsd(3, 1, 2, 8, 3, pixels);
    auto patched = [&good](size_t at, const std::string& bytes) {
        std::string s = good;
        s.replace(at, bytes.size(), bytes);
        return s;
    };
    auto withSections = [](const std::string& sections) {
        return MakePsd(3, 1, 2, 8, 3, "").substr(0, 26) + sections + std::string("\x00\x00\x01\x02\x03\x04\x05\x06", 8);
    };
    struct Case
    {
        const char* defect;
        std::string bytes;
        int code;
    };
    const Case cases[] = {
        {"wrong signature", patched(0, "8BPX"), ILTextException::badFormat},
        {"large document version", patched(4, std::string("\x00\x02", 2)), ILTextException::notSupported},
        {"CMYK mode", patched(24, std::string("\x00\x04", 2)), ILTextException::notSupported},
        {"32-bit channels", patched(22, std::string("\x00\x20", 2)), ILTextException::notSupported},
        {"no channels", patched(12, std::string("\x00\x00", 2)), ILTextException::badFormat},
        {"zero width", patched(18, std::string("\x00\x00\x00\x00", 4)), ILTextException::badFormat},
        {"dimensions beyond the pixel limit", patched(14, std::string("\x00\xFF\xFF\xFF\x00\xFF\xFF\xFF", 8)),
         ILTextException::noMemory},
        {"indexed without colour table", patched(24, std::string("\x00\x02", 2)), ILTextException::badFormat},
        {"resource section past the end", withSections(std::string("\x00\x00\x00\x00\x00\x01\x00\x00", 8)),
         ILTextException::endOfData},
        {"resource with a wrong signature",
         withSections(std::string("\x00\x00\x00\x00\x00\x00\x00\x0C" "8BIX\x03\xED\x00\x00\x00\x00\x00\x00"
                                  "\x00\x00\x00\x00", 24)),
         ILTextException::badFormat},
        {"resource longer than its section",
         withSections(std::string("\x00\x00\x00\x00\x00\x00\x00\x0C" "8BIM\x03\xED\x00\x00\x00\x00\x00\x10"
                                  "\x00\x00\x00\x00", 24)),
         ILTextException::badFormat},
        {"layer record past its section",
         withSections(std::string("\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x08\x00\x00\x00\x04\x00\x01\x00\x00",
                                  20)),
         ILTextException::badFormat},
        {"compression unknown", patched(38, std::string("\x00\x07", 2)), ILTextException::badFormat},
        {"zip compression", patched(38, std::string("\x00\x02", 2)), ILTextException::badFormat},
        {"pixels cut short", good.substr(0, good.size() - 1), ILTextException::endOfData},
        {"packed row overruns", MakePsd(1, 1, 2, 8, 1, std::string("\x00\x01\x00\x02\x02\x01\x02\x03", 8)),
         ILTextException::badFormat},
        {"packed counts cut short", MakePsd(3, 100, 100, 8, 3, std::string("\x00\x01\x00\x02", 4)),
         ILTextException::endOfData},
    };
    ILPSDDecoder decoder;
    for (const Case& c : cases) {
        EXPECT_EQ(DecodeFailureCode(decoder, c.bytes), c.code) << c.defect;
    }
    EXPECT_EQ(DecodeFailureCode(decoder, good), 0);
}
