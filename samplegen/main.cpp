// glimra_samplegen: writes sample models made through the model's own operations.
//
//   glimra_samplegen <folder>              the house in save formats 5000, 4000 and 3000
//   glimra_samplegen --grid N <folder>     a grid of N triangles in save format 5000
//   glimra_samplegen --definitions N <folder>
//                                          N component definitions without thumbnails
//   glimra_samplegen --pages N <folder>    a box and N pages
//   glimra_samplegen --doubling N <folder> N definitions, each holding two of the next
//   glimra_samplegen --sharedring N <folder>
//                                          N faces bounded by one ring of 2,000 edges
//   glimra_samplegen --progressivepreview SIDE <folder>
//                                          no entities, a white progressive JPEG preview
//                                          SIDE pixels square (made by ImageMagick)

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <iterator>
#include <string>

#include "document/classregistration.h"
#include "document/tarnwickmodel.h"
#include "foundation/versioninfo.h"
#include "platform/profile.h"
#include "platform/settingsstore.h"
#include "samplegen/gridmodel.h"
#include "samplegen/housemodel.h"
#include "samplegen/modelfiles.h"
#include "samplegen/stressmodels.h"

namespace {

constexpr int kSaveFormats[] = {kSaveFormat5000, kSaveFormat4000, kSaveFormat3000};

int Usage()
{
    std::fprintf(stderr, "usage: glimra_samplegen [--grid TRIANGLES | --definitions COUNT | --pages COUNT | "
                         "--doubling COUNT | --sharedring FACES | --progressivepreview SIDE] FOLDER\n");
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
    // The models an option asks for; without one, the house.
    const struct
    {
        const char* option;
        const char* stem;
        void (*build)(CTarnwickModel&, int);
    } kinds[] = {{"--grid", "grid-", &BuildGridModel},
                 {"--definitions", "definitions-", &BuildDefinitionsModel},
                 {"--pages", "pages-", &BuildPagesModel},
                 {"--doubling", "doubling-", &BuildDoublingModel},
                 {"--sharedring", "sharedring-", &BuildSharedRingModel},
                 {"--progressivepreview", "progressivepreview-", &BuildProgressivePreviewModel}};
    int count = -1;
    const auto* kind = std::end(kinds);
    std::string folder;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        const auto* asked = std::find_if(std::begin(kinds), std::end(kinds),
                                         [&](const auto& k) { return argument == k.option; });
        if (asked != std::end(kinds) && kind == std::end(kinds) && i + 1 < argc) {
            char* end = nullptr;
            const long value = std::strtol(argv[++i], &end, 10);
            if (*end != '\0' || value < 1 || value > 100000000) {
                return Usage();
            }
            count = static_cast<int>(value);
            kind = asked;
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
        written = kind != std::end(kinds)
                      ? WriteModel(folder, kind->stem + std::to_string(count), kind->build, count, false)
                      : WriteModel(folder, "house", &BuildHouse, 0, true);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "glimra_samplegen: %s\n", e.what());
    } catch (...) {
        std::fprintf(stderr, "glimra_samplegen: the model could not be written\n");
    }
    SetProfileStore(nullptr);
    return written ? 0 : 1;
}
