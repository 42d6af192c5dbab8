// What one unit of the frame meter costs, class by class of work: each row draws a frame
// that does much of one kind of work and a frame like it without that work (another model,
// or the next frame of the same model, which keeps what the first made), both models read
// from their files as the program reads them, and divides the difference in time by the
// difference in units charged. The counter s_per_Munit is seconds per million units; every
// row should lie within twice the vertex row, since the budget of a frame and the count at
// opening add the classes up as if a unit cost the same whatever the work. count_ratio is
// what the count at opening weighed the model with the work at, against what its first
// frame charged.

#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "annotations/text.h"
#include "bench/benchframe.h"
#include "document/component.h"
#include "document/componentdefinition.h"
#include "document/componentinstance.h"
#include "document/fontmanager.h"
#include "document/modelpointref.h"
#include "document/renderingoptions.h"
#include "document/shadowinfo.h"
#include "document/tarnwickmodel.h"
#include "document/twfont.h"
#include "foundation/framemeter.h"
#include "foundation/transformation.h"
#include "foundation/versioninfo.h"
#include "model/undosuspender.h"
#include "model/vertex.h"
#include "samplegen/geometrybuilder.h"
#include "samplegen/gridmodel.h"
#include "samplegen/linemodels.h"
#include "samplegen/modelfiles.h"
#include "samplegen/placing.h"
#include "samplegen/stressmodels.h"

namespace {

using Builder = std::function<void(CTarnwickModel&)>;

const CVector3d kUp(0.0, 0.0, 1.0);

struct Drawn
{
    double seconds = 0.0;
    std::uint64_t units = 0;
    std::uint64_t counted = 0;
};

// The model built, written and read back as the program reads a file, and its first
// frames drawn from its camera, each waited for.
std::vector<Drawn> DrawFramesOf(benchmark::State& state, const Builder& build, int frames)
{
    state.PauseTiming();
    auto* built = new CTarnwickModel;
    build(*built);
    const ModelBytes bytes = WriteModelBytes(*built, kSaveFormat5000);
    {
        const CUndoSuspender suspender;
        built->Release();
    }
    auto* model = new CTarnwickModel;
    ReadModelBytes(bytes, *model);
    const std::uint64_t counted = model->GetDrawingWork();
    // Shadow volumes count into the stencil bits the frame has.
    StencilView view;
    ShowAtModelCamera(view, model);
    glFinish();
    state.ResumeTiming();
    std::vector<Drawn> drawn;
    for (int frame = 0; frame < frames; ++frame) {
        const CurrentModelScope scope(model);
        const CFrameMeter::CScope meter(UINT64_MAX / 2, true);
        const auto start = std::chrono::steady_clock::now();
        view.DrawFrame(0, false);
        glFinish();
        drawn.push_back({Seconds(start), meter.GetUsed(), counted});
    }
    state.PauseTiming();
    ReleaseQuietly(view, model);
    state.ResumeTiming();
    return drawn;
}

// What a row adds up over its iterations: the difference between a frame with the work
// and one without it, and what the count weighed the frame with the work at.
class CRow
{
public:
    void Add(const Drawn& more, const Drawn& less)
    {
        m_seconds += more.seconds - less.seconds;
        m_units += static_cast<double>(more.units) - static_cast<double>(less.units);
        m_counted += static_cast<double>(more.counted);
        m_charged += static_cast<double>(more.units);
    }
    void Report(benchmark::State& state) const
    {
        state.counters["s_per_Munit"] = m_units > 0.0 ? m_seconds / m_units * 1e6 : 0.0;
        state.counters["Munits"] = m_units / 1e6 / static_cast<double>(state.iterations());
        state.counters["count_ratio"] = m_charged > 0.0 ? m_counted / m_charged : 0.0;
    }

private:
    double m_seconds = 0.0;
    double m_units = 0.0;
    double m_counted = 0.0;
    double m_charged = 0.0;
};

// Times the first frames of a model with the work and of one without it.
void MeasureDifference(benchmark::State& state, const Builder& withWork, const Builder& without)
{
    if (!PrepareToDraw(state)) {
        return;
    }
    CRow row;
    for (auto _ : state) {
        row.Add(DrawFramesOf(state, withWork, 1).front(), DrawFramesOf(state, without, 1).front());
    }
    row.Report(state);
}

// Times the first frame of a model, whose work is done once and kept, and its second.
void MeasureKeptWork(benchmark::State& state, const Builder& build)
{
    if (!PrepareToDraw(state)) {
        return;
    }
    CRow row;
    for (auto _ : state) {
        const std::vector<Drawn> frames = DrawFramesOf(state, build, 2);
        row.Add(frames[0], frames[1]);
    }
    row.Report(state);
}

void Nothing(CTarnwickModel& /*model*/) {}

// Squares of that side in a square field, in the root component or each through a
// placement of one definition; every square its own vertices, lying at a height of its own
// so that none is merged with another: each rise above the one before.
void AddSquares(CTarnwickModel& model, int count, double side, double spacing, bool stacked, bool placed,
                double rise = 0.001)
{
    const CUndoSuspender suspender;
    const CurrentModelScope scope(&model);
    CComponent& root = *model.GetRootComponent();
    const int columns = ColumnsFor(count);
    CComponentDefinition* definition = nullptr;
    if (placed) {
        definition = AddDefinition(model, "Square");
        const CGeometryBuilder builder(*definition);
        (void)builder.Face({builder.Vertex(CPoint3d(0, 0, 0)), builder.Vertex(CPoint3d(side, 0, 0)),
                            builder.Vertex(CPoint3d(side, side, 0)), builder.Vertex(CPoint3d(0, side, 0))},
                           kUp);
    }
    const CGeometryBuilder builder(root);
    for (int i = 0; i < count; ++i) {
        const double x = stacked ? 0.0 : spacing * (i % columns);
        const double y = stacked ? 0.0 : spacing * (i / columns);
        const double z = rise * i;
        if (definition != nullptr) {
            auto* instance = new CComponentInstance;
            definition->AddInstance(instance);
            CTransformation transform;
            transform.SetTranslation(CVector3d(x, y, z));
            instance->SetTransform(transform);
            root.Add(instance);
        } else {
            (void)builder.Face({builder.Vertex(CPoint3d(x, y, z)), builder.Vertex(CPoint3d(x + side, y, z)),
                                builder.Vertex(CPoint3d(x + side, y + side, z)),
                                builder.Vertex(CPoint3d(x, y + side, z))},
                               kUp);
        }
    }
    LookDownOnField(model, stacked ? 1.0 : spacing * columns, false);
}

// That many stars of that many corners side by side, which the sweep cuts into triangles.
void AddRings(CTarnwickModel& model, int count, int corners)
{
    const CUndoSuspender suspender;
    const CurrentModelScope scope(&model);
    const CGeometryBuilder builder(*model.GetRootComponent());
    const int columns = ColumnsFor(count);
    for (int i = 0; i < count; ++i) {
        const CPoint3d centre(2.0 * (i % columns), 2.0 * (i / columns), 0.0);
        std::vector<CVertex*> ring;
        for (int k = 0; k < corners; ++k) {
            const double angle = 6.283185307179586 * k / corners;
            const double radius = k % 2 == 1 ? 0.6 : 0.9;
            ring.push_back(builder.Vertex(centre + CVector3d(radius * std::cos(angle), radius * std::sin(angle), 0.0)));
        }
        (void)builder.Face(ring, kUp);
    }
    model.GetRenderingOptions()->SetDisplayEdges(0);
    LookDownOnField(model, 2.0 * columns, false);
}

// That many labels of that many characters in a font that many pixels high, each with a
// text of its own, standing free in a field seen from above.
void AddLabels(CTarnwickModel& model, int count, int characters, int pixels)
{
    const CUndoSuspender suspender;
    const CurrentModelScope scope(&model);
    CTwFont* font = model.GetFontManager()->GetFont(CString("DejaVu Sans"), false, false,
                                                    std::max(1, static_cast<int>(std::lround(pixels * 0.75))),
                                                    CTwFont::kKindTextImage);
    const std::string words = "The quick brown fox jumps over the lazy dog; PACK MY BOX WITH FIVE DOZEN JUGS. ";
    const int columns = ColumnsFor(count);
    for (int i = 0; i < count; ++i) {
        std::string text = std::to_string(i) + " ";
        while (static_cast<int>(text.size()) < characters) {
            text += words;
        }
        text.resize(static_cast<std::size_t>(characters));
        auto* label = new CText;
        label->SetText(CString::FromUtf8(text));
        label->SetAnchor(CModelPointRef(CPoint3d(2.0 * (i % columns), 2.0 * (i / columns), 0.0)), true);
        label->SetLeaderKindValue(CText::kModelLeader);
        label->SetLeaderVector(0.5, 0.5, 0.0);
        label->SetFont(font, false);
        model.GetRootComponent()->Add(label);
    }
    LookDownOnField(model, 2.0 * columns, false);
}

// The grid of the README's benchmarks: faces and their edges, one vertex at a time.
void WorkUnitsVertices(benchmark::State& state)
{
    MeasureDifference(state, [](CTarnwickModel& model) { BuildGridModel(model, 400000); }, &Nothing);
}

// Squares filling the frame drawn over one another, against as many squares a few pixels
// across.
void WorkUnitsFilledPixels(benchmark::State& state)
{
    MeasureDifference(
        state, [](CTarnwickModel& model) { AddSquares(model, 400, 1.0, 0.0, true, false); },
        [](CTarnwickModel& model) { AddSquares(model, 400, 0.05, 100.0, false, false); });
}

// Copies of one square placed over one another in one place, against as many copies
// side by side a few pixels across: the depth test rejects the pixels of each copy drawn
// over an equal one, which costs less than filling them.
void WorkUnitsRejectedPixels(benchmark::State& state)
{
    MeasureDifference(
        state, [](CTarnwickModel& model) { AddSquares(model, 400, 1.0, 0.0, true, true, 0.0); },
        [](CTarnwickModel& model) { AddSquares(model, 400, 0.05, 100.0, false, true, 0.0); });
}

// Labels of a hundred characters, each made into a picture glyph by glyph in the first
// frame and kept for the next.
void WorkUnitsGlyphPixels(benchmark::State& state)
{
    MeasureKeptWork(state, [](CTarnwickModel& model) { AddLabels(model, 1000, 100, 32); });
}

// Pictures of materials, each decoded and made a texture in the first frame.
void WorkUnitsDecodedPixels(benchmark::State& state)
{
    MeasureKeptWork(state, [](CTarnwickModel& model) { BuildMaterialsModel(model, 24, 0, 1024); });
}

// Stars the sweep cuts into triangles in the first frame; the next draws them as kept.
void WorkUnitsCutCorners(benchmark::State& state)
{
    MeasureKeptWork(state, [](CTarnwickModel& model) { AddRings(model, 2000, 100); });
}

// Squares each drawn through a placement of its own, against the same squares in one
// component.
void WorkUnitsDrawCalls(benchmark::State& state)
{
    MeasureDifference(
        state, [](CTarnwickModel& model) { AddSquares(model, 40000, 1.0, 2.0, false, true); },
        [](CTarnwickModel& model) { AddSquares(model, 40000, 1.0, 2.0, false, false); });
}

// Lines across the view, each stepped over a thousand pixels, against as many lines a
// fiftieth as long.
void WorkUnitsLinePixels(benchmark::State& state)
{
    MeasureDifference(
        state, [](CTarnwickModel& model) { BuildLongEdgesModel(model, 2000, 30); },
        [](CTarnwickModel& model) { BuildShortEdgesModel(model, 2000, 30, false); });
}

// The same lines drawn 20 pixels wide as profiles, against them a pixel wide.
void WorkUnitsWideLinePixels(benchmark::State& state)
{
    MeasureDifference(
        state, [](CTarnwickModel& model) { BuildLongEdgesModel(model, 2000, 10, 20); },
        [](CTarnwickModel& model) { BuildLongEdgesModel(model, 2000, 10); });
}

// Quads standing one behind the other under a low sun, against them without shadows:
// the second pass, and the volumes counted into the stencil.
void WorkUnitsVolumePixels(benchmark::State& state)
{
    MeasureDifference(
        state, [](CTarnwickModel& model) { BuildFinsModel(model, 5000); },
        [](CTarnwickModel& model) {
            BuildFinsModel(model, 5000);
            model.GetShadowInfo()->SetDisplayShadows(false);
            model.GetRenderingOptions()->SetDisplayShadowsMirror(false);
        });
}

}  // namespace

BENCHMARK(WorkUnitsVertices)->Name("WorkUnits/Vertices")->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(WorkUnitsFilledPixels)->Name("WorkUnits/FilledPixels")->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(WorkUnitsRejectedPixels)->Name("WorkUnits/RejectedPixels")->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(WorkUnitsGlyphPixels)->Name("WorkUnits/GlyphPixels")->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(WorkUnitsDecodedPixels)->Name("WorkUnits/DecodedPixels")->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(WorkUnitsCutCorners)->Name("WorkUnits/CutCorners")->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(WorkUnitsDrawCalls)->Name("WorkUnits/DrawCalls")->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(WorkUnitsLinePixels)->Name("WorkUnits/LinePixels")->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(WorkUnitsWideLinePixels)->Name("WorkUnits/WideLinePixels")->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(WorkUnitsVolumePixels)->Name("WorkUnits/VolumePixels")->Unit(benchmark::kMillisecond)->Iterations(3);
