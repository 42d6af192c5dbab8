// glimra_firstframe: the whole road from a model file to its first picture, in one process,
// as the program takes it: the model file read through the document's archive, the view set
// to the model's camera, one frame drawn headless at 1280 by 1024 and read back.
//
//   glimra_firstframe MODEL.twk [--png OUT.png]
//
// Prints the seconds of each phase (start-up before main, set-up, read, first frame, read
// back, PNG) and the peak resident memory once the model is read and at the end, one
// "name value" pair per line, for bench/compare_viewers.sh, and the frame meter's units
// for the frame, whether it stopped for its budget and what the count at opening weighed.
// Exit status 0 when the picture was drawn.

#include <GL/gl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <exception>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "document/classregistration.h"
#include "document/tarnwickmodel.h"
#include "foundation/framemeter.h"
#include "imaging/ilanybmp.h"
#include "imaging/ilpoint.h"
#include "imaging/ilpngencoder.h"
#include "model/undosuspender.h"
#include "platform/archive.h"
#include "platform/file.h"
#include "platform/gl/glcontext.h"
#include "platform/gl/wgl.h"
#include "platform/profile.h"
#include "platform/settingsstore.h"
#include "render/tarnisview.h"
#include "render/thumbnailrenderer.h"

namespace {

constexpr int kWidth = 1280;
constexpr int kHeight = 1024;

using Clock = std::chrono::steady_clock;

double Since(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Seconds from the process's start (the kernel's record, in clock ticks since boot) to now:
// the time the loader and the static constructors took before main.
double SecondsSinceProcessStart()
{
    std::ifstream stat("/proc/self/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    const std::size_t close = text.rfind(')');
    if (close == std::string::npos) {
        return 0.0;
    }
    std::istringstream fields(text.substr(close + 2));
    std::string field;
    // The start time is field 22; the fields after the name begin with field 3.
    for (int index = 3; index <= 22 && fields >> field; ++index) {
    }
    timespec now{};
    clock_gettime(CLOCK_BOOTTIME, &now);
    const double ticks = static_cast<double>(sysconf(_SC_CLK_TCK));
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9 - std::stod(field) / ticks;
}

double PeakMiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

std::unique_ptr<CGLDevice> MakeContext(HGLRC& context)
{
    auto device = CGLDevice::CreateOffscreen(kWidth, kHeight);
    if (device == nullptr) {
        return nullptr;
    }
    PIXELFORMATDESCRIPTOR wanted;
    wanted.cDepthBits = 24;
    wanted.cStencilBits = 8;
    if (!SetPixelFormat(device.get(), ChoosePixelFormat(device.get(), &wanted), nullptr)) {
        return nullptr;
    }
    context = wglCreateContext(device.get());
    if (context == nullptr || !wglMakeCurrent(device.get(), context)) {
        return nullptr;
    }
    return device;
}

// Reads the file as the document does: a file, an archive over it, the model's own records.
bool ReadModelFile(const char* path, CTarnwickModel& model)
{
    const CUndoSuspender suspender;
    CFile file;
    if (!file.Open(CString(path), CFile::modeRead)) {
        std::fprintf(stderr, "glimra_firstframe: cannot open %s\n", path);
        return false;
    }
    CArchive archive(&file, CArchive::load, CArchive::kDocumentBufferSize);
    model.Serialize(archive);
    archive.Close();
    return model.GetLoadStatus() == CTarnwickModel::kLoadOk;
}

// The framebuffer's rows come bottom first; the bitmap's top first.
bool WritePng(const std::vector<std::uint8_t>& pixels, const char* path)
{
    std::vector<std::uint8_t> rows(pixels.size());
    const std::size_t stride = static_cast<std::size_t>(kWidth) * 4;
    for (int y = 0; y < kHeight; ++y) {
        std::memcpy(&rows[static_cast<std::size_t>(y) * stride],
                    &pixels[static_cast<std::size_t>(kHeight - 1 - y) * stride], stride);
    }
    try {
        ILAnyBmp bmp;
        bmp.CreateFromData(kWidth, kHeight, 32, false, false, rows.data(), 0, ILPoint(0, 0));
        ILPNGEncoder encoder;
        encoder.SetCompressionLevel(1);
        encoder.MakeFileFromBmp(path, bmp);
        return true;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "glimra_firstframe: %s\n", e.what());
        return false;
    }
}

int Usage()
{
    std::fprintf(stderr, "usage: glimra_firstframe MODEL.twk [--png OUT.png]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    const double beforeMain = SecondsSinceProcessStart();
    if (argc != 2 && !(argc == 4 && std::strcmp(argv[2], "--png") == 0)) {
        return Usage();
    }
    const char* pngPath = argc == 4 ? argv[3] : nullptr;
    auto phase = Clock::now();
    std::printf("startup_s %.3f\n", beforeMain);

    CSettingsStore settings{CString()};
    SetProfileStore(&settings);
    RegisterModelClasses();
    CFrameMeter::SetRasterThreads(CGLContext::GetRasterThreads());
    // The program draws definitions' pictures through this renderer too.
    CThumbnailRenderer::Install();
    HGLRC context = nullptr;
    const std::unique_ptr<CGLDevice> device = MakeContext(context);
    if (device == nullptr) {
        std::fprintf(stderr, "glimra_firstframe: no offscreen OpenGL context\n");
        return 1;
    }
    std::printf("setup_s %.3f\n", Since(phase));

    phase = Clock::now();
    auto* model = new CTarnwickModel;
    bool read = false;
    try {
        read = ReadModelFile(argv[1], *model);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "glimra_firstframe: %s\n", e.what());
    }
    if (!read) {
        std::fprintf(stderr, "glimra_firstframe: %s is not a model this program reads\n", argv[1]);
        return 1;
    }
    std::printf("read_s %.3f\n", Since(phase));
    std::printf("read_peak_mib %.1f\n", PeakMiB());

    phase = Clock::now();
    const CurrentModelScope scope(model);
    CTarnisView view;
    view.SetModel(model);
    view.SetViewportSize(kWidth, kHeight);
    view.InitGLState();
    view.SetCamera(model->GetCamera(), 0.0);
    // The frame joins this meter, which tells what it weighed and whether it stopped; its
    // budget is the one the view gives a still frame of this model.
    std::uint64_t units = 0;
    bool cut = false;
    const std::uint64_t counted = model->GetDrawingWork();
    {
        const CFrameMeter::CScope meter(CFrameMeter::StillFrameBudget(counted), true);
        view.DrawFrame(0, false);
        units = meter.GetUsed();
        cut = meter.IsExhausted();
    }
    glFinish();
    std::printf("frame_s %.3f\n", Since(phase));
    std::printf("frame_units %llu\n", static_cast<unsigned long long>(units));
    std::printf("frame_cut %d\n", cut ? 1 : 0);
    std::printf("count_units %llu\n", static_cast<unsigned long long>(counted));

    phase = Clock::now();
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(kWidth) * kHeight * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, kWidth, kHeight, GL_BGRA, GL_UNSIGNED_BYTE, pixels.data());
    std::printf("readback_s %.3f\n", Since(phase));

    if (pngPath != nullptr) {
        phase = Clock::now();
        if (!WritePng(pixels, pngPath)) {
            return 1;
        }
        std::printf("png_s %.3f\n", Since(phase));
    }
    std::printf("total_s %.3f\n", SecondsSinceProcessStart());
    std::printf("peak_mib %.1f\n", PeakMiB());
    std::fflush(stdout);
    // The model and the context go with the process: releasing a million faces one by one
    // is no part of showing them.
    _exit(0);
}
