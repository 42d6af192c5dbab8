#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

#include "document/dib.h"
#include "foundation/color.h"
#include "document/imageadapter/imagefiletypes.h"
#include "document/imageadapter/imageapp.h"
#include "document/imageadapter/texturesizefit.h"
#include "imaging/ilbmpencoder.h"
#include "imaging/iltextexception.h"
#include "imaging/ilwinbmp.h"
#include "platform/bitmaphandle.h"
#include "platform/resources.h"
#include "tests/document/imagetestsupport.h"

using imagetest::Block;
using imagetest::BlockPixel;
using imagetest::Bytes;
using imagetest::MakeBitmap;
using imagetest::MakeFilledBitmap;
using imagetest::PixelAt;
using imagetest::PngBytes;

namespace {

IImageApp& App()
{
    return *GetImageLibApp();
}

std::unique_ptr<CDib> DibOf(std::unique_ptr<ILAnyBmp> bmp, int formatCode = 0)
{
    auto dib = std::make_unique<CDib>();
    const int width = bmp->GetWidth();
    const int height = bmp->GetHeight();
    const bool alpha = bmp->HasAlpha();
    dib->Create(bmp.release(), formatCode, width, height, alpha);
    return dib;
}

bool StartsWith(const Bytes& bytes, const char* prefix)
{
    const std::size_t length = std::strlen(prefix);
    return bytes.size() >= length && std::memcmp(bytes.data(), prefix, length) == 0;
}

using ImageLibAppFileTest = imagetest::ScratchFolderTest;

TEST(ImageFileTypesTest, OnlyTheFinalFourCharactersCountAndCaseDoesNot)
{
    const struct
    {
        const char* name;
        int typeCode;
        bool encoder;
    } cases[] = {{"a.JPG", 1, true},  {"a.bmp", 2, true},  {"a.Tif", 3, true},   {"a.png", 4, true},
                 {"a.tga", 4, false}, {"a.gif", 5, false}, {"a.jpeg", 0, false}, {"png", 0, false}};
    for (const auto& c : cases) {
        EXPECT_EQ(ImageTypeCodeForName(c.name), c.typeCode) << c.name;
        EXPECT_EQ(MakeEncoderForName(c.name) != nullptr, c.encoder) << c.name;
    }
}

TEST_F(ImageLibAppFileTest, SavingWritesOnlyNamesWithAnEncoderAndOnlyWithAPicture)
{
    const auto dib = DibOf(MakeFilledBitmap(4, 3, 0xFF336699, false));
    ASSERT_TRUE(App().SaveImageFile(dib.get(), PathOf("upper.JPG")));
    EXPECT_TRUE(StartsWith(ReadFile(PathOf("upper.JPG")), "\xFF\xD8"));
    ASSERT_TRUE(App().SaveImageFile(dib.get(), PathOf("a.bmp")));
    EXPECT_TRUE(StartsWith(ReadFile(PathOf("a.bmp")), "BM"));
    ASSERT_TRUE(App().SaveImageFile(dib.get(), PathOf("a.tif")));
    EXPECT_TRUE(StartsWith(ReadFile(PathOf("a.tif")), "II") || StartsWith(ReadFile(PathOf("a.tif")), "MM"));

    const CDib empty;
    const std::uint8_t pixels[] = {1, 2, 3, 255};
    EXPECT_FALSE(App().SaveImageFile(dib.get(), PathOf("a.jpeg")));
    EXPECT_FALSE(App().SaveImageFile(dib.get(), PathOf("a.tga")));
    EXPECT_FALSE(App().SaveImageFile(&empty, PathOf("b.png")));
    EXPECT_FALSE(App().SaveImageFile(nullptr, PathOf("b.png")));
    EXPECT_FALSE(App().SaveBufferToFile(CString(PathOf("b.gif")), 1, 1, 32, pixels));
    EXPECT_FALSE(App().SaveBufferToFile(CString(PathOf("b.png")), 1, 1, 32, nullptr));
    for (const char* name : {"a.jpeg", "a.tga", "b.png", "b.gif"}) {
        EXPECT_FALSE(std::filesystem::exists(PathOf(name))) << name;
    }
}

TEST_F(ImageLibAppFileTest, ALoadedFileKeepsItsBytesAndTakesItsTypeCodeFromTheName)
{
    const std::uint8_t pixels[] = {3, 2, 1, 255, 6, 5, 4, 128, 9, 8, 7, 0};
    ASSERT_TRUE(App().SaveBufferToFile(CString(PathOf("a.png")), 3, 1, 32, pixels));
    const Bytes png = ReadFile(PathOf("a.png"));
    for (const auto& [name, typeCode] : {std::pair{"a.png", 4}, {"b.TGA", 4}, {"c.gif", 5}, {"d.dat", 0}}) {
        std::unique_ptr<CDib> dib(App().LoadImageFile(CString(WriteFile(name, png))));
        EXPECT_EQ(dib->GetFormatCode(), typeCode) << name;
        ASSERT_EQ(dib->GetPixelBufferSize(), static_cast<int>(png.size()));
        EXPECT_TRUE(std::equal(png.begin(), png.end(), dib->GetPixelBuffer()));
        EXPECT_TRUE(dib->HasAlpha());
        EXPECT_EQ(PixelAt(*dib->GetImage(), 1, 0), ILPixel32(4, 5, 6, 128));
        EXPECT_EQ(dib->GetOpaqueCount(), 1);
        EXPECT_EQ(dib->GetTransparentCount(), 1);
    }
    EXPECT_THROW((void)App().LoadImageFile(CString(PathOf("missing.png"))), ILTextException);
    EXPECT_THROW((void)App().LoadImageFile(CString(WriteFile("junk.png", Bytes(64, 0x5A)))), ILTextException);
}

TEST_F(ImageLibAppFileTest, AFileWithoutAlphaLoadsOpaqueWithItsAlphaFlagOff)
{
    ILBmpEncoder encoder;
    const Bytes bmp = imagetest::Encode(encoder, *MakeFilledBitmap(3, 2, 0x00405060, false));
    std::unique_ptr<CDib> dib(App().LoadImageFile(CString(WriteFile("grey.bmp", bmp))));
    EXPECT_EQ(dib->GetFormatCode(), kImageTypeBmp);
    EXPECT_FALSE(dib->HasAlpha());
    EXPECT_EQ(PixelAt(*dib->GetImage(), 2, 1), ILPixel32(0x40, 0x50, 0x60, 255));
    EXPECT_EQ(dib->GetOpaqueCount(), 6);
}

TEST(ImageLibAppTest, EncodedPngDecodesBackToTheSamePixelsWithTheGivenTypeCode)
{
    auto noisy = MakeFilledBitmap(100, 50, 0, true);
    unsigned seed = 1;
    for (int y = 0; y < 50; ++y) {
        for (int x = 0; x < 100; ++x) {
            seed = seed * 1103515245u + 12345u;
            reinterpret_cast<std::uint32_t*>(noisy->GetLineArray()[y])[x] = seed;
        }
    }
    const auto dib = DibOf(std::move(noisy));
    int byteCount = 0;
    int typeCode = 0;
    const Block bytes(App().EncodePngToMemory(dib.get(), byteCount, typeCode));
    ASSERT_NE(bytes, nullptr);
    EXPECT_EQ(typeCode, kImageTypePng);
    CDib decoded;
    ASSERT_TRUE(App().DecodeFromMemory(3, bytes.get(), byteCount, &decoded));
    EXPECT_EQ(decoded.GetFormatCode(), 3);
    EXPECT_TRUE(decoded.GetImage()->AlmostEqual(*dib->GetImage(), 0));

    const CDib empty;
    byteCount = typeCode = 7;
    EXPECT_EQ(App().EncodePngToMemory(&empty, byteCount, typeCode), nullptr);
    EXPECT_EQ(App().EncodePngToMemory(nullptr, byteCount, typeCode), nullptr);
    EXPECT_EQ(typeCode, 7);
}

TEST(ImageLibAppTest, AFailedDecodeAnswersFalseAndLeavesTheStoredImageAlone)
{
    auto dib = DibOf(MakeFilledBitmap(2, 2, 0xFF010203, false), 4);
    const ILBmp* before = dib->GetImage();
    const Bytes junk(100, 0xEE);
    Bytes truncated = PngBytes(*MakeFilledBitmap(8, 8, 0xFF808080, false));
    truncated.resize(truncated.size() / 2);
    EXPECT_FALSE(App().DecodeFromMemory(1, junk.data(), static_cast<int>(junk.size()), dib.get()));
    EXPECT_FALSE(App().DecodeFromMemory(1, truncated.data(), static_cast<int>(truncated.size()), dib.get()));
    EXPECT_FALSE(App().DecodeFromMemory(1, junk.data(), -5, dib.get()));
    EXPECT_FALSE(App().DecodeFromMemory(1, junk.data(), 100, nullptr));
    EXPECT_EQ(dib->GetImage(), before);
    EXPECT_EQ(dib->GetFormatCode(), 4);
}

TEST(ImageLibAppTest, AMadeImageIsOpaqueUnlessAPixelIsFullyTransparent)
{
    const std::uint8_t halfAlpha[] = {10, 20, 30, 128, 40, 50, 60, 255};
    std::unique_ptr<CDib> opaque(App().MakeDib(2, 1, 32, halfAlpha));
    EXPECT_EQ(opaque->GetFormatCode(), 0);
    EXPECT_EQ(PixelAt(*opaque->GetImage(), 0, 0).a, 255);

    const std::uint8_t withHole[] = {10, 20, 30, 128, 40, 50, 60, 0};
    std::unique_ptr<CDib> holed(App().MakeDib(2, 1, 32, withHole));
    EXPECT_EQ(PixelAt(*holed->GetImage(), 0, 0).a, 128);
    CDib decoded;
    ASSERT_TRUE(App().DecodeFromMemory(4, holed->GetPixelBuffer(), holed->GetPixelBufferSize(), &decoded));
    EXPECT_TRUE(decoded.GetImage()->AlmostEqual(*holed->GetImage(), 0));

    const std::uint8_t rgb[] = {1, 2, 3, 4, 5, 6};
    std::unique_ptr<CDib> deep24(App().MakeDib(2, 1, 24, rgb));
    EXPECT_EQ(std::memcmp(deep24->GetImage()->GetLineArray()[0], rgb, 6), 0);
    EXPECT_EQ(App().MakeDib(2, 1, 32, nullptr), nullptr);
}

TEST(ImageLibAppTest, CountsTellOpaqueAndFullyTransparentPixelsApart)
{
    const auto bmp = MakeBitmap(2, 2, {0x00000000, 0x80000000, 0xFF000000, 0xFFFFFFFF}, true);
    int opaque = -1;
    int transparent = -1;
    App().CountOpaqueAndTransparent(bmp.get(), opaque, transparent);
    EXPECT_EQ(opaque, 2);
    EXPECT_EQ(transparent, 1);
    bmp->SetHasAlpha(false);
    App().CountOpaqueAndTransparent(bmp.get(), opaque, transparent);
    EXPECT_EQ(opaque, 4);
    EXPECT_EQ(transparent, 0);
}

TEST(ImageLibAppTest, TheAverageColourTruncatesTheMeanAndNeedsPixels)
{
    const auto bmp = MakeBitmap(2, 1, {0xFF0A0B0C, 0xFF010203}, false);
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    ASSERT_TRUE(App().GetAverageColor(bmp.get(), red, green, blue));
    EXPECT_EQ(ILPixel32(red, green, blue), ILPixel32(5, 6, 7));
    ILAnyBmp empty;
    empty.CreateFromData(0, 0, 32, false, false, nullptr, 0, ILPoint(0, 0));
    EXPECT_FALSE(App().GetAverageColor(&empty, red, green, blue));
}

TEST(ImageLibAppTest, ResizedBuffersArePackedCopiesAtTheAskedSize)
{
    const auto bmp = MakeBitmap(2, 1, {0xFF010203, 0x80040506}, true);
    const Block same(App().ResizeBuffer(bmp.get(), 0, 0));
    EXPECT_EQ(BlockPixel(same, 2, 1, 0), ILPixel32(4, 5, 6, 128));
    const Block larger(App().ResizeBuffer(MakeFilledBitmap(4, 4, 0xFF306090, false).get(), 8, 2));
    EXPECT_EQ(BlockPixel(larger, 8, 7, 1), ILPixel32(0x30, 0x60, 0x90, 255));

    // A 1-bit row holds fewer bytes than the block's row: nothing past it may be read.
    ILAnyBmp bits;
    bits.CreateFromData(16, 2, 1, false, false, nullptr, 0, ILPoint(0, 0));
    bits.GetLineArray()[1][1] = 0x5A;
    const Block packed(App().ResizeBuffer(&bits, 0, 0));
    EXPECT_EQ(packed.get()[2], 0);
    EXPECT_EQ(packed.get()[16 + 1], 0x5A);
}

TEST(ImageLibAppTest, ResizingInPlaceKeepsTheStoredSizeTrueToTheBitmap)
{
    const auto dib = DibOf(MakeFilledBitmap(4, 4, 0xFF000000, false));
    EXPECT_TRUE(App().ResizeInPlace(dib.get(), 2, 3));
    EXPECT_EQ(dib->GetImage()->GetWidth(), 2);
    EXPECT_EQ(dib->GetHeight(), 3);
    EXPECT_EQ(dib->GetOpaqueCount(), 6);
}

class AdjustImageTest : public ::testing::Test
{
protected:
    ILPixel32 AdjustOne(std::uint32_t argb, int alpha, double hue, double lightness, double saturation, bool relative)
    {
        const auto bmp = MakeFilledBitmap(1, 1, argb, true);
        const Block block(App().AdjustImage(bmp.get(), alpha, hue, lightness, saturation, relative, m_width, m_height,
                                            m_depth, false));
        return BlockPixel(block, 1, 0, 0);
    }

    int m_width = 0;
    int m_height = 0;
    int m_depth = 0;
};

TEST_F(AdjustImageTest, HueIsTurnedOrReplaced)
{
    const ILPixel32 turned = AdjustOne(0xFFFF0000, 255, -30.0, 0.0, 0.0, true);
    double hue = 0;
    double lightness = 0;
    double saturation = 0;
    RGBToHSL(turned.r, turned.g, turned.b, hue, lightness, saturation);
    EXPECT_NEAR(hue, 330.0, 1.0);
    EXPECT_EQ(AdjustOne(0xFFFF0000, 255, 120.0, 0.0, 0.0, false), ILPixel32(0, 255, 0, 255));
}

TEST_F(AdjustImageTest, WithoutSaturationAPixelIsTheGreyOfItsBoundedLightness)
{
    EXPECT_EQ(AdjustOne(0xFFFF0000, 255, 0.0, 0.0, -1.0, true), ILPixel32(127, 127, 127, 255));
    EXPECT_EQ(AdjustOne(0xFFFFFFFF, 255, 0.0, 0.0, -1.0, true), ILPixel32(255, 255, 255, 255));
    EXPECT_EQ(AdjustOne(0xFF808080, 255, 0.0, -5.0, 0.0, true), ILPixel32(2, 2, 2, 255));  // lightness 0.01
}

TEST_F(AdjustImageTest, AlphaBelowFullScalesEveryAlphaAndNothingElse)
{
    EXPECT_EQ(AdjustOne(0xFF102030, 128, 0.0, 0.0, 0.0, true), ILPixel32(0x10, 0x20, 0x30, 128));
    EXPECT_EQ(AdjustOne(0x01405060, 128, 0.0, 0.0, 0.0, true), ILPixel32(0x40, 0x50, 0x60, 0));
}

TEST_F(AdjustImageTest, ShiftsThatAreNotNumbersOrFarOffTheCircleEndWithoutHarm)
{
    EXPECT_EQ(AdjustOne(0xFFFF0000, 255, std::nan(""), std::nan(""), 0.0, true), ILPixel32(255, 0, 0, 255));
    (void)AdjustOne(0xFFFF0000, 255, 1e300, 0.0, 0.0, true);
}

TEST_F(AdjustImageTest, FittingUsesTheInstalledTextureSizeAndReportsIt)
{
    const auto bmp = MakeFilledBitmap(3, 5, 0xFF00FF00, false);
    const Block fitted(App().AdjustImage(bmp.get(), 255, 0, 0, 0, true, m_width, m_height, m_depth, true));
    EXPECT_EQ(std::pair(m_width, m_height), std::pair(4, 8));
    EXPECT_EQ(BlockPixel(fitted, 4, 3, 7), ILPixel32(0, 255, 0, 255));

    SetTextureSizeFitter([](int& width, int& height) {
        width = height = 2;
        return false;
    });
    const Block small(App().AdjustImage(bmp.get(), 255, 0, 0, 0, true, m_width, m_height, m_depth, true));
    SetTextureSizeFitter(nullptr);
    EXPECT_EQ(std::pair(m_width, m_height), std::pair(2, 2));

    int width = 3000;
    int height = 100;
    EXPECT_FALSE(FitToPowerOfTwo(width, height, 1024));
    EXPECT_EQ(std::pair(width, height), std::pair(1024, 32));
}

// A PNG and two bitmap resources of the program, registered once for these tests.
class ImageResourceTest : public ::testing::Test
{
protected:
    static constexpr int kPngId = 9101;
    static constexpr int kBitmapId = 9102;
    static constexpr int kPaletteBitmapId = 9103;

    static void SetUpTestSuite()
    {
        static const Bytes png = PngBytes(*MakeBitmap(2, 2, {0xFF010203, 0x80040506, 0xFF070809, 0x000A0B0C}, true));
        RegisterResource("PNG", kPngId, png.data(), png.size());

        const std::uint8_t rows[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};  // top row, then bottom row
        ILWinBmp rgb;
        rgb.CreateFromData(2, 2, 24, false, false, rows, 6, ILPoint(0, 0));
        static const Bytes dib = rgb.CopyToGlobalMemory();
        RegisterResource("BITMAP", kBitmapId, dib.data(), dib.size());

        ILWinBmp palette;
        palette.CreateFromData(1, 1, 8, false, false, nullptr, 0, ILPoint(0, 0));
        palette.SetPaletteEntry(3, 40, 50, 60, 255);
        palette.GetLineArray()[0][0] = 3;
        static const Bytes paletteDib = palette.CopyToGlobalMemory();
        RegisterResource("BITMAP", kPaletteBitmapId, paletteDib.data(), paletteDib.size());
    }

    int m_width = 0;
    int m_height = 0;
    int m_depth = 0;
};

TEST_F(ImageResourceTest, APngResourceComesTopRowFirstWithItsAlpha)
{
    const Block block(App().LoadPngResource(kPngId, m_width, m_height, m_depth));
    EXPECT_EQ(std::tuple(m_width, m_height, m_depth), std::tuple(2, 2, 32));
    EXPECT_EQ(BlockPixel(block, 2, 0, 0), ILPixel32(1, 2, 3, 255));
    EXPECT_EQ(BlockPixel(block, 2, 1, 1), ILPixel32(10, 11, 12, 0));
    EXPECT_THROW((void)App().LoadPngResource(9199, m_width, m_height, m_depth), ILTextException);
}

TEST_F(ImageResourceTest, ABitmapResourceComesBottomRowFirstOpaqueAtThirtyTwoBits)
{
    const Block block(App().LoadBitmapResource(kBitmapId, m_width, m_height, m_depth));
    EXPECT_EQ(m_depth, 32);
    const std::uint8_t expected[] = {7, 8, 9, 255, 10, 11, 12, 255, 1, 2, 3, 255};
    EXPECT_EQ(std::memcmp(block.get(), expected, sizeof expected), 0);

    const Block widened(App().LoadBitmapResource(kPaletteBitmapId, m_width, m_height, m_depth));
    EXPECT_EQ(BlockPixel(widened, 1, 0, 0), ILPixel32(40, 50, 60, 255));
    EXPECT_THROW((void)App().LoadBitmapResource(9199, m_width, m_height, m_depth), ILTextException);
}

TEST(ImageLibAppTest, WithoutABitmapOrAPainterNothingIsMadeOrDrawn)
{
    const auto bmp = MakeFilledBitmap(1, 1, 0xFF000000, false);
    EXPECT_EQ(App().DibFromHBitmap(nullptr), nullptr);
    EXPECT_FALSE(App().SaveWinBmpFile(nullptr, "x.png"));
    EXPECT_FALSE(App().DrawBitmap(bmp.get(), nullptr, 0, 0, 1, 1));
}

// A 3 × 2 bitmap of the window system: top row red, green, blue; bottom row grey.
std::unique_ptr<HBITMAP__, void (*)(HBITMAP)> WindowBitmap()
{
    const std::vector<std::uint8_t> rgba = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255,
                                            90, 90, 90, 255, 90, 90, 90, 255, 90, 90, 90, 255};
    return {CreateBitmapFromRGBA(3, 2, rgba), &DeleteBitmapHandle};
}

TEST(ImageLibAppTest, AWindowBitmapBecomesAStoredPngPictureWithItsRowsInPlace)
{
    const auto bitmap = WindowBitmap();
    const std::unique_ptr<CDib> dib(App().DibFromHBitmap(bitmap.get()));
    ASSERT_NE(dib, nullptr);
    EXPECT_EQ(dib->GetFormatCode(), kImageTypePng);
    EXPECT_EQ(dib->GetWidth(), 3);
    EXPECT_EQ(dib->GetHeight(), 2);
    EXPECT_EQ(dib->GetPixelBufferSize(), 0);
    EXPECT_EQ(PixelAt(*dib->GetImage(), 0, 0), ILPixel32(255, 0, 0, 255));
    EXPECT_EQ(PixelAt(*dib->GetImage(), 2, 0), ILPixel32(0, 0, 255, 255));
    EXPECT_EQ(PixelAt(*dib->GetImage(), 1, 1), ILPixel32(90, 90, 90, 255));
}

TEST_F(ImageLibAppFileTest, AWindowBitmapIsSavedByTheNamesEncoderAndOnlyTgaFails)
{
    const auto bitmap = WindowBitmap();
    const struct
    {
        const char* name;
        bool answer;
        bool written;
    } cases[] = {{"w.png", true, true}, {"w.bmp", true, true}, {"w.tga", false, false}, {"w.gif", true, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(App().SaveWinBmpFile(bitmap.get(), PathOf(c.name)), c.answer);
        EXPECT_EQ(std::filesystem::exists(PathOf(c.name)), c.written);
    }
    const std::unique_ptr<CDib> back(App().LoadImageFile(PathOf("w.png")));
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(PixelAt(*back->GetImage(), 1, 0), ILPixel32(0, 255, 0, 255));
}

}  // namespace
