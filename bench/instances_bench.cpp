// The first frame of models of shared definitions, read from their model file and drawn
// at 1280 by 1024 in an offscreen framebuffer (Mesa's software renderer on two threads
// unless LP_NUM_THREADS says otherwise): definitions that each hold two instances of the
// next, every copy in the same place; and one definition placed many times, itself
// holding many instances of a leaf, side by side or stacked. The leaf is a unit box or a
// grid of triangles. Each shape but the doubling boxes of 12 levels (the everyday case)
// is sized just under the drawing budget, so that its frame is the longest a model of
// that shape the reader accepts can take. Counters: work as the reader counts it, paths (instances
// drawn), frame_s, and peak_MB as in the other benchmarks: what the run held above what
// the process held before it.

#include <benchmark/benchmark.h>

#include <GL/gl.h>

#include <chrono>
#include <cstdint>
#include <vector>

#include "bench/benchframe.h"
#include "bench/gridfile.h"
#include "document/drawingwork.h"
#include "document/tarnwickmodel.h"
#include "samplegen/modelfiles.h"
#include "samplegen/stressmodels.h"

namespace {

struct BenchShape
{
    const char* name;
    SharedModelShape shape;
};

const BenchShape kShapes[] = {
    {"doubling boxes, 12 levels", {DoublingCopies(12), 0, true}},
    {"doubling boxes, 15 levels, under the budget", {DoublingCopies(15), 0, true}},
    {"doubling 1000 triangles, 15 levels, under the budget", {DoublingCopies(15), 1000, true}},
    {"512 x 145 of 1000 triangles side by side, under the budget", {{512, 145}, 1000, false}},
    {"512 x 58 of 1000 triangles stacked, under the budget", {{512, 58}, 1000, true}},
    {"512 x 2450 boxes side by side, under the budget", {{512, 2450}, 0, false}},
    {"1,350,000 squares side by side, under the budget", {{1'350'000}, 2, false}},
};

void BuildBenchShape(CTarnwickModel& model, int index)
{
    BuildSharedModel(model, kShapes[index].shape);
}

// Paths drawn: instances counted once per path that reaches them.
double PathsOf(const SharedModelShape& shape)
{
    double paths = 0.0;
    double reaching = 1.0;
    for (const int copies : shape.copies) {
        reaching *= copies;
        paths += reaching;
    }
    return paths;
}

void ReadAndDrawSharedModel(benchmark::State& state)
{
    if (!PrepareToDraw(state)) {
        return;
    }
    const int index = static_cast<int>(state.range(0));
    state.SetLabel(kShapes[index].name);
    const ModelBytes& file = BuiltModelFile(&BuildBenchShape, index);
    const long start = StartPeak();
    double frame = 0.0;
    std::uint64_t work = 0;
    for (auto _ : state) {
        auto* model = new CTarnwickModel;
        try {
            ReadModelBytes(file, *model);
        } catch (...) {
            model->Release();
            state.SkipWithError("the reader refused the model");
            return;
        }
        const auto drawn = std::chrono::steady_clock::now();
        CTarnisView view;
        ShowAtModelCamera(view, model);
        {
            const CurrentModelScope scope(model);
            view.DrawFrame(0, false);
        }
        glFinish();
        frame = Seconds(drawn);
        state.PauseTiming();
        work = CDrawingWork::Count(*model->GetRootComponent());
        ReleaseQuietly(view, model);
        state.ResumeTiming();
    }
    ReportPeak(state, start);
    state.counters["work"] = static_cast<double>(work);
    state.counters["paths"] = PathsOf(kShapes[index].shape);
    state.counters["frame_s"] = frame;
}

}  // namespace

BENCHMARK(ReadAndDrawSharedModel)->DenseRange(0, 6)->Unit(benchmark::kMillisecond)->Iterations(1);
