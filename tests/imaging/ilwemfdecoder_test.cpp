#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "codectestutil.h"
#include "imaging/ilanypicdecoder.h"
#include "imaging/ilwemfdecoder.h"
#include "metafilewriter.h"

using namespace codectest;
using namespace metafiletest;

namespace {

constexpr std::uint32_t kGreen = 0x00FF00;
constexpr std::uint32_t kBlack = 0;

// The scene of the drawing test, in pixels of a 96 × 48 picture, times `scale`.
void DrawScene(const std::function<void(int, std::uint32_t)>& brush,
               const std::function<void(int, int, int, int, bool)>& shape,
               const std::function<void(const Points&)>& polygon, int scale)
{
    brush(0, kRed);
    shape(8 * scale, 8 * scale, 30 * scale, 30 * scale, false);
    brush(1, kBlue);
    shape(40 * scale, 6 * scale, 70 * scale, 40 * scale, true);
    brush(2, kGreen);
    polygon({{75 * scale, 5 * scale}, {92 * scale, 40 * scale}, {75 * scale, 40 * scale}});
}

std::string SceneWmf(int scale)
{
    WmfWriter w;
    w.Pen(5, 0, 0).Select(0);
    DrawScene([&w](int, std::uint32_t c) { w.Brush(0, c).Select(1).Delete(1); },
              [&w](int l, int t, int r, int b, bool ellipse) { ellipse ? w.Ellipse(l, t, r, b) : w.Rectangle(l, t, r, b); },
              [&w](const Points& p) { w.Polygon(p); }, scale);
    w.Pen(0, 0, kBlack).Select(1).MoveTo(0, 46 * scale).LineTo(95 * scale, 46 * scale);
    return w.Placeable(0, 0, 96 * scale, 48 * scale, 96 * scale);
}

std::string SceneEmf(int scale)
{
    EmfWriter e;
    if (scale != 1) {
        e.MapMode(8).WindowExt(960, 480).ViewportExt(96, 48);
    }
    e.Select(0x80000008);  // no pen
    DrawScene([&e](int handle, std::uint32_t c) { e.Brush(handle + 1, 0, c).Select(handle + 1); },
              [&e](int l, int t, int r, int b, bool ellipse) { ellipse ? e.Ellipse(l, t, r, b) : e.Rectangle(l, t, r, b); },
              [&e](const Points& p) { e.Polygon16(p); }, scale);
    e.Pen(1, 0, 0, kBlack).Select(1).MoveTo(0, 46 * scale).LineTo(95 * scale, 46 * scale);
    return e.Bytes(2540, 1270);
}

class ILWEMFDecoderTest : public ToolTest
{
protected:
    ILAnyBmp Decode(const std::string& name, const std::string& bytes, int depth = 0)
    {
        ILAnyBmp bmp;
        ILWEMFDecoder decoder;
        decoder.MakeBmpFromFile(WriteFile(name, bytes).c_str(), bmp, depth);
        return bmp;
    }

    int FailureCode(const std::string& name, const std::string& bytes)
    {
        try {
            Decode(name, bytes);
        } catch (const ILTextException& e) {
            return e.GetCode();
        }
        return 0;
    }
};

// Pixels whose colours differ clearly.
int DifferentPixels(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b)
{
    int count = 0;
    for (size_t i = 0; i + 3 < a.size() && i + 3 < b.size(); i += 4) {
        if (std::abs(a[i] - b[i]) > 100 || std::abs(a[i + 1] - b[i + 1]) > 100 || std::abs(a[i + 2] - b[i + 2]) > 100) {
            ++count;
        }
    }
    return count;
}

}  // namespace

TEST_F(ILWEMFDecoderTest, ShapesOfBothKindsMatchAReferenceRendering)
{
    SKIP_WITHOUT_TOOLS("convert");
    const std::string reference = PathOf("reference.png");
    Shell("convert -size 96x48 xc:white +antialias -stroke none -fill red -draw 'rectangle 8,8 29,29' "
          "-fill blue -draw 'ellipse 55,23 15,17 0,360' -fill lime -draw 'polygon 75,5 92,40 75,40' "
          "-fill none -stroke black -strokewidth 1 -draw 'line 0,46 95,46' " + Quote(reference));
    const std::vector<uint8_t> expected = ToolRgba(reference);
    const struct
    {
        const char* name;
        std::string bytes;
    } variants[] = {
        {"placeable.wmf", SceneWmf(15)},
        {"device-units.emf", SceneEmf(1)},
        {"anisotropic.emf", SceneEmf(10)},
    };
    for (const auto& v : variants) {
        SCOPED_TRACE(v.name);
        const ILAnyBmp bmp = Decode(v.name, v.bytes);
        ASSERT_EQ(bmp.GetWidth(), 96);
        ASSERT_EQ(bmp.GetHeight(), 48);
        EXPECT_EQ(bmp.GetBitsPerPixel(), 32);
        // Edges may fall a pixel apart; 3 % of the picture allows for that and no more.
        EXPECT_LE(DifferentPixels(BitmapRgba(bmp), expected), 96 * 48 * 3 / 100);
    }
}

TEST_F(ILWEMFDecoderTest, PictureSizesComeFromTheHeadersOnANinetySixDpiScreen)
{
    const struct
    {
        const char* name;
        std::string bytes;
        int width;
        int height;
    } cases[] = {
        {"placeable.wmf", WmfWriter().Placeable(0, 0, 1440, 720, 1440), 96, 48},
        {"placeable-twice-as-fine.wmf", WmfWriter().Placeable(100, 100, 2980, 1540, 2880), 96, 48},
        {"window.wmf", WmfWriter().WindowExt(200, 100).Bytes(), 200, 100},
        {"huge-window.wmf", WmfWriter().WindowExt(30000, 3000).Bytes(), 1920, 192},
        {"no-window.wmf", WmfWriter().Bytes(), 320, 200},
        {"placeable-without-units.wmf", WmfWriter().Placeable(0, 0, 1440, 720, 0), 320, 200},
        {"frame.emf", EmfWriter().Bytes(5080, 2540), 192, 96},
        {"empty-frame.emf", EmfWriter().Bytes(0, 0), 320, 200},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ILAnyBmp bmp = Decode(c.name, c.bytes);
        EXPECT_EQ(bmp.GetWidth(), c.width);
        EXPECT_EQ(bmp.GetHeight(), c.height);
        EXPECT_EQ(PixelAt(bmp, c.width / 2, c.height / 2), ILPixel32(255, 255, 255, 255));  // undrawn: white
    }
}

TEST_F(ILWEMFDecoderTest, BitmapsAreStretchedIntoTheirRectangles)
{
    const auto dib = Dib24(2, {kRed, kGreen, kBlue, 0x808080});
    const std::string wmf = WmfWriter().StretchDib(10, 10, 20, 20, 2, 2, dib).Placeable(0, 0, 40, 40, 96);
    const std::string emf = EmfWriter().StretchDIBits(10, 10, 20, 20, 2, 2, dib).Bytes(1059, 1059);
    for (const auto& [name, bytes] : {std::pair{"bitmap.wmf", wmf}, std::pair{"bitmap.emf", emf}}) {
        SCOPED_TRACE(name);
        const ILAnyBmp bmp = Decode(name, bytes);
        ASSERT_EQ(bmp.GetWidth(), 40);
        EXPECT_EQ(PixelAt(bmp, 12, 12), ILPixel32(255, 0, 0, 255));
        EXPECT_EQ(PixelAt(bmp, 27, 12), ILPixel32(0, 255, 0, 255));
        EXPECT_EQ(PixelAt(bmp, 12, 27), ILPixel32(0, 0, 255, 255));
        EXPECT_EQ(PixelAt(bmp, 27, 27), ILPixel32(128, 128, 128, 255));
        EXPECT_EQ(PixelAt(bmp, 5, 5), ILPixel32(255, 255, 255, 255));
    }
}

TEST_F(ILWEMFDecoderTest, AMetafileWithAPaletteDecodesToEightBitsWithIt)
{
    EmfWriter e;
    e.Brush(1, 0, Rgb(200, 0, 0)).Select(1).Select(0x80000008).Rectangle(0, 0, 10, 20);
    const ILAnyBmp bmp = Decode("palette.emf", e.Bytes(530, 530, {Rgb(255, 255, 255), Rgb(200, 0, 0)}));
    ASSERT_EQ(bmp.GetBitsPerPixel(), 8);
    EXPECT_EQ(bmp.GetLineArray()[5][5], 1);
    EXPECT_EQ(bmp.GetLineArray()[5][15], 0);
    EXPECT_EQ(bmp.GetPalette()[1], ILPixel32(200, 0, 0, 255));
    EXPECT_EQ(Decode("palette.emf", e.Bytes(530, 530, {Rgb(255, 255, 255), Rgb(200, 0, 0)}), 32).GetBitsPerPixel(),
              32);
}

// Pins a fault: metafiles cut short decoded as whole pictures.
TEST_F(ILWEMFDecoderTest, MetafilesCutShortOrWithoutTheirEndRecordEndWithEndOfData)
{
    const std::string wmf = SceneWmf(1);
    const std::string emf = SceneEmf(1);
    constexpr size_t kWmfHeaders = 22 + 18;  // placeable and standard header
    constexpr size_t kEmfHeader = 88;
    // The same files without their end records, their declared sizes made to match.
    std::string wmfWithoutEnd = wmf.substr(0, wmf.size() - 6);
    Put32(wmfWithoutEnd, 22 + 6, static_cast<uint32_t>(wmfWithoutEnd.size() - 22) / 2);
    std::string emfWithoutEnd = emf.substr(0, emf.size() - 20);
    Put32(emfWithoutEnd, 48, static_cast<uint32_t>(emfWithoutEnd.size()));
    const struct
    {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"quarter.wmf", wmf.substr(0, wmf.size() / 4)},
        {"half.wmf", wmf.substr(0, wmf.size() / 2)},
        {"three-quarters.wmf", wmf.substr(0, wmf.size() * 3 / 4)},
        {"bare-headers.wmf", wmf.substr(0, kWmfHeaders)},
        {"inside-the-end-record.wmf", wmf.substr(0, wmf.size() - 1)},
        {"without-end-record.wmf", wmfWithoutEnd},
        {"half.emf", emf.substr(0, emf.size() / 2)},
        {"three-quarters.emf", emf.substr(0, emf.size() * 3 / 4)},
        {"bare-header.emf", emf.substr(0, kEmfHeader)},
        {"inside-the-end-record.emf", emf.substr(0, emf.size() - 1)},
        {"without-end-record.emf", emfWithoutEnd},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FailureCode(c.name, c.bytes), ILTextException::endOfData) << c.name;
    }
    EXPECT_EQ(FailureCode("whole.wmf", wmf), 0);
    EXPECT_EQ(FailureCode("whole.emf", emf), 0);
}

// A metafile without a drawable record used to be refused.
TEST_F(ILWEMFDecoderTest, AMetafileWithoutADrawableRecordIsAWhitePicture)
{
    const std::string unknownOnly = WmfWriter().Record(0x0149, {1, 2, 3, 4}).Placeable(0, 0, 20, 10, 96);
    for (const auto& [name, bytes] : {std::pair{"unknown-only.wmf", unknownOnly}, std::pair{"empty.emf", EmfWriter().Bytes(530, 265)}}) {
        SCOPED_TRACE(name);
        const ILAnyBmp bmp = Decode(name, bytes);
        ASSERT_EQ(bmp.GetWidth(), 20);
        ASSERT_EQ(bmp.GetHeight(), 10);
        for (int y = 0; y < 10; ++y) {
            for (int x = 0; x < 20; ++x) {
                EXPECT_EQ(PixelAt(bmp, x, y), ILPixel32(255, 255, 255, 255)) << x << ", " << y;
            }
        }
    }
}

TEST_F(ILWEMFDecoderTest, AMetafileThatAsksForTooMuchDrawingIsCutShortAndSaysSo)
{
    // A clip of 4,096 bands moved again and again: each move costs the whole clip.
    std::vector<std::int64_t> bands;
    for (int y = 0; y < 4096; ++y) {
        bands.insert(bands.end(), {y % 2, y, 20, y + 1});
    }
    const std::string region = RegionData(bands);
    EmfWriter moves;
    moves.Record(75, {static_cast<std::int64_t>(region.size()), 5}, region);
    for (int i = 0; i < 100; ++i) {
        moves.Record(26, {i % 2 == 0 ? 1 : -1, 0});
    }
    const struct
    {
        const char* name;
        std::string bytes;
        bool cutShort;
    } cases[] = {{"scene.emf", SceneEmf(1), false}, {"moves.emf", moves.Bytes(530, 265), true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ILAnyBmp bmp;
        ILWEMFDecoder decoder;
        decoder.MakeBmpFromFile(WriteFile(c.name, c.bytes).c_str(), bmp, 0);
        EXPECT_EQ(decoder.IsCutShort(), c.cutShort);
        ILAnyPicDecoder any;
        any.MakeBmpFromFile(WriteFile(c.name, c.bytes).c_str(), bmp, 0);
        EXPECT_EQ(any.IsCutShort(), c.cutShort);
    }
}

TEST_F(ILWEMFDecoderTest, DamagedMetafilesEndWithTheirErrorCode)
{
    const std::string wmf = WmfWriter().Rectangle(0, 0, 5, 5).Placeable(0, 0, 20, 20, 96);
    const std::string emf = EmfWriter().Rectangle(0, 0, 5, 5).Bytes(530, 530);
    std::string badHeader = WmfWriter().Bytes();
    badHeader[2] = 7;
    const struct
    {
        const char* name;
        std::string bytes;
        int code;
    } cases[] = {
        {"windows-metafile.emf", wmf, ILTextException::notSupported},
        {"enhanced-metafile.wmf", emf, ILTextException::notSupported},
        {"header-of-seven-words.wmf", badHeader, ILTextException::notSupported},
        {"placeable-header-cut.wmf", wmf.substr(0, 12), ILTextException::notSupported},
        {"enhanced-header-cut.emf", emf.substr(0, 60), ILTextException::notSupported},
        {"record-of-size-zero.wmf", WmfWriter().Raw(Le32(0) + Le16(0x041B)).Rectangle(0, 0, 5, 5).Bytes(),
         ILTextException::badFormat},
        {"record-past-the-end.wmf", WmfWriter().Raw(Le32(1000) + Le16(0x041B)).Rectangle(0, 0, 5, 5).Bytes(),
         ILTextException::endOfData},
        {"record-of-size-four.emf", EmfWriter().Raw(Le32(43) + Le32(4)).Rectangle(0, 0, 5, 5).Bytes(530, 530),
         ILTextException::badFormat},
        {"larger-than-the-limit.wmf", WmfWriter().Placeable(0, 0, 32000, 32000, 1), ILTextException::noMemory},
        {"frame-larger-than-the-limit.emf", EmfWriter().Bytes(2000000000, 1000), ILTextException::noMemory},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FailureCode(c.name, c.bytes), c.code) << c.name;
    }
    EXPECT_EQ(FailureCode("good.wmf", wmf), 0);
    EXPECT_EQ(FailureCode("good.emf", emf), 0);
}
