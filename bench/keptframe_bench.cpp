// What keeping the last whole frame costs a frame of 1280 x 1024: each frame is cleared,
// covered by a quad and presented (copied to the front buffer and finished). "kept" draws
// it into the second back buffer and keeps it, as the view's frames are drawn; "dropped"
// drops it, as a frame stopped for input is. Aim: no difference beyond the noise.

#include <benchmark/benchmark.h>

#include <GL/gl.h>

#include "bench/benchframe.h"

namespace {

enum EFrameEnd
{
    kPlain,
    kKept,
    kDropped,
};

void PresentFrame(benchmark::State& state)
{
    if (!PrepareToDraw(state)) {
        return;
    }
    const auto end = static_cast<EFrameEnd>(state.range(0));
    CGLDevice* device = wglGetCurrentDC();
    glViewport(0, 0, kFrameWidth, kFrameHeight);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnable(GL_DEPTH_TEST);
    int step = 0;
    for (auto _ : state) {
        if (end != kPlain && !device->BeginFrame()) {
            state.SkipWithError("the device keeps no frame");
            break;
        }
        glClearColor(0.2f, 0.3f, 0.4f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
        glColor3f(static_cast<float>(++step % 2), 0.5f, 0.5f);
        glBegin(GL_QUADS);
        glVertex3f(-0.9f, -0.9f, 0.1f);
        glVertex3f(0.9f, -0.9f, 0.1f);
        glVertex3f(0.9f, 0.9f, 0.1f);
        glVertex3f(-0.9f, 0.9f, 0.1f);
        glEnd();
        if (end != kPlain) {
            device->EndFrame(end == kKept);
        }
        if (!device->Swap()) {
            state.SkipWithError("no swap");
            break;
        }
    }
}

}  // namespace

// Argument: 0 plain, 1 kept, 2 dropped.
BENCHMARK(PresentFrame)->Arg(kPlain)->Arg(kKept)->Arg(kDropped)->Unit(benchmark::kMillisecond)->Iterations(300);
