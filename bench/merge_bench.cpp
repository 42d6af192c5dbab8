// The merge controller welding a grid of N square faces into a component, timed per
// merge. Each square arrives with vertices and edges of its own, as pasted geometry
// does; the merge welds the shared corners, takes each doubled edge over into one and
// leaves a grid whose neighbours share their edges. It should grow no worse than
// N log N.

#include <benchmark/benchmark.h>

#include <vector>

#include "document/component.h"
#include "document/tarnwickmodel.h"
#include "foundation/plane3d.h"
#include "model/edge.h"
#include "model/entityset.h"
#include "model/face.h"
#include "model/mergecontroller.h"
#include "model/undomanager.h"
#include "model/undosuspender.h"
#include "model/vertex.h"
#include "platform/profile.h"
#include "platform/settingsstore.h"

namespace {

// side × side unit squares facing +z, none sharing anything, in the component and the
// set.
void AddLooseGrid(CComponent& component, CEntitySet& set, int side)
{
    const CUndoSuspender suspender;
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            CVertex* ring[4] = {new CVertex(CPoint3d(x, y, 0)), new CVertex(CPoint3d(x + 1, y, 0)),
                                new CVertex(CPoint3d(x + 1, y + 1, 0)), new CVertex(CPoint3d(x, y + 1, 0))};
            CEdge* edges[4];
            for (int i = 0; i < 4; ++i) {
                edges[i] = new CEdge(ring[i], ring[(i + 1) % 4], false);
                component.Add(edges[i]);
                set.Add(edges[i]);
            }
            auto* face = new CFace(4, edges, CPlane3d(ring[0]->GetPosition(), CVector3d(0, 0, 1)));
            component.Add(face);
            set.Add(face);
        }
    }
}

void MergeGridIntoComponent(benchmark::State& state)
{
    CSettingsStore store{CString()};
    SetProfileStore(&store);
    WriteProfileBool("Undo", "Logging", false);
    const int side = static_cast<int>(state.range(0));
    std::size_t edgesLeft = 0;
    for (auto _ : state) {
        state.PauseTiming();
        {
            const CurrentModelScope scope;
            auto* model = new CTarnwickModel;
            model->MakeCurrent();
            CUndoManager* previous = GetCurrentUndoManager();
            SetCurrentUndoManager(model->GetUndoManager());
            CEntitySet set;
            AddLooseGrid(*model->GetRootComponent(), set, side);
            state.ResumeTiming();
            CMergeController controller(model->GetRootComponent(), &set);
            benchmark::DoNotOptimize(controller.Merge(false, true));
            state.PauseTiming();
            edgesLeft = static_cast<std::size_t>(model->GetRootComponent()->GetCount() - side * side);
            SetCurrentUndoManager(previous);
            model->Release();
        }
        state.ResumeTiming();
    }
    state.SetComplexityN(state.range(0) * state.range(0));
    state.counters["faces"] = static_cast<double>(side) * side;
    // A welded grid keeps 2·side·(side+1) edges.
    state.counters["edges"] = static_cast<double>(edgesLeft);
    SetProfileStore(nullptr);
}

}  // namespace

// 100 × 100 and 317 × 317 squares: 10k and about 100k faces.
BENCHMARK(MergeGridIntoComponent)
    ->Arg(32)
    ->Arg(100)
    ->Arg(317)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Complexity(benchmark::oNLogN);
