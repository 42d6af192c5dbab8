// Metafile records beyond shapes, paths and text: raster operations of pens, fills,
// bitmap copies, pattern blits and masked blits, text spacing, the meta region,
// widened paths and text outlines in paths, single pixels, flood fills, gradients, region
// frames and inversions, extent scaling, and the bitmap records with masks, keys, alpha and
// parallelograms. Each file is played straight into a 100 × 100 canvas whose pixels are the
// records' logical units.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "codectestutil.h"
#include "imaging/ilemfplayer.h"
#include "imaging/ilwmfplayer.h"
#include "metafilewriter.h"

using namespace metafiletest;

namespace {

const ILPixel32 kBlack(0, 0, 0, 255);
const ILPixel32 kCyan(0, 255, 255, 255);
const ILPixel32 kMagenta(255, 0, 255, 255);
const ILPixel32 kYellow(255, 255, 0, 255);
constexpr std::uint32_t kGreen = 0x00FF00;

struct Probe
{
    int x;
    int y;
    ILPixel32 colour;
};

struct Played
{
    ILMetafileCanvas canvas{100, 100};
    int skipped = 0;
};

std::unique_ptr<Played> PlayEmf(const EmfWriter& e)
{
    auto played = std::make_unique<Played>();
    const std::string bytes = e.Bytes(2646, 2646);
    ILEMFPlayer player(played->canvas);
    player.Play(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    played->skipped = player.GetSkippedCount();
    return played;
}

std::unique_ptr<Played> PlayWmf(const WmfWriter& w)
{
    auto played = std::make_unique<Played>();
    const std::string bytes = w.Bytes();
    ILWMFPlayer player(played->canvas, 0, 0, 100, 100);
    player.Play(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    played->skipped = player.GetSkippedCount();
    return played;
}

void ExpectProbes(const char* name, const Played& played, const std::vector<Probe>& probes)
{
    SCOPED_TRACE(name);
    EXPECT_EQ(played.skipped, 0);
    for (const Probe& p : probes) {
        EXPECT_EQ(played.canvas.GetPixel(p.x, p.y), p.colour) << "at " << p.x << ", " << p.y;
    }
}

// A bottom-up one-bit bitmap (black, white) of up to 32 columns: each row's bits from the left.
std::pair<std::string, std::string> Dib1(int width, const std::vector<std::uint32_t>& topDownBits)
{
    const int height = static_cast<int>(topDownBits.size());
    std::string header = Le32(40) + Le32(width) + Le32(height) + Le16(1) + Le16(1) + Le32(0) + Le32(0) +
                         std::string(16, '\0') + Le32(0) + Le32(0xFFFFFF);
    std::string rows;
    for (int y = height - 1; y >= 0; --y) {
        const std::uint32_t bits = topDownBits[static_cast<std::size_t>(y)] << (32 - width);
        rows += {static_cast<char>(bits >> 24), static_cast<char>(bits >> 16), static_cast<char>(bits >> 8),
                 static_cast<char>(bits)};
    }
    return {header, rows};
}

// A top-down 32-bit bitmap of one row: each pixel as 0xAARRGGBB.
std::pair<std::string, std::string> Dib32(const std::vector<std::uint32_t>& argb)
{
    std::string header = Le32(40) + Le32(static_cast<std::int64_t>(argb.size())) + Le32(-1) + Le16(1) + Le16(32) +
                         Le32(0) + Le32(0) + std::string(16, '\0');
    std::string row;
    for (const std::uint32_t p : argb) {
        row += Le32(p);
    }
    return {header, row};
}

// The offsets and sizes of a bitmap placed at `at` of a record: header offset, header size,
// rows offset, rows size.
std::vector<std::int64_t> DibFields(std::int64_t at, const std::pair<std::string, std::string>& dib)
{
    const auto info = static_cast<std::int64_t>(dib.first.size());
    return {at, info, at + info, static_cast<std::int64_t>(dib.second.size())};
}

std::vector<std::int64_t> Join(std::initializer_list<std::vector<std::int64_t>> parts)
{
    std::vector<std::int64_t> all;
    for (const auto& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

EmfWriter& RecordOf(EmfWriter& e, int type, const std::vector<std::int64_t>& values, const std::string& extra)
{
    std::string body;
    for (const std::int64_t v : values) {
        body += Le32(v);
    }
    return e.Raw(Le32(type) + Le32(static_cast<std::int64_t>(8 + body.size() + extra.size())) + body + extra);
}

const std::vector<std::int64_t> kBounds = {0, 0, 99, 99};
const std::vector<std::int64_t> kIdentity(6, 0);  // the source transformation is not used

EmfWriter RedFill()
{
    EmfWriter e;
    e.Brush(1, 0, kRed).Select(1).Select(kNoPen);
    return e;
}

// Text needs the system's fonts, found through the font configuration's tools.
class ILMetafileRecordsTest : public codectest::ToolTest
{
};

}  // namespace

TEST_F(ILMetafileRecordsTest, ShapesPixelsAndFillsOfBothKinds)
{
    const struct
    {
        const char* name;
        std::function<std::unique_ptr<Played>()> play;
        std::vector<Probe> probes;
    } cases[] = {
        {"round rectangle", [] { return PlayEmf(RedFill().Record(44, {0, 0, 100, 100, 60, 60})); },
         {{3, 3, kWhite}, {50, 2, kRedPixel}, {97, 50, kRedPixel}, {96, 96, kWhite}, {50, 50, kRedPixel}}},
        {"round rectangle (16-bit)",
         [] {
             WmfWriter w;
             w.Pen(5, 0, 0).Select(0).Brush(0, kRed).Select(1);
             return PlayWmf(w.Record(0x061C, {60, 60, 100, 100, 0, 0}));
         },
         {{3, 3, kWhite}, {50, 2, kRedPixel}, {50, 50, kRedPixel}}},
        {"pixel", [] { return PlayEmf(EmfWriter().Record(15, {5, 7, kBlue})); }, {{5, 7, kBluePixel}, {6, 7, kWhite}}},
        {"pixel (16-bit)", [] { return PlayWmf(WmfWriter().Record(0x041F, {0, 0xFF, 7, 5})); },
         {{5, 7, kBluePixel}, {5, 8, kWhite}}},
        {"flood to a border",
         [] {
             EmfWriter e;
             e.Pen(1, 0, 1, 0).Select(1).Brush(2, 1, 0).Select(2).Rectangle(20, 20, 80, 80);
             e.Brush(3, 0, kRed).Select(3);
             return PlayEmf(e.Record(53, {50, 50, 0, 0}));
         },
         {{50, 50, kRedPixel}, {21, 21, kRedPixel}, {15, 50, kWhite}, {10, 10, kWhite}}},
        {"flood of a surface",
         [] {
             EmfWriter e = RedFill();
             e.Rectangle(0, 0, 50, 100).Brush(2, 0, kBlue).Select(2);
             return PlayEmf(e.Record(53, {10, 10, kRed, 1}));
         },
         {{10, 10, kBluePixel}, {49, 90, kBluePixel}, {60, 50, kWhite}}},
        {"flood (16-bit)",
         [] {
             WmfWriter w;
             w.Pen(0, 1, 0).Select(0).Brush(1, 0).Select(1).Rectangle(20, 20, 80, 80);
             w.Brush(0, kRed).Select(2);
             return PlayWmf(w.Record(0x0419, {0, 0, 50, 50}));
         },
         {{50, 50, kRedPixel}, {10, 10, kWhite}}},
    };
    for (const auto& c : cases) {
        ExpectProbes(c.name, *c.play(), c.probes);
    }
}

TEST_F(ILMetafileRecordsTest, RasterOperationsCombinePensAndFillsWithTheCanvas)
{
    const struct
    {
        int mix;
        ILPixel32 over;  // a blue fill over red
    } cases[] = {{13, kBluePixel}, {6, kCyan}, {7, kMagenta}, {1, kBlack}, {16, kWhite}, {11, kRedPixel}};
    for (const auto& c : cases) {
        EmfWriter e = RedFill();
        e.Rectangle(0, 0, 100, 100).Record(20, {c.mix}).Brush(2, 0, kBlue).Select(2).Rectangle(0, 0, 50, 100);
        ExpectProbes(("emf mix " + std::to_string(c.mix)).c_str(), *PlayEmf(e), {{25, 50, c.over}, {75, 50, kRedPixel}});

        WmfWriter w;
        w.Pen(5, 0, 0).Select(0).Brush(0, kRed).Select(1).Rectangle(0, 0, 100, 100);
        w.Record(0x0104, {c.mix}).Brush(0, kBlue).Select(2).Rectangle(0, 0, 50, 100);
        ExpectProbes(("wmf mix " + std::to_string(c.mix)).c_str(), *PlayWmf(w), {{25, 50, c.over}});
    }
    // The operation is part of the saved state.
    EmfWriter saved = RedFill();
    saved.Record(33, {}).Record(20, {6}).Record(34, {-1}).Rectangle(0, 0, 100, 100);
    ExpectProbes("restored mix", *PlayEmf(saved), {{50, 50, kRedPixel}});
}

TEST_F(ILMetafileRecordsTest, RegionsAreFramedInvertedAndBoundByTheMetaRegion)
{
    const std::string region = RegionData({10, 10, 90, 90});
    EmfWriter frame;
    frame.Brush(1, 0, kRed);
    frame.Record(72, {0, 0, 99, 99, 48, 1, 5, 5}, region);
    ExpectProbes("frame", *PlayEmf(frame), {{12, 50, kRedPixel}, {50, 87, kRedPixel}, {50, 50, kWhite}, {5, 5, kWhite}});

    EmfWriter invert;
    invert.Record(73, {0, 0, 99, 99, 48}, region);
    ExpectProbes("invert", *PlayEmf(invert), {{50, 50, kBlack}, {5, 5, kWhite}});

    WmfWriter w;
    w.Record(0x06FF, {0, 0, 0, 0, 0, 0, 0, 10, 10, 90, 90});  // a region with no scans: its box
    w.Brush(0, kRed).Record(0x0429, {0, 1, 5, 5}).Record(0x012A, {0});
    ExpectProbes("frame and invert (16-bit)", *PlayWmf(w),
                 {{12, 50, kCyan}, {50, 50, kBlack}, {5, 5, kWhite}});

    // Later clip regions, even one that asks for the whole canvas, stay inside the meta region.
    EmfWriter meta = RedFill();
    meta.Record(30, {20, 20, 80, 80}).Record(28, {}).Record(75, {0, 5}).Rectangle(0, 0, 100, 100);
    ExpectProbes("meta region", *PlayEmf(meta), {{50, 50, kRedPixel}, {10, 10, kWhite}, {90, 50, kWhite}});
}

TEST_F(ILMetafileRecordsTest, WidenedPathsAndTextOutlinesFillLikeOtherPaths)
{
    EmfWriter widened = RedFill();
    widened.Pen(2, 0, 10, kBlue).Select(2);
    widened.Record(59, {}).MoveTo(10, 50).LineTo(90, 50).Record(60, {}).Record(66, {});
    widened.Select(kNoPen).Record(62, {0, 0, 99, 99});
    ExpectProbes("widened", *PlayEmf(widened), {{50, 50, kRedPixel}, {50, 53, kRedPixel}, {50, 60, kWhite}});

    SKIP_WITHOUT_TOOLS("fc-match");
    const auto textPath = [](bool fill) {
        EmfWriter e = RedFill();
        Font(e, 2, -90, 0).Select(2).Record(18, {1});
        e.Record(59, {});
        e.Record(84, {0, 0, 0, 0, 1, 0, 0, 20, 5, 1, 76, 0, 0, 0, 0, 0, 0}, Utf16(u"H"));
        e.Record(60, {});
        if (fill) {
            e.Record(62, {0, 0, 99, 99});
        }
        return PlayEmf(e);
    };
    const auto filled = textPath(true);
    const auto unused = textPath(false);
    int red = 0;
    int ink = 0;
    for (int y = 0; y < 100; ++y) {
        for (int x = 0; x < 100; ++x) {
            red += filled->canvas.GetPixel(x, y) == kRedPixel ? 1 : 0;
            ink += unused->canvas.GetPixel(x, y) == kWhite ? 0 : 1;
        }
    }
    EXPECT_GT(red, 500);  // the capital's strokes, filled with the brush
    EXPECT_LT(red, 5000);
    EXPECT_EQ(ink, 0);  // text in an unused path draws nothing
    EXPECT_EQ(filled->skipped, 0);
}

TEST_F(ILMetafileRecordsTest, GradientsShadeAcrossDownAndInsideTriangles)
{
    const auto vertex = [](int x, int y, int level) {
        return Le32(x) + Le32(y) + Le16(level << 8) + Le16(level << 8) + Le16(level << 8) + Le16(0);
    };
    const struct
    {
        const char* name;
        int mode;
        std::string vertices;
        std::string mesh;
        std::vector<Probe> probes;
    } cases[] = {
        {"across", 0, vertex(0, 0, 0) + vertex(100, 100, 255), Le32(0) + Le32(1),
         {{0, 50, ILPixel32(1, 1, 1, 255)}, {99, 50, ILPixel32(254, 254, 254, 255)}, {50, 10, ILPixel32(129, 129, 129, 255)}}},
        {"down", 1, vertex(0, 0, 0) + vertex(100, 100, 255), Le32(0) + Le32(1),
         {{50, 0, ILPixel32(1, 1, 1, 255)}, {10, 50, ILPixel32(129, 129, 129, 255)}}},
        {"triangle", 2, vertex(0, 0, 0) + vertex(100, 0, 0) + vertex(0, 100, 0), Le32(0) + Le32(1) + Le32(2),
         {{10, 10, kBlack}, {90, 90, kWhite}}},
    };
    for (const auto& c : cases) {
        EmfWriter e;
        const auto vertices = static_cast<std::int64_t>(c.vertices.size() / 16);
        e.Record(118, {0, 0, 99, 99, vertices, 1, c.mode}, c.vertices + c.mesh);
        ExpectProbes(c.name, *PlayEmf(e), c.probes);
    }
}

TEST_F(ILMetafileRecordsTest, BitmapsAreMaskedKeyedBlendedAndLaidOntoParallelograms)
{
    const auto redBlue = Dib24(2, {kRed, kBlue});
    const auto mask = Dib1(2, {0b10});                     // draw the left pixel only
    const std::int64_t maskBltFixed = 128;
    const auto maskFields = DibFields(maskBltFixed, redBlue);
    const auto maskMaskFields = DibFields(maskBltFixed + maskFields[1] + maskFields[3], mask);
    EmfWriter maskBlt;
    RecordOf(maskBlt, 78,
             Join({kBounds, {0, 0, 100, 100, 0xAACC0020, 0, 0}, kIdentity, {0, 0}, maskFields, {0, 0, 0},
                   maskMaskFields}),
             redBlue.first + redBlue.second + mask.first + mask.second);
    ExpectProbes("mask", *PlayEmf(maskBlt), {{0, 0, kRedPixel}, {1, 0, kWhite}, {0, 1, kWhite}});

    const std::int64_t blendFixed = 108;
    EmfWriter keyed;
    RecordOf(keyed, 116,
             Join({kBounds, {0, 0, 100, 100, kBlue, 0, 0}, kIdentity, {0, 0}, DibFields(blendFixed, redBlue), {2, 1}}),
             redBlue.first + redBlue.second);
    ExpectProbes("key", *PlayEmf(keyed), {{25, 50, kRedPixel}, {75, 50, kWhite}});

    // Half-transparent red over white; a pixel of alpha 0 leaves the canvas.
    const auto translucent = Dib32({0x80800000, 0x00000000});
    EmfWriter blended;
    RecordOf(blended, 114,
             Join({kBounds, {0, 0, 100, 100, 0x01FF0000, 0, 0}, kIdentity, {0, 0}, DibFields(blendFixed, translucent),
                   {2, 1}}),
             translucent.first + translucent.second);
    ExpectProbes("alpha", *PlayEmf(blended), {{25, 50, ILPixel32(255, 127, 127, 255)}, {75, 50, kWhite}});

    // The source's top-left, top-right and bottom-left corners go to three points.
    const auto red = Dib24(1, {kRed});
    EmfWriter plg;
    RecordOf(plg, 79, Join({kBounds, {50, 10, 90, 50, 10, 50, 0, 0, 1, 1}, kIdentity, {0, 0}, DibFields(140, red),
                            {0, 0, 0, 0, 0, 0, 0}}),
             red.first + red.second);
    ExpectProbes("parallelogram", *PlayEmf(plg), {{50, 45, kRedPixel}, {50, 80, kRedPixel}, {15, 15, kWhite}});

    // The old records' device bitmaps: one bit a pixel in the text and background colours.
    WmfWriter w;
    w.Record(0x0209, {0x00FF, 0}).Record(0x0201, {0, 0xFF});  // red text, blue background
    w.Record(0x0922, {0x0020, 0x00CC, 0, 0, 1, 2, 0, 0, 1, 2, 1, 2, 0x0101}, std::string(1, '\x40') + std::string(1, '\0'));
    ExpectProbes("device bitmap", *PlayWmf(w), {{0, 0, kRedPixel}, {1, 0, kBluePixel}, {0, 1, kWhite}});
}

TEST_F(ILMetafileRecordsTest, ExtentScalingAndOriginOffsetsMoveTheMapping)
{
    EmfWriter e = RedFill();
    e.MapMode(8).WindowExt(100, 100).ViewportExt(100, 100).Record(32, {1, 2, 1, 2});  // window halved
    ExpectProbes("window scaled", *PlayEmf(e.Rectangle(0, 0, 25, 25)), {{45, 45, kRedPixel}, {55, 55, kWhite}});

    EmfWriter v = RedFill();
    v.MapMode(8).WindowExt(100, 100).ViewportExt(100, 100).Record(31, {1, 2, 1, 2});  // viewport halved
    ExpectProbes("viewport scaled", *PlayEmf(v.Rectangle(0, 0, 100, 100)), {{45, 45, kRedPixel}, {55, 55, kWhite}});

    WmfWriter w;
    w.Pen(5, 0, 0).Select(0).Brush(0, kRed).Select(1).WindowOrg(0, 0).WindowExt(100, 100);
    w.Record(0x0410, {2, 1, 2, 1}).Record(0x020F, {-10, -10});  // halved, then moved
    ExpectProbes("window (16-bit)", *PlayWmf(w.Rectangle(-10, -10, 0, 0)), {{10, 10, kRedPixel}, {30, 30, kWhite}});
}

TEST_F(ILMetafileRecordsTest, TextRecordsOfManyStringsDrawEach)
{
    SKIP_WITHOUT_TOOLS("fc-match");
    EmfWriter e;
    Font(e, 1, -20, 0).Select(1).Record(18, {1});
    const std::string first = Utf16(u"H");
    const std::int64_t strings = 40 + 2 * 40;
    e.Record(97, {0, 0, 99, 99, 1, 0, 0, 2, 10, 10, 1, strings, 0, 0, 0, 0, 0, 0, 60, 60, 1,
                  strings + static_cast<std::int64_t>(first.size()), 0, 0, 0, 0, 0, 0},
             first + Utf16(u"H"));
    const auto played = PlayEmf(e);
    const auto inked = [&played](int x0, int y0) {
        for (int y = y0; y < y0 + 20; ++y) {
            for (int x = x0; x < x0 + 20; ++x) {
                if (played->canvas.GetPixel(x, y).r < 128) {
                    return true;
                }
            }
        }
        return false;
    };
    EXPECT_TRUE(inked(10, 10));
    EXPECT_TRUE(inked(60, 60));
    EXPECT_FALSE(inked(60, 10));
    EXPECT_EQ(played->skipped, 0);
}

TEST_F(ILMetafileRecordsTest, BitmapsWhoseRowsCannotLieInTheirRecordAreSkipped)
{
    // Once, a row check whose product overflowed let such headers read far past the record.
    const auto huge = [](std::int64_t height) {
        return std::make_pair(Le32(40) + Le32(0x7FFFFFFF) + Le32(height) + Le16(1) + Le16(32) + Le32(0) + Le32(0) +
                                  std::string(16, '\0'),
                              std::string(16, '\x55'));
    };
    const std::int64_t full = 0x7FFFFFFF;
    const struct
    {
        const char* name;
        std::function<std::unique_ptr<Played>()> play;
    } cases[] = {
        {"stretched, a few pixels", [&] { return PlayEmf(EmfWriter().StretchDIBits(0, 0, 100, 100, 2, 2, huge(full))); }},
        {"stretched, whole source",
         [&] { return PlayEmf(EmfWriter().StretchDIBits(0, 0, 100, 100, 0x7FFFFFFF, 0x7FFFFFFF, huge(-full))); }},
        {"masked source",
         [&] {
             const auto source = huge(full);
             EmfWriter e;
             RecordOf(e, 78, Join({kBounds, {0, 0, 100, 100, 0xAACC0020, 0, 0}, kIdentity, {0, 0}, DibFields(128, source),
                                   {0, 0, 0, 0, 0, 0, 0}}),
                      source.first + source.second);
             return PlayEmf(e);
         }},
        {"mask",
         [&] {
             const auto source = Dib24(1, {kRed});
             const auto mask = huge(full);
             const auto sourceFields = DibFields(128, source);
             EmfWriter e;
             RecordOf(e, 78, Join({kBounds, {0, 0, 100, 100, 0xAACC0020, 0, 0}, kIdentity, {0, 0}, sourceFields, {0, 0, 0},
                                   DibFields(128 + sourceFields[1] + sourceFields[3], mask)}),
                      source.first + source.second + mask.first + mask.second);
             return PlayEmf(e);
         }},
        {"stretched (16-bit)", [&] { return PlayWmf(WmfWriter().StretchDib(0, 0, 100, 100, 2, 2, huge(full))); }},
        {"block transfer (16-bit)",
         [&] {
             const auto dib = huge(full);
             return PlayWmf(WmfWriter().Record(0x0B41, {0x0020, 0x00CC, 2, 2, 0, 0, 100, 100, 0, 0}, dib.first + dib.second));
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto played = c.play();
        EXPECT_EQ(played->skipped, 1);
        EXPECT_EQ(played->canvas.GetPixel(50, 50), kWhite);
    }
    // A pattern brush of such a bitmap paints nothing.
    const auto pattern = huge(full);
    const auto size = [](const std::string& s) { return static_cast<std::int64_t>(s.size()); };
    EmfWriter e;
    e.Record(94, {1, 0, 32, size(pattern.first), 32 + size(pattern.first), size(pattern.second)},
             pattern.first + pattern.second);
    e.Select(1).Select(kNoPen).Rectangle(0, 0, 100, 100);
    ExpectProbes("pattern brush", *PlayEmf(e), {{50, 50, kWhite}});
}

TEST_F(ILMetafileRecordsTest, PixelByPixelDrawingStaysOnTheStripesOfAClip)
{
    // One-pixel stripes at even columns, the picture's height.
    std::vector<std::int64_t> stripes;
    for (int x = 0; x < 100; x += 2) {
        stripes.insert(stripes.end(), {x, 0, x + 1, 100});
    }
    const std::string region = RegionData(stripes);
    const auto striped = [&region] {
        EmfWriter e;
        e.Record(75, {static_cast<std::int64_t>(region.size()), 5}, region);
        return e;
    };
    const auto vertex = [](int x, int y) { return Le32(x) + Le32(y) + std::string(8, '\0'); };
    const auto red = Dib24(1, {kRed});
    const struct
    {
        const char* name;
        EmfWriter file;
    } cases[] = {
        {"gradient", striped().Record(118, {0, 0, 99, 99, 3, 1, 2}, vertex(0, 0) + vertex(300, 0) + vertex(0, 300) +
                                                                       Le32(0) + Le32(1) + Le32(2))},
        {"parallelogram", [&] {
             EmfWriter e = striped();
             return RecordOf(e, 79, Join({kBounds, {0, 0, 100, 0, 0, 100, 0, 0, 1, 1}, kIdentity, {0, 0},
                                          DibFields(140, red), {0, 0, 0, 0, 0, 0, 0}}),
                             red.first + red.second);
         }()},
        {"thin line", striped().MoveTo(0, 50).LineTo(99, 50)},
        {"pixels", striped().Record(15, {50, 50, kBlue}).Record(15, {51, 50, kBlue})},
    };
    for (const auto& c : cases) {
        const auto played = PlayEmf(c.file);
        SCOPED_TRACE(c.name);
        // The logical row 50 lands on pixel row 49 or 50.
        const ILMetafileCanvas& canvas = played->canvas;
        EXPECT_TRUE(canvas.GetPixel(50, 49) != kWhite || canvas.GetPixel(50, 50) != kWhite);
        EXPECT_EQ(canvas.GetPixel(51, 49), kWhite);
        EXPECT_EQ(canvas.GetPixel(51, 50), kWhite);
        EXPECT_FALSE(canvas.IsExhausted());
    }
}

TEST_F(ILMetafileRecordsTest, WideningClippingAndTextInPathsSpendTheCanvassWork)
{
    // Once, these drew nothing and so spent nothing, however often they were repeated.
    EmfWriter widened;
    widened.Pen(1, 0, 3, kBlue).Select(1).Record(59, {});
    for (int i = 0; i < 200; ++i) {
        widened.MoveTo(i % 100, 10).LineTo(i % 100, 90);
    }
    widened.Record(60, {});
    for (int i = 0; i < 200; ++i) {
        widened.Record(66, {});
    }
    EmfWriter clips;
    for (int i = 0; i < 3000; ++i) {
        clips.Record(33, {}).Record(29, {2 * (i % 50), 0, 2 * (i % 50) + 1, 100});
    }
    for (const auto* file : {&widened, &clips}) {
        EXPECT_TRUE(PlayEmf(*file)->canvas.IsExhausted());
    }
    SKIP_WITHOUT_TOOLS("fc-match");
    EmfWriter text;
    Font(text, 1, -20, 0).Select(1).Record(59, {});
    const std::u16string line(500, u'W');
    for (int i = 0; i < 2000; ++i) {
        text.Record(84, {0, 0, 0, 0, 1, 0, 0, 0, 50, static_cast<std::int64_t>(line.size()), 76, 0, 0, 0, 0, 0, 0},
                    Utf16(line));
    }
    EXPECT_TRUE(PlayEmf(text)->canvas.IsExhausted());
}

TEST_F(ILMetafileRecordsTest, RegionWorkBesideTheCanvasIsChargedSoThatFilesOfItEnd)
{
    // Regions of 4,096 spans or bands, nearly all beside the canvas, used again and again.
    std::vector<int> leftOfCanvas = {0, 4096};
    for (int i = 0; i < 4096; ++i) {
        leftOfCanvas.insert(leftOfCanvas.end(), {-32000 + 4 * i, -31998 + 4 * i});
    }
    WmfWriter fills;
    fills.Brush(0, kRed).Region({leftOfCanvas});
    for (int i = 0; i < 300; ++i) {
        fills.Record(0x012B, {1}).Record(0x012A, {1}).Record(0x0228, {1, 0});
    }
    std::vector<std::int64_t> rows;
    std::vector<std::int64_t> heights;
    for (int i = 0; i < 4096; ++i) {
        rows.insert(rows.end(), {i % 2, i, 100 - i % 3, i + 1});
        heights.insert(heights.end(), {i / 64, i / 2, i / 64 + 50, i / 2 + 2048});
    }
    EmfWriter moves;
    const std::string band = RegionData(rows);
    moves.Record(75, {static_cast<std::int64_t>(band.size()), 5}, band);
    for (int i = 0; i < 100; ++i) {
        moves.Record(26, {i % 2 == 0 ? 1 : -1, 0});
    }
    EmfWriter staggered;
    const std::string many = RegionData(heights);
    for (int i = 0; i < 10; ++i) {
        staggered.Record(73, {0, 0, 99, 99, static_cast<std::int64_t>(many.size())}, many);
    }
    const std::int64_t budget = ILMetafileCanvas(100, 100).GetWorkLeft();
    const struct
    {
        const char* name;
        std::unique_ptr<Played> played;
        std::int64_t least;  // work spent at least
        std::int64_t most;
    } cases[] = {
        // Each fill searches the region's one band and finds nothing on the canvas.
        {"fills beside the canvas", PlayWmf(fills), 900 * 4, 900 * 64},
        // Each move copies the clip's bands.
        {"clip moves", PlayEmf(moves), budget, budget * 2},
        // Every band between two edges meets up to 2,048 rectangles.
        {"rectangles at many heights", PlayEmf(staggered), budget, budget * 16},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::int64_t spent = budget - c.played->canvas.GetWorkLeft();
        EXPECT_GE(spent, c.least);
        EXPECT_LE(spent, c.most);
    }
}

TEST_F(ILMetafileRecordsTest, BitmapCopiesAndPatternBlitsCombineByTheirRasterOperation)
{
    // The canvas is white above y = 50 and blue below; bitmaps of a red and a green pixel
    // (or the device bitmap of the old records) are stretched over it, left and right, and
    // the brush is red.
    const auto redGreen = Dib24(2, {kRed, kGreen});
    const auto maskLeft = Dib1(2, {0b01});  // black left, white right
    const auto redBlack = Dib24(2, {kRed, 0});
    const std::string deviceRedGreen = std::string("\0\0\xFF\0\xFF\0", 6);
    const auto oldStretchBlt = [&deviceRedGreen](WmfWriter& w, std::uint32_t rop) {
        w.Record(0x0B23, {static_cast<int>(rop & 0xFFFF), static_cast<int>(rop >> 16), 1, 2, 0, 0, 100, 100, 0, 0, 0, 2, 1,
                          6, 0x1801},
                 deviceRedGreen);
    };
    const auto emfPatternBlt = [](EmfWriter& e, std::uint32_t rop) {
        RecordOf(e, 76, Join({kBounds, {0, 0, 100, 100, rop, 0, 0}, kIdentity, {0, 0, 0, 0, 0, 0}}), "");
    };
    const auto wmfPatternBlt = [](WmfWriter& w, std::uint32_t rop) {
        w.Record(0x061D, {static_cast<int>(rop & 0xFFFF), static_cast<int>(rop >> 16), 100, 100, 0, 0});
    };
    const struct
    {
        const char* name;
        std::function<void(EmfWriter&)> emf;
        std::function<void(WmfWriter&)> wmf;
        ILPixel32 topLeft, topRight, bottomLeft, bottomRight;
    } cases[] = {
        // A mask ANDed in, then the picture ORed over it: the old way to draw transparent parts.
        {"mask pair",
         [&](EmfWriter& e) { e.StretchDIBits(0, 0, 100, 100, 2, 1, maskLeft, 0x008800C6).StretchDIBits(0, 0, 100, 100, 2, 1, redBlack, 0x00EE0086); },
         [&](WmfWriter& w) { w.StretchDib(0, 0, 100, 100, 2, 1, maskLeft, 0x008800C6).StretchDib(0, 0, 100, 100, 2, 1, redBlack, 0x00EE0086); },
         kRedPixel, kWhite, kRedPixel, kBluePixel},
        {"source invert", [&](EmfWriter& e) { e.StretchDIBits(0, 0, 100, 100, 2, 1, redGreen, 0x00660046); },
         [&](WmfWriter& w) { oldStretchBlt(w, 0x00660046); }, kCyan, kMagenta, kMagenta, kCyan},
        {"not source copy", [&](EmfWriter& e) { e.StretchDIBits(0, 0, 100, 100, 2, 1, redGreen, 0x00330008); },
         [&](WmfWriter& w) { w.StretchDib(0, 0, 100, 100, 2, 1, redGreen, 0x00330008); }, kCyan, kMagenta, kCyan, kMagenta},
        {"merge paint", [&](EmfWriter& e) { e.StretchDIBits(0, 0, 100, 100, 2, 1, redGreen, 0x00BB0226); },
         [&](WmfWriter& w) { oldStretchBlt(w, 0x00BB0226); }, kWhite, kWhite, kCyan, kMagenta},
        {"destination invert", [&](EmfWriter& e) { emfPatternBlt(e, 0x00550009); },
         [&](WmfWriter& w) { wmfPatternBlt(w, 0x00550009); }, kBlack, kBlack, kYellow, kYellow},
        {"pattern invert", [&](EmfWriter& e) { emfPatternBlt(e, 0x005A0049); },
         [&](WmfWriter& w) { wmfPatternBlt(w, 0x005A0049); }, kCyan, kCyan, kMagenta, kMagenta},
    };
    for (const auto& c : cases) {
        const std::vector<Probe> probes = {{25, 25, c.topLeft}, {75, 25, c.topRight}, {25, 75, c.bottomLeft},
                                           {75, 75, c.bottomRight}};
        EmfWriter e;
        e.Brush(1, 0, kBlue).Select(1).Select(kNoPen).Rectangle(0, 50, 100, 100).Brush(2, 0, kRed).Select(2);
        c.emf(e);
        ExpectProbes((std::string(c.name) + " (enhanced)").c_str(), *PlayEmf(e), probes);
        WmfWriter w;
        w.Pen(5, 0, 0).Select(0).Brush(0, kBlue).Select(1).Rectangle(0, 50, 100, 100).Brush(0, kRed).Select(2);
        c.wmf(w);
        ExpectProbes((std::string(c.name) + " (16-bit)").c_str(), *PlayWmf(w), probes);
    }
}

TEST_F(ILMetafileRecordsTest, MaskedBlitsApplyTheForegroundAndBackgroundOperations)
{
    // A 2 × 2 source of red on the left, green on the right, across the line between white
    // and blue; the mask picks its left column for the foreground operation.
    const auto source = Dib24(2, {kRed, kGreen, kRed, kGreen});
    const auto mask = Dib1(2, {0b10, 0b10});
    const std::int64_t fixed = 128;
    const auto sourceFields = DibFields(fixed, source);
    const auto maskFields = DibFields(fixed + sourceFields[1] + sourceFields[3], mask);
    EmfWriter e;
    e.Brush(1, 0, kBlue).Select(1).Select(kNoPen).Rectangle(0, 50, 100, 100);
    // Source invert in the foreground, destination invert in the background.
    RecordOf(e, 78, Join({kBounds, {49, 49, 2, 2, 0x55660046, 0, 0}, kIdentity, {0, 0}, sourceFields, {0, 0, 0}, maskFields}),
             source.first + source.second + mask.first + mask.second);
    ExpectProbes("masked", *PlayEmf(e), {{49, 49, kCyan}, {49, 50, kMagenta}, {50, 49, kBlack}, {50, 50, kYellow},
                                         {48, 48, kWhite}, {51, 51, kBluePixel}});
}

// Masked blits without a source bitmap were skipped whole, and a source starting off its
// bitmap was drawn at the destination's corner with the mask unmoved.
TEST_F(ILMetafileRecordsTest, MaskedBlitsWithoutASourceOrWithASourcePartlyOffItsBitmapDrawPixelByPixel)
{
    // A 4 × 4 blit at (48, 48) on white with a red brush; the pictures show (47, 47) to
    // (52, 52): '.' white, R red, K black, G green, M magenta, Y yellow.
    const auto mask = Dib1(4, {0b1100, 0b1000, 0b0001, 0b0011});
    // Where the source starts at (-2, -2), its bitmap's top-left 2 × 2 lands at (50, 50) and
    // meets the mask's bottom-right 2 × 2 (set on the falling diagonal; the top-left is the
    // other way round, so a mask read from its corner would show).
    const auto shiftedMask = Dib1(4, {0b0100, 0b1000, 0b0010, 0b0001});
    const std::uint32_t kYellowRgb = Rgb(255, 255, 0);
    std::vector<std::uint32_t> colours(16, kYellowRgb);
    colours[0] = kRed;
    colours[1] = kGreen;
    colours[4] = kBlue;
    colours[5] = kGreen;
    const auto source = Dib24(4, colours);
    const std::vector<std::int64_t> none = {0, 0, 0, 0};
    const std::int64_t fixed = 128;
    const std::int64_t patternThroughMask = 0x55F00021;  // pattern copy where set, destination invert elsewhere
    const struct
    {
        const char* name;
        std::int64_t rop;
        std::int64_t size;
        std::int64_t sourceX, sourceY;
        const std::pair<std::string, std::string>* source;
        const std::pair<std::string, std::string>* mask;
        int skipped;
        bool exhausted;
        std::vector<std::string> picture;
    } cases[] = {
        {"pattern through a mask, no source", patternThroughMask, 4, 0, 0, nullptr, &mask, 0, false,
         {"......", ".RRKK.", ".RKKK.", ".KKKR.", ".KKRR.", "......"}},
        {"pattern without mask or source", patternThroughMask, 4, 0, 0, nullptr, nullptr, 0, false,
         {"......", ".RRRR.", ".RRRR.", ".RRRR.", ".RRRR.", "......"}},
        {"source copy without a source is skipped", 0x55CC0020, 4, 0, 0, nullptr, &mask, 1, false,
         {"......", "......", "......", "......", "......", "......"}},
        // Without a bitmap behind it, the block's size is bounded before it is made.
        {"block beyond what one record may make", patternThroughMask, 1 << 16, 0, 0, nullptr, &mask, 1, false,
         {"......", "......", "......", "......", "......", "......"}},
        {"block beyond the canvas's work", patternThroughMask, 4096, 0, 0, nullptr, &mask, 1, true,
         {"......", "......", "......", "......", "......", "......"}},
        // Source copy where set, source invert elsewhere; the pixels without a source stay.
        {"source from (-2, -2)", 0x66CC0020, 4, -2, -2, &source, &shiftedMask, 0, false,
         {"......", "......", "......", "...RM.", "...YG.", "......"}},
    };
    const auto colourOf = [](char c) {
        switch (c) {
        case 'R': return kRedPixel;
        case 'K': return kBlack;
        case 'G': return ILPixel32(0, 255, 0, 255);
        case 'M': return kMagenta;
        case 'Y': return kYellow;
        default: return kWhite;
        }
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string bitmaps;
        std::vector<std::int64_t> sourceFields = none;
        std::vector<std::int64_t> maskFields = none;
        if (c.source != nullptr) {
            sourceFields = DibFields(fixed, *c.source);
            bitmaps += c.source->first + c.source->second;
        }
        if (c.mask != nullptr) {
            maskFields = DibFields(fixed + static_cast<std::int64_t>(bitmaps.size()), *c.mask);
            bitmaps += c.mask->first + c.mask->second;
        }
        EmfWriter e = RedFill();
        RecordOf(e, 78,
                 Join({kBounds, {48, 48, c.size, c.size, c.rop, c.sourceX, c.sourceY}, kIdentity, {0, 0}, sourceFields, {0, 0, 0},
                       maskFields}),
                 bitmaps);
        const auto played = PlayEmf(e);
        EXPECT_EQ(played->skipped, c.skipped);
        EXPECT_EQ(played->canvas.IsExhausted(), c.exhausted);
        for (int y = 0; y < 6; ++y) {
            for (int x = 0; x < 6; ++x) {
                EXPECT_EQ(played->canvas.GetPixel(47 + x, 47 + y), colourOf(c.picture[y][x]))
                    << "at " << 47 + x << ", " << 47 + y;
            }
        }
    }
}

TEST_F(ILMetafileRecordsTest, CharacterExtraAndJustificationWidenTextWithoutGivenAdvances)
{
    SKIP_WITHOUT_TOOLS("fc-match");
    const auto inkWidth = [](const Played& played) {
        int left = 100;
        int right = -1;
        for (int y = 0; y < 100; ++y) {
            for (int x = 0; x < 100; ++x) {
                if (played.canvas.GetPixel(x, y).r < 128) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                }
            }
        }
        return right - left;
    };
    const auto wmf = [](const std::function<void(WmfWriter&)>& spacing, bool advances) {
        WmfWriter w;
        std::string face = "DejaVu Sans";
        face.resize(32, '\0');
        w.Record(0x02FB, {-20, 0, 0, 0, 400, 0, 0, 0, 0}, face).Select(0);
        spacing(w);
        if (advances) {
            w.Record(0x0A32, {10, 5, 3, 0, 'H' | (' ' << 8), 'H', 15, 15, 15});
        } else {
            w.Record(0x0521, {3, 'H' | (' ' << 8), 'H', 10, 5});
        }
        return PlayWmf(w);
    };
    const auto emf = [](std::int64_t breakExtra) {
        EmfWriter e;
        Font(e, 1, -20, 0).Select(1).Record(120, {breakExtra, 1});
        e.Record(84, {0, 0, 0, 0, 1, 0, 0, 5, 10, 3, 76, 0, 0, 0, 0, 0, 0}, Utf16(u"H H"));
        return PlayEmf(e);
    };
    const int plain = inkWidth(*wmf([](WmfWriter&) {}, false));
    ASSERT_GT(plain, 20) << "no ink";
    const int given = inkWidth(*wmf([](WmfWriter&) {}, true));
    const struct
    {
        const char* name;
        int width;
        int expected;
    } cases[] = {
        {"character extra", inkWidth(*wmf([](WmfWriter& w) { w.Record(0x0108, {10}); }, false)), plain + 20},
        {"justification", inkWidth(*wmf([](WmfWriter& w) { w.Record(0x020A, {1, 30}); }, false)), plain + 30},
        {"justification (enhanced)", inkWidth(*emf(30)) - inkWidth(*emf(0)) + plain, plain + 30},
        {"advances given", inkWidth(*wmf([](WmfWriter& w) { w.Record(0x0108, {10}).Record(0x020A, {1, 30}); }, true)),
         given},
    };
    for (const auto& c : cases) {
        EXPECT_NEAR(c.width, c.expected, 1) << c.name;
    }
}
