#include <gtest/gtest.h>

#include <gif_lib.h>

#include <map>
#include <string>
#include <vector>

#include "codectestutil.h"
#include "imaging/ilgifdecoder.h"

using namespace codectest;

namespace {

struct Frame
{
    int left = 0;
    int top = 0;
    int width = 2;
    int height = 2;
    bool interlace = false;
    std::vector<GifColorType> localMap;  // none when empty
    std::vector<GifPixelType> pixels;    // width × height indices
    int transparentBefore = -1;          // a graphic control extension before the image
};

int AppendToString(GifFileType* gif, const GifByteType* data, int count)
{
    static_cast<std::string*>(gif->UserData)->append(reinterpret_cast<const char*>(data), static_cast<size_t>(count));
    return count;
}

std::vector<GifColorType> Map(std::initializer_list<GifColorType> colours)
{
    return colours;
}

// A GIF written by giflib's encoder: a screen with a global map and the frames in order.
std::string WriteGif(int width, int height, int background, const std::vector<GifColorType>& global,
                     const std::vector<Frame>& frames, int transparentAfter = -1)
{
    std::string bytes;
    int error = 0;
    GifFileType* gif = EGifOpen(&bytes, AppendToString, &error);
    EXPECT_NE(gif, nullptr);
    EGifSetGifVersion(gif, true);
    auto makeMap = [](const std::vector<GifColorType>& colours) {
        return colours.empty() ? nullptr : GifMakeMapObject(static_cast<int>(colours.size()), colours.data());
    };
    auto control = [gif](int index) {
        const GifByteType block[4] = {1, 0, 0, static_cast<GifByteType>(index)};
        EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, block);
    };
    ColorMapObject* globalMap = makeMap(global);
    EGifPutScreenDesc(gif, width, height, 8, background, globalMap);
    for (const Frame& f : frames) {
        if (f.transparentBefore >= 0) {
            control(f.transparentBefore);
        }
        ColorMapObject* local = makeMap(f.localMap);
        EGifPutImageDesc(gif, f.left, f.top, f.width, f.height, f.interlace, local);
        std::vector<GifPixelType> pixels = f.pixels;
        // giflib's encoder takes the rows in file order, which interlacing changes.
        std::vector<int> order;
        for (int pass = 0; pass < (f.interlace ? 4 : 1); ++pass) {
            const int start = f.interlace ? std::vector<int>{0, 4, 2, 1}[pass] : 0;
            const int step = f.interlace ? std::vector<int>{8, 8, 4, 2}[pass] : 1;
            for (int y = start; y < f.height; y += step) {
                order.push_back(y);
            }
        }
        for (const int y : order) {
            EGifPutLine(gif, pixels.data() + y * f.width, f.width);
        }
        GifFreeMapObject(local);
    }
    if (transparentAfter >= 0) {
        control(transparentAfter);
    }
    EGifCloseFile(gif, &error);
    GifFreeMapObject(globalMap);
    return bytes;
}

const std::vector<GifColorType> kGlobal = {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255},
                                           {9, 9, 9}, {50, 60, 70}, {1, 2, 3},  {4, 5, 6}};

std::vector<GifPixelType> Ramp(int count)
{
    std::vector<GifPixelType> pixels;
    for (int i = 0; i < count; ++i) {
        pixels.push_back(static_cast<GifPixelType>(i % 8));
    }
    return pixels;
}

std::vector<uint8_t> Decode(const std::string& bytes, ILAnyBmp& bmp)
{
    ILGIFDecoder decoder;
    DecodeBytes(decoder, bytes, bmp);
    EXPECT_EQ(decoder.HasAlpha(), bmp.HasAlpha()) << "the decoder reports the alpha it found";
    return BitmapRgba(bmp);
}

struct Variant
{
    const char* name;
    const char* command;
    bool alpha;
};

const Variant kVariants[] = {
    {"magick", "convert BASE -colors 64 GIF:OUT", false},
    {"magick_interlaced", "convert BASE -colors 64 -interlace GIF GIF:OUT", false},
    {"magick_transparent", "convert ALPHA -colors 64 GIF:OUT", true},
    {"netpbm", "convert BASE -colors 200 ppm:- | pamtogif > OUT", false},
    {"netpbm_interlaced_transparent",
     "convert BASE -colors 30 -fill black -draw 'point 3,3' ppm:- | pamtogif -interlace -transparent==#000000 > OUT",
     true},
};

class ILGIFDecoderToolTest : public ToolTest
{
};

// How an LZW stream treats a code table that has reached its 4096 entries.
enum class FullTable
{
    keepReading,             // no clear code: the table stays as it is and 12-bit codes go on
    clearAtOnce,             // a clear code as soon as the encoder has made the last entry
    clearWhenDecoderIsFull,  // a clear code one code later, when a decoder has made it too
};

// An LZW encoder: the image data of a GIF (code size byte, sub-blocks, block terminator).
// `fills` counts the times the table reached 4096 entries.
std::string LzwImageData(const std::vector<uint8_t>& pixels, int codeSize, FullTable rule, int* fills)
{
    const int clearCode = 1 << codeSize;
    std::map<std::pair<int, uint8_t>, int> table;  // (prefix code, pixel) → code
    int next = 0;
    int width = 0;
    int sinceClear = 0;
    std::string packed;
    uint32_t bits = 0;
    int count = 0;
    auto put = [&](int code) {
        bits |= static_cast<uint32_t>(code) << count;
        for (count += width; count >= 8; count -= 8, bits >>= 8) {
            packed += static_cast<char>(bits & 0xFF);
        }
    };
    auto clear = [&] {
        put(clearCode);
        table.clear();
        next = clearCode + 2;
        width = codeSize + 1;
        sinceClear = 0;
    };
    width = codeSize + 1;
    clear();
    int prefix = pixels[0];
    for (size_t i = 1; i < pixels.size(); ++i) {
        // Right after a clear, a decoder of code size 0 or 1 reads codes too narrow for
        // the newest entries; the string then ends before them.
        const auto found = table.find({prefix, pixels[i]});
        if (found != table.end() && found->second < (1 << width)) {
            prefix = found->second;
            continue;
        }
        put(prefix);
        ++sinceClear;
        if (next < 4096) {
            table[{prefix, pixels[i]}] = next++;
            // The decoder makes each entry one code later, so it widens its codes one code
            // later too, and never on the first code after a clear.
            width += sinceClear >= 2 && next > (1 << width) && width < 12 ? 1 : 0;
            *fills += next == 4096 ? 1 : 0;
            if (next == 4096 && rule == FullTable::clearAtOnce) {
                clear();
            }
        } else if (rule == FullTable::clearWhenDecoderIsFull) {
            clear();
        }
        prefix = pixels[i];
    }
    put(prefix);
    put(clearCode + 1);
    if (count > 0) {
        packed += static_cast<char>(bits & 0xFF);
    }
    std::string data(1, static_cast<char>(codeSize));
    for (size_t at = 0; at < packed.size(); at += 255) {
        const std::string block = packed.substr(at, 255);
        data += static_cast<char>(block.size()) + block;
    }
    return data + '\0';
}

// The image data of a few codes, all one bit wider than the code size.
std::string ImageDataOfCodes(int codeSize, std::initializer_list<int> codes)
{
    std::string packed;
    uint32_t bits = 0;
    int count = 0;
    for (const int code : codes) {
        bits |= static_cast<uint32_t>(code) << count;
        for (count += codeSize + 1; count >= 8; count -= 8, bits >>= 8) {
            packed += static_cast<char>(bits & 0xFF);
        }
    }
    packed += count > 0 ? std::string(1, static_cast<char>(bits & 0xFF)) : std::string();
    return std::string{static_cast<char>(codeSize), static_cast<char>(packed.size())} + packed + '\0';
}

// A GIF of one image with a global map of 256 distinct colours around the image data.
std::string GifOfImageData(int width, int height, const std::string& imageData)
{
    auto le16 = [](int v) { return std::string{static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)}; };
    std::string bytes = "GIF89a" + le16(width) + le16(height) + "\xF7" + std::string(2, '\0');
    for (int i = 0; i < 256; ++i) {
        bytes += {static_cast<char>(i), static_cast<char>(255 - i), static_cast<char>(i * 7)};
    }
    return bytes + "," + le16(0) + le16(0) + le16(width) + le16(height) + '\0' + imageData + ";";
}

}  // namespace

TEST_F(ILGIFDecoderToolTest, PicturesOfTheToolsDecodeToTheToolsPixels)
{
    SKIP_WITHOUT_TOOLS("convert", "pamtogif");
    for (const Variant& v : kVariants) {
        SCOPED_TRACE(v.name);
        const std::string out = MakeToolFile(v.command, std::string(v.name) + ".gif");
        ILAnyBmp bmp;
        const std::vector<uint8_t> ours = Decode(ReadFile(out), bmp);
        EXPECT_EQ(bmp.GetBitsPerPixel(), 8);
        EXPECT_EQ(bmp.HasAlpha(), v.alpha);
        EXPECT_EQ(ours, ToolRgba(out));
    }
}

// The refusal of screens the data cannot fill spares the densest real encoding.
TEST_F(ILGIFDecoderToolTest, SolidPicturesOfTheToolsDecode)
{
    SKIP_WITHOUT_TOOLS("convert", "ppmtogif");
    const std::string out = Quote(PathOf("solid.gif"));
    for (const std::string& command :
         {"convert -size 2000x2000 xc:#3080c0 " + out,
          "convert -size 3000x1500 xc:#3080c0 ppm:- | ppmtogif >" + out + " 2>/dev/null"}) {
        SCOPED_TRACE(command);
        Shell(command);
        ILGIFDecoder decoder;
        EXPECT_EQ(DecodeFailureCode(decoder, ReadFile(PathOf("solid.gif"))), 0);
    }
}

// Pins reported refusals of legal files whose LZW table fills or whose code size is 0, 1 or above 8.
TEST_F(ILGIFDecoderToolTest, StreamsOfEveryCodeSizeThatFillTheCodeTableDecodeWithOrWithoutAClearCode)
{
    constexpr int kWidth = 256;
    constexpr int kHeight = 200;
    std::vector<std::pair<int, FullTable>> cases;  // (code size, rule)
    for (int size = 0; size < 12; ++size) {
        cases.emplace_back(size, FullTable::keepReading);
    }
    for (const int size : {1, 8, 11}) {
        cases.emplace_back(size, FullTable::clearAtOnce);
        cases.emplace_back(size, FullTable::clearWhenDecoderIsFull);
    }
    for (const auto& [codeSize, rule] : cases) {
        const std::string name = "size" + std::to_string(codeSize) + "-rule" + std::to_string(int(rule)) + ".gif";
        SCOPED_TRACE(name);
        // A pseudo-random strip of the code size's colours, repeated, so that the codes sent
        // while the table is full reach back to its last entries.
        const int colours = std::min(1 << codeSize, 256);
        std::vector<uint8_t> strip(4500);
        uint32_t state = 12345;
        for (uint8_t& p : strip) {
            state = state * 1103515245 + 12345;
            p = static_cast<uint8_t>((state >> 16) % colours);
        }
        std::vector<uint8_t> pixels;
        while (pixels.size() < static_cast<size_t>(kWidth) * kHeight) {
            pixels.insert(pixels.end(), strip.begin(), strip.end());
        }
        pixels.resize(static_cast<size_t>(kWidth) * kHeight);
        int fills = 0;
        const std::string bytes = GifOfImageData(kWidth, kHeight, LzwImageData(pixels, codeSize, rule, &fills));
        ASSERT_GE(fills, codeSize == 0 ? 0 : 1) << "the picture fills the table, unless it has a single colour";
        ILAnyBmp bmp;
        const std::vector<uint8_t> ours = Decode(bytes, bmp);
        ASSERT_EQ(bmp.GetWidth(), kWidth);
        std::vector<uint8_t> decoded;
        for (int y = 0; y < kHeight; ++y) {
            decoded.insert(decoded.end(), bmp.GetLineArray()[y], bmp.GetLineArray()[y] + kWidth);
        }
        EXPECT_TRUE(decoded == pixels);
        if (HaveTool("convert")) {
            EXPECT_EQ(ours, ToolRgba(WriteFile(name, bytes))) << "the tools read the file alike";
        }
    }
}

TEST(ILGIFDecoderTest, TheFirstImageLiesAtItsOffsetOnTheBackground)
{
    Frame first;
    first.left = 3;
    first.top = 1;
    first.pixels = {1, 2, 3, 5};
    Frame second;
    second.width = 6;
    second.height = 4;
    second.pixels = Ramp(24);
    ILAnyBmp bmp;
    Decode(WriteGif(6, 4, 4, kGlobal, {first, second}), bmp);
    ASSERT_EQ(bmp.GetWidth(), 6);
    ASSERT_EQ(bmp.GetHeight(), 4);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 6; ++x) {
            const bool inside = x >= 3 && x < 5 && y >= 1 && y < 3;
            const int expected = inside ? first.pixels[(y - 1) * 2 + x - 3] : 4;
            EXPECT_EQ(bmp.GetLineArray()[y][x], expected) << x << "," << y;
        }
    }
    EXPECT_FALSE(bmp.HasAlpha());
    EXPECT_EQ(bmp.GetPalette()[5], ILPixel32(50, 60, 70, 255));
}

TEST(ILGIFDecoderTest, AnInterlacedImageEqualsItsPlainTwin)
{
    Frame plain;
    plain.width = 3;
    plain.height = 11;
    plain.pixels = Ramp(33);
    Frame interlaced = plain;
    interlaced.interlace = true;
    ILAnyBmp a;
    ILAnyBmp b;
    Decode(WriteGif(3, 11, 0, kGlobal, {plain}), a);
    Decode(WriteGif(3, 11, 0, kGlobal, {interlaced}), b);
    EXPECT_TRUE(a == b);
}

TEST(ILGIFDecoderTest, TransparencyCountsOnlyBeforeTheImageAndALocalMapWins)
{
    Frame f;
    f.pixels = {0, 1, 5, 6};
    f.transparentBefore = 5;
    ILAnyBmp bmp;
    Decode(WriteGif(2, 2, 0, kGlobal, {f}), bmp);
    EXPECT_TRUE(bmp.HasAlpha());
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(bmp.GetPalette()[i].a, i == 5 ? 0 : 255) << i;
    }

    f.transparentBefore = -1;
    f.localMap = Map({{10, 20, 30}, {40, 50, 60}});
    Decode(WriteGif(2, 2, 0, kGlobal, {f}, 1), bmp);
    EXPECT_FALSE(bmp.HasAlpha());
    EXPECT_EQ(bmp.GetPalette()[1], ILPixel32(40, 50, 60, 255));
    EXPECT_EQ(bmp.GetPalette()[5], ILPixel32(5, 5, 5, 255)) << "entries past the local map stay grey";
}

TEST(ILGIFDecoderTest, AnImageOutsideTheScreenIsLeftOut)
{
    Frame f;
    f.pixels = {1, 1, 1, 1};
    std::string bytes = WriteGif(2, 2, 3, kGlobal, {f});
    const size_t descriptor = bytes.find(',');  // the image separator
    ASSERT_NE(descriptor, std::string::npos);
    bytes[descriptor + 1] = 1;  // left 1 with width 2 passes the screen
    ILAnyBmp bmp;
    EXPECT_EQ(Decode(bytes, bmp), Decode(WriteGif(2, 2, 3, kGlobal, {}), bmp));
    EXPECT_EQ(bmp.GetLineArray()[0][0], 3);
}

TEST(ILGIFDecoderTest, DamagedAndTruncatedFilesEndWithTheirCodes)
{
    Frame f;
    f.width = 16;
    f.height = 16;
    f.pixels = Ramp(256);
    const std::string good = WriteGif(16, 16, 0, kGlobal, {f});
    const size_t image = good.find(',', 13 + 3 * 8);
    ASSERT_NE(image, std::string::npos);
    auto with = [&good](size_t at, char value) {
        std::string bytes = good;
        bytes[at] = value;
        return bytes;
    };
    const struct
    {
        const char* name;
        std::string bytes;
        int code;
    } cases[] = {
        {"good", good, 0},
        {"not-a-gif", with(0, 'X'), ILTextException::wrongSignature},
        {"truncated-screen", good.substr(0, 9), ILTextException::endOfData},
        {"truncated-global-map", good.substr(0, 20), ILTextException::endOfData},
        {"truncated-pixels", good.substr(0, good.size() - 12), ILTextException::endOfData},
        {"unknown-record", with(image, 'x'), ILTextException::badFormat},
        {"code-size-too-large", with(image + 10, 12), ILTextException::badFormat},
        {"pixel-above-255", GifOfImageData(2, 1, ImageDataOfCodes(9, {512, 300, 1, 513})), ILTextException::badFormat},
        {"code-past-the-table", GifOfImageData(2, 1, ImageDataOfCodes(2, {4, 1, 7, 5})), ILTextException::badFormat},
        {"end-code-before-the-last-pixel", GifOfImageData(2, 1, ImageDataOfCodes(2, {4, 1, 5})),
         ILTextException::badFormat},
        {"data-ends-before-the-last-pixel", GifOfImageData(2, 1, ImageDataOfCodes(2, {4, 1})),
         ILTextException::badFormat},
        {"empty-screen", with(6, 0).replace(7, 1, 1, '\0'), ILTextException::badFormat},
        {"screen-too-large", with(7, '\xFF').replace(9, 1, 1, '\xFF'), ILTextException::noMemory},
        // Once a few hundred bytes made a bitmap of 256 MB.
        {"16000x16000-screen-around-the-frame", WriteGif(16000, 16000, 0, kGlobal, {f}), ILTextException::endOfData},
        {"1000x1000-screen-around-the-frame", WriteGif(1000, 1000, 0, kGlobal, {f}), 0},
    };
    ILGIFDecoder decoder;
    for (const auto& c : cases) {
        EXPECT_EQ(DecodeFailureCode(decoder, c.bytes), c.code) << c.name;
    }
}
