// Picking, zoom extents, orbiting and the wheel on the generated grid: a point pick in
// the middle of the 100,000 faces, zoom extents over the 1,000,000 faces from a view that
// shows a corner of the grid, an orbit drag of ten steps through the orbit tool over
// both, each step one mouse move and the frame it asks for, and wheel steps over the
// 1,000,000 faces, also in turns after which the wheel rests. Aims: a pick under 20 ms at
// 100,000 faces; zoom extents under 0.3 s at 1,000,000 faces; every orbit or wheel step
// under 0.1 s at 100,000 faces and, once the view has lowered its drawing level, under
// 0.25 s at 1,000,000, with the full-quality frame after the wheel rests under 0.6 s.
// GLIMRA_BENCH_GRID_FILE adds the orbit over a grid file of the sample generator's, one
// too large to make in memory.

#include <benchmark/benchmark.h>

#include <GL/gl.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <memory>

#include "document/classregistration.h"
#include "document/component.h"
#include "document/shadowinfo.h"
#include "document/utctime.h"
#include "document/tarnwickmodel.h"
#include "model/undosuspender.h"
#include "platform/archive.h"
#include "platform/file.h"
#include "platform/gl/wgl.h"
#include "platform/profile.h"
#include "platform/settingsstore.h"
#include "render/tarnisview.h"
#include "bench/benchframe.h"
#include "bench/gridfile.h"
#include "samplegen/modelfiles.h"
#include "tools/cameracommands.h"
#include "tools/cameraorbittool.h"
#include "tools/pickhelper.h"
#include "tools/toolmanager.h"
#include "tools/viewpickingservice.h"
#include "tools/viewextentsfinder.h"

namespace {

struct GridView
{
    explicit GridView(int faces) : model(new CTarnwickModel)
    {
        ReadModelBytes(GridFile(faces), *model);
        view.SetModel(model);
    }
    // A grid written by the sample generator: one too large to make and hold in memory
    // beside the model read from it.
    explicit GridView(const char* path) : model(new CTarnwickModel)
    {
        const CUndoSuspender suspender;
        CFile file;
        try {
            if (file.Open(CString(path), CFile::modeRead)) {
                CArchive archive(&file, CArchive::load);
                model->Serialize(archive);
                archive.Close();
                read = model->GetLoadStatus() == CTarnwickModel::kLoadOk;
            }
        } catch (...) {
            read = false;
        }
        view.SetModel(model);
    }
    ~GridView()
    {
        const CUndoSuspender suspender;
        view.SetModel(nullptr);
        model->Release();
    }
    GridView(const GridView&) = delete;
    GridView& operator=(const GridView&) = delete;

    CTarnwickModel* model;
    StencilView view;
    bool read = true;
};

void PointPick(benchmark::State& state)
{
    if (!PrepareToDraw(state)) {
        return;
    }
    const int faces = static_cast<int>(state.range(0));
    GridView grid(faces);
    AimAtGrid(grid.view, *grid.model, false);
    const CurrentModelScope scope(grid.model);
    grid.view.DrawFrame(0, false);
    int hits = 0;
    for (auto _ : state) {
        CPickHelper picker(&grid.view, CPoint2d(kFrameWidth / 2.0, kFrameHeight / 2.0), 0);
        CPoint3d point;
        benchmark::DoNotOptimize(picker.FindNearestHitPoint(point));
        hits = picker.GetHitCount();
    }
    state.counters["faces"] = faces;
    state.counters["hits"] = hits;
}

void ZoomExtents(benchmark::State& state)
{
    PrepareOnce();
    const int faces = static_cast<int>(state.range(0));
    GridView grid(faces);
    for (auto _ : state) {
        state.PauseTiming();
        AimAtGrid(grid.view, *grid.model, true);
        state.ResumeTiming();
        CViewExtentsFinder finder(grid.view);
        finder.ZoomExtents(nullptr);
    }
    state.counters["faces"] = faces;
}

// One iteration is one step of the drag: a move of 12 pixels across and the frame. The
// press (the pivot search) and the release are not timed; the counters give the still
// frame before the drag, the press, the slowest step, the slowest of the second half of
// the steps (once the view has lowered its level and kept what it draws there), the
// drawing level of the last step and the full-quality frame after the release.
void OrbitGrid(benchmark::State& state, GridView& grid)
{
    AimAtGrid(grid.view, *grid.model, false);
    const CurrentModelScope scope(grid.model);
    // The still frame before the drag: the view reads its time when the drag begins.
    const auto still = std::chrono::steady_clock::now();
    grid.view.DrawFrame(0, false);
    glFinish();
    const double stillFrame = std::chrono::duration<double>(std::chrono::steady_clock::now() - still).count();
    CToolManager tools;
    tools.SelectTool(new CCameraOrbitTool, kOrbitCommandId, true);
    const int x = kFrameWidth / 2;
    const int y = kFrameHeight / 2;
    const auto pressed = std::chrono::steady_clock::now();
    tools.OnLButtonDown(kMouseLeft, x, y, &grid.view);
    const double press = std::chrono::duration<double>(std::chrono::steady_clock::now() - pressed).count();
    double slowest = 0.0;
    double settled = 0.0;
    int step = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        ++step;
        tools.OnMouseMove(kMouseLeft, x + 12 * step, y, &grid.view);
        grid.view.DrawFrame(0, false);
        glFinish();
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        slowest = std::max(slowest, seconds);
        if (step > static_cast<int>(state.max_iterations / 2)) {
            settled = std::max(settled, seconds);
        }
    }
    state.counters["still_ms"] = stillFrame * 1000.0;
    state.counters["press_ms"] = press * 1000.0;
    state.counters["slowest_ms"] = slowest * 1000.0;
    state.counters["settled_ms"] = settled * 1000.0;
    state.counters["level"] = grid.view.GetDrawingLevel();
    tools.OnLButtonUp(0, x + 12 * step, y, &grid.view);
    // The release asks for the view at full quality again.
    const auto released = std::chrono::steady_clock::now();
    grid.view.DrawFrame(0, false);
    glFinish();
    state.counters["full_ms"] =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - released).count() * 1000.0;
    tools.Shutdown();
}

void OrbitDrag(benchmark::State& state)
{
    if (!PrepareToDraw(state)) {
        return;
    }
    InstallViewPicking();
    GridView grid(static_cast<int>(state.range(0)));
    if (state.range(1) != 0) {
        const CUndoSuspender suspender;
        grid.model->GetShadowInfo()->SetDateTime(CUtcTime(2020, 6, 21, 15, 0, 0));
        grid.model->GetShadowInfo()->SetDisplayShadows(true);
    }
    OrbitGrid(state, grid);
    state.counters["faces"] = static_cast<double>(state.range(0));
}

// The orbit over the grid file named by GLIMRA_BENCH_GRID_FILE (a grid of ten million
// faces, say); left out of the run when the variable is not set.
void OrbitDragFile(benchmark::State& state, const char* path)
{
    if (!PrepareToDraw(state)) {
        return;
    }
    InstallViewPicking();
    GridView grid(path);
    if (!grid.read) {
        state.SkipWithError("the grid file could not be read");
        return;
    }
    OrbitGrid(state, grid);
}

[[maybe_unused]] const bool kOrbitFileRegistered = [] {
    const char* path = std::getenv("GLIMRA_BENCH_GRID_FILE");
    if (path != nullptr && *path != '\0') {
        benchmark::RegisterBenchmark("OrbitDragFile", OrbitDragFile, path)
            ->Unit(benchmark::kMillisecond)
            ->Iterations(10);
    }
    return true;
}();

// The seconds a notch takes: the zoom looks for the model point under the cursor before
// it moves the camera, then the frame.
double Notch(CTarnisView& view, double amount)
{
    const auto start = std::chrono::steady_clock::now();
    view.ZoomByWheel(amount, CPoint2d(kFrameWidth / 2.0, kFrameHeight / 2.0));
    view.DrawFrame(0, false);
    glFinish();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The grid read and drawn once at full quality, before the wheel turns.
bool PrepareWheel(benchmark::State& state, GridView& grid)
{
    if (!PrepareToDraw(state)) {
        return false;
    }
    InstallViewPicking();
    AimAtGrid(grid.view, *grid.model, false);
    grid.view.DrawFrame(0, false);
    glFinish();
    return true;
}

// One iteration is one notch of the wheel over the middle of the view, away from the user
// and back on alternate steps, and the frame it asks for: the counters give the slowest
// step and the drawing level of the last one (a notch draws at the level the view
// stands at).
void WheelStep(benchmark::State& state)
{
    const int faces = static_cast<int>(state.range(0));
    GridView grid(faces);
    const CurrentModelScope scope(grid.model);
    if (!PrepareWheel(state, grid)) {
        return;
    }
    double slowest = 0.0;
    double sign = 1.0;
    for (auto _ : state) {
        slowest = std::max(slowest, Notch(grid.view, sign));
        sign = -sign;
    }
    state.counters["faces"] = faces;
    state.counters["slowest_ms"] = slowest * 1000.0;
    state.counters["level"] = grid.view.GetDrawingLevel();
}

}  // namespace

BENCHMARK(PointPick)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(ZoomExtents)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(OrbitDrag)->Args({100000, 0})->Args({1000000, 0})->Args({1000000, 1})->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(WheelStep)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(6);
