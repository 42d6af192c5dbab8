// Faces that need cutting into triangles: stars of 10,000 to 1,000,000 corners and squares
// with 2,000 to 200,000 square holes, cut by the sweep alone; then the same faces (and 100 placements of
// a star of 10,000 corners, and faces whose loops cross or touch, which are resolved or
// left unfilled) drawn at 1280 by 1024 in an offscreen framebuffer, the first frame
// cutting them and each orbit step after it drawing the triangles kept. Aims: a first
// frame of any of these faces within about 5 s (10 s for those whose loops cross or
// touch); an orbit frame that costs what drawing its triangles costs. Counters: first_s (the first frame), triangles, peak_MB.

#include <benchmark/benchmark.h>

#include <GL/gl.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <vector>

#include "bench/benchframe.h"
#include "document/camera.h"
#include "document/tarnwickmodel.h"
#include "model/keptfacetriangles.h"
#include "render/polygontriangulator.h"
#include "samplegen/stressmodels.h"

namespace {

// The star's corners alternately 100 and 50 from its centre, as the sample generator makes it.
void AddStar(int corners, std::vector<CPoint2d>& points, std::vector<std::uint32_t>& ends)
{
    for (int i = 0; i < corners; ++i) {
        const double angle = 6.283185307179586 * i / corners;
        const double radius = i % 2 == 0 ? 100.0 : 50.0;
        points.emplace_back(radius * std::cos(angle), radius * std::sin(angle));
    }
    ends.push_back(static_cast<std::uint32_t>(points.size()));
}

// One unit holes two apart, clockwise, in a square counter-clockwise.
void AddHoledSquare(int holes, std::vector<CPoint2d>& points, std::vector<std::uint32_t>& ends)
{
    const int columns = static_cast<int>(std::ceil(std::sqrt(static_cast<double>(holes))));
    const double size = 2.0 * columns;
    points.insert(points.end(), {{0, 0}, {size, 0}, {size, size}, {0, size}});
    ends.push_back(4);
    for (int i = 0; i < holes; ++i) {
        const double x = 2.0 * (i % columns) + 0.5;
        const double y = 2.0 * (i / columns) + 0.5;
        points.insert(points.end(), {{x, y}, {x, y + 1}, {x + 1, y + 1}, {x + 1, y}});
        ends.push_back(static_cast<std::uint32_t>(points.size()));
    }
}

void CutFace(benchmark::State& state)
{
    std::vector<CPoint2d> points;
    std::vector<std::uint32_t> ends;
    const auto count = static_cast<int>(state.range(1));
    if (state.range(0) == 0) {
        state.SetLabel("star");
        AddStar(count, points, ends);
    } else {
        state.SetLabel("square with holes");
        AddHoledSquare(count, points, ends);
    }
    CPolygonTriangulator triangulator;
    std::vector<std::uint32_t> triangles;
    for (auto _ : state) {
        if (triangulator.Triangulate(points, ends, triangles) != CPolygonTriangulator::EResult::kDone) {
            state.SkipWithError("the face was not cut");
            return;
        }
    }
    state.counters["triangles"] = static_cast<double>(triangles.size() / 3);
}

void BuildFace(CTarnwickModel& model, int kind)
{
    if (kind == 0) {
        BuildStarModel(model, 100000);
    } else if (kind == 1) {
        BuildHolesModel(model, 20000);
    } else if (kind == 2) {
        BuildStarPlacementsModel(model, 100, 10000);
    } else if (kind == 3) {
        BuildCrossingStarModel(model, 3501, 1750);
    } else if (kind == 4) {
        BuildTouchingLoopModel(model, 30000);
    } else if (kind == 5) {
        BuildTouchingBandModel(model, 100);
    } else {
        BuildCrossingStarModel(model, 301, 150);
    }
}

const char* const kFaceNames[] = {"star of 100,000 corners",
                                  "square with 20,000 holes",
                                  "100 placements of a star of 10,000 corners",
                                  "star {3501/1750}, its loop crossing itself",
                                  "loop touching itself 30,000 times at its centre",
                                  "band of 100 turns, each touching the next",
                                  "star {301/150}, resolved"};

// The first frame, then one orbit step about the model's camera target per iteration.
void FirstFrameThenOrbit(benchmark::State& state)
{
    if (!PrepareToDraw(state)) {
        return;
    }
    const int kind = static_cast<int>(state.range(0));
    state.SetLabel(kFaceNames[kind]);
    auto* model = new CTarnwickModel;
    BuildFace(*model, kind);
    const long start = StartPeak();
    CTarnisView view;
    view.SetModel(model);
    view.SetViewportSize(kFrameWidth, kFrameHeight);
    view.InitGLState();
    CCamera camera = model->GetCamera();
    view.SetCamera(camera, 0.0);
    const CurrentModelScope scope(model);
    const auto first = std::chrono::steady_clock::now();
    view.DrawFrame(0, false);
    glFinish();
    state.counters["first_s"] = Seconds(first);
    const CPoint3d target = camera.GetTarget();
    const CVector3d offset = camera.GetEye() - target;
    int step = 0;
    for (auto _ : state) {
        const double angle = 0.05 * ++step;
        const CVector3d turned(offset.x * std::cos(angle) - offset.y * std::sin(angle),
                               offset.x * std::sin(angle) + offset.y * std::cos(angle), offset.z);
        camera.SetEyeTargetUp(target + turned, target, CVector3d(0, 0, 1));
        view.SetCamera(camera, 0.0);
        view.DrawFrame(0, false);
        glFinish();
    }
    ReportPeak(state, start);
    state.counters["triangles"] = static_cast<double>(CKeptFaceTriangles::GetIndexCount() / 3);
    ReleaseQuietly(view, model);
}

}  // namespace

// Ten times the corners or holes should cost little more than ten times the time.
BENCHMARK(CutFace)
    ->Args({0, 10000})
    ->Args({0, 100000})
    ->Args({0, 1000000})
    ->Args({1, 2000})
    ->Args({1, 20000})
    ->Args({1, 200000})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(FirstFrameThenOrbit)->DenseRange(0, 6)->Unit(benchmark::kMillisecond)->Iterations(5);
