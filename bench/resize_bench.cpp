// The bilinear resize filter, timed per megapixel of source image.

#include <benchmark/benchmark.h>

#include <cstdint>

#include "imaging/ilanybmp.h"
#include "imaging/ilfilterresizebilinear.h"

namespace {

ILAnyBmp MakeSource(int side)
{
    ILAnyBmp bmp;
    bmp.CreateFromData(side, side, 32, true, false, nullptr, 0, ILPoint());
    for (int y = 0; y < side; ++y) {
        std::uint8_t* row = bmp.GetLineArray()[y];
        for (int i = 0; i < side * 4; ++i) {
            row[i] = static_cast<std::uint8_t>(i * 7 + y * 13);
        }
    }
    return bmp;
}

// Argument: source side in pixels; the image is scaled to the given percentage of it.
void ResizeBilinear(benchmark::State& state, int percent)
{
    const int side = static_cast<int>(state.range(0));
    const ILAnyBmp source = MakeSource(side);
    const int newSide = side * percent / 100;
    const ILFilterResizeBilinear filter(newSide, newSide);
    ILAnyBmp result;
    for (auto _ : state) {
        source.ApplyFilter(filter, result);
        benchmark::DoNotOptimize(result.GetLineArray());
    }
    const double megapixels = static_cast<double>(side) * side / 1e6;
    state.counters["MP"] = benchmark::Counter(megapixels * static_cast<double>(state.iterations()),
                                              benchmark::Counter::kIsRate);
}

void ResizeHalf(benchmark::State& state)
{
    ResizeBilinear(state, 50);
}

void ResizeDouble(benchmark::State& state)
{
    ResizeBilinear(state, 200);
}

void ResizeToTexture(benchmark::State& state)
{
    ResizeBilinear(state, 80);
}

}  // namespace

BENCHMARK(ResizeHalf)->Arg(256)->Arg(1024)->Unit(benchmark::kMillisecond);
BENCHMARK(ResizeDouble)->Arg(256)->Arg(1024)->Unit(benchmark::kMillisecond);
BENCHMARK(ResizeToTexture)->Arg(1024)->Unit(benchmark::kMillisecond);
