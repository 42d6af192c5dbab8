// Opening a file over a large model: the document lets the generated grid go and reads
// the sample house, as a drop of the house over the grid does; the time is that of the
// two. Second argument 0: the grid's faces and edges go at once; 1: as in the program,
// they are left pending for the idle loop, which lets them go afterwards (pending_s).
// let_go_s is the document's emptying alone; resident_mb the process's resident memory
// once everything has gone. Aim: the house read over the 1M-triangle grid in well under
// 0.1 s, so that the 10M grid's takes well under a second, and the memory back.

#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>

#include "bench/benchframe.h"
#include "bench/gridfile.h"
#include "document/basedoc.h"
#include "model/undosuspender.h"
#include "model/wholemodelrelease.h"
#include "samplegen/housemodel.h"
#include "samplegen/modelfiles.h"

namespace {

void HouseBuilder(CTarnwickModel& model, int /*size*/)
{
    BuildHouseModel(model);
}

void OpenHouseOverGrid(benchmark::State& state)
{
    PrepareOnce();
    const ModelBytes& grid = GridFile(static_cast<int>(state.range(0)));
    const ModelBytes& house = BuiltModelFile(&HouseBuilder, 0);
    const bool idle = state.range(1) != 0;
    double letGo = 0.0;
    double pending = 0.0;
    long resident = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto document = std::make_unique<CBaseDoc>();
        ReadModelBytes(grid, document->GetModel());
        if (idle) {
            CWholeModelRelease::SetIdleWake([] {});
        }
        state.ResumeTiming();
        {
            // As the document opens a file: nothing of it is recorded for undo.
            const CUndoSuspender suspender;
            const auto start = std::chrono::steady_clock::now();
            document->DeleteContents();
            letGo = Seconds(start);
            ReadModelBytes(house, document->GetModel());
        }
        state.PauseTiming();
        const auto start = std::chrono::steady_clock::now();
        CWholeModelRelease::SetIdleWake({});
        CWholeModelRelease::LetGoPending();
        pending = Seconds(start);
        resident = StatusKilobytes("VmRSS:");
        document.reset();
        state.ResumeTiming();
    }
    state.counters["let_go_s"] = letGo;
    state.counters["pending_s"] = pending;
    state.counters["resident_mb"] = static_cast<double>(resident) / 1024.0;
}

}  // namespace

BENCHMARK(OpenHouseOverGrid)
    ->ArgsProduct({{1000000}, {0, 1}})
    ->ArgNames({"faces", "idle"})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
