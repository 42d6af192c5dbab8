// Metafile playback of the records beyond plain shapes: arcs, paths, clip regions, pattern
// brushes and text, in both metafile kinds, on 100 × 100 pictures of device pixels.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "codectestutil.h"
#include "imaging/ilcanvasregion.h"
#include "imaging/ilmetafilecanvas.h"
#include "imaging/ilmetafiletextpainter.h"
#include "imaging/ilwemfdecoder.h"
#include "metafilewriter.h"

using namespace codectest;
using namespace metafiletest;

namespace {


// A 100 × 100 enhanced metafile whose logical units are the picture's pixels.
std::string Emf(const EmfWriter& e)
{
    return e.Bytes(2646, 2646);
}

// The same for a Windows metafile.
std::string Wmf(const WmfWriter& w)
{
    return w.Placeable(0, 0, 100, 100, 96);
}

// An EMF text record at (x, y) with options and a clip rectangle.
EmfWriter& Text(EmfWriter& e, int x, int y, const std::u16string& text, int options = 0,
                std::vector<std::int64_t> rectangle = {0, 0, 0, 0})
{
    constexpr std::int64_t kStringAt = 76;
    return e.Record(84, {0, 0, 0, 0, 1, 0, 0, x, y, static_cast<std::int64_t>(text.size()), kStringAt, options,
                         rectangle[0], rectangle[1], rectangle[2], rectangle[3], 0},
                    Utf16(text));
}

// Bounds of the pixels far from white: left, top, right, bottom; all -1 for none.
std::vector<int> InkBounds(const ILAnyBmp& bmp)
{
    std::vector<int> b = {-1, -1, -1, -1};
    for (int y = 0; y < bmp.GetHeight(); ++y) {
        for (int x = 0; x < bmp.GetWidth(); ++x) {
            const ILPixel32 p = PixelAt(bmp, x, y);
            if (p.r + p.g + p.b > 3 * 160) {
                continue;
            }
            if (b[0] < 0) {
                b = {x, y, x, y};
            }
            b = {std::min(b[0], x), std::min(b[1], y), std::max(b[2], x), std::max(b[3], y)};
        }
    }
    return b;
}

struct Probe
{
    int x;
    int y;
    ILPixel32 colour;
};

class ILMetafilePlayerTest : public ToolTest
{
protected:
    ILAnyBmp Decode(const std::string& name, const std::string& bytes)
    {
        ILAnyBmp bmp;
        ILWEMFDecoder decoder;
        decoder.MakeBmpFromFile(WriteFile(name, bytes).c_str(), bmp, 0);
        return bmp;
    }

    void ExpectProbes(const std::string& name, const std::string& bytes, const std::vector<Probe>& probes)
    {
        SCOPED_TRACE(name);
        const ILAnyBmp bmp = Decode(name, bytes);
        ASSERT_EQ(bmp.GetWidth(), 100);
        for (const Probe& p : probes) {
            EXPECT_EQ(PixelAt(bmp, p.x, p.y), p.colour) << "at " << p.x << ", " << p.y;
        }
    }
};

}  // namespace

TEST(ILCanvasRegionTest, RegionsCombineByTheFiveModes)
{
    const ILCanvasRegion a = ILCanvasRegion::FromRectangle(0, 0, 10, 10);
    const ILCanvasRegion b = ILCanvasRegion::FromRectangle(5, 5, 15, 15);
    const struct
    {
        ILCanvasRegion::Mode mode;
        bool inA;    // (2, 2): in a only
        bool inBoth;  // (7, 7)
        bool inB;    // (12, 12): in b only
    } cases[] = {
        {ILCanvasRegion::Mode::intersect, false, true, false}, {ILCanvasRegion::Mode::unite, true, true, true},
        {ILCanvasRegion::Mode::exclusiveOr, true, false, true}, {ILCanvasRegion::Mode::difference, true, false, false},
        {ILCanvasRegion::Mode::copy, false, true, true},
    };
    for (const auto& c : cases) {
        ILCanvasRegion r = a;
        ASSERT_TRUE(r.Combine(b, c.mode));
        EXPECT_EQ(r.Contains(2, 2), c.inA) << static_cast<int>(c.mode);
        EXPECT_EQ(r.Contains(7, 7), c.inBoth) << static_cast<int>(c.mode);
        EXPECT_EQ(r.Contains(12, 12), c.inB) << static_cast<int>(c.mode);
        EXPECT_FALSE(r.Contains(20, 20));
    }
    // A region that would hold too many spans is refused and stays as it was.
    std::vector<double> comb;
    for (int x = 0; x < 4000; ++x) {
        comb.insert(comb.end(), {2.0 * x, 0, 2.0 * x + 1, 10});
    }
    ILCanvasRegion many = ILCanvasRegion::FromRectangles(comb);
    ASSERT_EQ(many.GetSpanCount(), 4000u);
    ILCanvasRegion stripes;
    for (int y = 0; y < 10; ++y) {
        ASSERT_TRUE(stripes.Combine(ILCanvasRegion::FromRectangle(0, 2 * y, 8000, 2 * y + 1), ILCanvasRegion::Mode::unite));
    }
    EXPECT_FALSE(many.Combine(stripes, ILCanvasRegion::Mode::exclusiveOr));
    EXPECT_EQ(many.GetSpanCount(), 4000u);
}

TEST(ILCanvasRegionTest, RowsOfManySpansAreSearched)
{
    std::vector<double> comb;
    for (int x = 0; x < 4000; ++x) {
        comb.insert(comb.end(), {2.0 * x, 0, 2.0 * x + 1, 10});
    }
    const ILCanvasRegion region = ILCanvasRegion::FromRectangles(comb);
    const auto& spans = region.GetSpans(5);
    const struct
    {
        int first;
        int last;
        std::size_t from;  // the spans met, as an index range
        std::size_t to;
    } cases[] = {{0, 1, 0, 1}, {1, 2, 1, 1}, {3, 8, 2, 4}, {-5, 3, 0, 2}, {7999, 9000, 4000, 4000}, {7998, 9000, 3999, 4000}};
    for (const auto& c : cases) {
        const auto [from, to] = ILCanvasRegion::FindSpans(spans, c.first, c.last);
        EXPECT_EQ(from, c.from) << c.first << ".." << c.last;
        EXPECT_EQ(to, c.to) << c.first << ".." << c.last;
    }
    EXPECT_TRUE(region.Contains(7998, 5));
    EXPECT_FALSE(region.Contains(7999, 5));
    EXPECT_FALSE(region.Contains(4, 10));
    EXPECT_TRUE(region.GetSpans(10).empty());
}

TEST(ILCanvasRegionTest, RegionsHoldAndFillExactlyThePixelsWhoseCentresTheyCover)
{
    // Rectangles (left, top, right, bottom) on and off a 40 × 30 canvas, moved by (dx, dy)
    // before they are filled; what lies off the canvas must still be there when moved on.
    std::vector<double> stripes;
    for (int i = 0; i < 220; ++i) {
        stripes.insert(stripes.end(), {-400.0 + 2 * i, -7, -399.0 + 2 * i, 12.5});
    }
    const struct
    {
        const char* name;
        std::vector<double> rectangles;
        int dx;
        int dy;
    } cases[] = {
        {"overlapping at many heights", {2, 1, 12, 9, 8, 4, 20, 6, 18, 5.4, 30.2, 25, 1, 20, 5, 28, 12, 9, 2, 12}, 0,
         0},
        {"past every edge", {-10, -5, 8, 40, 35, -3, 60, 12, 10, 25, 50, 90}, 0, 0},
        {"beside the canvas, moved onto it", {-1000, -500, -990, -480, -985, -495, -970, -490}, 1005, 503},
        {"spans left of the canvas and on it", stripes, 0, 0},
        {"spans left of the canvas, moved onto it", stripes, 380, 10},
    };
    ILCanvasPaint red;
    red.colour = kRedPixel;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ILCanvasRegion region = ILCanvasRegion::FromRectangles(c.rectangles);
        region.Offset(c.dx, c.dy);
        ILMetafileCanvas canvas(40, 30);
        canvas.FillRegion(region, red);
        for (int y = 0; y < 30; ++y) {
            for (int x = 0; x < 40; ++x) {
                const double cx = x - c.dx + 0.5;
                const double cy = y - c.dy + 0.5;
                bool inside = false;
                for (std::size_t i = 0; i + 4 <= c.rectangles.size(); i += 4) {
                    const double* r = &c.rectangles[i];
                    inside = inside || (cx >= std::min(r[0], r[2]) && cx < std::max(r[0], r[2]) &&
                                        cy >= std::min(r[1], r[3]) && cy < std::max(r[1], r[3]));
                }
                ASSERT_EQ(region.Contains(x, y), inside) << x << ", " << y;
                ASSERT_EQ(canvas.GetPixel(x, y) == kRedPixel, inside) << x << ", " << y;
            }
        }
    }
    // A turned square and a triangle, only partly on the canvas, by the even-odd rule.
    const std::vector<std::vector<ILCanvasPoint>> polygons = {{{20.3, -8.1}, {41.7, 12.4}, {21.2, 33.9}, {-0.4, 13.3}},
                                                              {{3.2, 2.1}, {15.6, 4.4}, {6.3, 70.2}}};
    const ILCanvasRegion turned = ILCanvasRegion::FromPolygons(polygons, false, 40, 30);
    for (int y = 0; y < 30; ++y) {
        for (int x = 0; x < 40; ++x) {
            int crossings = 0;
            for (const auto& polygon : polygons) {
                for (std::size_t i = 0; i < polygon.size(); ++i) {
                    const ILCanvasPoint& a = polygon[i];
                    const ILCanvasPoint& b = polygon[(i + 1) % polygon.size()];
                    const double cy = y + 0.5;
                    if ((a.y <= cy) != (b.y <= cy) && x + 0.5 < a.x + (cy - a.y) * (b.x - a.x) / (b.y - a.y)) {
                        ++crossings;
                    }
                }
            }
            ASSERT_EQ(turned.Contains(x, y), crossings % 2 == 1) << x << ", " << y;
        }
    }
}

// A widened path of tens of thousands of figures once took seconds to stroke: its outlines
// were built and walked free of charge wherever no row of them lay on the canvas.
TEST(ILMetafileCanvasTest, TheCornersOfAFillOrAWideStrokeAreWorkAlsoOffTheCanvas)
{
    std::vector<ILCanvasPoint> above;
    for (int i = 0; i < 2000; ++i) {
        above.push_back({static_cast<double>(i % 10), -50.0 + (i % 7)});
    }
    ILMetafileCanvas filled(10, 10, 1000);
    filled.FillPolygons({above}, true, kRedPixel);
    EXPECT_TRUE(filled.IsExhausted());
    ILMetafileCanvas stroked(10, 10, 1000);
    stroked.StrokePolyline(above, false, 3.0, kRedPixel);
    EXPECT_TRUE(stroked.IsExhausted());
}

TEST_F(ILMetafilePlayerTest, ArcsChordsAndPiesFollowTheArcDirection)
{
    // Box (10, 10)-(90, 90); from the ray to the right to the ray upwards.
    auto emf = [](int type, bool clockwise) {
        EmfWriter e;
        e.Brush(1, 0, kRed).Select(1).Select(kNoPen);
        if (clockwise) {
            e.Record(57, {2});
        }
        return Emf(e.Record(type, {10, 10, 90, 90, 90, 50, 50, 10}));
    };
    auto wmf = [](int function) {
        WmfWriter w;
        w.Pen(5, 0, 0).Select(0).Brush(0, kRed).Select(1);
        return Wmf(w.Record(function, {10, 50, 50, 90, 90, 90, 10, 10}));
    };
    const std::vector<Probe> pie = {{70, 30, kRedPixel}, {55, 45, kRedPixel}, {30, 30, kWhite}, {70, 70, kWhite}};
    const std::vector<Probe> chord = {{80, 25, kRedPixel}, {55, 45, kWhite}, {30, 70, kWhite}};
    const std::vector<Probe> clockwisePie = {{70, 30, kWhite}, {30, 30, kRedPixel}, {30, 70, kRedPixel},
                                             {70, 70, kRedPixel}};
    ExpectProbes("pie.emf", emf(47, false), pie);
    ExpectProbes("chord.emf", emf(46, false), chord);
    ExpectProbes("clockwise-pie.emf", emf(47, true), clockwisePie);
    ExpectProbes("pie.wmf", wmf(0x081A), pie);
    ExpectProbes("chord.wmf", wmf(0x0830), chord);

    // An arc is only its line: on the circle, not inside it.
    EmfWriter arc;
    arc.Pen(1, 0, 3, kBlue).Select(1);
    ExpectProbes("arc.emf", Emf(arc.Record(45, {10, 10, 90, 90, 90, 50, 50, 10})),
                 {{78, 22, kBluePixel}, {60, 40, kWhite}, {22, 78, kWhite}});
}

TEST_F(ILMetafilePlayerTest, PathsAreFilledStrokedOrMadeTheClipRegion)
{
    auto triangle = [](EmfWriter& e) {
        e.Record(59, {}).MoveTo(10, 90).LineTo(50, 10).LineTo(90, 90).Record(61, {}).Record(60, {});
        return std::ref(e);
    };
    EmfWriter filled;
    filled.Brush(1, 0, kRed).Select(1).Select(kNoPen);
    triangle(filled).get().Record(62, {0, 0, 0, 0});
    ExpectProbes("filled-path.emf", Emf(filled), {{50, 60, kRedPixel}, {15, 20, kWhite}, {85, 20, kWhite}});

    EmfWriter stroked;
    stroked.Brush(1, 0, kRed).Select(1).Pen(2, 0, 3, kBlue).Select(2);
    triangle(stroked).get().Record(64, {0, 0, 0, 0});
    ExpectProbes("stroked-path.emf", Emf(stroked), {{50, 60, kWhite}, {50, 90, kBluePixel}});

    // Drawing while the path is open draws nothing until the path is used.
    EmfWriter unused;
    unused.Brush(1, 0, kRed).Select(1);
    triangle(unused);
    ExpectProbes("unused-path.emf", Emf(unused.Rectangle(0, 0, 1, 1)), {{50, 60, kWhite}});

    // A Bézier curve in a clip path: the fill stays under the curve.
    EmfWriter clipped;
    clipped.Brush(1, 0, kRed).Select(1).Select(kNoPen).Record(59, {}).MoveTo(0, 100);
    clipped.Record(88, {0, 0, 0, 0, 3}, Pairs({{0, 0}, {100, 0}, {100, 100}})).Record(61, {}).Record(60, {});
    clipped.Record(67, {5}).Rectangle(0, 0, 101, 101);
    ExpectProbes("bezier-clip-path.emf", Emf(clipped), {{70, 60, kRedPixel}, {5, 5, kWhite}, {95, 5, kWhite}});
}

TEST_F(ILMetafilePlayerTest, ClipRegionsLimitDrawingAndAreSavedWithTheState)
{
    auto fill = [](EmfWriter& e) { e.Rectangle(0, 0, 101, 101); };
    EmfWriter e;
    e.Brush(1, 0, kRed).Select(1).Select(kNoPen);
    e.Record(33, {}).Record(30, {20, 20, 80, 80}).Record(29, {40, 40, 60, 60});  // save, intersect, exclude
    fill(e);
    e.Record(34, {-1}).Brush(2, 0, kBlue).Select(2);  // restore: no clip
    // A region of two rectangles replaces the clip.
    e.Record(75, {64, 5}, RegionData({0, 0, 10, 10, 90, 90, 100, 100}));
    fill(e);
    ExpectProbes("clip.emf", Emf(e),
                 {{30, 30, kRedPixel}, {50, 50, kWhite}, {10, 50, kWhite}, {5, 5, kBluePixel}, {95, 95, kBluePixel}});

    WmfWriter w;
    w.Pen(5, 0, 0).Select(0).Brush(0, kRed).Select(1);
    w.Record(0x0416, {80, 80, 20, 20}).Record(0x0415, {60, 60, 40, 40}).Rectangle(0, 0, 101, 101);
    ExpectProbes("clip.wmf", Wmf(w), {{30, 30, kRedPixel}, {50, 50, kWhite}, {10, 50, kWhite}});
}

TEST_F(ILMetafilePlayerTest, PatternAndHatchBrushesRepeatAcrossTheFill)
{
    const auto checker = Dib24(2, {kRed, kBlue, kBlue, kRed});
    const std::int64_t infoAt = 32;
    EmfWriter pattern;
    pattern.Record(94, {1, 0, infoAt, 40, infoAt + 40, static_cast<std::int64_t>(checker.second.size())},
                   checker.first + checker.second);
    pattern.Select(1).Select(kNoPen).Rectangle(0, 0, 100, 100);
    ExpectProbes("pattern.emf", Emf(pattern),
                 {{10, 10, kRedPixel}, {11, 10, kBluePixel}, {10, 11, kBluePixel}, {11, 11, kRedPixel}});

    WmfWriter dibPattern;
    dibPattern.Pen(5, 0, 0).Select(0).Record(0x0142, {5, 0}, checker.first + checker.second).Select(1);
    ExpectProbes("pattern.wmf", Wmf(dibPattern.Rectangle(0, 0, 100, 100)),
                 {{10, 10, kRedPixel}, {11, 10, kBluePixel}, {11, 11, kRedPixel}});

    // Horizontal hatch lines every eight rows; between them the background when it is
    // opaque, what lay beneath when it is transparent.
    for (const bool transparent : {false, true}) {
        EmfWriter hatch;
        hatch.Record(25, {kBlue}).Record(18, {transparent ? 1 : 2});
        hatch.Record(39, {1, 2, kRed, 0}).Select(1).Select(kNoPen).Rectangle(0, 0, 100, 100);
        ExpectProbes(transparent ? "hatch-transparent.emf" : "hatch-opaque.emf", Emf(hatch),
                     {{10, 4, kRedPixel}, {10, 12, kRedPixel}, {10, 6, transparent ? kWhite : kBluePixel}});
    }
}

TEST_F(ILMetafilePlayerTest, TextIsDrawnWithTheSelectedFontAlignmentAndEscapement)
{
    SKIP_WITHOUT_TOOLS("fc-match");
    const auto draw = [this](const std::string& name, int x, int y, int align, int escapement, int options = 0,
                             std::vector<std::int64_t> rectangle = {0, 0, 0, 0}) {
        EmfWriter e;
        Font(e, 1, -30, escapement).Select(1).Record(22, {align}).Record(18, {1});
        return InkBounds(Decode(name, Emf(Text(e, x, y, u"HHH", options, rectangle))));
    };
    const std::vector<int> left = draw("left.emf", 10, 50, 0, 0);
    ASSERT_GE(left[0], 10) << "no ink";
    EXPECT_LE(left[0], 14);
    EXPECT_GE(left[1], 50);            // top alignment: the text hangs below the point
    EXPECT_GT(left[2] - left[0], 55);  // three wide capitals
    EXPECT_LT(left[2] - left[0], 75);
    const std::vector<int> centred = draw("centred.emf", 50, 50, 6 | 24, 0);  // centre, baseline
    EXPECT_NEAR((centred[0] + centred[2]) / 2.0, 50, 3);
    EXPECT_LE(centred[3], 50);
    const std::vector<int> turned = draw("turned.emf", 50, 90, 0, 900);
    EXPECT_GT(turned[3] - turned[1], 2 * (turned[2] - turned[0]));  // upwards
    EXPECT_LE(turned[3], 92);
    const std::vector<int> clipped = draw("clipped.emf", 10, 50, 0, 0, 4, {0, 0, 40, 100});
    EXPECT_LE(clipped[2], 39);

    WmfWriter w;
    std::string face = "DejaVu Sans";
    face.resize(32, '\0');
    w.Record(0x02FB, {-30, 0, 0, 0, 700, 0, 0, 0, 0}, face).Select(0).Record(0x0209, {0x00FF, 0});
    w.Record(0x0521, {2, 'H' | ('i' << 8), 20, 10});
    const ILAnyBmp bmp = Decode("text.wmf", Wmf(w));
    const std::vector<int> ink = InkBounds(bmp);
    ASSERT_GE(ink[0], 10);
    EXPECT_GE(ink[1], 20);
    EXPECT_LE(ink[2], 60);
    const ILPixel32 sample = PixelAt(bmp, ink[0] + 1, ink[1] + 10);
    EXPECT_GT(sample.r, 150);  // in the text colour
    EXPECT_LT(sample.g, 100);
}

TEST_F(ILMetafilePlayerTest, HostileTextRegionsAndPathsEndPlaybackQuickly)
{
    // Each record is valid in form but asks for far too much: a font of a million pixels, a
    // region of more rectangles than its record holds, a clip region of a hundred thousand
    // rectangles, a path of a hundred thousand figures.
    EmfWriter e;
    Font(e, 1, -1000000, 450).Select(1);
    Text(e, 10, 10, std::u16string(2000, u'W'));
    e.Record(75, {64, 5}, Le32(32) + Le32(1) + Le32(100000) + Le32(32) + std::string(48, '\0'));
    std::string rectangles;
    for (int i = 0; i < 100000; ++i) {
        rectangles += Le32(i % 100) + Le32(i % 97) + Le32(i % 100 + 1) + Le32(i % 97 + 1);
    }
    e.Record(75, {32 + static_cast<std::int64_t>(rectangles.size()), 5},
             Le32(32) + Le32(1) + Le32(100000) + Le32(static_cast<std::int64_t>(rectangles.size())) +
                 std::string(16, '\0') + rectangles);
    e.Record(59, {});
    for (int i = 0; i < 100000; ++i) {
        e.MoveTo(i % 100, 0).LineTo(50, 99);
    }
    e.Record(60, {}).Record(62, {0, 0, 0, 0});
    const ILAnyBmp bmp = Decode("hostile.emf", Emf(e));
    EXPECT_EQ(bmp.GetWidth(), 100);
}

TEST_F(ILMetafilePlayerTest, GlyphsOffTheCanvasAreSkippedAndEachDrawnGlyphIsChargedItsSquare)
{
    SKIP_WITHOUT_TOOLS("fc-match");
    struct Case
    {
        const char* name;
        double x;
        double y;
        double em;
        std::size_t count;
        std::int64_t budget;
        bool ink;
        bool exhausted;
    };
    // Baseline points on a 100 × 100 canvas; a face's box spans less than two em each way.
    const Case cases[] = {
        {"well below", 10, 200, 60, 1, 1, false, false},
        {"reaching up into the last rows", 10, 140, 60, 1, 1000000, true, false},
        {"two thousand huge glyphs three em below", 10, 100 + 3 * 2048, 2048, 2000, 1, false, false},
        {"two thousand huge glyphs three em left", -3 * 2048, 50, 2048, 2000, 1, false, false},
        // The face's box reaches the canvas though no ink lands: charged all the same.
        {"two thousand huge glyphs just below", 10, 2100, 2048, 2000, 40000000, false, true},
        {"a huge glyph on the canvas", 10, 50, 2048, 2000, 1000000, false, true},
    };
    ILMetafileTextPainter painter;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ILMetafileCanvas canvas(100, 100, c.budget);
        ILMetafileTextPainter::Run run;
        run.text = std::u32string(c.count, U'W');
        run.advances.assign(c.count, 0.0);
        run.x = c.x;
        run.y = c.y;
        run.emPixels = c.em;
        run.vertical = 1;
        (void)painter.Draw(canvas, run);
        bool ink = false;
        for (int y = 0; y < 100 && !ink; ++y) {
            for (int x = 0; x < 100 && !ink; ++x) {
                ink = canvas.GetPixel(x, y).r < 128;
            }
        }
        EXPECT_EQ(ink, c.ink);
        EXPECT_EQ(canvas.IsExhausted(), c.exhausted);
    }
}
