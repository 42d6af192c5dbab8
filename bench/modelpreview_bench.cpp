// Selecting a model in the open dialog reads the preview stored in it. The model here is
// about 300 KB, its preview a 16384 x 16384 picture: read for the dialog's pane, shrunk
// as it is decoded, and, for comparison, decoded whole and shrunk afterwards, as it once
// was. Counter peak_MB: the peak resident memory of the run above what the process held
// before it. Aim: a few megabytes, well under a second.

#include <benchmark/benchmark.h>

#include <malloc.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/benchframe.h"
#include "document/dib.h"
#include "document/imageadapter/imageapp.h"
#include "document/imageadapter/picturesidelimit.h"
#include "document/tarnwickmodel.h"
#include "imaging/ilanybmp.h"
#include "imaging/ilanypicdecoder.h"
#include "imaging/ilfilterboxreduce.h"
#include "imaging/ilmemsink.h"
#include "imaging/ilpngencoder.h"
#include "samplegen/modelfiles.h"

namespace {

constexpr int kSide = 16384;
constexpr int kPaneSide = 256;
constexpr int kTextureSide = 1024;

// Four bands of sky colours, as a palette picture: it packs to a few hundred kilobytes.
std::vector<std::uint8_t> EncodeBigPicture()
{
    ILAnyBmp bmp;
    bmp.CreateFromData(kSide, kSide, 8, false, false, nullptr, 0, ILPoint());
    for (int i = 0; i < 4; ++i) {
        bmp.SetPaletteEntry(i, static_cast<std::uint8_t>(60 * i), static_cast<std::uint8_t>(200 - 40 * i), 240, 255);
    }
    for (int y = 0; y < kSide; ++y) {
        std::memset(bmp.GetLineArray()[y], y * 4 / kSide, kSide);
    }
    ILMemSink sink;
    if (sink.Open("preview.png", std::size_t{1} << 20) != 0) {
        return {};
    }
    ILPNGEncoder encoder;
    encoder.SetCompressionLevel(9);
    encoder.SaveBmp(bmp, sink);
    return {sink.GetBytes(), sink.GetBytes() + sink.GetDataSize()};
}

// The model file, written once with the program's own writer and removed at exit.
struct BigPreviewModel
{
    BigPreviewModel()
        : path((std::filesystem::temp_directory_path() / ("glimra-bigpreview-" + std::to_string(::getpid()) + ".twk"))
                   .string()),
          picture(EncodeBigPicture())
    {
        auto* bytes = GetImageLibApp()->AllocBuffer(picture.size());
        std::memcpy(bytes, picture.data(), picture.size());
        auto* dib = new CDib;
        dib->SetPixelBuffer(bytes, static_cast<int>(picture.size()));
        auto* model = new CTarnwickModel;
        model->SetPreviewImage(dib);
        (void)WriteModelFile(*model, path, kSaveFormat5000);
        model->Release();
        // What making the picture took goes back to the system before anything is measured.
        malloc_trim(0);
    }
    ~BigPreviewModel() { std::filesystem::remove(path); }

    std::string path;
    std::vector<std::uint8_t> picture;
};

const BigPreviewModel& Model()
{
    PrepareOnce();
    static const BigPreviewModel model;
    return model;
}

void PreviewForDialog(benchmark::State& state)
{
    const BigPreviewModel& model = Model();
    const long start = StartPeak();
    for (auto _ : state) {
        const CPictureSideLimit limit(kPaneSide);
        CDib* preview = nullptr;
        CString description;
        benchmark::DoNotOptimize(ReadModelFilePreview(CString::FromUtf8(model.path), preview, description));
        delete preview;
    }
    ReportPeak(state, start);
    state.counters["file_KB"] = static_cast<double>(std::filesystem::file_size(model.path)) / 1024.0;
}

void PreviewDecodedWhole(benchmark::State& state)
{
    const BigPreviewModel& model = Model();
    const long start = StartPeak();
    for (auto _ : state) {
        ILAnyPicDecoder decoder;
        ILAnyBmp whole;
        decoder.MakeBmpFromMemory(model.picture.data(), static_cast<std::int64_t>(model.picture.size()), whole, 0);
        ILAnyBmp shrunk;
        ILFilterBoxReduce(kTextureSide, kTextureSide).Apply(whole, shrunk);
        benchmark::DoNotOptimize(shrunk.GetLineArray());
    }
    ReportPeak(state, start);
}

}  // namespace

BENCHMARK(PreviewForDialog)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(PreviewDecodedWhole)->Iterations(3)->Unit(benchmark::kMillisecond);
