// Letting go of observers and of models with many definitions (each definition's
// managers observe the rendering options). Aim: removing an observer costs the same
// at every count, and closing a model takes about as long as reading it.

#include <benchmark/benchmark.h>

#include <chrono>
#include <vector>

#include "bench/benchframe.h"
#include "bench/gridfile.h"
#include "foundation/notificationcenter.h"
#include "samplegen/stressmodels.h"

namespace {

class CQuietObserver : public IObserver
{
public:
    void OnNotify(const std::string& /*name*/, void* /*data*/) override {}
};

// Each observer under two names, as a definition's material and layer managers are;
// then all leave in the order they came, as a model's definitions do when it closes.
void RemoveObservers(benchmark::State& state)
{
    const auto count = static_cast<std::size_t>(state.range(0));
    std::vector<CQuietObserver> observers(count);
    for (auto _ : state) {
        state.PauseTiming();
        CNotificationCenter center;
        for (CQuietObserver& observer : observers) {
            center.AddObserver(kRenderingOptionsChangeNotification, &observer);
            center.AddObserver(kExitNotification, &observer);
        }
        state.ResumeTiming();
        for (CQuietObserver& observer : observers) {
            center.RemoveObserver(&observer);
        }
        benchmark::DoNotOptimize(center.HasEntry(kExitNotification));
    }
    state.SetComplexityN(state.range(0));
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}

// A model of that many placed definitions read from its file, then cleared as a
// document does when it closes; read_s is the read for comparison.
void CloseDefinitionsModel(benchmark::State& state)
{
    PrepareOnce();
    const ModelBytes& file = BuiltModelFile(&BuildDefinitionsModel, static_cast<int>(state.range(0)));
    double read = 0.0;
    for (auto _ : state) {
        state.PauseTiming();
        auto* model = new CTarnwickModel;
        const auto start = std::chrono::steady_clock::now();
        ReadModelBytes(file, *model);
        read = Seconds(start);
        state.ResumeTiming();
        {
            const CUndoSuspender suspender;
            model->Clear();
            model->Release();
        }
    }
    state.counters["read_s"] = read;
}

}  // namespace

BENCHMARK(RemoveObservers)->RangeMultiplier(10)->Range(1000, 100000)->Complexity(benchmark::oN);
BENCHMARK(CloseDefinitionsModel)->Arg(20000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(1);
