// What the section cut charges the frame meter against the time it takes: the cut of the
// root's active plane computed alone, as a frame computes it, over a mix of shapes: a grid
// of a million triangles cut across (entities visited, few faces crossed), 300 tilted
// placements of 300 tilted placements of a quad (a definition slice looked for and made
// for each), 150,000 placements each a little higher (looked for, then rejected by their
// box) and one face crossing the plane 120,000 times beside as many edges lying in it
// (corners walked, crossings sorted, spans matched). Counter s_per_Munit: seconds per
// million units charged over the whole mix, to be read beside the other kinds of work the
// meter weighs; <shape>_s_per_Munit the same for each shape.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <string>

#include "annotations/sectionplane.h"
#include "annotations/sectionplaneslice.h"
#include "bench/benchframe.h"
#include "document/component.h"
#include "document/tarnwickmodel.h"
#include "foundation/framemeter.h"
#include "samplegen/gridmodel.h"
#include "samplegen/sectionmodels.h"

namespace {

void BuildCrossedGrid(CTarnwickModel& model)
{
    BuildGridModel(model, 1'000'000);
    const CUndoSuspender suspender;
    const CurrentModelScope scope(&model);
    CComponent& root = *model.GetRootComponent();
    auto* plane = new CSectionPlane(CPlane3d(CPoint3d(500.0, 500.0, 0.0), CVector3d(1.0, 0.37, 0.0)));
    root.Add(plane);
    root.SetActiveSectionPlane(plane);
}

struct CutShape
{
    const char* name;
    void (*build)(CTarnwickModel&);
};

const CutShape kCutShapes[] = {
    {"grid", &BuildCrossedGrid},
    {"tilted", [](CTarnwickModel& model) { BuildTiltedCutModel(model, 300); }},
    {"rising", [](CTarnwickModel& model) { BuildRisingCutModel(model, 150'000); }},
    {"crossing", [](CTarnwickModel& model) { BuildCrossingCutModel(model, 120'000); }},
};

struct CutRun
{
    double seconds = 0.0;
    std::uint64_t units = 0;
};

// The root's active plane cut once, on an unlimited meter.
CutRun CutOnce(CTarnisView& view, CTarnwickModel& model)
{
    CComponent& root = *model.GetRootComponent();
    const auto* plane = dynamic_cast<const CSectionPlane*>(root.GetActiveSectionPlane());
    if (plane == nullptr) {
        return {};
    }
    const CurrentModelScope scope(&model);
    const CFrameMeter::CScope meter(UINT64_MAX);
    CSectionPlaneSlice slice(&root);
    const auto start = std::chrono::steady_clock::now();
    const bool whole = slice.Compute(plane->GetPlane(), &view);
    benchmark::DoNotOptimize(whole);
    return {Seconds(start), meter.GetUsed()};
}

double SecondsPerMillion(const CutRun& run)
{
    return run.units > 0 ? run.seconds / (static_cast<double>(run.units) / 1e6) : 0.0;
}

void SectionCut(benchmark::State& state)
{
    if (!PrepareToDraw(state)) {
        return;
    }
    CutRun total;
    for (auto _ : state) {
        total = {};
        for (const CutShape& shape : kCutShapes) {
            auto* model = new CTarnwickModel;
            shape.build(*model);
            CTarnisView view;
            ShowAtModelCamera(view, model);
            const CutRun run = CutOnce(view, *model);
            state.counters[std::string(shape.name) + "_s_per_Munit"] = SecondsPerMillion(run);
            total.seconds += run.seconds;
            total.units += run.units;
            ReleaseQuietly(view, model);
        }
    }
    state.counters["s_per_Munit"] = SecondsPerMillion(total);
    state.counters["Munits"] = static_cast<double>(total.units) / 1e6;
    state.counters["cut_s"] = total.seconds;
}

}  // namespace

BENCHMARK(SectionCut)->Name("WorkUnits/SectionCut")->Unit(benchmark::kMillisecond)->Iterations(1);
