// The statistics page's "Only components" text of a model of many placed definitions:
// counting the model and reading every placement by index. Aim: 100,000 definitions
// within about a second.

#include <benchmark/benchmark.h>

#include "bench/benchframe.h"
#include "bench/gridfile.h"
#include "document/componentstatistics.h"
#include "samplegen/stressmodels.h"

namespace {

void ListPlacements(benchmark::State& state)
{
    PrepareOnce();
    const ModelBytes& file = BuiltModelFile(&BuildDefinitionsModel, static_cast<int>(state.range(0)));
    auto* model = new CTarnwickModel;
    ReadModelBytes(file, *model);
    std::int64_t placed = 0;
    for (auto _ : state) {
        CComponentStatistics statistics;
        statistics.Update(model->GetRootComponent(), true);
        placed = 0;
        for (int i = 0; i < statistics.GetDefinitionEntryCount(); ++i) {
            benchmark::DoNotOptimize(statistics.GetDefinitionName(i));
            placed += statistics.GetDefinitionCount(i, true);
        }
    }
    state.counters["placed"] = static_cast<double>(placed);
    const CUndoSuspender suspender;
    model->Release();
}

}  // namespace

BENCHMARK(ListPlacements)->Arg(20000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(1);
