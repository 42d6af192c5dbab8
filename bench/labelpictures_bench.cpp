// Frames of labels whose pictures are large or many, all in view, drawn at 1280 by 1024
// in an offscreen framebuffer: labels of 1,000 characters (their glyphs met again and
// again across labels), labels of 20 characters in a 200-pixel font, labels of 100
// characters in the default font, dimensions with long texts, and labels of 200
// characters from 8 to 1007 pixels high in six faces. The first frame makes the
// pictures, which share one bounded store; the second finds those the store kept. Aims:
// each first frame within about 10 s quiet, the 3,000 big labels under 600 MB, the
// 50,000 short ones bounded by the store.

#include <benchmark/benchmark.h>

#include <GL/gl.h>

#include <chrono>
#include <functional>

#include "bench/benchframe.h"
#include "document/tarnwickmodel.h"
#include "render/tarnisview.h"
#include "render/textbitmaprenderer.h"
#include "render/textpicturestore.h"
#include "samplegen/stressmodels.h"

namespace {

void DrawTwoFrames(benchmark::State& state, const std::function<void(CTarnwickModel&)>& build)
{
    if (!PrepareToDraw(state)) {
        return;
    }
    double first = 0.0;
    double second = 0.0;
    long start = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto* model = new CTarnwickModel;
        build(*model);
        // Glyphs and pictures kept from an earlier run would flatter the first frame.
        ReleaseTextBitmap();
        CTextPictureStore::Get().LetGoOfAll();
        start = StartPeak();
        state.ResumeTiming();
        {
            const CurrentModelScope scope(model);
            CTarnisView view;
            ShowAtModelCamera(view, model);
            auto drawn = std::chrono::steady_clock::now();
            view.DrawFrame(0, false);
            glFinish();
            first = Seconds(drawn);
            drawn = std::chrono::steady_clock::now();
            view.DrawFrame(0, false);
            glFinish();
            second = Seconds(drawn);
            state.PauseTiming();
            ReleaseQuietly(view, model);
        }
        state.ResumeTiming();
    }
    state.counters["first_s"] = first;
    state.counters["second_s"] = second;
    state.counters["kept_MB"] = static_cast<double>(CTextPictureStore::Get().GetBytes()) / (1 << 20);
    ReportPeak(state, start);
}

void BigFontLabelFrames(benchmark::State& state)
{
    const auto labels = static_cast<int>(state.range(0));
    DrawTwoFrames(state, [&](CTarnwickModel& model) { BuildBigFontLabelsModel(model, labels); });
}

void LabelFrames(benchmark::State& state)
{
    const auto labels = static_cast<int>(state.range(0));
    DrawTwoFrames(state, [&](CTarnwickModel& model) { BuildLabelsModel(model, labels); });
}

void ShortLabelFrames(benchmark::State& state)
{
    const auto labels = static_cast<int>(state.range(0));
    DrawTwoFrames(state, [&](CTarnwickModel& model) { BuildShortLabelsModel(model, labels); });
}

void DimensionFrames(benchmark::State& state)
{
    const auto dimensions = static_cast<int>(state.range(0));
    const auto characters = static_cast<int>(state.range(1));
    DrawTwoFrames(state, [&](CTarnwickModel& model) { BuildDimensionsModel(model, dimensions, characters); });
}

void FontSizeFrames(benchmark::State& state)
{
    const auto labels = static_cast<int>(state.range(0));
    DrawTwoFrames(state, [&](CTarnwickModel& model) { BuildFontSizesModel(model, labels); });
}

}  // namespace

BENCHMARK(LabelFrames)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BigFontLabelFrames)->Arg(1000)->Arg(3000)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(ShortLabelFrames)->Arg(50000)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(DimensionFrames)->Args({10000, 1000})->Args({50000, 100})->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(FontSizeFrames)->Arg(1000)->Unit(benchmark::kMillisecond)->Iterations(1);
