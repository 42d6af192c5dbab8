#include "app/mfcwinbmp.h"

#include <gtest/gtest.h>

#include <QImage>

#include "apptestsupport.h"

namespace {

// A bitmap of the given pixels in one row (red, green, blue, alpha each).
CMfcWinBmp RowOf(std::initializer_list<QColor> pixels)
{
    QImage image(static_cast<int>(pixels.size()), 1, QImage::Format_ARGB32);
    int x = 0;
    for (const QColor& colour : pixels)
        image.setPixelColor(x++, 0, colour);
    CMfcWinBmp bmp;
    bmp.CreateFromImage(image);
    return bmp;
}

QColor PixelOf(const CMfcWinBmp& bmp, int x)
{
    return bmp.ToImage().pixelColor(x, 0);
}

constexpr DWORD kMidGrey = 0xFF808080;

TEST(MfcWinBmpTest, BlendingOverAColourKeepsOpaquePixelsAndMixesTheOthers)
{
    CMfcWinBmp bmp = RowOf({QColor(10, 20, 30, 255), QColor(255, 255, 255, 128), QColor(1, 2, 3, 0)});
    bmp.BlendOver(kMidGrey);
    EXPECT_EQ(PixelOf(bmp, 0), QColor(10, 20, 30, 255));
    // 255 + (128 − 255) × (1 − 128/255) = 191.75, halfway between white and the grey.
    EXPECT_EQ(PixelOf(bmp, 1), QColor(191, 191, 191, 255));
    EXPECT_EQ(PixelOf(bmp, 2), QColor(128, 128, 128, 255));
}

TEST(MfcWinBmpTest, BlendingOverNothingChangesNothing)
{
    CMfcWinBmp bmp = RowOf({QColor(255, 255, 255, 128)});
    bmp.BlendOver(0);
    EXPECT_EQ(PixelOf(bmp, 0), QColor(255, 255, 255, 128));
}

TEST(MfcWinBmpTest, TheDisabledFormIsAPaleGreyOfTheLuminance)
{
    CMfcWinBmp bmp = RowOf({QColor(0, 0, 0, 255), QColor(255, 255, 255, 255), QColor(200, 0, 0, 0)});
    bmp.MakeDisabled(0xFFC0C0C0);
    EXPECT_EQ(PixelOf(bmp, 0), QColor(128, 128, 128, 255));
    // Y = 254.999..., truncated to 254; 254 × 0.5 + 128 = 255.
    EXPECT_EQ(PixelOf(bmp, 1), QColor(255, 255, 255, 255));
    EXPECT_EQ(PixelOf(bmp, 2), QColor(192, 192, 192, 255));
}

TEST(MfcWinBmpTest, AnIconShowsTheBackgroundWhereTheImageIsTransparentAndMasksItOut)
{
    CMfcWinBmp bmp = RowOf({QColor(0, 0, 255, 255), QColor(9, 9, 9, 0)});
    const QImage icon = bmp.CreateIconOrCursor(false, RGB(212, 208, 200), CPoint{});
    EXPECT_EQ(icon.pixelColor(0, 0), QColor(0, 0, 255, 255));
    EXPECT_EQ(qRed(icon.pixel(1, 0)), 212);
    EXPECT_EQ(qGreen(icon.pixel(1, 0)), 208);
    EXPECT_EQ(qAlpha(icon.pixel(1, 0)), 0);

    const QImage cursor = bmp.CreateIconOrCursor(true, RGB(212, 208, 200), CPoint{});
    EXPECT_EQ(cursor.pixel(1, 0), qRgba(0, 0, 0, 0));
}

TEST(MfcWinBmpTest, WithoutABitmapEveryOperationDoesNothing)
{
    CMfcWinBmp bmp;
    EXPECT_FALSE(bmp.FlipVertical());
    EXPECT_EQ(bmp.GetWidth(), 0);
    EXPECT_EQ(bmp.GetBits(), nullptr);
    EXPECT_TRUE(bmp.CreateIconOrCursor(false, 0, CPoint{}).isNull());
    EXPECT_EQ(bmp.CreateCursor(CPoint{}), nullptr);
}

TEST(MfcWinBmpTest, FormatNamesFollowTheLastFourCharactersOfTheName)
{
    const struct
    {
        const char* name;
        const char* format;
    } cases[] = {{"photo.jpg", "JPEG"}, {"PHOTO.JPG", "JPEG"}, {"a.png", "PNG"}, {"b.Bmp", "BMP"},
                 {"c.tif", "TIF"},      {"d.jpeg", ""},        {"e.tiff", ""},   {"jpg", ""}};
    for (const auto& c : cases)
        EXPECT_EQ(FormatNameForExtension(CString(c.name)), CString(c.format)) << c.name;
}

TEST(MfcWinBmpTest, EmbeddedCursorImagesLoadAtThirtyTwoBitsAndMissingOnesLeaveNoBitmap)
{
    apptest::PrepareApplication();
    CMfcWinBmp bmp;
    ASSERT_TRUE(bmp.LoadFromResource(418, "VPNG"));
    EXPECT_EQ(bmp.GetWidth(), 32);
    EXPECT_EQ(bmp.GetHeight(), 32);
    EXPECT_EQ(bmp.GetBitsPerPixel(), 32);
    // Around the cursor's disc it is transparent.
    EXPECT_EQ(bmp.ToImage().pixelColor(0, 0).alpha(), 0);

    EXPECT_FALSE(bmp.LoadFromResource(632, "PNG"));
    EXPECT_FALSE(bmp.HasBitmap());
}

TEST(MfcWinBmpTest, AToolbarImageThatDoesNotLoadGivesNoImage)
{
    apptest::PrepareApplication();
    EXPECT_TRUE(CreateToolbarImageFromResource(1, "VPNG", true).isNull());
    EXPECT_TRUE(CreateToolbarImageFromFile(CString("/nonexistent/image.png"), true).isNull());
    const QImage greyed = CreateToolbarImageFromResource(418, "VPNG", false);
    ASSERT_FALSE(greyed.isNull());
    const QColor centre = greyed.pixelColor(16, 16);
    EXPECT_EQ(centre.red(), centre.green());
    EXPECT_EQ(centre.green(), centre.blue());
}

}  // namespace
