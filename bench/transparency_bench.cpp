// What the depth sort of blended transparency costs for the meter units it charges: a
// field of glass panes, each tilted its own way so that neighbours overlap on screen and
// in depth and their planes cross (every pair of neighbours tested), crossed by glass
// discs of 2,000 corners standing across the field (long outlines projected, thinned
// and tested against many panes). "s_per_Munit" is the seconds the sorts took per
// million units they charged; a unit is meant to cost what sending a vertex does
// (0.08-0.15 s per million).

#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <vector>

#include "bench/benchframe.h"
#include "document/material.h"
#include "document/materialmanager.h"
#include "document/renderingoptions.h"
#include "document/tarnwickmodel.h"
#include "foundation/framemeter.h"
#include "model/face.h"
#include "render/simplennssort.h"
#include "samplegen/geometrybuilder.h"

namespace {

constexpr int kPaneColumns = 40;
constexpr int kDiscs = 8;
constexpr int kDiscCorners = 2000;

std::vector<CFace*> BuildGlassField(CTarnwickModel& model)
{
    const CUndoSuspender suspender;
    const CurrentModelScope scope(&model);
    CComponent& root = *model.GetRootComponent();
    CMaterial* glass = root.GetMaterialManager()->FindOrCreateColorMaterial(CColor(0, 128, 255));
    glass->SetUseTransparency(true);
    glass->SetTransparency(0.5);
    const CGeometryBuilder builder(root);
    std::vector<CFace*> faces;
    for (int i = 0; i < kPaneColumns * kPaneColumns; ++i) {
        const double x = 6.0 * (i % kPaneColumns);
        const double y = 6.0 * (i / kPaneColumns);
        // Tilted about a line through the pane's middle, each its own way.
        const double tilt = 0.6 * std::sin(1.7 * i);
        const double turn = 0.6 * std::cos(2.3 * i);
        const auto corner = [&](double u, double v) {
            return builder.Vertex(CPoint3d(x + u, y + v * std::cos(tilt), v * std::sin(tilt) + u * std::sin(turn)));
        };
        faces.push_back(builder.Face({corner(-5, -5), corner(5, -5), corner(5, 5), corner(-5, 5)}));
    }
    for (int d = 0; d < kDiscs; ++d) {
        const double y = 6.0 * kPaneColumns * (d + 0.5) / kDiscs;
        std::vector<CVertex*> ring;
        for (int k = 0; k < kDiscCorners; ++k) {
            const double angle = 6.283185307179586 * k / kDiscCorners;
            ring.push_back(builder.Vertex(CPoint3d(120.0 + 110.0 * std::cos(angle), y, 20.0 * std::sin(angle))));
        }
        faces.push_back(builder.Face(ring, CVector3d(0, -1, 0)));
    }
    for (CFace* face : faces) {
        face->SetMaterial(glass);
    }
    model.GetRenderingOptions()->SetEnableTransparency(true);
    model.GetRenderingOptions()->SetTransparencyQuality(2);
    return faces;
}

void TransparencyPairs(benchmark::State& state)
{
    if (!PrepareToDraw(state)) {
        return;
    }
    auto* model = new CTarnwickModel;
    const std::vector<CFace*> faces = BuildGlassField(*model);
    CTarnisView view;
    view.SetModel(model);
    AimAtGrid(view, *model);
    const CurrentModelScope scope(model);
    // The frame sets the view's eye and near plane, which the sorts take.
    view.DrawFrame(0, false);
    glFinish();
    double seconds = 0.0;
    std::uint64_t units = 0;
    std::size_t records = 0;
    for (auto _ : state) {
        CSimpleNNSSort sorter(&view, static_cast<int>(faces.size()));
        for (CFace* face : faces) {
            sorter.Add(face, nullptr);
        }
        const CFrameMeter::CScope meter(UINT64_MAX / 2);
        const auto start = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(sorter.Order());
        seconds += Seconds(start);
        units += meter.GetUsed();
        records = sorter.GetRecords().size();
    }
    state.counters["s_per_Munit"] = units > 0 ? seconds / (static_cast<double>(units) / 1e6) : 0.0;
    state.counters["Munits"] = static_cast<double>(units) / 1e6 / static_cast<double>(state.iterations());
    state.counters["records"] = static_cast<double>(records);
    ReleaseQuietly(view, model);
}

}  // namespace

BENCHMARK(TransparencyPairs)->Name("WorkUnits/TransparencyPairs")->Unit(benchmark::kMillisecond);
