// glimra_samplegen: writes sample models made through the model's own operations.
//
//   glimra_samplegen <folder>              the house in save formats 5000, 4000 and 3000
//   glimra_samplegen --grid N <folder>     a grid of N triangles in save format 5000
//   glimra_samplegen --definitions N <folder>
//                                          N component definitions without thumbnails
//   glimra_samplegen --triangledefinitions N <folder>
//                                          N one-triangle definitions, each placed once
//   glimra_samplegen --pages N <folder>    a box and N pages
//   glimra_samplegen --doubling N <folder> N definitions, each holding two of the next
//   glimra_samplegen --shadowed N <folder> N placements of 1,000 vertical quads, shadows on
//   glimra_samplegen --materials N [--drawn M] [--side S] <folder>
//                                          N materials with S-pixel pictures (1024), M drawn
//   glimra_samplegen --labels N <folder>   N labels of 1,000 characters, all in view
//   glimra_samplegen --shortlabels N <folder>
//                                          N labels of 100 characters, the default font
//   glimra_samplegen --bigfontlabels N <folder>
//                                          N labels of 20 characters in a 200-pixel font
//   glimra_samplegen --dimensions N CHARS <folder>
//                                          N linear dimensions, labels CHARS characters long
//   glimra_samplegen --fontsizes N <folder>
//                                          N labels of 200 characters, 8 to 1007 pixels high
//                                          in six faces
//   glimra_samplegen --star N <folder>     one star face of N corners
//   glimra_samplegen --holes N <folder>    one square face with N square holes
//   glimra_samplegen --nanhole N <folder>  the same, a corner of the last hole at y = NaN
//   glimra_samplegen --star-placements P C <folder>
//                                          P placements of one star of C corners
//   glimra_samplegen --crossingstar N K <folder>
//                                          one star {N/K}: a loop of N corners crossing itself
//   glimra_samplegen --touchingloop N <folder>
//                                          one loop touching itself N times at its centre
//   glimra_samplegen --touchingband TURNS <folder>
//                                          a band of TURNS turns, each touching the next
//   glimra_samplegen --polylines P N <folder>
//                                          P placements of one polyline of N points
//   glimra_samplegen --farfill N <folder>  N stacked squares and a tiny face far away
//   glimra_samplegen --sharedring N <folder>
//                                          N faces bounded by one ring of 2,000 edges
//   glimra_samplegen --stretched SX SY SZ [--stacked N [--squares] [--made]] <folder>
//                                          64 unit boxes side by side, each placed
//                                          stretched by SX, SY and SZ along its axes; with
//                                          --stacked, N of them each 0.001 above the last
//                                          (unit squares facing up with --squares; made in
//                                          the stretched shape and placed as they are with
//                                          --made)
//   glimra_samplegen --facesfirstring N <folder>
//                                          N faces over one ring of 10 edges, the faces
//                                          listed before the edges
//   glimra_samplegen --faceshape NAME N [--placed P] <folder>
//                                          one face whose loops touch or whose holes
//                                          cross, NAME of samplegen/faceshapes.h at the
//                                          size N; with --placed, in a definition placed
//                                          P times side by side
//   glimra_samplegen --xraydiscs P C <folder>
//                                          P placements of two crossing glass discs of C
//                                          corners, seen in X-ray
//   glimra_samplegen --crossingdiscs C <folder>
//                                          two crossing glass discs of C corners, in X-ray
//   glimra_samplegen --nestedsquares OUTER INNER <folder>
//                                          OUTER placements of INNER placements of a square
//                                          (--nestedsquares-shadowed: with the sun's shadows)
//   glimra_samplegen --progressivepreview SIDE <folder>
//                                          no entities, a white progressive JPEG preview
//                                          SIDE pixels square (made by ImageMagick)
//   glimra_samplegen --gridplanes P N <folder>
//                                          a grid of N triangles and P inactive section planes
//   glimra_samplegen --boxplanes P <folder>
//                                          a box and P inactive section planes
//   glimra_samplegen --tiltedcut N <folder>
//                                          an active cut through N tilted placements of a
//                                          definition of N tilted placements of a quad
//   glimra_samplegen --risingcut N <folder>
//                                          an active cut through N placements of a quad,
//                                          each 1.1 mm higher than the one before
//   glimra_samplegen --crossingcut N <folder>
//                                          an active cut crossing one face N times, along a
//                                          hole with N edges lying in the plane
//   glimra_samplegen --longedges N P [--width W] <folder>
//                                          P placements in one place of N free edges across
//                                          a unit square, profiles W pixels wide (1)
//   glimra_samplegen --shortedges N P [--jitter] <folder>
//                                          P placements in one place of N short free edges,
//                                          jittered with end ticks
//   glimra_samplegen --fins N <folder>     N thin tall quads in a row under a low sun, seen
//                                          along the row

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <functional>
#include <iterator>
#include <string>

#include "document/classregistration.h"
#include "document/tarnwickmodel.h"
#include "foundation/transformation.h"
#include "foundation/versioninfo.h"
#include "platform/profile.h"
#include "platform/settingsstore.h"
#include "samplegen/definitionmodels.h"
#include "samplegen/faceshapes.h"
#include "samplegen/gridmodel.h"
#include "samplegen/housemodel.h"
#include "samplegen/linemodels.h"
#include "samplegen/modelfiles.h"
#include "samplegen/placementmodels.h"
#include "samplegen/sectionmodels.h"
#include "samplegen/stressmodels.h"
#include "samplegen/transparencymodels.h"

namespace {

constexpr int kSaveFormats[] = {kSaveFormat5000, kSaveFormat4000, kSaveFormat3000};

int Usage()
{
    std::fprintf(stderr, "usage: glimra_samplegen [--grid TRIANGLES"
                         " | --definitions COUNT"
                         " | --triangledefinitions COUNT"
                         " | --pages COUNT"
                         " | --doubling COUNT"
                         " | --shadowed COUNT"
                         " | --materials COUNT [--drawn COUNT] [--side PIXELS]"
                         " | --labels COUNT"
                         " | --shortlabels COUNT"
                         " | --bigfontlabels COUNT"
                         " | --dimensions COUNT CHARACTERS"
                         " | --fontsizes COUNT"
                         " | --star CORNERS"
                         " | --holes COUNT"
                         " | --nanhole HOLES"
                         " | --star-placements COUNT CORNERS"
                         " | --crossingstar CORNERS STEP"
                         " | --touchingloop TOUCHES"
                         " | --touchingband TURNS"
                         " | --polylines COUNT POINTS"
                         " | --farfill SQUARES"
                         " | --sharedring FACES"
                         " | --stretched SX SY SZ [--stacked COUNT [--squares] [--made]]"
                         " | --facesfirstring FACES"
                         " | --faceshape NAME SIZE [--placed COUNT]"
                         " | --xraydiscs COUNT CORNERS"
                         " | --crossingdiscs CORNERS"
                         " | --nestedsquares[-shadowed] OUTER INNER"
                         " | --progressivepreview SIDE"
                         " | --gridplanes PLANES TRIANGLES"
                         " | --boxplanes PLANES"
                         " | --tiltedcut COUNT"
                         " | --risingcut COUNT"
                         " | --crossingcut CROSSINGS"
                         " | --longedges EDGES COUNT [--width PIXELS]"
                         " | --shortedges EDGES COUNT [--jitter]"
                         " | --fins COUNT"
                         "] FOLDER\n");
    return 2;
}

// One model made by the builder, written once per save format asked for.
bool WriteModel(const std::filesystem::path& folder, const std::string& stem,
                const std::function<void(CTarnwickModel&)>& build, bool everyFormat)
{
    auto* model = new CTarnwickModel;
    build(*model);
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

// A count from the command line: 1 to 100,000,000; -1 when it is not one.
int ReadCount(const char* text)
{
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    return *end != '\0' || value < 1 || value > 100000000 ? -1 : static_cast<int>(value);
}

// A stretch of --stretched: a number from 1e-3 to 1e300 (copies too large for the count to
// weigh among them); 0 for any other text.
double ReadStretch(const char* text)
{
    char* end = nullptr;
    const double value = std::strtod(text, &end);
    return *end != '\0' || !(value >= 1e-3 && value <= 1e300) ? 0.0 : value;
}

// How many of --materials are drawn; 0 for all.
int g_drawnMaterials = 0;
// The side of --materials' pictures; 0 for the default.
int g_pictureSide = 0;
// How often --faceshape's definition is placed; 0 for the face in the root.
int g_placements = 0;
// The profile width of --longedges; 0 for the default.
int g_profileWidth = 0;
// Whether --shortedges are jittered with end ticks.
bool g_jitter = false;
// How many --stretched shapes are stacked; 0 for 64 boxes side by side. Whether they are
// squares, and whether they are made stretched and placed as they are.
int g_stacked = 0;
bool g_squares = false;
bool g_made = false;

void BuildMaterials(CTarnwickModel& model, int count)
{
    BuildMaterialsModel(model, count, g_drawnMaterials, g_pictureSide > 0 ? g_pictureSide : 1024);
}

void BuildLongEdges(CTarnwickModel& model, int edges, int placements)
{
    BuildLongEdgesModel(model, edges, placements, g_profileWidth > 0 ? g_profileWidth : 1);
}

void BuildShortEdges(CTarnwickModel& model, int edges, int placements)
{
    BuildShortEdgesModel(model, edges, placements, g_jitter);
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
    } kinds[] = {
        {"--grid", "grid-", &BuildGridModel},
        {"--definitions", "definitions-", &BuildDefinitionsModel},
        {"--triangledefinitions", "triangledefinitions-", &BuildTriangleDefinitionsModel},
        {"--pages", "pages-", &BuildPagesModel},
        {"--doubling", "doubling-", &BuildDoublingModel},
        {"--shadowed", "shadowed-", &BuildShadowedModel},
        {"--materials", "materials-", &BuildMaterials},
        {"--labels", "labels-", &BuildLabelsModel},
        {"--shortlabels", "shortlabels-", &BuildShortLabelsModel},
        {"--bigfontlabels", "bigfontlabels-", &BuildBigFontLabelsModel},
        {"--fontsizes", "fontsizes-", &BuildFontSizesModel},
        {"--star", "star-", &BuildStarModel},
        {"--holes", "holes-", &BuildHolesModel},
        {"--nanhole", "nanhole-", &BuildNonFiniteHoleModel},
        {"--touchingloop", "touchingloop-", &BuildTouchingLoopModel},
        {"--touchingband", "touchingband-", &BuildTouchingBandModel},
        {"--farfill", "farfill-", &BuildFarFillModel},
        {"--sharedring", "sharedring-", &BuildSharedRingModel},
        {"--facesfirstring", "facesfirstring-", &BuildFacesFirstRingModel},
        {"--crossingdiscs", "crossingdiscs-", &BuildCrossingDiscsModel},
        {"--progressivepreview", "progressivepreview-", &BuildProgressivePreviewModel},
        {"--boxplanes", "boxplanes-", &BuildBoxPlanesModel},
        {"--tiltedcut", "tiltedcut-", &BuildTiltedCutModel},
        {"--risingcut", "risingcut-", &BuildRisingCutModel},
        {"--crossingcut", "crossingcut-", &BuildCrossingCutModel},
        {"--fins", "fins-", &BuildFinsModel},
    };
    // The models of two counts: placements, and the size of what is placed.
    const struct
    {
        const char* option;
        const char* stem;
        void (*build)(CTarnwickModel&, int, int);
    } pairs[] = {
        {"--star-placements", "star-placements-", &BuildStarPlacementsModel},
        {"--polylines", "polylines-", &BuildPolylinesModel},
        {"--crossingstar", "crossingstar-", &BuildCrossingStarModel},
        {"--dimensions", "dimensions-", &BuildDimensionsModel},
        {"--gridplanes", "gridplanes-", &BuildGridPlanesModel},
        {"--xraydiscs", "xraydiscs-", &BuildXrayDiscsModel},
        {"--nestedsquares", "nestedsquares-", &BuildNestedSquaresModel},
        {"--nestedsquares-shadowed", "nestedsquares-shadowed-", &BuildShadowedNestedSquaresModel},
        {"--longedges", "longedges-", &BuildLongEdges},
        {"--shortedges", "shortedges-", &BuildShortEdges},
    };
    const auto* pair = std::end(pairs);
    int count = -1;
    int size = -1;
    const auto* kind = std::end(kinds);
    std::string shape;
    std::string stretchText;
    CVector3d stretch;
    std::string folder;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        const auto* asked = std::find_if(std::begin(kinds), std::end(kinds),
                                         [&](const auto& k) { return argument == k.option; });
        if (asked != std::end(kinds) && kind == std::end(kinds) && count < 0 && i + 1 < argc) {
            count = ReadCount(argv[++i]);
            if (count < 0) {
                return Usage();
            }
            kind = asked;
        } else if (argument == "--drawn" && g_drawnMaterials == 0 && i + 1 < argc) {
            g_drawnMaterials = ReadCount(argv[++i]);
            if (g_drawnMaterials < 0) {
                return Usage();
            }
        } else if (argument == "--side" && g_pictureSide == 0 && i + 1 < argc) {
            g_pictureSide = ReadCount(argv[++i]);
            if (g_pictureSide < 0 || g_pictureSide > 4096) {
                return Usage();
            }
        } else if (argument == "--width" && g_profileWidth == 0 && i + 1 < argc) {
            g_profileWidth = ReadCount(argv[++i]);
            if (g_profileWidth < 0 || g_profileWidth > 100) {
                return Usage();
            }
        } else if (argument == "--jitter" && !g_jitter) {
            g_jitter = true;
        } else if (argument == "--stacked" && g_stacked == 0 && i + 1 < argc) {
            g_stacked = ReadCount(argv[++i]);
            if (g_stacked < 0) {
                return Usage();
            }
        } else if (argument == "--squares" && !g_squares) {
            g_squares = true;
        } else if (argument == "--made" && !g_made) {
            g_made = true;
        } else if (const auto* asked2 = std::find_if(std::begin(pairs), std::end(pairs),
                                                     [&](const auto& p) { return argument == p.option; });
                   asked2 != std::end(pairs) && count < 0 && i + 2 < argc) {
            pair = asked2;
            count = ReadCount(argv[++i]);
            size = ReadCount(argv[++i]);
            if (count < 0 || size < 0) {
                return Usage();
            }
        } else if (argument == "--faceshape" && count < 0 && i + 2 < argc) {
            shape = argv[++i];
            count = ReadCount(argv[++i]);
            if (count < 0 || MakeFaceShape(shape, 1).loops.empty()) {
                return Usage();
            }
        } else if (argument == "--stretched" && count < 0 && stretchText.empty() && i + 3 < argc) {
            stretch = CVector3d(ReadStretch(argv[i + 1]), ReadStretch(argv[i + 2]), ReadStretch(argv[i + 3]));
            stretchText = std::string(argv[i + 1]) + "x" + argv[i + 2] + "x" + argv[i + 3];
            i += 3;
            if (stretch.x == 0.0 || stretch.y == 0.0 || stretch.z == 0.0) {
                return Usage();
            }
        } else if (argument == "--placed" && g_placements == 0 && i + 1 < argc) {
            g_placements = ReadCount(argv[++i]);
            if (g_placements <= 0) {
                return Usage();
            }
        } else if (folder.empty() && argument.rfind("--", 0) != 0) {
            folder = argument;
        } else {
            return Usage();
        }
    }
    if (folder.empty() || ((g_squares || g_made) && g_stacked == 0) || (g_stacked > 0 && stretchText.empty())) {
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
        if (!stretchText.empty()) {
            const CTransformation shaped = CTransformation::Scaling(stretch.x, stretch.y, stretch.z);
            if (g_stacked > 0) {
                const std::string stem = "stretched-" + stretchText + (g_squares ? "-squares-" : "-boxes-") +
                                         std::to_string(g_stacked) + (g_made ? "-made" : "");
                written = WriteModel(
                    folder, stem,
                    [&](CTarnwickModel& model) { BuildStackedShapesModel(model, shaped, g_stacked, g_squares, g_made); },
                    false);
            } else {
                written = WriteModel(
                    folder, "stretched-" + stretchText,
                    [&](CTarnwickModel& model) { BuildShapedBoxesModel(model, shaped, 64); }, false);
            }
        } else if (!shape.empty()) {
            const std::string placed = g_placements > 0 ? "-p" + std::to_string(g_placements) : "";
            written = WriteModel(
                folder, "faceshape-" + shape + "-" + std::to_string(count) + placed,
                [&](CTarnwickModel& model) { (void)BuildFaceShapeModel(model, shape, count, g_placements); }, false);
        } else if (size > 0) {
            const auto build = pair->build;
            std::string stem = pair->stem + std::to_string(count) + "x" + std::to_string(size);
            if (g_profileWidth > 0) {
                stem += "-w" + std::to_string(g_profileWidth);
            }
            if (g_jitter) {
                stem += "-jitter";
            }
            written = WriteModel(
                folder, stem,
                [&](CTarnwickModel& model) { build(model, count, size); }, false);
        } else if (kind != std::end(kinds)) {
            const auto build = kind->build;
            std::string stem = kind->stem + std::to_string(count);
            if (g_drawnMaterials > 0) {
                stem += "-drawn-" + std::to_string(g_drawnMaterials);
            }
            if (g_pictureSide > 0) {
                stem += "-side-" + std::to_string(g_pictureSide);
            }
            written = WriteModel(folder, stem, [&](CTarnwickModel& model) { build(model, count); }, false);
        } else {
            written = WriteModel(folder, "house", [](CTarnwickModel& model) { BuildHouseModel(model); }, true);
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "glimra_samplegen: %s\n", e.what());
    } catch (...) {
        std::fprintf(stderr, "glimra_samplegen: the model could not be written\n");
    }
    SetProfileStore(nullptr);
    return written ? 0 : 1;
}
