// The first fill of faces whose loops touch, at the sizes where filling them went wrong
// or slow: combs of 1,600 to 12,800 teeth, a column of 1,425 diamond windows, a grid of
// 101 x 101 windows, 3,000 petals, the far face, a hole along 1,000 corners of the
// outline's side. Timed on the face batch (the view's first frame, which cuts the face
// and keeps its triangles) and on the placed road (a face carried through a placement,
// turned or mirrored, as shadow caps and section fills are, its first draw). Aims: each
// filled, within 0.1 s on a quiet machine. Counters: triangles kept by the batch (0: left
// unfilled) beside the triangles a cut of the corners makes; filled, the share of the
// face's area the placed road's triangles cover (1 when filled; not telling for the far
// faces, whose corners GL rounds to single precision).

#include <benchmark/benchmark.h>

#include <GL/gl.h>

#include <chrono>
#include <cmath>
#include <vector>

#include "bench/benchframe.h"
#include "document/component.h"
#include "foundation/transformation.h"
#include "model/face.h"
#include "model/keptfacetriangles.h"
#include "render/facepolygon.h"
#include "samplegen/faceshapes.h"

namespace {

const struct
{
    const char* kind;
    int size;
} kShapes[] = {
    {"comb-x-side", 1600},   {"comb-y-side", 1600},   {"comb-x-touch", 6400}, {"comb-y-touch", 6400},
    {"comb-y-touch", 12800}, {"diamonds", 1425},      {"windows", 101},       {"petals", 3000},
    {"bowtie", 1},           {"cornerhole", 1},       {"farface", 0},         {"farnarrow", 0},
    {"sharedrun", 1000},
};

void Label(benchmark::State& state, const SFaceShape& shape)
{
    state.SetLabel(shape.name + " (" + std::to_string(shape.GetCornerCount()) + " corners)");
}

// What a cut into triangles of the corners gives, two more a hole.
double ExpectedTriangles(const SFaceShape& shape)
{
    return static_cast<double>(shape.GetCornerCount() + 2 * (shape.loops.size() - 1) - 2);
}

CFace* FindFace(CTarnwickModel& model)
{
    for (CDrawingElement* element : model.GetRootComponent()->GetEntityList()) {
        if (auto* face = dynamic_cast<CFace*>(element)) {
            return face;
        }
    }
    return nullptr;
}

// The view's first frame of a model holding the face alone.
void FirstFillInBatch(benchmark::State& state)
{
    if (!PrepareToDraw(state)) {
        return;
    }
    const auto& which = kShapes[state.range(0)];
    const SFaceShape shape = MakeFaceShape(which.kind, which.size);
    Label(state, shape);
    double triangles = 0.0;
    for (auto _ : state) {
        auto* model = new CTarnwickModel;
        (void)BuildFaceShapeModel(*model, which.kind, which.size);
        CTarnisView view;
        ShowAtModelCamera(view, model);
        const CurrentModelScope scope(model);
        const auto start = std::chrono::steady_clock::now();
        view.DrawFrame(0, false);
        glFinish();
        state.SetIterationTime(Seconds(start));
        const CKeptFaceTriangles::SEntry* kept = CKeptFaceTriangles::Find(FindFace(*model)->GetDisplayCache());
        triangles = kept != nullptr ? static_cast<double>(kept->triangles.size() / 3) : 0.0;
        ReleaseQuietly(view, model);
    }
    state.counters["triangles"] = triangles;
    state.counters["expected"] = ExpectedTriangles(shape);
}

// The area the drawing fills as a share of the face's: the triangles GL is sent, taken
// back through feedback in a frame fitted to the face and summed counter-clockwise
// positive (1 when filled right, 0 when left unfilled).
double FilledShare(CFacePolygon& polygon, const SFaceShape& shape)
{
    CPoint3d low(1e300, 1e300, 0.0);
    CPoint3d high(-1e300, -1e300, 0.0);
    for (const CPoint3d& p : polygon.GetPoints()) {
        low = CPoint3d(std::min(low.x, p.x), std::min(low.y, p.y), 0.0);
        high = CPoint3d(std::max(high.x, p.x), std::max(high.y, p.y), 0.0);
    }
    glViewport(0, 0, kFrameWidth, kFrameHeight);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(low.x, high.x, low.y, high.y, -1e9, 1e9);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_CULL_FACE);
    std::vector<GLfloat> buffer(8 * 3 * shape.GetCornerCount() + 1024);
    glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_2D, buffer.data());
    glRenderMode(GL_FEEDBACK);
    polygon.Draw(false);
    const GLint used = glRenderMode(GL_RENDER);
    double twice = 0.0;
    for (GLint i = 0; i + 1 < used && buffer[i] == GL_POLYGON_TOKEN;) {
        const auto count = static_cast<GLint>(buffer[i + 1]);
        const GLfloat* p = &buffer[i + 2];
        for (GLint k = 0; k < count && i + 2 + 2 * count <= used; ++k) {
            const GLint next = (k + 1) % count;
            twice += static_cast<double>(p[2 * k]) * p[2 * next + 1] - static_cast<double>(p[2 * next]) * p[2 * k + 1];
        }
        i += 2 + 2 * count;
    }
    const double perPixel = (high.x - low.x) * (high.y - low.y) / (static_cast<double>(kFrameWidth) * kFrameHeight);
    return twice / 2.0 * perPixel / shape.area;
}

// Built through a placement (a quarter turn and a move, or a mirror in x) and drawn as
// the shadow caps and section fills are, the face's first draw.
void FillPlaced(benchmark::State& state)
{
    if (!PrepareToDraw(state)) {
        return;
    }
    const auto& which = kShapes[state.range(0)];
    const bool mirrored = state.range(1) != 0;
    const SFaceShape shape = MakeFaceShape(which.kind, which.size);
    Label(state, shape);
    CTransformation move;
    move.SetTranslation(CVector3d(3.0, -5.0, 0.0));
    const CTransformation placement =
        mirrored ? CTransformation::Scaling(-1.0, 1.0, 1.0)
                 : move * CTransformation::Rotation(CPoint3d(), CUnitVector3d(0, 0, 1), std::acos(-1.0) / 2.0);
    double filled = 0.0;
    for (auto _ : state) {
        // A face of its own each time: the road may keep what it cut.
        auto* model = new CTarnwickModel;
        (void)BuildFaceShapeModel(*model, which.kind, which.size);
        CFacePolygon polygon;
        polygon.Build(*FindFace(*model), &placement, false);
        const auto start = std::chrono::steady_clock::now();
        polygon.Draw(false);
        glFinish();
        state.SetIterationTime(Seconds(start));
        filled = FilledShare(polygon, shape);
        const CUndoSuspender suspender;
        model->Release();
    }
    state.counters["filled"] = filled;
}

void AllShapes(benchmark::internal::Benchmark* benchmark)
{
    for (int i = 0; i < static_cast<int>(std::size(kShapes)); ++i) {
        benchmark->Arg(i);
    }
}

void AllShapesBothWays(benchmark::internal::Benchmark* benchmark)
{
    for (int i = 0; i < static_cast<int>(std::size(kShapes)); ++i) {
        benchmark->Args({i, 0})->Args({i, 1});
    }
}

}  // namespace

BENCHMARK(FirstFillInBatch)->Apply(AllShapes)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(FillPlaced)->Apply(AllShapesBothWays)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
