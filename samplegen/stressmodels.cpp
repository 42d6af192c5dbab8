#include "samplegen/stressmodels.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "document/camera.h"
#include "document/component.h"
#include "document/componentdefinition.h"
#include "document/componentinstance.h"
#include "document/definitionlist.h"
#include "document/dib.h"
#include "document/imageadapter/imageapp.h"
#include "document/pagelist.h"
#include "document/tarnwickmodel.h"
#include "document/viewpage.h"
#include "foundation/transformation.h"
#include "model/radialtails.h"
#include "model/undosuspender.h"
#include "samplegen/geometrybuilder.h"
#include "samplegen/gridmodel.h"

namespace {

const CVector3d kUp(0.0, 0.0, 1.0);

// The columns of a square field for that many things (one at least).
int ColumnsFor(int count)
{
    return static_cast<int>(std::ceil(std::sqrt(static_cast<double>(std::max(count, 1)))));
}

// Rows of places two units apart, that many columns wide.
CVector3d PlaceOf(int index, int columns)
{
    return {2.0 * (index % columns), 2.0 * (index / columns), 0.0};
}

}  // namespace

void BuildDefinitionsModel(CTarnwickModel& model, int definitionCount)
{
    const CUndoSuspender suspender;
    const CurrentModelScope scope(&model);
    const int columns = ColumnsFor(definitionCount);
    for (int i = 0; i < definitionCount; ++i) {
        auto* definition = new CComponentDefinition;
        definition->SetName(CString::FromUtf8("Box#" + std::to_string(i + 1)));
        model.GetRootComponent()->GetDefinitionList()->Add(definition);
        (void)CGeometryBuilder(*definition).Box(CPoint3d(0, 0, 0), CPoint3d(1, 1, 1 + i % 3));
        definition->SetThumbnailWaiting(true);
        auto* instance = new CComponentInstance;
        definition->AddInstance(instance);
        CTransformation transform;
        transform.SetTranslation(PlaceOf(i, columns));
        instance->SetTransform(transform);
        model.GetRootComponent()->Add(instance);
    }
    // A slanted view from the south over the whole field of boxes.
    const double size = 2.0 * columns;
    const CPoint3d target(size / 2.0, size / 2.0, 0.0);
    CCamera camera;
    camera.SetView(CPoint3d(target.x, target.y - 1.2 * size, 1.2 * size), target, kUp, 1.0, 1000.0, true, 35.0,
                   size);
    model.SetCamera(camera);
}

void BuildPagesModel(CTarnwickModel& model, int pageCount)
{
    const CUndoSuspender suspender;
    const CurrentModelScope scope(&model);
    (void)CGeometryBuilder(*model.GetRootComponent()).Box(CPoint3d(0, 0, 0), CPoint3d(4, 4, 2));
    for (int i = 0; i < pageCount; ++i) {
        const double angle = 6.283185307179586 * i / std::max(pageCount, 1);
        CCamera camera;
        camera.SetView(CPoint3d(2 + 20 * std::cos(angle), 2 + 20 * std::sin(angle), 10), CPoint3d(2, 2, 1), kUp, 1.0,
                       1000.0, true, 35.0, 10.0);
        auto* page = new CViewPage(CString::FromUtf8("Scene " + std::to_string(i + 1)), CString(), CViewPage::kCamera);
        page->SetCamera(camera);
        model.GetPageList()->AddPage(page, -1);
        if (i == 0) {
            model.SetCamera(camera);
        }
    }
}

void BuildSharedModel(CTarnwickModel& model, const SharedModelShape& shape)
{
    const CUndoSuspender suspender;
    const CurrentModelScope scope(&model);
    const int levels = static_cast<int>(shape.copies.size());
    if (levels == 0) {
        return;
    }
    auto* inner = new CComponentDefinition;
    inner->SetName(CString::FromUtf8("Level#" + std::to_string(levels)));
    model.GetRootComponent()->GetDefinitionList()->Add(inner);
    // The extent of what the level being made places, from its origin.
    CVector3d extent(1.0, 1.0, 1.0);
    if (shape.leafTriangles > 0) {
        const auto [columns, rows] = AddTriangleGrid(*inner, shape.leafTriangles);
        extent = CVector3d(columns, rows, 0.0);
    } else {
        (void)CGeometryBuilder(*inner).Box(CPoint3d(0, 0, 0), CPoint3d(1, 1, 1));
    }
    for (int level = levels - 1; level >= 0; --level) {
        CComponent* outer = model.GetRootComponent();
        if (level > 0) {
            auto* definition = new CComponentDefinition;
            definition->SetName(CString::FromUtf8("Level#" + std::to_string(level)));
            model.GetRootComponent()->GetDefinitionList()->Add(definition);
            outer = definition;
        }
        const int copies = std::max(shape.copies[static_cast<std::size_t>(level)], 0);
        const int columns = ColumnsFor(copies);
        // A unit's gap between neighbours, so that each copy shows.
        const CVector3d step(extent.x + 1.0, extent.y + 1.0, 0.0);
        for (int copy = 0; copy < copies; ++copy) {
            auto* instance = new CComponentInstance;
            inner->AddInstance(instance);
            if (!shape.stacked) {
                CTransformation transform;
                transform.SetTranslation(CVector3d(step.x * (copy % columns), step.y * (copy / columns), 0.0));
                instance->SetTransform(transform);
            }
            outer->Add(instance);
        }
        if (!shape.stacked && copies > 1) {
            const int rows = (copies + columns - 1) / columns;
            extent = CVector3d(step.x * columns - 1.0, step.y * rows - 1.0, extent.z);
        }
        if (level > 0) {
            inner = static_cast<CComponentDefinition*>(outer);
        }
    }
    const double size = std::max({extent.x, extent.y, extent.z, 1.0});
    const CPoint3d target(extent.x / 2.0, extent.y / 2.0, extent.z / 2.0);
    CCamera camera;
    camera.SetView(target + CVector3d(2.5, -2.5, 2.0) * size, target, kUp, 1.0, 1000.0, true, 35.0,
                   2.0 * size);
    model.SetCamera(camera);
}

std::vector<int> DoublingCopies(int levels)
{
    std::vector<int> copies(static_cast<std::size_t>(std::max(levels, 1)), 2);
    copies[0] = 1;
    return copies;
}

void BuildDoublingModel(CTarnwickModel& model, int definitionCount)
{
    BuildSharedModel(model, {DoublingCopies(definitionCount)});
}

void BuildSharedRingModel(CTarnwickModel& model, int faceCount)
{
    const CUndoSuspender suspender;
    const CurrentModelScope scope(&model);
    const CGeometryBuilder builder(*model.GetRootComponent());
    const CRadialTails tails;
    constexpr double kRadius = 10.0;
    std::vector<CVertex*> ring;
    ring.reserve(kSharedRingEdges);
    for (int i = 0; i < kSharedRingEdges; ++i) {
        const double angle = 6.283185307179586 * i / kSharedRingEdges;
        ring.push_back(builder.Vertex(CPoint3d(kRadius * std::cos(angle), kRadius * std::sin(angle), 0.0)));
    }
    // The first face makes the edges; the others find them.
    for (int i = 0; i < faceCount; ++i) {
        (void)builder.Face(ring, kUp);
    }
    CCamera camera;
    camera.SetView(CPoint3d(0, -1.5 * kRadius, 3 * kRadius), CPoint3d(0, 0, 0), kUp, 1.0, 1000.0, true, 35.0,
                   2 * kRadius);
    model.SetCamera(camera);
}

std::vector<std::uint8_t> MakeProgressiveWhiteJpeg(int side)
{
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("glimra-progressive-" + std::to_string(::getpid()));
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    // ImageMagick's own limits refuse a side past 16000 and the disk the pixels take; a
    // policy of our own lifts them.
    std::ofstream(folder / "policy.xml") << "<policymap>\n"
                                            "  <policy domain=\"resource\" name=\"width\" value=\"64KP\"/>\n"
                                            "  <policy domain=\"resource\" name=\"height\" value=\"64KP\"/>\n"
                                            "  <policy domain=\"resource\" name=\"area\" value=\"1GP\"/>\n"
                                            "  <policy domain=\"resource\" name=\"disk\" value=\"8GiB\"/>\n"
                                            "</policymap>\n";
    const std::string size = std::to_string(side) + "x" + std::to_string(side);
    const std::string command = "MAGICK_CONFIGURE_PATH='" + folder.string() + "' MAGICK_TMPDIR='" + folder.string() +
                                "' convert -size " + size + " xc:white -interlace JPEG '" +
                                (folder / "prog.jpg").string() + "' 2>/dev/null";
    std::vector<std::uint8_t> bytes;
    if (side > 0 && std::system(command.c_str()) == 0) {
        std::ifstream in(folder / "prog.jpg", std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    std::filesystem::remove_all(folder, error);
    return bytes;
}

void SetEncodedPreview(CTarnwickModel& model, const std::vector<std::uint8_t>& picture)
{
    if (picture.empty()) {
        return;
    }
    auto* bytes = GetImageLibApp()->AllocBuffer(picture.size());
    std::memcpy(bytes, picture.data(), picture.size());
    auto* dib = new CDib;
    dib->SetPixelBuffer(bytes, static_cast<int>(picture.size()));
    model.SetPreviewImage(dib);
}

void BuildProgressivePreviewModel(CTarnwickModel& model, int side)
{
    SetEncodedPreview(model, MakeProgressiveWhiteJpeg(side));
}
