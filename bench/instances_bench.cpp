// The first frame of a model of shared definitions, each holding two instances of the
// next, the last a unit box: 12 and 15 levels, 4,095 and 32,767 instance paths, every
// copy in the same place. Read from its model file and drawn at 1280 by 1024 in an
// offscreen framebuffer (Mesa's software renderer on two threads unless LP_NUM_THREADS
// says otherwise). Nearly all of the frame is the renderer filling each copy's box again;
// the driver may hold no more than a few windows of draws meanwhile. Counter peak_MB as in
// the other benchmarks: what the run held above what the process held before it.

#include <benchmark/benchmark.h>

#include <GL/gl.h>

#include <chrono>

#include "bench/benchframe.h"
#include "bench/gridfile.h"
#include "document/tarnwickmodel.h"
#include "samplegen/modelfiles.h"
#include "samplegen/stressmodels.h"

namespace {

void ReadAndDrawDoublingModel(benchmark::State& state)
{
    PrepareOnce();
    if (!MakeContextCurrent()) {
        state.SkipWithError("no offscreen OpenGL context");
        return;
    }
    const int levels = static_cast<int>(state.range(0));
    const ModelBytes& file = BuiltModelFile(&BuildDoublingModel, levels);
    const long start = StartPeak();
    double frame = 0.0;
    for (auto _ : state) {
        auto* model = new CTarnwickModel;
        ReadModelBytes(file, *model);
        const auto drawn = std::chrono::steady_clock::now();
        CTarnisView view;
        view.SetModel(model);
        view.SetViewportSize(kFrameWidth, kFrameHeight);
        view.InitGLState();
        view.SetCamera(model->GetCamera(), 0.0);
        {
            const CurrentModelScope scope(model);
            view.DrawFrame(0, false);
        }
        glFinish();
        frame = Seconds(drawn);
        state.PauseTiming();
        ReleaseQuietly(view, model);
        state.ResumeTiming();
    }
    ReportPeak(state, start);
    state.counters["paths"] = static_cast<double>((1 << levels) - 1);
    state.counters["frame_s"] = frame;
}

}  // namespace

BENCHMARK(ReadAndDrawDoublingModel)->Arg(12)->Arg(15)->Unit(benchmark::kMillisecond)->Iterations(2);
