// A zoom-window drag over the generated grid: the time from one mouse move to the
// rectangle on screen (read back as the window would show it). "redraw" is the road
// without fast feedback, where each move asks for a model frame that draws the
// rectangle before its swap; "over_frame" is fast feedback, where the rectangle is drawn
// over the frame already shown and no model frame is drawn. Aim: the rectangle follows
// the mouse at once (well under a frame's time) over 1,000,000 faces.

#include <benchmark/benchmark.h>

#include <GL/gl.h>

#include <chrono>
#include <cstdint>
#include <vector>

#include "bench/benchframe.h"
#include "bench/gridfile.h"
#include "document/tarnwickmodel.h"
#include "model/undosuspender.h"
#include "render/glconfig.h"
#include "samplegen/modelfiles.h"
#include "tools/camerazoomwindowtool.h"
#include "tools/toolmanager.h"

namespace {

// The program's view in small: it draws the active tool's feedback, presents what the
// front buffer holds by reading it back, and draws a frame when asked to redraw.
class FeedbackView : public StencilView
{
public:
    void DrawToolFeedback() override
    {
        tools->UpdateFastFeedbackFlag();
        if (!tools->NeedsOverlay())
            tools->Draw(this);
    }
    void DrawToolOverlay() override
    {
        if (tools->NeedsOverlay())
            tools->DrawOverlay(this);
    }
    void SwapBuffersHook(int /*argument*/) override
    {
        SwapBuffers(wglGetCurrentDC());
        PresentFeedback();
    }
    void PresentFeedback() override { (void)wglGetCurrentDC()->ReadFrontPixels(shown); }
    void Invalidate(bool /*erase*/) override { redraw = true; }

    CToolManager* tools = nullptr;
    std::vector<std::uint8_t> shown;
    bool redraw = false;
};

void ZoomWindowMove(benchmark::State& state)
{
    if (!PrepareToDraw(state)) {
        return;
    }
    const bool fast = state.range(1) != 0;
    auto* model = new CTarnwickModel;
    ReadModelBytes(GridFile(static_cast<int>(state.range(0))), *model);
    {
        FeedbackView view;
        view.SetModel(model);
        AimAtGrid(view, *model, false);
        const CurrentModelScope scope(model);
        CToolManager tools(model);
        view.tools = &tools;
        GetGLConfig().SwapCopy = fast ? 1 : 0;
        tools.SelectTool(new CCameraZoomWindowTool, kCameraZoomWindow, true);
        // Two frames shown, so that the view knows how long it takes to draw.
        for (int i = 0; i < 2; ++i)
            view.DrawFrame(0, true);
        // Once it finds its frames slow, it keeps fast feedback on; the frame that switch asks
        // for comes before the drag.
        if (view.IsFastFeedback() || view.redraw)
            view.DrawFrame(0, true);
        view.redraw = false;
        tools.OnLButtonDown(kMouseLeft, 100, 100, &view);
        int step = 0;
        int frames = 0;
        for (auto _ : state) {
            ++step;
            tools.OnMouseMove(kMouseLeft, 100 + 7 * step, 100 + 5 * step, &view);
            if (view.redraw) {
                view.redraw = false;
                view.DrawFrame(0, true);
                ++frames;
            }
            glFinish();
        }
        state.counters["model_frames"] = frames;
        state.counters["faces"] = static_cast<double>(state.range(0));
        tools.Shutdown();
        GetGLConfig().SwapCopy = 1;
        const CUndoSuspender suspender;
        view.SetModel(nullptr);
    }
    model->Release();
}

}  // namespace

// Arguments: faces, fast feedback.
BENCHMARK(ZoomWindowMove)->Args({1000000, 0})->Args({1000000, 1})->Unit(benchmark::kMillisecond)->Iterations(10);
