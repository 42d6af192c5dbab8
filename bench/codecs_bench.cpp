// Decoding and encoding of a 4000 × 3000 picture as PNG, JPEG and BMP, timed per
// megapixel. The pictures are made with ImageMagick when the benchmarks start;
// bench/compare_tools.sh times the command-line tools on the same files.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>

#include "imaging/ilanybmp.h"
#include "imaging/ilbmpdecoder.h"
#include "imaging/ilbmpencoder.h"
#include "imaging/iljpegdecoder.h"
#include "imaging/iljpegencoder.h"
#include "imaging/ilmemsink.h"
#include "imaging/ilpngdecoder.h"
#include "imaging/ilpngencoder.h"

namespace {

constexpr int kWidth = 4000;
constexpr int kHeight = 3000;
constexpr double kMegapixels = kWidth * kHeight / 1e6;

// The encoded pictures, made once; empty when ImageMagick is not installed.
struct Pictures
{
    std::string png;
    std::string jpeg;
    std::string bmp;
};

std::string ReadAll(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

const Pictures& GetPictures()
{
    static const Pictures pictures = [] {
        Pictures made;
        const auto dir = std::filesystem::temp_directory_path() / ("glimra_codecs_bench_" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
        const std::string base = (dir / "big.ppm").string();
        // The rose scaled up, with noise so that the codecs see texture rather than flat areas.
        const std::string make = "convert rose: -resize " + std::to_string(kWidth) + "x" + std::to_string(kHeight) +
                                 "! -attenuate 0.3 +noise Gaussian '" + base + "' && convert '" + base +
                                 "' -quality 40 '" + (dir / "big.png").string() + "' && convert '" + base +
                                 "' -quality 90 '" + (dir / "big.jpg").string() + "' && convert '" + base +
                                 "' BMP3:'" + (dir / "big.bmp").string() + "'";
        if (std::system((make + " 2>/dev/null").c_str()) == 0) {
            made.png = ReadAll(dir / "big.png");
            made.jpeg = ReadAll(dir / "big.jpg");
            made.bmp = ReadAll(dir / "big.bmp");
        }
        std::filesystem::remove_all(dir);
        return made;
    }();
    return pictures;
}

void Decode(benchmark::State& state, ILPicDecoder& decoder, const std::string& bytes)
{
    if (bytes.empty()) {
        state.SkipWithError("ImageMagick (convert) is needed to make the test pictures");
        return;
    }
    ILAnyBmp bmp;
    for (auto _ : state) {
        decoder.MakeBmpFromMemory(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                  static_cast<std::int64_t>(bytes.size()), bmp, 32);
        benchmark::DoNotOptimize(bmp.GetLineArray());
    }
    state.counters["MP"] =
        benchmark::Counter(kMegapixels * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void Encode(benchmark::State& state, ILPicEncoder& encoder)
{
    const Pictures& pictures = GetPictures();
    if (pictures.png.empty()) {
        state.SkipWithError("ImageMagick (convert) is needed to make the test pictures");
        return;
    }
    ILAnyBmp bmp;
    ILPNGDecoder decoder;
    decoder.MakeBmpFromMemory(reinterpret_cast<const std::uint8_t*>(pictures.png.data()),
                              static_cast<std::int64_t>(pictures.png.size()), bmp, 32);
    for (auto _ : state) {
        ILMemSink sink;
        if (sink.Open("bench", bmp.GetMemUsed()) != 0) {
            state.SkipWithError("out of memory");
            return;
        }
        encoder.SaveBmp(bmp, sink);
        benchmark::DoNotOptimize(sink.GetDataSize());
    }
    state.counters["MP"] =
        benchmark::Counter(kMegapixels * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void DecodePng(benchmark::State& state)
{
    ILPNGDecoder decoder;
    Decode(state, decoder, GetPictures().png);
}

void DecodeJpeg(benchmark::State& state)
{
    ILJPEGDecoder decoder;
    Decode(state, decoder, GetPictures().jpeg);
}

void DecodeBmp(benchmark::State& state)
{
    ILBmpDecoder decoder;
    Decode(state, decoder, GetPictures().bmp);
}

// Level 4, as the program's image adapter uses it.
void EncodePng(benchmark::State& state)
{
    ILPNGEncoder encoder;
    encoder.SetCompressionLevel(4);
    Encode(state, encoder);
}

// Quality 100, as the program's image adapter uses it.
void EncodeJpeg(benchmark::State& state)
{
    ILJPEGEncoder encoder;
    encoder.SetQuality(100);
    Encode(state, encoder);
}

void EncodeBmp(benchmark::State& state)
{
    ILBmpEncoder encoder;
    Encode(state, encoder);
}

}  // namespace

BENCHMARK(DecodePng)->Unit(benchmark::kMillisecond);
BENCHMARK(DecodeJpeg)->Unit(benchmark::kMillisecond);
BENCHMARK(DecodeBmp)->Unit(benchmark::kMillisecond);
BENCHMARK(EncodePng)->Unit(benchmark::kMillisecond);
BENCHMARK(EncodeJpeg)->Unit(benchmark::kMillisecond);
BENCHMARK(EncodeBmp)->Unit(benchmark::kMillisecond);
