// A full-quality frame of 100,000 triangle faces on rolling ground (so that faces shade
// one another) with sun shadows on faces and on the ground: the model drawn dark, as
// shadow volumes and lit, after the flattened ground shadows. And the same faces all
// transparent, sorted and blended (Arg 1: by box centres, 2: by depth with pair tests).
// Aims: under 0.5 s with shadows and 0.3 s with sorted transparency on two threads.
// And the first frame, shadows on, of side-by-side placements (Arg) of one definition
// of 1,000 vertical quads, with the memory it takes: aim under 1.2 GB for 2,000.

#include <benchmark/benchmark.h>

#include <GL/gl.h>

#include <cmath>
#include <vector>

#include "bench/benchframe.h"
#include "document/component.h"
#include "document/material.h"
#include "document/materialmanager.h"
#include "document/renderingoptions.h"
#include "document/shadowinfo.h"
#include "document/tarnwickmodel.h"
#include "document/utctime.h"
#include "model/face.h"
#include "model/undosuspender.h"
#include "render/tarnisview.h"
#include "samplegen/geometrybuilder.h"
#include "samplegen/stressmodels.h"

namespace {

constexpr int kFaces = 100000;

double Height(int x, int y)
{
    return 2.0 + 1.5 * std::sin(x * 0.21) * std::cos(y * 0.17) + 0.6 * std::sin(x * 0.05 + y * 0.07) * 4.0;
}

// A height field of triangles, two to a cell, every vertex shared.
CTarnwickModel* MakeRollingGround()
{
    auto* model = new CTarnwickModel;
    const CUndoSuspender suspender;
    const CurrentModelScope scope(model);
    const CGeometryBuilder builder(*model->GetRootComponent());
    const int side = static_cast<int>(std::ceil(std::sqrt(kFaces / 2.0)));
    std::vector<CVertex*> below(static_cast<std::size_t>(side) + 1);
    std::vector<CVertex*> above(below.size());
    for (int x = 0; x <= side; ++x) {
        below[static_cast<std::size_t>(x)] = builder.Vertex(CPoint3d(x, 0, Height(x, 0)));
    }
    int made = 0;
    for (int y = 0; y < side && made < kFaces; ++y) {
        for (int x = 0; x <= side; ++x) {
            above[static_cast<std::size_t>(x)] = builder.Vertex(CPoint3d(x, y + 1, Height(x, y + 1)));
        }
        for (std::size_t x = 0; x < static_cast<std::size_t>(side) && made < kFaces; ++x, made += 2) {
            builder.Face({below[x], below[x + 1], above[x + 1]});
            builder.Face({below[x], above[x + 1], above[x]});
        }
        below.swap(above);
    }
    return model;
}

CTarnwickModel* Ground()
{
    static CTarnwickModel* const model = MakeRollingGround();
    return model;
}

// Shadows, or transparency sorted with the given quality.
void Configure(CTarnwickModel& model, bool shadows, int quality)
{
    const CUndoSuspender suspender;
    CShadowInfo& info = *model.GetShadowInfo();
    info.SetDateTime(CUtcTime(2020, 6, 21, 15, 0, 0));
    info.SetDisplayShadows(shadows);
    CRenderingOptions& options = *model.GetRenderingOptions();
    options.SetDisplayGround(shadows);
    options.SetEnableTransparency(quality != 0);
    options.SetTransparencyQuality(quality);
    CMaterial* glass = nullptr;
    if (quality != 0) {
        glass = model.GetRootComponent()->GetMaterialManager()->FindOrCreateColorMaterial(CColor(90, 160, 220));
        glass->SetUseTransparency(true);
        glass->SetTransparency(0.4);
    }
    for (CDrawingElement* entity : model.GetRootComponent()->GetEntityList()) {
        if (auto* face = dynamic_cast<CFace*>(entity)) {
            face->SetMaterial(glass);
        }
    }
}

void Frame(benchmark::State& state, bool shadows, int quality)
{
    if (!PrepareToDraw(state)) {
        return;
    }
    CTarnwickModel* model = Ground();
    Configure(*model, shadows, quality);
    StencilView view;
    view.SetModel(model);
    AimAtGrid(view, *model);
    const CurrentModelScope scope(model);
    for (auto _ : state) {
        view.DrawFrame(0, false);
        glFinish();
    }
    state.counters["faces"] = kFaces;
    state.counters["level"] = view.GetDrawingLevel();
    state.counters["sun_z"] = model->GetShadowInfo()->GetSunDirection().z;
    const CUndoSuspender suspender;
    view.SetModel(nullptr);
}

void ShadowFrame(benchmark::State& state)
{
    Frame(state, true, 0);
}

void SortedTransparencyFrame(benchmark::State& state)
{
    Frame(state, false, static_cast<int>(state.range(0)));
}

// A fresh model each time, so that every frame is a first one with nothing cached.
void PlacedQuadsFirstFrame(benchmark::State& state)
{
    if (!PrepareToDraw(state)) {
        return;
    }
    const long start = StartPeak();
    for (auto _ : state) {
        state.PauseTiming();
        auto* model = new CTarnwickModel;
        BuildShadowedModel(*model, static_cast<int>(state.range(0)));
        StencilView view;
        view.SetModel(model);
        AimAtGrid(view, *model);
        {
            const CurrentModelScope scope(model);
            state.ResumeTiming();
            view.DrawFrame(0, false);
            glFinish();
            state.PauseTiming();
        }
        ReleaseQuietly(view, model);
        state.ResumeTiming();
    }
    state.counters["quads"] = 1000.0 * static_cast<double>(state.range(0));
    ReportPeak(state, start);
}

}  // namespace

BENCHMARK(ShadowFrame)->Unit(benchmark::kMillisecond);
BENCHMARK(PlacedQuadsFirstFrame)->Arg(500)->Arg(2000)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(SortedTransparencyFrame)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);
