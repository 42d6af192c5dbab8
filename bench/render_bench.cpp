// The first frame of a generated grid of 100,000 and 1,000,000 triangle faces: read
// from its model file and drawn at 1280 by 1024 in an offscreen framebuffer (Mesa's
// software renderer on two threads unless LP_NUM_THREADS says otherwise), and a
// full-quality frame of a model already read. Aims: read and first frame of the
// million faces about 0.75 s; a full-quality frame of 100,000 faces under 0.25 s.
//
// Each run also writes the grid as a binary PLY file ($TMPDIR, else /tmp:
// glimra-grid-<faces>.ply) so that another viewer can draw the same triangles.

#include <benchmark/benchmark.h>

#include <GL/gl.h>

#include <chrono>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "document/classregistration.h"
#include "document/component.h"
#include "document/tarnwickmodel.h"
#include "foundation/versioninfo.h"
#include "model/edgeuse.h"
#include "model/face.h"
#include "model/loop.h"
#include "model/vertex.h"
#include "platform/file.h"
#include "platform/gl/wgl.h"
#include "platform/profile.h"
#include "platform/settingsstore.h"
#include "render/tarnisview.h"
#include "bench/benchframe.h"
#include "bench/gridfile.h"
#include "samplegen/gridmodel.h"
#include "samplegen/modelfiles.h"

namespace {

// The grid's triangles as a binary little-endian PLY file, each vertex once.
void WritePly(const CTarnwickModel& model, const std::string& path)
{
    std::unordered_map<const CVertex*, int> index;
    std::vector<const CVertex*> vertices;
    std::vector<int> triangles;
    for (const CDrawingElement* entity : model.GetRootComponent()->GetEntityList()) {
        const auto* face = dynamic_cast<const CFace*>(entity);
        if (face == nullptr || face->GetOuterLoop() == nullptr) {
            continue;
        }
        const CEdgeUse* first = face->GetOuterLoop()->GetFirstEdgeUse();
        std::vector<int> ring;
        const CEdgeUse* use = first;
        do {
            const CVertex* vertex = use->GetStartVertex();
            const auto [at, added] = index.emplace(vertex, static_cast<int>(vertices.size()));
            if (added) {
                vertices.push_back(vertex);
            }
            ring.push_back(at->second);
            use = use->GetNext();
        } while (use != nullptr && use != first);
        for (std::size_t i = 2; i < ring.size(); ++i) {
            triangles.insert(triangles.end(), {ring[0], ring[i - 1], ring[i]});
        }
    }
    // Made whole in memory, then written as a file of the user's own: the temporary
    // folder is shared, and a link may wait at the name.
    std::string bytes = "ply\nformat binary_little_endian 1.0\nelement vertex " + std::to_string(vertices.size()) +
                        "\nproperty float x\nproperty float y\nproperty float z\nelement face " +
                        std::to_string(triangles.size() / 3) +
                        "\nproperty list uchar int vertex_indices\nend_header\n";
    const auto append = [&bytes](const void* data, std::size_t size) {
        bytes.append(static_cast<const char*>(data), size);
    };
    for (const CVertex* vertex : vertices) {
        const CPoint3d& p = vertex->GetPosition();
        const float xyz[3] = {static_cast<float>(p.x), static_cast<float>(p.y), static_cast<float>(p.z)};
        append(xyz, sizeof xyz);
    }
    for (std::size_t i = 0; i < triangles.size(); i += 3) {
        const unsigned char three = 3;
        append(&three, 1);
        append(&triangles[i], 3 * sizeof(int));
    }
    (void)CFile::WritePrivate(CString::FromUtf8(path), bytes.data(), bytes.size());
}

std::string PlyPath(int faces)
{
    const char* folder = std::getenv("TMPDIR");
    return std::string(folder != nullptr && *folder != '\0' ? folder : "/tmp") + "/glimra-grid-" +
           std::to_string(faces) + ".ply";
}

void ReadAndDrawFirstFrame(benchmark::State& state)
{
    if (!PrepareToDraw(state)) {
        return;
    }
    const int faces = static_cast<int>(state.range(0));
    const ModelBytes& file = GridFile(faces);
    double read = 0.0;
    double frame = 0.0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        auto* model = new CTarnwickModel;
        ReadModelBytes(file, *model);
        read = Seconds(start);
        const auto drawn = std::chrono::steady_clock::now();
        CTarnisView view;
        DrawFirstFrame(view, model);
        frame = Seconds(drawn);
        state.PauseTiming();
        WritePly(*model, PlyPath(faces));
        ReleaseQuietly(view, model);
        state.ResumeTiming();
    }
    state.counters["faces"] = faces;
    state.counters["read_s"] = read;
    state.counters["frame_s"] = frame;
}

void FullQualityFrame(benchmark::State& state)
{
    if (!PrepareToDraw(state)) {
        return;
    }
    const int faces = static_cast<int>(state.range(0));
    auto* model = new CTarnwickModel;
    ReadModelBytes(GridFile(faces), *model);
    CTarnisView view;
    view.SetModel(model);
    AimAtGrid(view, *model);
    const CurrentModelScope scope(model);
    for (auto _ : state) {
        view.DrawFrame(0, false);
        glFinish();
    }
    state.counters["faces"] = faces;
    state.counters["level"] = view.GetDrawingLevel();
    ReleaseQuietly(view, model);
}

}  // namespace

BENCHMARK(ReadAndDrawFirstFrame)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(FullQualityFrame)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
