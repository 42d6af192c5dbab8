// The picture services the program's windows install for the image library: the
// system clipboard (Qt's own clipboard under the offscreen platform) and the painter that
// draws stored pictures into a window.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <memory>

#include "app/hostservices.h"
#include "app/qtdevicecontext.h"
#include "apptestsupport.h"
#include "document/dib.h"
#include "imaging/ilanybmp.h"
#include "imaging/ilwinbmp.h"
#include "platform/clipboard.h"

namespace {

class PictureHooksTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        apptest::PrepareApplication();
        InstallHostServices(true);
        QGuiApplication::clipboard()->clear();
    }
    void TearDown() override { InstallHostServices(false); }

    // 3 × 2 at 32 bits: top row red, green, blue; bottom row grey.
    static void Fill(ILBmp& bmp)
    {
        bmp.CreateFromData(3, 2, 32, false, false, nullptr, 0, ILPoint(0, 0));
        const std::uint32_t top[] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF};
        for (int x = 0; x < 3; ++x)
        {
            reinterpret_cast<std::uint32_t*>(bmp.GetLineArray()[0])[x] = top[x];
            reinterpret_cast<std::uint32_t*>(bmp.GetLineArray()[1])[x] = 0xFF5A5A5A;
        }
    }
    static std::uint32_t Pixel(const ILBmp& bmp, int x, int y)
    {
        return reinterpret_cast<const std::uint32_t*>(bmp.GetLineArray()[y])[x] & 0xFFFFFF;
    }
};

TEST_F(PictureHooksTest, ABitmapGoesThroughTheClipboardAndComesBackAsDibOrBitmap)
{
    ILWinBmp empty;
    EXPECT_FALSE(empty.CreateFromClipboard(CF_DIB));
    EXPECT_FALSE(empty.CreateFromClipboard(CF_BITMAP));

    ILWinBmp original;
    Fill(original);
    ASSERT_TRUE(original.CopyToClipboard());
    EXPECT_FALSE(QGuiApplication::clipboard()->image().isNull());
    for (const UINT format : {CF_DIB, CF_BITMAP})
    {
        SCOPED_TRACE(format);
        ILWinBmp read;
        ASSERT_TRUE(read.CreateFromClipboard(format));
        // The clipboard may hand the DIB out at 24 bits.
        ILWinBmp back;
        back.CreateCopy(read, 32);
        ASSERT_EQ(back.GetWidth(), 3);
        ASSERT_EQ(back.GetHeight(), 2);
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 3; ++x)
                EXPECT_EQ(Pixel(back, x, y), Pixel(original, x, y)) << x << "," << y;
    }
    EXPECT_FALSE(empty.CreateFromClipboard(CF_PALETTE));

    // Without the program's windows there is no clipboard.
    InstallHostServices(false);
    EXPECT_FALSE(original.CopyToClipboard());
}

TEST_F(PictureHooksTest, AStoredPictureIsDrawnStretchedIntoTheWindowsPainter)
{
    auto* bmp = new ILAnyBmp;
    Fill(*bmp);
    CDib dib;
    dib.Create(bmp, 4, 3, 2, false);
    QImage target(6, 4, QImage::Format_RGB32);
    target.fill(Qt::white);
    {
        QPainter painter(&target);
        HDC__ context{&painter};
        ASSERT_TRUE(dib.Draw(&context, 0, 0, 6, 4));
        EXPECT_FALSE(dib.Draw(nullptr, 0, 0, 6, 4));
    }
    EXPECT_EQ(target.pixel(0, 0) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(target.pixel(5, 0) & 0xFFFFFF, 0x0000FFu);
    EXPECT_EQ(target.pixel(3, 3) & 0xFFFFFF, 0x5A5A5Au);
}

}  // namespace
