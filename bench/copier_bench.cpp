// The entity copier copying a grid of square faces into a component, timed per face.
// Neighbouring squares share their edges and vertices, so the copy has to keep one
// copy of each shared object; the time per face should stay nearly flat as N grows.

#include <benchmark/benchmark.h>

#include <vector>

#include "document/component.h"
#include "document/entitycopier.h"
#include "document/tarnwickmodel.h"
#include "foundation/plane3d.h"
#include "model/edge.h"
#include "model/face.h"
#include "model/undosuspender.h"
#include "model/vertex.h"
#include "platform/profile.h"
#include "platform/settingsstore.h"

namespace {

// side × side unit squares facing +z in the component; the faces are returned.
std::vector<CEntity*> MakeGrid(CComponent& component, int side)
{
    std::vector<CVertex*> vertices;
    for (int y = 0; y <= side; ++y) {
        for (int x = 0; x <= side; ++x) {
            vertices.push_back(new CVertex(CPoint3d(x, y, 0)));
        }
    }
    auto at = [&](int x, int y) { return vertices[static_cast<std::size_t>(y * (side + 1) + x)]; };
    auto edge = [&](CVertex* a, CVertex* b) {
        if (CEdge* existing = a->FindEdgeTo(b)) {
            return existing;
        }
        auto* made = new CEdge(a, b, false);
        component.Add(made);
        return made;
    };
    std::vector<CEntity*> faces;
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            CVertex* ring[4] = {at(x, y), at(x + 1, y), at(x + 1, y + 1), at(x, y + 1)};
            CEdge* edges[4];
            for (int i = 0; i < 4; ++i) {
                edges[i] = edge(ring[i], ring[(i + 1) % 4]);
            }
            auto* face = new CFace(4, edges, CPlane3d(ring[0]->GetPosition(), CVector3d(0, 0, 1)));
            component.Add(face);
            faces.push_back(face);
        }
    }
    return faces;
}

void CopyGridIntoComponent(benchmark::State& state)
{
    CSettingsStore store{CString()};
    SetProfileStore(&store);
    WriteProfileBool("Undo", "Logging", false);
    {
        const CUndoSuspender suspender;
        const CurrentModelScope scope;
        auto* model = new CTarnwickModel;
        model->MakeCurrent();
        const int side = static_cast<int>(state.range(0));
        const std::vector<CEntity*> grid = MakeGrid(*model->GetRootComponent(), side);
        for (auto _ : state) {
            auto* target = new CComponent;
            CCopier copier(model);
            std::vector<CEntity*> copies = grid;
            copier.Clone(copies);
            target->AddEntities(copies);
            benchmark::DoNotOptimize(target->GetCount());
            state.PauseTiming();
            target->Erase();
            state.ResumeTiming();
        }
        state.SetComplexityN(state.range(0) * state.range(0));
        state.counters["faces"] = static_cast<double>(grid.size());
        model->Release();
    }
    SetProfileStore(nullptr);
}

}  // namespace

// 100 × 100 and 317 × 317 squares: 10k and about 100k faces.
BENCHMARK(CopyGridIntoComponent)->Arg(100)->Arg(317)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oNLogN);
