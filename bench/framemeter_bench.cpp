// The first frame of a model whose drawing the count at opening does not see in full:
// placements of one long polyline, each drawing every point. The frame meter ends such a
// frame once it has spent its budget; "units" is what the frame weighed, "cut" whether it
// stopped.

#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <chrono>

#include "bench/benchframe.h"
#include "document/tarnwickmodel.h"
#include "foundation/framemeter.h"
#include "samplegen/stressmodels.h"

namespace {

void PolylinesFirstFrame(benchmark::State& state)
{
    if (!PrepareToDraw(state)) {
        return;
    }
    const auto placements = static_cast<int>(state.range(0));
    const auto points = static_cast<int>(state.range(1));
    auto* model = new CTarnwickModel;
    BuildPolylinesModel(*model, placements, points);
    CTarnisView view;
    ShowAtModelCamera(view, model);
    const CurrentModelScope scope(model);
    for (auto _ : state) {
        const CFrameMeter::CScope meter(CFrameMeter::kBudget, true);
        const auto start = std::chrono::steady_clock::now();
        view.DrawFrame(0, false);
        glFinish();
        state.counters["first_s"] = Seconds(start);
        state.counters["units"] = static_cast<double>(meter.GetUsed());
        state.counters["cut"] = meter.IsExhausted() ? 1.0 : 0.0;
    }
    ReleaseQuietly(view, model);
}

}  // namespace

// Drawn whole; and the 10,000 placements of 100,000 points, stopped by the meter.
BENCHMARK(PolylinesFirstFrame)
    ->Args({100, 100000})
    ->Args({10000, 100000})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
