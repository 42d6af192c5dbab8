// Letting go of a model: how long emptying it takes (what File > New does to the open
// one) and the process's resident memory before the model was made and after it was
// emptied. Faces over one ring of ten edges, listed before the edges: aim 30,000 faces in
// well under a second. Many definitions: CloseDefinitionsModel (notificationcenter_bench)
// times them; here the memory they leave, aim within 100 MB of what was held before.

#include <benchmark/benchmark.h>

#include <fstream>
#include <string>

#include "bench/benchframe.h"
#include "document/tarnwickmodel.h"
#include "model/undosuspender.h"
#include "samplegen/stressmodels.h"

namespace {

// The process's resident memory in MB, from the kernel's own account.
double ResidentMegabytes()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::stod(line.substr(6)) / 1024.0;
        }
    }
    return 0.0;
}

void Close(benchmark::State& state, void (*build)(CTarnwickModel&, int))
{
    PrepareOnce();
    const int count = static_cast<int>(state.range(0));
    double before = 0.0;
    double after = 0.0;
    for (auto _ : state) {
        state.PauseTiming();
        before = ResidentMegabytes();
        auto* model = new CTarnwickModel;
        build(*model, count);
        state.ResumeTiming();
        {
            const CUndoSuspender suspender;
            model->Clear();
        }
        state.PauseTiming();
        after = ResidentMegabytes();
        {
            const CUndoSuspender suspender;
            model->Release();
        }
        state.ResumeTiming();
    }
    state.counters["resident_mb_before_build"] = before;
    state.counters["resident_mb_after_close"] = after;
}

void CloseFacesFirstRing(benchmark::State& state)
{
    Close(state, &BuildFacesFirstRingModel);
}

void ResidentAfterClosingDefinitions(benchmark::State& state)
{
    Close(state, &BuildDefinitionsModel);
}

}  // namespace

BENCHMARK(CloseFacesFirstRing)->Arg(30000)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(ResidentAfterClosingDefinitions)->Arg(20000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(1);
