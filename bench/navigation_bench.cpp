// Picking and zoom extents on the generated grid: a point pick in the middle of the
// 100,000 faces, and zoom extents over the 1,000,000 faces from a view that shows a
// corner of the grid. Aims: a pick under 20 ms at 100,000 faces; zoom extents under
// 0.3 s at 1,000,000 faces.

#include <benchmark/benchmark.h>

#include <GL/gl.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

#include "document/classregistration.h"
#include "document/component.h"
#include "document/tarnwickmodel.h"
#include "model/undosuspender.h"
#include "platform/gl/wgl.h"
#include "platform/profile.h"
#include "platform/settingsstore.h"
#include "render/tarnisview.h"
#include "bench/gridfile.h"
#include "samplegen/modelfiles.h"
#include "tools/pickhelper.h"
#include "tools/viewextentsfinder.h"

namespace {

constexpr int kWidth = 1280;
constexpr int kHeight = 1024;

void PrepareOnce()
{
    static CSettingsStore* const settings = [] {
        auto* store = new CSettingsStore{CString()};
        SetProfileStore(store);
        WriteProfileBool("Undo", "Logging", false);
        RegisterModelClasses();
        setenv("LP_NUM_THREADS", "2", 0);
        return store;
    }();
    benchmark::DoNotOptimize(settings);
}

// An offscreen framebuffer of the frame's size, made once and made current each time:
// other benchmarks keep contexts of their own.
bool MakeContextCurrent()
{
    static std::unique_ptr<CGLDevice> device;
    static HGLRC context = nullptr;
    if (context == nullptr) {
        device = CGLDevice::CreateOffscreen(kWidth, kHeight);
        if (device == nullptr) {
            return false;
        }
        PIXELFORMATDESCRIPTOR wanted;
        wanted.cDepthBits = 24;
        wanted.cStencilBits = 8;
        if (!SetPixelFormat(device.get(), ChoosePixelFormat(device.get(), &wanted), nullptr)) {
            return false;
        }
        context = wglCreateContext(device.get());
    }
    return context != nullptr && wglMakeCurrent(device.get(), context);
}

// A perspective view of the grid from above, slanted; zoomed onto one corner when asked.
void AimAtGrid(CTarnisView& view, const CTarnwickModel& model, bool corner)
{
    CBoundingBox3d box;
    model.GetRootComponent()->GetBounds(box, false);
    const double size = std::max(box.xmax - box.xmin, box.ymax - box.ymin);
    const CPoint3d centre = corner ? CPoint3d(box.xmin, box.ymin, 0.0)
                                   : CPoint3d((box.xmin + box.xmax) / 2, (box.ymin + box.ymax) / 2, 0.0);
    const double distance = corner ? size / 10 : size;
    CViewDefinition definition;
    definition.SetViewportSize(kWidth, kHeight);
    definition.SetEyeTarget(CPoint3d(centre.x, centre.y - distance, distance), centre, CVector3d(0, 0, 1));
    definition.SetPerspective(true);
    view.SetViewDefinition(definition);
    view.SetViewportSize(kWidth, kHeight);
    view.InitGLState();
}

struct GridView
{
    explicit GridView(int faces) : model(new CTarnwickModel)
    {
        ReadModelBytes(GridFile(faces), *model);
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
    CTarnisView view;
};

void PointPick(benchmark::State& state)
{
    PrepareOnce();
    if (!MakeContextCurrent()) {
        state.SkipWithError("no offscreen OpenGL context");
        return;
    }
    const int faces = static_cast<int>(state.range(0));
    GridView grid(faces);
    AimAtGrid(grid.view, *grid.model, false);
    const CurrentModelScope scope(grid.model);
    grid.view.DrawFrame(0, false);
    int hits = 0;
    for (auto _ : state) {
        CPickHelper picker(&grid.view, CPoint2d(kWidth / 2.0, kHeight / 2.0), 0);
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

}  // namespace

BENCHMARK(PointPick)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(ZoomExtents)->Arg(1000000)->Unit(benchmark::kMillisecond);
