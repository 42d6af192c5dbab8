#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

#include "document/dib.h"
#include "foundation/color.h"
#include "imaging/adapter/imagefiletypes.h"
#include "imaging/adapter/pcimagelibapp.h"
#include "imaging/adapter/texturesizefit.h"
#include "imaging/ilbmpencoder.h"
#include "imaging/iltextexception.h"
#include "imaging/ilwinbmp.h"
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

bool StartsWith(const Bytes& bytes, std::initializer_list<std::uint8_t> prefix)
{
    return bytes.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), bytes.begin());
}

const std::initializer_list<std::uint8_t> kPngSignature = {0x89, 'P', 'N', 'G'};

class ImageLibAppFileTest : public imagetest::ScratchFolderTest
{
};

TEST(ImageFileTypesTest, TheFinalFourCharactersPickTheTypeCodeWithoutRegardToCase)
{
    EXPECT_EQ(ImageTypeCodeForName("a.JPG"), kImageTypeJpeg);
    EXPECT_EQ(ImageTypeCodeForName("a.bmp"), kImageTypeBmp);
    EXPECT_EQ(ImageTypeCodeForName("a.Tif"), kImageTypeTiff);
    EXPECT_EQ(ImageTypeCodeForName("a.png"), kImageTypePng);
    EXPECT_EQ(ImageTypeCodeForName("a.tga"), kImageTypePng);
    EXPECT_EQ(ImageTypeCodeForName("a.gif"), kImageTypeGif);
    EXPECT_EQ(ImageTypeCodeForName("a.jpeg"), kImageTypeUnknown);
    EXPECT_EQ(ImageTypeCodeForName("png"), kImageTypeUnknown);
    EXPECT_EQ(ImageTypeCodeForName(""), kImageTypeUnknown);
}

TEST(ImageFileTypesTest, OnlyJpegBmpTiffAndPngNamesHaveAnEncoder)
{
    EXPECT_NE(MakeEncoderForName("x.jpg"), nullptr);
    EXPECT_NE(MakeEncoderForName("x.BMP"), nullptr);
    EXPECT_NE(MakeEncoderForName("x.tif"), nullptr);
    EXPECT_NE(MakeEncoderForName("x.png"), nullptr);
    EXPECT_EQ(MakeEncoderForName("x.gif"), nullptr);
    EXPECT_EQ(MakeEncoderForName("x.tga"), nullptr);
    EXPECT_EQ(MakeEncoderForName("x.jpeg"), nullptr);
    EXPECT_TRUE(IsTgaName("x.TGA"));
    EXPECT_FALSE(IsTgaName("x.png"));
}

TEST_F(ImageLibAppFileTest, SavingPicksTheEncoderByExtensionAndRefusesNamesWithoutOne)
{
    const auto dib = DibOf(MakeFilledBitmap(4, 3, 0xFF336699, false));
    ASSERT_TRUE(App().SaveImageFile(dib.get(), PathOf("upper.JPG")));
    EXPECT_TRUE(StartsWith(ReadFile(PathOf("upper.JPG")), {0xFF, 0xD8}));
    ASSERT_TRUE(App().SaveImageFile(dib.get(), PathOf("a.bmp")));
    EXPECT_TRUE(StartsWith(ReadFile(PathOf("a.bmp")), {'B', 'M'}));
    ASSERT_TRUE(App().SaveImageFile(dib.get(), PathOf("a.tif")));
    EXPECT_TRUE(StartsWith(ReadFile(PathOf("a.tif")), {'I', 'I'}) || StartsWith(ReadFile(PathOf("a.tif")), {'M', 'M'}));
    ASSERT_TRUE(App().SaveImageFile(dib.get(), PathOf("a.png")));
    EXPECT_TRUE(StartsWith(ReadFile(PathOf("a.png")), kPngSignature));

    for (const char* name : {"a.jpeg", "a.gif", "a.tga", "a.dat"}) {
        EXPECT_FALSE(App().SaveImageFile(dib.get(), PathOf(name))) << name;
        EXPECT_FALSE(std::filesystem::exists(PathOf(name))) << name;
    }
}

TEST_F(ImageLibAppFileTest, SavingWithoutAStoredImageOrBitmapWritesNothing)
{
    const CDib empty;
    EXPECT_FALSE(App().SaveImageFile(nullptr, PathOf("a.png")));
    EXPECT_FALSE(App().SaveImageFile(&empty, PathOf("a.png")));
    EXPECT_FALSE(std::filesystem::exists(PathOf("a.png")));
}

TEST_F(ImageLibAppFileTest, ALoadedFileKeepsItsBytesAndTakesItsTypeCodeFromTheName)
{
    const auto source = MakeBitmap(2, 2, {0xFFFF0000, 0x8000FF00, 0x000000FF, 0xFF123456}, true);
    const Bytes png = PngBytes(*source);
    const struct
    {
        const char* name;
        int typeCode;
    } cases[] = {{"a.png", 4}, {"b.TGA", 4}, {"c.gif", 5}, {"d.dat", 0}, {"e.jpg", 1}};
    for (const auto& c : cases) {
        std::unique_ptr<CDib> dib(App().LoadImageFile(CString(WriteFile(c.name, png))));
        ASSERT_NE(dib, nullptr) << c.name;
        EXPECT_EQ(dib->GetFormatCode(), c.typeCode) << c.name;
        ASSERT_EQ(dib->GetPixelBufferSize(), static_cast<int>(png.size()));
        EXPECT_TRUE(std::equal(png.begin(), png.end(), dib->GetPixelBuffer()));
        EXPECT_TRUE(dib->HasAlpha());
        EXPECT_EQ(dib->GetWidth(), 2);
        EXPECT_EQ(dib->GetBitsPerPixel(), 32);
        EXPECT_EQ(PixelAt(*dib->GetImage(), 1, 0), ILPixel32(0, 255, 0, 128));
        EXPECT_EQ(dib->GetOpaqueCount(), 2);
        EXPECT_EQ(dib->GetTransparentCount(), 1);
    }
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
    EXPECT_FALSE(dib->HasTransparentPixels());
}

TEST_F(ImageLibAppFileTest, LoadingAMissingOrUndecodableFileThrowsTheLibraryError)
{
    EXPECT_THROW((void)App().LoadImageFile(CString(PathOf("missing.png"))), ILTextException);
    EXPECT_THROW((void)App().LoadImageFile(CString(WriteFile("junk.png", Bytes(64, 0x5A)))), ILTextException);
}

TEST_F(ImageLibAppFileTest, ABufferIsSavedThroughATemporaryBitmap)
{
    const std::uint8_t pixels[] = {1, 2, 3, 255, 4, 5, 6, 0};
    ASSERT_TRUE(App().SaveBufferToFile(CString(PathOf("b.png")), 2, 1, 32, pixels));
    std::unique_ptr<CDib> dib(App().LoadImageFile(CString(PathOf("b.png"))));
    EXPECT_EQ(PixelAt(*dib->GetImage(), 0, 0), ILPixel32(3, 2, 1, 255));
    EXPECT_EQ(PixelAt(*dib->GetImage(), 1, 0), ILPixel32(6, 5, 4, 0));
    EXPECT_FALSE(App().SaveBufferToFile(CString(PathOf("b.gif")), 2, 1, 32, pixels));
    EXPECT_FALSE(App().SaveBufferToFile(CString(PathOf("c.png")), 2, 1, 32, nullptr));
}

TEST(ImageLibAppTest, DecodingFromMemoryFillsTheStoredImageWithTheGivenTypeCode)
{
    const Bytes png = PngBytes(*MakeFilledBitmap(5, 4, 0xFF0000FF, false));
    CDib dib;
    ASSERT_TRUE(App().DecodeFromMemory(3, png.data(), static_cast<int>(png.size()), &dib));
    EXPECT_EQ(dib.GetFormatCode(), 3);
    EXPECT_EQ(dib.GetWidth(), 5);
    EXPECT_EQ(dib.GetHeight(), 4);
    EXPECT_FALSE(dib.HasAlpha());
    EXPECT_EQ(PixelAt(*dib.GetImage(), 4, 3), ILPixel32(0, 0, 255, 255));
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
    EXPECT_FALSE(App().DecodeFromMemory(1, nullptr, 10, dib.get()));
    EXPECT_FALSE(App().DecodeFromMemory(1, junk.data(), -5, dib.get()));
    EXPECT_FALSE(App().DecodeFromMemory(1, junk.data(), static_cast<int>(junk.size()), nullptr));
    EXPECT_EQ(dib->GetImage(), before);
    EXPECT_EQ(dib->GetFormatCode(), 4);
}

TEST(ImageLibAppTest, EncodingGivesPngBytesThatDecodeToTheSamePixels)
{
    const auto dib = DibOf(MakeFilledBitmap(100, 50, 0xFF204080, false));
    int byteCount = -1;
    int typeCode = -1;
    const Block bytes(App().EncodePngToMemory(dib.get(), byteCount, typeCode));
    ASSERT_NE(bytes, nullptr);
    EXPECT_EQ(typeCode, kImageTypePng);
    const Bytes encoded(bytes.get(), bytes.get() + byteCount);
    EXPECT_TRUE(StartsWith(encoded, kPngSignature));
    EXPECT_LT(byteCount, 100 * 50 * 4 + 2000);
    CDib decoded;
    ASSERT_TRUE(App().DecodeFromMemory(4, bytes.get(), byteCount, &decoded));
    EXPECT_EQ(decoded.GetWidth(), 100);
    EXPECT_EQ(PixelAt(*decoded.GetImage(), 99, 49), ILPixel32(0x20, 0x40, 0x80, 255));
}

TEST(ImageLibAppTest, ANoisyImageLargerThanTheEstimateStillEncodes)
{
    auto bmp = MakeFilledBitmap(3, 3, 0, true);
    unsigned seed = 1;
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 3; ++x) {
            seed = seed * 1103515245u + 12345u;
            reinterpret_cast<std::uint32_t*>(bmp->GetLineArray()[y])[x] = seed;
        }
    }
    const auto dib = DibOf(std::move(bmp));
    int byteCount = 0;
    int typeCode = 0;
    const Block bytes(App().EncodePngToMemory(dib.get(), byteCount, typeCode));
    ASSERT_NE(bytes, nullptr);
    CDib decoded;
    ASSERT_TRUE(App().DecodeFromMemory(4, bytes.get(), byteCount, &decoded));
    EXPECT_TRUE(decoded.GetImage()->AlmostEqual(*dib->GetImage(), 0));
}

TEST(ImageLibAppTest, EncodingNothingGivesNullAndLeavesTheOutputs)
{
    const CDib empty;
    int byteCount = 7;
    int typeCode = 7;
    EXPECT_EQ(App().EncodePngToMemory(nullptr, byteCount, typeCode), nullptr);
    EXPECT_EQ(App().EncodePngToMemory(&empty, byteCount, typeCode), nullptr);
    EXPECT_EQ(byteCount, 7);
    EXPECT_EQ(typeCode, 7);
}

TEST(ImageLibAppTest, AMadeImageIsOpaqueUnlessAPixelIsFullyTransparent)
{
    const std::uint8_t halfAlpha[] = {10, 20, 30, 128, 40, 50, 60, 255};
    std::unique_ptr<CDib> opaque(App().MakeDib(2, 1, 32, halfAlpha));
    EXPECT_EQ(opaque->GetFormatCode(), 0);
    EXPECT_EQ(PixelAt(*opaque->GetImage(), 0, 0).a, 255);
    EXPECT_EQ(opaque->GetOpaqueCount(), 2);

    const std::uint8_t withHole[] = {10, 20, 30, 128, 40, 50, 60, 0};
    std::unique_ptr<CDib> holed(App().MakeDib(2, 1, 32, withHole));
    EXPECT_EQ(PixelAt(*holed->GetImage(), 0, 0).a, 128);
    EXPECT_TRUE(holed->HasTransparentPixels());

    CDib decoded;
    ASSERT_GT(holed->GetPixelBufferSize(), 0);
    ASSERT_TRUE(App().DecodeFromMemory(4, holed->GetPixelBuffer(), holed->GetPixelBufferSize(), &decoded));
    EXPECT_TRUE(decoded.GetImage()->AlmostEqual(*holed->GetImage(), 0));
    EXPECT_EQ(App().MakeDib(2, 1, 32, nullptr), nullptr);
}

TEST(ImageLibAppTest, AMadeImageOfTwentyFourBitsKeepsItsPixels)
{
    const std::uint8_t pixels[] = {1, 2, 3, 4, 5, 6};
    std::unique_ptr<CDib> dib(App().MakeDib(2, 1, 24, pixels));
    ASSERT_EQ(dib->GetBitsPerPixel(), 24);
    EXPECT_FALSE(dib->HasAlpha());
    EXPECT_EQ(std::memcmp(dib->GetImage()->GetLineArray()[0], pixels, 6), 0);
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

    App().CountOpaqueAndTransparent(nullptr, opaque, transparent);
    EXPECT_EQ(opaque, 0);
    EXPECT_EQ(transparent, 0);
}

TEST(ImageLibAppTest, TheAverageColourTruncatesTheMeanOfEachComponent)
{
    const auto bmp = MakeBitmap(2, 1, {0xFF0A0B0C, 0xFF010203}, false);
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    ASSERT_TRUE(App().GetAverageColor(bmp.get(), red, green, blue));
    EXPECT_EQ(red, 5);    // (10 + 1) / 2
    EXPECT_EQ(green, 6);  // (11 + 2) / 2
    EXPECT_EQ(blue, 7);   // (12 + 3) / 2

    ILAnyBmp empty;
    empty.CreateFromData(0, 0, 32, false, false, nullptr, 0, ILPoint(0, 0));
    EXPECT_FALSE(App().GetAverageColor(&empty, red, green, blue));
    EXPECT_FALSE(App().GetAverageColor(nullptr, red, green, blue));
    EXPECT_EQ(red, 0);
}

TEST(ImageLibAppTest, ResizingToNothingOrTheSameSizeCopiesThePixels)
{
    const auto bmp = MakeBitmap(2, 1, {0xFF010203, 0x80040506}, true);
    for (const auto& [w, h] : {std::pair{0, 0}, std::pair{2, 1}}) {
        const Block block(App().ResizeBuffer(bmp.get(), w, h));
        ASSERT_NE(block, nullptr);
        EXPECT_EQ(BlockPixel(block, 2, 0, 0), ILPixel32(1, 2, 3, 255));
        EXPECT_EQ(BlockPixel(block, 2, 1, 0), ILPixel32(4, 5, 6, 128));
    }
    EXPECT_EQ(App().ResizeBuffer(nullptr, 1, 1), nullptr);
}

TEST(ImageLibAppTest, ResizingAUniformImageKeepsItsColourAtTheNewSize)
{
    const auto bmp = MakeFilledBitmap(4, 4, 0xFF306090, false);
    const Block block(App().ResizeBuffer(bmp.get(), 8, 2));
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(BlockPixel(block, 8, 7, 1), ILPixel32(0x30, 0x60, 0x90, 255));
}

TEST(ImageLibAppTest, CopyingTheBlockOfAOneBitImageReadsNoFurtherThanItsRows)
{
    ILAnyBmp bmp;
    bmp.CreateFromData(16, 2, 1, false, false, nullptr, 0, ILPoint(0, 0));
    bmp.GetLineArray()[0][0] = 0xA5;
    bmp.GetLineArray()[1][1] = 0x5A;
    const Block block(App().ResizeBuffer(&bmp, 0, 0));
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(block.get()[0], 0xA5);
    EXPECT_EQ(block.get()[2], 0);
    EXPECT_EQ(block.get()[16 + 1], 0x5A);
}

TEST(ImageLibAppTest, ResizingInPlaceKeepsTheStoredSizeTrueToTheBitmap)
{
    const auto dib = DibOf(MakeFilledBitmap(4, 4, 0xFF000000, false));
    EXPECT_TRUE(App().ResizeInPlace(dib.get(), 2, 3));
    EXPECT_EQ(dib->GetImage()->GetWidth(), 2);
    EXPECT_EQ(dib->GetWidth(), 2);
    EXPECT_EQ(dib->GetHeight(), 3);
    EXPECT_EQ(dib->GetOpaqueCount(), 6);
    EXPECT_FALSE(App().ResizeInPlace(nullptr, 2, 3));
}

TEST(ImageLibAppTest, CopiesAreExactAndNullIsIgnored)
{
    const auto bmp = MakeBitmap(2, 1, {0x11223344, 0x55667788}, true);
    std::unique_ptr<ILAnyBmp> copy(App().CopyBitmap(bmp.get()));
    ASSERT_NE(copy, nullptr);
    EXPECT_TRUE(copy->AlmostEqual(*bmp, 0));
    EXPECT_EQ(App().CopyBitmap(nullptr), nullptr);
    EXPECT_EQ(App().GetBitsPerPixel(nullptr), 0);
    App().DeleteBitmap(nullptr);
    App().DeleteBitmap(copy.release());
}

class AdjustImageTest : public ::testing::Test
{
protected:
    Block Adjust(const ILBmp& bmp, int alpha, double hue, double lightness, double saturation, bool relative,
                 bool fit = false)
    {
        return Block(App().AdjustImage(&bmp, alpha, hue, lightness, saturation, relative, m_width, m_height, m_depth,
                                       fit));
    }

    static double HueOf(const ILPixel32& p)
    {
        double hue = 0;
        double lightness = 0;
        double saturation = 0;
        RGBToHSL(p.r, p.g, p.b, hue, lightness, saturation);
        return hue;
    }

    int m_width = 0;
    int m_height = 0;
    int m_depth = 0;
};

TEST_F(AdjustImageTest, ARelativeHueTurnsRedBackwardsAroundTheCircle)
{
    const auto red = MakeFilledBitmap(1, 1, 0xFFFF0000, false);
    const Block block = Adjust(*red, 255, -30.0, 0.0, 0.0, true);
    EXPECT_NEAR(HueOf(BlockPixel(block, 1, 0, 0)), 330.0, 1.0);
    EXPECT_EQ(m_depth, 32);
}

TEST_F(AdjustImageTest, AnAbsoluteHueReplacesThePixelsHue)
{
    const auto red = MakeFilledBitmap(1, 1, 0xFFFF0000, false);
    const Block block = Adjust(*red, 255, 120.0, 0.0, 0.0, false);
    EXPECT_EQ(BlockPixel(block, 1, 0, 0), ILPixel32(0, 255, 0, 255));
}

TEST_F(AdjustImageTest, RemovingAllSaturationLeavesTheGreyOfEachPixelsLightness)
{
    const auto bmp = MakeBitmap(2, 1, {0xFFFF0000, 0xFFFFFFFF}, false);
    const Block block = Adjust(*bmp, 255, 0.0, 0.0, -1.0, true);
    EXPECT_EQ(BlockPixel(block, 2, 0, 0), ILPixel32(127, 127, 127, 255));
    EXPECT_EQ(BlockPixel(block, 2, 1, 0), ILPixel32(255, 255, 255, 255));
}

TEST_F(AdjustImageTest, LightnessIsKeptWithinItsLimits)
{
    const auto bmp = MakeFilledBitmap(1, 1, 0xFF808080, false);
    const Block darkest = Adjust(*bmp, 255, 0.0, -5.0, 0.0, true);
    EXPECT_EQ(BlockPixel(darkest, 1, 0, 0), ILPixel32(2, 2, 2, 255));  // lightness 0.01
    const Block lightest = Adjust(*bmp, 255, 0.0, 5.0, 0.0, true);
    EXPECT_EQ(BlockPixel(lightest, 1, 0, 0), ILPixel32(255, 255, 255, 255));
}

TEST_F(AdjustImageTest, AnAlphaBelowFullScalesEveryPixelsAlphaAlone)
{
    const auto bmp = MakeBitmap(2, 1, {0xFF102030, 0x01405060}, true);
    const Block block = Adjust(*bmp, 128, 0.0, 0.0, 0.0, true);
    EXPECT_EQ(BlockPixel(block, 2, 0, 0), ILPixel32(0x10, 0x20, 0x30, 128));
    EXPECT_EQ(BlockPixel(block, 2, 1, 0), ILPixel32(0x40, 0x50, 0x60, 0));
}

TEST_F(AdjustImageTest, ValuesThatAreNotNumbersOrFarOutsideTheCircleEndAndShiftNothingWrong)
{
    const auto red = MakeFilledBitmap(1, 1, 0xFFFF0000, false);
    const Block far = Adjust(*red, 255, 1e300, 0.0, 0.0, true);
    EXPECT_NE(far, nullptr);
    const Block notANumber = Adjust(*red, 255, std::nan(""), std::nan(""), 0.0, true);
    EXPECT_EQ(BlockPixel(notANumber, 1, 0, 0), ILPixel32(255, 0, 0, 255));
}

TEST_F(AdjustImageTest, FittingResizesToTheTextureSizeAndReportsIt)
{
    const auto bmp = MakeFilledBitmap(3, 5, 0xFF00FF00, false);
    const Block block = Adjust(*bmp, 255, 0.0, 0.0, 0.0, true, true);
    EXPECT_EQ(m_width, 4);
    EXPECT_EQ(m_height, 8);
    EXPECT_EQ(BlockPixel(block, 4, 3, 7), ILPixel32(0, 255, 0, 255));

    SetTextureSizeFitter([](int& width, int& height) {
        width = 2;
        height = 2;
        return false;
    });
    const Block fitted = Adjust(*bmp, 255, 0.0, 0.0, 0.0, true, true);
    SetTextureSizeFitter(nullptr);
    EXPECT_EQ(m_width, 2);
    EXPECT_EQ(m_height, 2);

    const Block unfitted = Adjust(*bmp, 255, 0.0, 0.0, 0.0, true, false);
    EXPECT_EQ(m_width, 3);
    EXPECT_EQ(m_height, 5);
}

TEST(TextureSizeFitTest, SidesBecomePowersOfTwoHalvedTogetherBelowTheMaximum)
{
    int width = 1024;
    int height = 256;
    EXPECT_TRUE(FitToPowerOfTwo(width, height, 1024));
    width = 3000;
    height = 100;
    EXPECT_FALSE(FitToPowerOfTwo(width, height, 1024));
    EXPECT_EQ(width, 1024);
    EXPECT_EQ(height, 32);
    width = 4096;
    height = 1;
    EXPECT_FALSE(FitToPowerOfTwo(width, height, 1024));
    EXPECT_EQ(width, 1024);
    EXPECT_EQ(height, 1);
}

// A PNG and a bitmap resource of the program, registered once for these tests.
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

        ILWinBmp rgb;
        rgb.CreateFromData(2, 2, 24, false, false, nullptr, 0, ILPoint(0, 0));
        const std::uint8_t top[] = {1, 2, 3, 4, 5, 6};
        const std::uint8_t bottom[] = {7, 8, 9, 10, 11, 12};
        std::memcpy(rgb.GetLineArray()[0], top, 6);
        std::memcpy(rgb.GetLineArray()[1], bottom, 6);
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
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(m_width, 2);
    EXPECT_EQ(m_height, 2);
    EXPECT_EQ(m_depth, 32);
    EXPECT_EQ(BlockPixel(block, 2, 0, 0), ILPixel32(1, 2, 3, 255));
    EXPECT_EQ(BlockPixel(block, 2, 1, 0), ILPixel32(4, 5, 6, 128));
    EXPECT_EQ(BlockPixel(block, 2, 1, 1), ILPixel32(10, 11, 12, 0));
}

TEST_F(ImageResourceTest, ABitmapResourceComesBottomRowFirstAndOpaque)
{
    const Block block(App().LoadBitmapResource(kBitmapId, m_width, m_height, m_depth));
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(m_depth, 32);
    // Memory order: the bottom row (7..12) first; bytes are blue, green, red.
    EXPECT_EQ(block.get()[0], 7);
    EXPECT_EQ(block.get()[3], 255);
    EXPECT_EQ(block.get()[8], 1);
}

TEST_F(ImageResourceTest, APaletteBitmapResourceIsWidenedToThirtyTwoBits)
{
    const Block block(App().LoadBitmapResource(kPaletteBitmapId, m_width, m_height, m_depth));
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(m_depth, 32);
    EXPECT_EQ(BlockPixel(block, 1, 0, 0), ILPixel32(40, 50, 60, 255));
}

TEST_F(ImageResourceTest, AMissingResourceThrowsTheLibraryError)
{
    EXPECT_THROW((void)App().LoadPngResource(9199, m_width, m_height, m_depth), ILTextException);
    EXPECT_THROW((void)App().LoadBitmapResource(9199, m_width, m_height, m_depth), ILTextException);
}

TEST(ImageLibAppTest, WindowSystemBitmapsAndDrawingReportFailureUntilTheViewExists)
{
    const auto bmp = MakeFilledBitmap(1, 1, 0xFF000000, false);
    EXPECT_EQ(App().DibFromHBitmap(nullptr), nullptr);
    EXPECT_FALSE(App().SaveWinBmpFile(nullptr, "x.png"));
    EXPECT_FALSE(App().DrawBitmap(bmp.get(), nullptr, 0, 0, 1, 1));
}

}  // namespace
