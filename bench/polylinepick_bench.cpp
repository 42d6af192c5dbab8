// Memory that navigation keeps over long polylines: ten placements of a polyline of
// 100,000 points seen from their model's camera, then either wheel notches over the
// middle of the view, away and back in turn (each the pick of the point under the cursor
// and the frame it asks for, as the program takes them), or the picks alone. The counter
// kept_MB is the resident memory left behind once the heap's free pages went back to the
// system. Aims: under 100 MB for 20 notches; the picks keep nothing that grows with
// their number.

#include <benchmark/benchmark.h>

#include <GL/gl.h>

#include "bench/benchframe.h"
#include "document/tarnwickmodel.h"
#include "platform/heaptrim.h"
#include "samplegen/stressmodels.h"
#include "tools/pickhelper.h"
#include "tools/viewpickingservice.h"

namespace {

const CPoint2d kMiddle(kFrameWidth / 2.0, kFrameHeight / 2.0);

void Notch(StencilView& view, double sign)
{
    view.ZoomByWheel(sign, kMiddle);
    view.DrawFrame(0, false);
    glFinish();
}

void Pick(StencilView& view, double /*sign*/)
{
    CPickHelper picker(&view, kMiddle, 0);
    CPoint3d point;
    benchmark::DoNotOptimize(picker.FindNearestHitPoint(point));
}

// Each iteration one step; the counter the memory kept by all of them.
void PolylineSteps(benchmark::State& state, void (*step)(StencilView&, double))
{
    if (!PrepareToDraw(state)) {
        return;
    }
    InstallViewPicking();
    auto* model = new CTarnwickModel;
    BuildPolylinesModel(*model, static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    StencilView view;
    ShowAtModelCamera(view, model);
    long kept = 0;
    {
        const CurrentModelScope scope(model);
        view.DrawFrame(0, false);
        glFinish();
        ReturnFreeHeapToSystem();
        const long before = StatusKilobytes("VmRSS:");
        double sign = 1.0;
        for (auto _ : state) {
            step(view, sign);
            sign = -sign;
        }
        ReturnFreeHeapToSystem();
        kept = StatusKilobytes("VmRSS:") - before;
    }
    ReleaseQuietly(view, model);
    state.counters["kept_MB"] = static_cast<double>(kept) / 1024.0;
}

}  // namespace

BENCHMARK_CAPTURE(PolylineSteps, notches, &Notch)->Args({10, 100000})->Args({1, 1000000})->Iterations(20)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(PolylineSteps, picks, &Pick)->Args({10, 100000})->Iterations(100)->Unit(benchmark::kMillisecond);
