// Frames of many labels of 1,000 characters each, all in view, drawn at 1280 by 1024 in
// an offscreen framebuffer: the first frame renders every label's text (its glyphs met
// again and again across labels), the next finds the rendered labels kept. Aim: the
// first frame of 10,000 labels within about 10 s.

#include <benchmark/benchmark.h>

#include <GL/gl.h>

#include <chrono>

#include "bench/benchframe.h"
#include "document/tarnwickmodel.h"
#include "render/tarnisview.h"
#include "render/textbitmaprenderer.h"
#include "samplegen/stressmodels.h"

namespace {

void LabelFrames(benchmark::State& state)
{
    if (!PrepareToDraw(state)) {
        return;
    }
    const int labels = static_cast<int>(state.range(0));
    double first = 0.0;
    double second = 0.0;
    long start = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto* model = new CTarnwickModel;
        BuildLabelsModel(*model, labels);
        // Glyphs kept from an earlier run would flatter the first frame.
        ReleaseTextBitmap();
        start = StartPeak();
        state.ResumeTiming();
        {
            const CurrentModelScope scope(model);
            CTarnisView view;
            view.SetModel(model);
            view.SetViewportSize(kFrameWidth, kFrameHeight);
            view.InitGLState();
            view.SetCamera(model->GetCamera(), 0.0);
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
    state.counters["labels"] = labels;
    state.counters["first_s"] = first;
    state.counters["second_s"] = second;
    ReportPeak(state, start);
}

}  // namespace

BENCHMARK(LabelFrames)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(1);
