// Models of many materials, each with a picture of its own, some or all drawn: the time to
// read the file and draw its first frame, the peak of resident memory over both, and what
// the textures take. The sample generator makes the same models (--materials N --drawn M
// --side S) for measuring the program by hand.

#include <benchmark/benchmark.h>

#include <GL/gl.h>

#include <chrono>

#include "bench/benchframe.h"
#include "bench/gridfile.h"
#include "document/texturegl.h"
#include "samplegen/stressmodels.h"

namespace {

void BuildOneDrawn(CTarnwickModel& model, int materials)
{
    BuildMaterialsModel(model, materials, 1);
}

void BuildAllDrawn(CTarnwickModel& model, int materials)
{
    BuildMaterialsModel(model, materials, materials);
}

// Past the textures' budget with pictures at the smallest side it reduces to.
void BuildAllDrawnSmall(CTarnwickModel& model, int materials)
{
    BuildMaterialsModel(model, materials, materials, 128);
}

// Arguments: the count of materials, and how they are drawn: 0 all, 1 only one (pictures
// of 1024 pixels), 2 all (pictures of 128 pixels).
void MaterialPicturesFirstFrame(benchmark::State& state)
{
    if (!PrepareToDraw(state)) {
        return;
    }
    const int materials = static_cast<int>(state.range(0));
    constexpr ModelBuilder kBuilders[] = {&BuildAllDrawn, &BuildOneDrawn, &BuildAllDrawnSmall};
    const ModelBytes& file = BuiltModelFile(kBuilders[state.range(1)], materials);
    double read = 0.0;
    double frame = 0.0;
    double textures = 0.0;
    const long start = StartPeak();
    for (auto _ : state) {
        const auto begin = std::chrono::steady_clock::now();
        auto* model = new CTarnwickModel;
        ReadModelBytes(file, *model);
        read = Seconds(begin);
        const auto drawn = std::chrono::steady_clock::now();
        CTarnisView view;
        DrawFirstFrame(view, model);
        frame = Seconds(drawn);
        textures = static_cast<double>(GetTextureMemoryInUse()) / (1024.0 * 1024.0);
        ReportPeak(state, start);
        ReleaseQuietly(view, model);
    }
    state.counters["read_s"] = read;
    state.counters["frame_s"] = frame;
    state.counters["textures_MB"] = textures;
}

}  // namespace

BENCHMARK(MaterialPicturesFirstFrame)
    ->Args({300, 1})
    ->Args({300, 0})
    ->Args({600, 0})
    ->Args({2000, 0})
    ->Args({20000, 2})
    ->Args({40000, 2})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
