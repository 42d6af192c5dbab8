// glimra_samplegen: writes sample models made through the model's own operations.
//
//   glimra_samplegen <folder>              the house in save formats 5000, 4000 and 3000
//   glimra_samplegen --grid N <folder>     a grid of N triangles in save format 5000

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <string>

#include "document/classregistration.h"
#include "document/tarnwickmodel.h"
#include "foundation/versioninfo.h"
#include "platform/profile.h"
#include "platform/settingsstore.h"
#include "samplegen/gridmodel.h"
#include "samplegen/housemodel.h"
#include "samplegen/modelfiles.h"

namespace {

constexpr int kSaveFormats[] = {kSaveFormat5000, kSaveFormat4000, kSaveFormat3000};

int Usage()
{
    std::fprintf(stderr, "usage: glimra_samplegen [--grid TRIANGLES] FOLDER\n");
    return 2;
}

// One model made by the builder, written once per save format asked for.
bool WriteModel(const std::filesystem::path& folder, const std::string& stem, void (*build)(CTarnwickModel&, int),
                int argument, bool everyFormat)
{
    auto* model = new CTarnwickModel;
    build(*model, argument);
    bool written = true;
    for (const int format : kSaveFormats) {
        const std::filesystem::path path = folder / (stem + "-" + std::to_string(format) + ".twk");
        if (!WriteModelFile(*model, path.string(), format)) {
            std::fprintf(stderr, "glimra_samplegen: cannot write %s\n", path.c_str());
            written = false;
        } else {
            std::printf("%s\n", path.c_str());
        }
        if (!everyFormat) {
            break;
        }
    }
    model->Release();
    return written;
}

void BuildHouse(CTarnwickModel& model, int /*unused*/)
{
    BuildHouseModel(model);
}

}  // namespace

int main(int argc, char** argv)
{
    int grid = -1;
    std::string folder;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--grid" && i + 1 < argc) {
            char* end = nullptr;
            const long count = std::strtol(argv[++i], &end, 10);
            if (*end != '\0' || count < 1 || count > 100000000) {
                return Usage();
            }
            grid = static_cast<int>(count);
        } else if (folder.empty() && argument.rfind("--", 0) != 0) {
            folder = argument;
        } else {
            return Usage();
        }
    }
    if (folder.empty()) {
        return Usage();
    }
    // Settings stay in memory: the generator leaves the user's settings file alone.
    CSettingsStore settings{CString()};
    SetProfileStore(&settings);
    WriteProfileBool("Undo", "Logging", false);
    RegisterModelClasses();
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    bool written = false;
    try {
        written = grid > 0 ? WriteModel(folder, "grid-" + std::to_string(grid), &BuildGridModel, grid, false)
                           : WriteModel(folder, "house", &BuildHouse, 0, true);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "glimra_samplegen: %s\n", e.what());
    } catch (...) {
        std::fprintf(stderr, "glimra_samplegen: the model could not be written\n");
    }
    SetProfileStore(nullptr);
    return written ? 0 : 1;
}
