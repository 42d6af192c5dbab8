// The model file of a generated grid: how long a model of 100,000 and of 1,000,000
// triangle faces takes to read and to write, and how much memory it holds per face.
// Aim: a million faces read in under a second on one core, under 700 bytes each. The
// count of what the view would draw, made at every opening, against the read: aim, a
// small share of it. The read itself sums a large list for the count (LoadGrid holds
// that); CountGrid and CountAndBoundGrid are the walk a list takes where its sums cannot
// stand for it. CountStretchedPlacements: the count's part for each placement that turns or
// stretches its copy (its stretches, and the areas, lengths and box it gives the copy).

#include <benchmark/benchmark.h>

#include <malloc.h>

#include <map>

#include "document/classregistration.h"
#include "document/component.h"
#include "document/drawingwork.h"
#include "document/tarnwickmodel.h"
#include "foundation/transformation.h"
#include "foundation/versioninfo.h"
#include "model/attributenamed.h"
#include "model/undosuspender.h"
#include "platform/profile.h"
#include "platform/settingsstore.h"
#include "bench/benchframe.h"
#include "bench/gridfile.h"
#include "samplegen/gridmodel.h"
#include "samplegen/modelfiles.h"
#include "samplegen/placementmodels.h"

namespace {

// Settings in memory with the undo log off, and the model classes registered, once.
// Bytes the allocator hands out at the moment, mapped blocks included.
std::size_t AllocatedBytes()
{
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

void ReleaseQuietly(CTarnwickModel* model)
{
    const CUndoSuspender suspender;
    model->Release();
}

void LoadGrid(benchmark::State& state)
{
    PrepareOnce();
    const int faces = static_cast<int>(state.range(0));
    const ModelBytes& file = GridFile(faces);
    std::size_t held = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const std::size_t before = AllocatedBytes();
        state.ResumeTiming();
        auto* model = new CTarnwickModel;
        ReadModelBytes(file, *model);
        state.PauseTiming();
        held = AllocatedBytes() - before;
        ReleaseQuietly(model);
        state.ResumeTiming();
    }
    state.counters["faces"] = faces;
    state.counters["bytes_per_face"] = static_cast<double>(held) / faces;
    state.counters["file_bytes_per_face"] = static_cast<double>(file.size()) / faces;
}

// The grid with an attribute on every face: what a read pays to find the attributes
// that no one holds at its end (none here), against LoadGrid.
void BuildAttributedGrid(CTarnwickModel& model, int faces)
{
    BuildGridModel(model, faces);
    const CUndoSuspender suspender;
    CComponent* root = model.GetRootComponent();
    for (int i = 0; i < root->GetCount(); ++i) {
        root->GetAt(i)->GetOrCreateAttributeContainer(new CAttributeNamed);
    }
}

void LoadAttributedGrid(benchmark::State& state)
{
    PrepareOnce();
    const ModelBytes& file = BuiltModelFile(&BuildAttributedGrid, static_cast<int>(state.range(0)));
    for (auto _ : state) {
        auto* model = new CTarnwickModel;
        ReadModelBytes(file, *model);
        state.PauseTiming();
        ReleaseQuietly(model);
        state.ResumeTiming();
    }
    state.counters["faces"] = static_cast<double>(state.range(0));
}

// The grid of that many faces, read.
CTarnwickModel* ReadGrid(int faces)
{
    PrepareOnce();
    auto* model = new CTarnwickModel;
    ReadModelBytes(GridFile(faces), *model);
    return model;
}

void SaveGrid(benchmark::State& state)
{
    const int faces = static_cast<int>(state.range(0));
    CTarnwickModel* model = ReadGrid(faces);
    for (auto _ : state) {
        benchmark::DoNotOptimize(WriteModelBytes(*model, kSaveFormat5000));
    }
    ReleaseQuietly(model);
    state.counters["faces"] = faces;
}

void CountGrid(benchmark::State& state)
{
    const int faces = static_cast<int>(state.range(0));
    CTarnwickModel* model = ReadGrid(faces);
    for (auto _ : state) {
        benchmark::DoNotOptimize(CDrawingWork::Count(*model->GetRootComponent()));
    }
    ReleaseQuietly(model);
    state.counters["faces"] = faces;
}

// The walk a list takes where the read's sums cannot stand for it, with the bounds it
// hands the first frame.
void CountAndBoundGrid(benchmark::State& state)
{
    const int faces = static_cast<int>(state.range(0));
    CTarnwickModel* model = ReadGrid(faces);
    CComponent& root = *model->GetRootComponent();
    for (auto _ : state) {
        root.InvalidateBounds();
        benchmark::DoNotOptimize(CDrawingWork::Count(root));
        CBoundingBox3d box;
        root.GetExtents(box);
        benchmark::DoNotOptimize(box);
    }
    ReleaseQuietly(model);
    state.counters["faces"] = faces;
}

// 100,000 unit boxes side by side, each placed stretched along its axes (range 0),
// turned, stretched and turned again (range 1), or turned only (range 2).
void CountStretchedPlacements(benchmark::State& state)
{
    PrepareOnce();
    const CTransformation turn = CTransformation::Rotation(CPoint3d(), CUnitVector3d(1.0, 0.0, 0.0), 0.11);
    const CTransformation shapes[] = {
        CTransformation::Scaling(100.0, 100.0, 0.01),
        turn * CTransformation::Scaling(1e5, 10.0, 1.0) *
            CTransformation::Rotation(CPoint3d(), CUnitVector3d(0.0, 1.0, 1.0), 0.3),
        turn,
    };
    auto* model = new CTarnwickModel;
    BuildShapedBoxesModel(*model, shapes[state.range(0)], 100000);
    for (auto _ : state) {
        benchmark::DoNotOptimize(CDrawingWork::Count(*model->GetRootComponent()));
    }
    ReleaseQuietly(model);
    state.counters["placements"] = 100000;
}

}  // namespace

BENCHMARK(CountStretchedPlacements)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(CountAndBoundGrid)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(CountGrid)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(LoadGrid)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(LoadAttributedGrid)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(SaveGrid)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
