// Selecting a model in the open dialog reads the preview stored in it; opening it reads its
// pictures no larger than a texture. The preview here is a 16384 x 16384 picture: bands of
// sky colours as PNG (a model of about 300 KB), or white as deflate TIFF and as JPEG, as
// the library's own encoders write them, and white as a progressive JPEG that ImageMagick
// writes at the first run (skipped without `convert`). It is read shrunk as it is decoded to the
// dialog's pane (256) and to a texture (1024), and, for comparison, decoded whole and
// shrunk afterwards, as it once was. Counter peak_MB: the peak resident memory of the run
// above what the process held before it. Aim: a few megabytes, well under a second; at
// most about 300 MB whatever the format.

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/benchframe.h"
#include "document/dib.h"
#include "document/imageadapter/picturesidelimit.h"
#include "document/tarnwickmodel.h"
#include "imaging/ilanybmp.h"
#include "imaging/ilanypicdecoder.h"
#include "imaging/ilfilterboxreduce.h"
#include "imaging/iljpegencoder.h"
#include "imaging/ilmemsink.h"
#include "imaging/ilpicencoder.h"
#include "imaging/ilpngencoder.h"
#include "imaging/iltiffencoder.h"
#include "samplegen/modelfiles.h"
#include "samplegen/stressmodels.h"
#include "platform/heaptrim.h"

namespace {

constexpr int kSide = 16384;
constexpr int kPaneSide = 256;
constexpr int kTextureSide = 1024;

enum Format
{
    kPng,
    kTiffDeflate,
    kJpeg,
    kProgressiveJpeg,
    kFormats
};

const char* const kFormatNames[kFormats] = {"png", "tiff_deflate", "jpeg", "progressive_jpeg"};

std::vector<std::uint8_t> Encode(const ILBmp& bmp, ILPicEncoder& encoder, const char* name)
{
    ILMemSink sink;
    if (sink.Open(name, std::size_t{1} << 20) != 0) {
        return {};
    }
    encoder.SaveBmp(bmp, sink);
    return {sink.GetBytes(), sink.GetBytes() + sink.GetDataSize()};
}

// Four bands of sky colours, as a palette picture: it packs to a few hundred kilobytes.
std::vector<std::uint8_t> EncodeBands()
{
    ILAnyBmp bmp;
    bmp.CreateFromData(kSide, kSide, 8, false, false, nullptr, 0, ILPoint());
    for (int i = 0; i < 4; ++i) {
        bmp.SetPaletteEntry(i, static_cast<std::uint8_t>(60 * i), static_cast<std::uint8_t>(200 - 40 * i), 240, 255);
    }
    for (int y = 0; y < kSide; ++y) {
        std::memset(bmp.GetLineArray()[y], y * 4 / kSide, kSide);
    }
    ILPNGEncoder encoder;
    encoder.SetCompressionLevel(9);
    return Encode(bmp, encoder, "preview.png");
}

std::vector<std::uint8_t> EncodeWhite(Format format)
{
    ILAnyBmp bmp;
    bmp.CreateFromData(kSide, kSide, 32, false, false, nullptr, 0, ILPoint());
    for (int y = 0; y < kSide; ++y) {
        std::memset(bmp.GetLineArray()[y], 0xFF, static_cast<std::size_t>(kSide) * 4);
    }
    if (format == kTiffDeflate) {
        ILTIFFEncoder encoder;
        encoder.SetCompression(COMPRESSION_ADOBE_DEFLATE);
        return Encode(bmp, encoder, "preview.tif");
    }
    ILJPEGEncoder encoder;
    return Encode(bmp, encoder, "preview.jpg");
}

std::vector<std::uint8_t> EncodeBigPicture(Format format)
{
    switch (format) {
    case kPng: return EncodeBands();
    case kProgressiveJpeg: return MakeProgressiveWhiteJpeg(kSide);
    default: return EncodeWhite(format);
    }
}

// The model file, written once per format with the program's own writer and removed at exit.
struct BigPreviewModel
{
    explicit BigPreviewModel(Format format)
        : path((std::filesystem::temp_directory_path() /
                ("glimra-bigpreview-" + std::to_string(::getpid()) + "-" + kFormatNames[format] + ".twk"))
                   .string()),
          picture(EncodeBigPicture(format))
    {
        auto* model = new CTarnwickModel;
        SetEncodedPreview(*model, picture);
        (void)WriteModelFile(*model, path, kSaveFormat5000);
        model->Release();
        // What making the picture took goes back to the system before anything is measured.
        ReturnFreeHeapToSystem();
    }
    ~BigPreviewModel() { std::filesystem::remove(path); }

    std::string path;
    std::vector<std::uint8_t> picture;
};

const BigPreviewModel& Model(Format format)
{
    PrepareOnce();
    static const BigPreviewModel png(kPng);
    if (format == kPng) {
        return png;
    }
    static const BigPreviewModel tiff(kTiffDeflate);
    if (format == kTiffDeflate) {
        return tiff;
    }
    if (format == kJpeg) {
        static const BigPreviewModel jpeg(kJpeg);
        return jpeg;
    }
    static const BigPreviewModel progressive(kProgressiveJpeg);
    return progressive;
}

// Arguments: the format, and the side the preview is read to.
void PreviewForDialog(benchmark::State& state)
{
    const auto format = static_cast<Format>(state.range(0));
    const auto side = static_cast<int>(state.range(1));
    const BigPreviewModel& model = Model(format);
    state.SetLabel(kFormatNames[format]);
    if (model.picture.empty()) {
        state.SkipWithError("ImageMagick's convert did not make the picture");
        return;
    }
    const long start = StartPeak();
    for (auto _ : state) {
        const CPictureSideLimit limit(side);
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
    const auto format = static_cast<Format>(state.range(0));
    const BigPreviewModel& model = Model(format);
    state.SetLabel(kFormatNames[format]);
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

BENCHMARK(PreviewForDialog)
    ->ArgsProduct({{kPng, kTiffDeflate, kJpeg, kProgressiveJpeg}, {kPaneSide, kTextureSide}})
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(PreviewDecodedWhole)->DenseRange(kPng, kJpeg)->Iterations(1)->Unit(benchmark::kMillisecond);
