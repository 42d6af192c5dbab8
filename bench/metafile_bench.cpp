// Metafile playback at its worst on the largest canvas the metafile decoder makes: small
// files whose records ask for the most work each. The canvas's work budget is set so that
// the slowest of these stays within a few seconds; every case reports the time one whole
// file takes to play until its records end or the budget is spent.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "imaging/ilemfplayer.h"
#include "imaging/ilmetafilecanvas.h"
#include "imaging/ilwmfplayer.h"
#include "tests/imaging/metafilewriter.h"

using namespace metafiletest;

namespace {

// 8192 × 4096: the decoder's largest picture.
constexpr int kWidth = 8192;
constexpr int kHeight = 4096;
// The frame, in hundredths of a millimetre, that puts one logical unit on one pixel.
constexpr int kFrameRight = kWidth * 2646 / 100;
constexpr int kFrameBottom = kHeight * 2646 / 100;

// Region data of one-pixel stripes the canvas's height, every other column from the left.
std::string Stripes(int count)
{
    std::vector<std::int64_t> rectangles;
    for (int i = 0; i < count; ++i) {
        rectangles.insert(rectangles.end(), {2 * i, 0, 2 * i + 1, kHeight});
    }
    return RegionData(rectangles);
}

std::string Vertex(int x, int y, int level)
{
    return Le32(x) + Le32(y) + Le16(level << 8) + Le16(level << 8) + Le16(0) + Le16(0);
}

std::string FloodFills()
{
    EmfWriter e;
    e.Brush(1, 0, kRed).Select(1);
    for (int i = 0; i < 1000; ++i) {
        e.Record(53, {i % kWidth, i % kHeight, 0x000001, 0});  // to a border that is nowhere
    }
    return e.Bytes(kFrameRight, kFrameBottom);
}

std::string InvertedRegions()
{
    EmfWriter e;
    const std::string region = Stripes(4096);
    for (int i = 0; i < 300; ++i) {
        e.Record(73, {0, 0, kWidth, kHeight, static_cast<std::int64_t>(region.size())}, region);
    }
    return e.Bytes(kFrameRight, kFrameBottom);
}

std::string AlphaBlends()
{
    // A 2 × 1 half-transparent source stretched over the whole canvas.
    const std::string header = Le32(40) + Le32(2) + Le32(-1) + Le16(1) + Le16(32) + Le32(0) + Le32(0) +
                               std::string(16, '\0');
    const std::string rows = Le32(0x80800000) + Le32(0x80008000);
    EmfWriter e;
    for (int i = 0; i < 30; ++i) {
        e.Record(114, {0, 0, kWidth, kHeight, 0, 0, kWidth, kHeight, 0x01FF0000, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 108,
                       static_cast<std::int64_t>(header.size()), 108 + static_cast<std::int64_t>(header.size()),
                       static_cast<std::int64_t>(rows.size()), 2, 1},
                 header + rows);
    }
    return e.Bytes(kFrameRight, kFrameBottom);
}

std::string SavedClips()
{
    EmfWriter e;
    for (int i = 0; i < 200000; ++i) {
        const int x = 2 * (i % 4096);
        e.Record(33, {}).Record(29, {x, 0, x + 1, kHeight});  // save, then cut a stripe out of the clip
    }
    return e.Bytes(kFrameRight, kFrameBottom);
}

std::string StripedGradients()
{
    EmfWriter e;
    const std::string region = Stripes(4096);
    e.Record(75, {static_cast<std::int64_t>(region.size()), 5}, region);
    const std::string triangle = Vertex(0, 0, 0) + Vertex(2 * kWidth, 0, 255) + Vertex(0, 2 * kHeight, 128) +
                                 Le32(0) + Le32(1) + Le32(2);
    for (int i = 0; i < 10; ++i) {
        e.Record(118, {0, 0, kWidth, kHeight, 3, 1, 2}, triangle);
    }
    return e.Bytes(kFrameRight, kFrameBottom);
}

// A path of many short lines drawn with a three-pixel pen, widened `widenings` times and,
// when `stroke`, stroked with that pen.
std::string WidenedPath(int widenings, bool stroke)
{
    EmfWriter e;
    e.Pen(1, 0, 3, kBlue).Select(1).Record(59, {});
    for (int i = 0; i < 10000; ++i) {
        e.MoveTo(i % kWidth, i % kHeight).LineTo(i % kWidth + 5, i % kHeight);
    }
    e.Record(60, {});
    for (int i = 0; i < widenings; ++i) {
        e.Record(66, {});
    }
    if (stroke) {
        e.Record(64, {0, 0, 0, 0});
    }
    return e.Bytes(kFrameRight, kFrameBottom);
}

std::string WidenedOutlines()
{
    return WidenedPath(10000, false);
}

// A few widenings make tens of thousands of small figures, each stroked.
std::string WidenedThenStroked()
{
    return WidenedPath(4, true);
}

std::string Float32(float value)
{
    std::uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return Le32(bits);
}

// 4,096 two-pixel spans far left of the canvas, the canvas's height, filled, painted and
// inverted again and again: none of it is seen.
std::string OffCanvasRegionFills()
{
    std::vector<int> scan = {0, kHeight};
    for (int i = 0; i < 4096; ++i) {
        scan.insert(scan.end(), {-32000 + 4 * i, -32000 + 4 * i + 2});
    }
    WmfWriter w;
    w.Brush(0, kRed).Region({scan});
    for (int i = 0; i < 10000; ++i) {
        const int kind = i % 3;
        kind == 0 ? w.Record(0x012B, {1}) : kind == 1 ? w.Record(0x012A, {1}) : w.Record(0x0228, {1, 0});
    }
    return w.Bytes();
}

// A clip of 4,096 one-row bands, each of one span, moved to and fro.
std::vector<std::int64_t> ManyBands()
{
    std::vector<std::int64_t> rectangles;
    for (int y = 0; y < kHeight; ++y) {
        rectangles.insert(rectangles.end(), {y % 2, y, kWidth - (y % 3), y + 1});
    }
    return rectangles;
}

std::string EmfClipOffsets()
{
    EmfWriter e;
    const std::string region = RegionData(ManyBands());
    e.Record(75, {static_cast<std::int64_t>(region.size()), 5}, region);
    for (int i = 0; i < 10000; ++i) {
        e.Record(26, {i % 2 == 0 ? 1 : -1, 0});
    }
    return e.Bytes(kFrameRight, kFrameBottom);
}

std::string ClipOffsets()
{
    std::vector<std::vector<int>> scans;
    for (int y = 0; y < kHeight; ++y) {
        scans.push_back({y, y + 1, y % 2, kWidth - 1 - (y % 3)});
    }
    WmfWriter w;
    w.Region(scans).Record(0x012C, {0});
    for (int i = 0; i < 100000; ++i) {
        w.Record(0x0220, {0, i % 2 == 0 ? 1 : -1});
    }
    return w.Bytes();
}

// Inverted regions of 4,096 rectangles, each at its own height and overlapping all the
// others, so that every band between two of their edges meets thousands of them.
std::string RegionsAtManyHeights()
{
    std::vector<std::int64_t> rectangles;
    for (int i = 0; i < 4096; ++i) {
        rectangles.insert(rectangles.end(), {i, i / 2, i + 4096, i / 2 + 2048});
    }
    const std::string region = RegionData(rectangles);
    EmfWriter e;
    for (int i = 0; i < 200; ++i) {
        e.Record(73, {0, 0, kWidth, kHeight, static_cast<std::int64_t>(region.size())}, region);
    }
    return e.Bytes(kFrameRight, kFrameBottom);
}

// Text clipped to its rectangle within a clip of many bands: each record copies the clip.
std::string ClippedTexts()
{
    EmfWriter e;
    const std::string region = RegionData(ManyBands());
    e.Record(75, {static_cast<std::int64_t>(region.size()), 5}, region);
    Font(e, 1, -20, 0).Select(1);
    for (int i = 0; i < 100000; ++i) {
        e.Record(84, {0, 0, 0, 0, 1, 0, 0, 0, 10, 1, 76, 4, 0, 0, 10, 10, 0}, Utf16(u" "));
    }
    return e.Bytes(kFrameRight, kFrameBottom);
}

// Tiny clip rectangles under a turned world, each a 24-byte record.
std::string TurnedClipRectangles()
{
    EmfWriter e;
    const float c = 0.8F;
    const float s = 0.6F;
    e.Raw(Le32(35) + Le32(32) + Float32(c) + Float32(s) + Float32(-s) + Float32(c) + Float32(kWidth / 2.0F) +
          Float32(0));
    for (int i = 0; i < 100000; ++i) {
        const int x = i % 2048;
        e.Record(i % 2 == 0 ? 30 : 29, {x, x, x + 2, x + 2});
    }
    return e.Bytes(kFrameRight, kFrameBottom);
}

// Plays as a Windows metafile whose window is the canvas, or as an enhanced metafile.
void Play(benchmark::State& state, const std::string& bytes, bool windows = false)
{
    for (auto _ : state) {
        ILMetafileCanvas canvas(kWidth, kHeight);
        const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
        if (windows) {
            ILWMFPlayer(canvas, 0, 0, kWidth, kHeight).Play(data, bytes.size());
        } else {
            ILEMFPlayer(canvas).Play(data, bytes.size());
        }
        benchmark::DoNotOptimize(canvas.GetPixel(1, 1));
        state.counters["exhausted"] = canvas.IsExhausted() ? 1 : 0;
    }
    state.counters["file KB"] = static_cast<double>(bytes.size()) / 1024;
}

#define METAFILE_CASE(maker)                                     \
    void BM_Metafile##maker(benchmark::State& state)             \
    {                                                            \
        static const std::string bytes = maker();                \
        Play(state, bytes);                                      \
    }                                                            \
    BENCHMARK(BM_Metafile##maker)->Unit(benchmark::kMillisecond)->Iterations(1)

METAFILE_CASE(FloodFills);
METAFILE_CASE(InvertedRegions);
METAFILE_CASE(AlphaBlends);
METAFILE_CASE(SavedClips);
METAFILE_CASE(StripedGradients);
METAFILE_CASE(WidenedOutlines);
METAFILE_CASE(WidenedThenStroked);
METAFILE_CASE(EmfClipOffsets);
METAFILE_CASE(RegionsAtManyHeights);
METAFILE_CASE(TurnedClipRectangles);
METAFILE_CASE(ClippedTexts);

#define WMF_CASE(maker)                                          \
    void BM_Wmf##maker(benchmark::State& state)                  \
    {                                                            \
        static const std::string bytes = maker();                \
        Play(state, bytes, true);                                   \
    }                                                            \
    BENCHMARK(BM_Wmf##maker)->Unit(benchmark::kMillisecond)->Iterations(1)

WMF_CASE(OffCanvasRegionFills);
WMF_CASE(ClipOffsets);

}  // namespace
