#pragma once
// What the drawing benchmarks share: the settings they run with, one offscreen context of the
// frame's size, a view aimed at the generated grid, the time since a moment, letting go of a
// viewed model, and the peak of resident memory.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>

#include "document/classregistration.h"
#include "document/component.h"
#include "document/tarnwickmodel.h"
#include "model/undosuspender.h"
#include "platform/gl/wgl.h"
#include "platform/profile.h"
#include "platform/settingsstore.h"
#include "render/tarnisview.h"
#include "render/viewdefinition.h"

inline constexpr int kFrameWidth = 1280;
inline constexpr int kFrameHeight = 1024;

// Settings in memory, no undo log, the model classes registered, two rasteriser threads.
inline void PrepareOnce()
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

// The offscreen framebuffer of the frame's size, made once and made current on every call,
// since a benchmark may have made another context current meanwhile.
inline bool MakeContextCurrent()
{
    static std::unique_ptr<CGLDevice> device;
    static HGLRC context = nullptr;
    if (context == nullptr) {
        device = CGLDevice::CreateOffscreen(kFrameWidth, kFrameHeight);
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

// The settings prepared and the offscreen context current; false, with the benchmark marked
// skipped, when there is no context.
inline bool PrepareToDraw(benchmark::State& state)
{
    PrepareOnce();
    if (!MakeContextCurrent()) {
        state.SkipWithError("no offscreen OpenGL context");
        return false;
    }
    return true;
}

// A view that owns the offscreen framebuffer's 8 stencil bits, which a view learns from its
// window otherwise, so that shadows fall on faces.
class StencilView : public CTarnisView
{
public:
    [[nodiscard]] bool HasStencilBuffer() const override { return true; }
    [[nodiscard]] int GetStencilBits() const override { return 8; }
};

// A perspective view of the grid from above, slanted; zoomed onto one corner when asked.
inline void AimAtGrid(CTarnisView& view, const CTarnwickModel& model, bool corner = false)
{
    CBoundingBox3d box;
    model.GetRootComponent()->GetBounds(box, false);
    const double size = std::max(box.xmax - box.xmin, box.ymax - box.ymin);
    const CPoint3d centre = corner ? CPoint3d(box.xmin, box.ymin, 0.0)
                                   : CPoint3d((box.xmin + box.xmax) / 2, (box.ymin + box.ymax) / 2, 0.0);
    const double distance = corner ? size / 10 : size;
    CViewDefinition definition;
    definition.SetViewportSize(kFrameWidth, kFrameHeight);
    definition.SetEyeTarget(CPoint3d(centre.x, centre.y - distance, distance), centre, CVector3d(0, 0, 1));
    definition.SetPerspective(true);
    view.SetViewDefinition(definition);
    view.SetViewportSize(kFrameWidth, kFrameHeight);
    view.InitGLState();
}

// Shows the model in the view from the model's own camera, at the benchmarks' frame size.
inline void ShowAtModelCamera(CTarnisView& view, CTarnwickModel* model)
{
    view.SetModel(model);
    view.SetViewportSize(kFrameWidth, kFrameHeight);
    view.InitGLState();
    view.SetCamera(model->GetCamera(), 0.0);
}

// Shows the model in the view, aimed at its grid, draws one frame and waits for it.
inline void DrawFirstFrame(CTarnisView& view, CTarnwickModel* model)
{
    view.SetModel(model);
    AimAtGrid(view, *model);
    const CurrentModelScope scope(model);
    view.DrawFrame(0, false);
    glFinish();
}

inline double Seconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// Detaches the view and releases the model without recording the erasures.
inline void ReleaseQuietly(CTarnisView& view, CTarnwickModel* model)
{
    const CUndoSuspender suspender;
    view.SetModel(nullptr);
    model->Release();
}

inline long StatusKilobytes(const char* field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(field, 0) == 0) {
            return std::stol(line.substr(std::strlen(field)));
        }
    }
    return 0;
}

// Starts a new peak of resident memory; the resident size at the start.
inline long StartPeak()
{
    std::ofstream("/proc/self/clear_refs") << "5";
    return StatusKilobytes("VmRSS:");
}

// Counter peak_MB: the peak resident memory since StartPeak above what the process held then.
inline void ReportPeak(benchmark::State& state, long startKilobytes)
{
    state.counters["peak_MB"] = static_cast<double>(StatusKilobytes("VmHWM:") - startKilobytes) / 1024.0;
}
