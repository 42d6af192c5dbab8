// Alpha text images: texture sizes fitted to the image, large images reduced or tiled,
// and both drawn at their own size where the frame puts them.

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "document/texturegl.h"
#include "platform/profile.h"
#include "platform/settingsstore.h"
#include "render/glimage.h"
#include "render/gltiledimage.h"
#include "render/texturesize.h"
#include "tests/render/glcontextfixture.h"

namespace {

// A 24-bit bitmap, rows from the top, black where the predicate holds and white elsewhere.
template <class Dark>
std::vector<std::uint8_t> Bitmap(int width, int height, Dark dark)
{
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width) * height * 3, 255);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (dark(x, y)) {
                std::fill_n(pixels.begin() + (static_cast<std::ptrdiff_t>(y) * width + x) * 3, 3, std::uint8_t{0});
            }
        }
    }
    return pixels;
}

class TextImageTest : public GLContextTest
{
protected:
    static constexpr int kWide = 1100;
    static constexpr int kTall = 40;

    void SetUp() override { MakeCurrent(kWide, kTall, 0); }

    // Clears to white and loads a frame that shows model units 0..units wide across
    // the framebuffer, one unit a pixel upwards.
    void BeginFrame(double units)
    {
        glViewport(0, 0, kWide, kTall);
        glClearColor(1, 1, 1, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(0, units, 0, kTall, -1, 1);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glColor3ub(0, 0, 255);
    }
    // Whether the pixel (x from the left, y from the bottom) shows the text colour.
    bool Inked(int x, int y)
    {
        std::uint8_t rgba[4] = {};
        glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
        return rgba[0] < 60 && rgba[2] > 200;
    }
};

TEST_F(TextImageTest, TextureSidesArePowersOfTwoAndLargeImagesAreReducedTo1024)
{
    const struct {
        int width, height;
        int textureWidth, textureHeight;
        double scale;
    } cases[] = {
        {3, 5, 4, 8, 1.0},
        {1, 1, 2, 2, 1.0},
        {1024, 1024, 1024, 1024, 1.0},
        {2048, 512, 1024, 256, 2.0},
        {2048, 100, 1024, 64, 2.0},
        {100, 4096, 32, 1024, 4.0},
    };
    for (const auto& c : cases) {
        const std::vector<std::uint8_t> pixels = Bitmap(c.width, c.height, [](int, int) { return true; });
        CGLImage image;
        image.Upload(c.width, c.height, pixels.data(), 24, 0, true);
        EXPECT_EQ(image.GetTextureWidth(), c.textureWidth) << c.width << " x " << c.height;
        EXPECT_EQ(image.GetTextureHeight(), c.textureHeight) << c.width << " x " << c.height;
        EXPECT_DOUBLE_EQ(image.GetScale(), c.scale);
        EXPECT_EQ(image.GetWidth(), c.width) << "the image keeps its own size";
        GLint width = 0;
        glBindTexture(GL_TEXTURE_2D, image.GetTexture());
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
        EXPECT_EQ(width, c.textureWidth);
    }
}

TEST_F(TextImageTest, BitmapsThatCannotBeReadUploadNothing)
{
    const std::vector<std::uint8_t> pixels(64 * 3, 0);
    const struct {
        const void* pixels;
        int width, height, bits, stride;
    } cases[] = {
        {nullptr, 8, 8, 24, 0}, {pixels.data(), 8, 8, 16, 0}, {pixels.data(), 0, 8, 24, 0},
        {pixels.data(), 8, 8, 24, 12}, {pixels.data(), 1 << 16, 1, 24, 0},
    };
    for (const auto& c : cases) {
        CGLImage image;
        image.Upload(c.width, c.height, c.pixels, c.bits, c.stride, false);
        EXPECT_FALSE(image.HasTexture()) << c.width << " x " << c.height << " at " << c.bits;
    }
}

TEST_F(TextImageTest, AReducedImageIsDrawnAtItsOwnSize)
{
    // Dark on the left half only: the quad must reach 2048 units, its ink end at 1024.
    const std::vector<std::uint8_t> pixels = Bitmap(2048, 20, [](int x, int) { return x < 1024; });
    CGLImage image;
    image.Upload(2048, 20, pixels.data(), 24, 0, true);
    BeginFrame(2048.0);
    image.Draw(nullptr);
    EXPECT_TRUE(Inked(10, 10));
    EXPECT_TRUE(Inked(kWide / 2 - 3, 10));
    EXPECT_FALSE(Inked(kWide / 2 + 3, 10));
    EXPECT_FALSE(Inked(10, 25)) << "nothing above the image";
    EXPECT_NE(image.GetDisplayList(), 0U) << "the first draw records the list";
}

TEST(TiledImage, LengthsSplitIntoTilesOfAtMost1024ThatReachAtMost32Past)
{
    const struct {
        int length;
        std::vector<int> tiles;
        int lastUsed;
    } cases[] = {
        {1100, {1024, 64, 16}, 12}, {100, {128}, 100}, {5, {16}, 5},       {1000, {1024}, 1000},
        {0, {}, 0},                 {10240, std::vector<int>(10, 1024), 1024},
    };
    for (const auto& c : cases) {
        CGLTiledImage::Split split;
        ASSERT_TRUE(CGLTiledImage::SplitLength(c.length, split)) << c.length;
        EXPECT_EQ(std::vector<int>(split.sizes.begin(), split.sizes.begin() + split.count), c.tiles) << c.length;
        EXPECT_EQ(split.lastUsed, c.lastUsed) << c.length;
    }
    CGLTiledImage::Split split;
    EXPECT_FALSE(CGLTiledImage::SplitLength(10241, split)) << "more than 10 tiles";
    EXPECT_EQ(split.count, 0);
}

TEST_F(TextImageTest, ATiledImageDrawsEveryTileAtFullResolution)
{
    // White only under the second column of tiles (1024..1087), dark everywhere else.
    const std::vector<std::uint8_t> pixels =
        Bitmap(kWide, 20, [](int x, int) { return x < 1024 || x >= 1088; });
    CGLTiledImage image;
    image.Upload(kWide, 20, pixels.data(), 24, 0, true);
    ASSERT_EQ(image.GetColumns().count, 3);
    BeginFrame(kWide);
    image.Draw(nullptr);
    EXPECT_TRUE(Inked(1000, 10));
    EXPECT_FALSE(Inked(1050, 10));
    EXPECT_TRUE(Inked(1095, 10)) << "the last, partly used tile";
    EXPECT_FALSE(Inked(1095, 25)) << "nothing above the image";
}

TEST_F(TextImageTest, ImagesForgetTheNamesOfAReplacedContext)
{
    const std::vector<std::uint8_t> pixels = Bitmap(8, 8, [](int, int) { return true; });
    CGLImage image;
    image.Upload(8, 8, pixels.data(), 24, 0, false);
    image.Draw(nullptr);
    ASSERT_FALSE(image.IsStale());
    ForgetGLTextureNames();
    EXPECT_TRUE(image.IsStale());
    BeginFrame(kWide);
    image.Draw(nullptr);
    EXPECT_FALSE(image.HasTexture()) << "a stale image draws nothing and holds nothing";
    EXPECT_FALSE(Inked(2, 2));
}

TEST_F(TextImageTest, TheLargestTextureSideFollowsTheSettingWithinTheDriversMaximum)
{
    GLint driverMax = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &driverMax);
    CSettingsStore store{CString()};
    SetProfileStore(&store);
    const struct {
        int setting, expected;
    } cases[] = {{3000, 1024}, {0, driverMax}, {512, 512}, {1, 1024}, {-4, 1024}, {1 << 30, driverMax}};
    for (const auto& c : cases) {
        WriteProfileInt(CString("Textures"), CString("MaxGLSize"), c.setting);
        ForgetMaxTextureSize();
        EXPECT_EQ(GetMaxTextureSize(), c.expected) << c.setting;
    }
    WriteProfileInt(CString("Textures"), CString("MaxGLSize"), 512);
    ForgetMaxTextureSize();
    int width = 300;
    int height = 2000;
    EXPECT_FALSE(FitTextureSize(width, height));
    EXPECT_EQ(width, 128);
    EXPECT_EQ(height, 512);
    width = 256;
    height = 64;
    EXPECT_TRUE(FitTextureSize(width, height));
    ForgetMaxTextureSize();
    SetProfileStore(nullptr);
}

}  // namespace
