#include "samplegen/stressmodels.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "annotations/dimensionlinear.h"
#include "annotations/polyline3d.h"
#include "annotations/text.h"
#include "document/camera.h"
#include "document/component.h"
#include "document/componentdefinition.h"
#include "document/componentinstance.h"
#include "document/dib.h"
#include "document/fontmanager.h"
#include "document/imageadapter/imageapp.h"
#include "document/material.h"
#include "document/materialmanager.h"
#include "document/modelpointref.h"
#include "document/pagelist.h"
#include "document/shadowinfo.h"
#include "document/tarnwickmodel.h"
#include "document/texture.h"
#include "document/twfont.h"
#include "document/utctime.h"
#include "document/viewpage.h"
#include "foundation/transformation.h"
#include "model/edge.h"
#include "model/edgeuse.h"
#include "model/face.h"
#include "model/loop.h"
#include "model/radialtails.h"
#include "model/undosuspender.h"
#include "model/vertex.h"
#include "samplegen/geometrybuilder.h"
#include "samplegen/gridmodel.h"
#include "samplegen/placing.h"

namespace {

const CVector3d kUp(0.0, 0.0, 1.0);

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
        CComponentDefinition* definition = AddDefinition(model, "Box#" + std::to_string(i + 1));
        (void)CGeometryBuilder(*definition).Box(CPoint3d(0, 0, 0), CPoint3d(1, 1, 1 + i % 3));
        definition->SetThumbnailWaiting(true);
        auto* instance = new CComponentInstance;
        definition->AddInstance(instance);
        CTransformation transform;
        transform.SetTranslation(PlaceOf(i, columns));
        instance->SetTransform(transform);
        model.GetRootComponent()->Add(instance);
    }
    LookFromSouthOnField(model, 2.0 * columns);
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
    CComponentDefinition* inner = AddDefinition(model, "Level#" + std::to_string(levels));
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
            outer = AddDefinition(model, "Level#" + std::to_string(level));
        }
        const int copies = std::max(shape.copies[static_cast<std::size_t>(level)], 0);
        // A unit's gap between neighbours, so that each copy shows.
        const CVector3d step(extent.x + 1.0, extent.y + 1.0, 0.0);
        if (shape.stacked) {
            PlaceStacked(*outer, *inner, copies);
        } else if (const int columns = PlaceField(*outer, *inner, copies, step); copies > 1) {
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

void BuildShadowedModel(CTarnwickModel& model, int placementCount)
{
    constexpr int kQuads = 1000;
    constexpr int kQuadsPerRow = 40;
    const CUndoSuspender suspender;
    const CurrentModelScope scope(&model);
    CComponentDefinition* definition = AddDefinition(model, "Quads");
    const CGeometryBuilder builder(*definition);
    for (int i = 0; i < kQuads; ++i) {
        const double x = 1.5 * (i % kQuadsPerRow);
        const double y = 1.0 * (i / kQuadsPerRow);
        (void)builder.Face({builder.Vertex(CPoint3d(x, y, 0.5)), builder.Vertex(CPoint3d(x + 1.0, y, 0.5)),
                            builder.Vertex(CPoint3d(x + 1.0, y, 1.5)), builder.Vertex(CPoint3d(x, y, 1.5))});
    }
    const CVector3d extent(1.5 * kQuadsPerRow, 1.0 * (kQuads / kQuadsPerRow), 1.5);
    const int columns =
        PlaceField(*model.GetRootComponent(), *definition, placementCount, CVector3d(extent.x + 1.0, extent.y + 1.0, 0.0));
    CShadowInfo& shadows = *model.GetShadowInfo();
    shadows.SetDateTime(CUtcTime(2020, 6, 21, 15, 0, 0));
    shadows.SetDisplayShadows(true);
    const int rows = (std::max(placementCount, 1) + columns - 1) / columns;
    LookFromSouthOnField(model, std::max((extent.x + 1.0) * columns, (extent.y + 1.0) * rows));
}

namespace {

constexpr int kMaterialPictureSide = 1024;
constexpr int kLargestMaterialPictureSide = 4096;

// The material's picture as PNG bytes alone, as a file read keeps it, so that hundreds of
// them are not held decoded while the model is made; its average colour comes with it.
CDib* MakeMaterialPicture(int index, int side, CColor& average)
{
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(side) * side * 3);
    const int hue = (index * 37) % 256;
    std::uint64_t sums[3] = {0, 0, 0};
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            const std::uint8_t channels[3] = {static_cast<std::uint8_t>(x * 256 / side),
                                              static_cast<std::uint8_t>(y * 256 / side),
                                              static_cast<std::uint8_t>(hue)};
            std::uint8_t* at = &pixels[(static_cast<std::size_t>(y) * side + x) * 3];
            for (int c = 0; c < 3; ++c) {
                at[c] = channels[c];
                sums[c] += channels[c];
            }
        }
    }
    const std::uint64_t count = static_cast<std::uint64_t>(side) * side;
    // The pixel rows are blue, green, red.
    average = CColor(static_cast<std::uint8_t>(sums[2] / count), static_cast<std::uint8_t>(sums[1] / count),
                     static_cast<std::uint8_t>(sums[0] / count));
    IImageApp* const images = GetImageLibApp();
    const std::unique_ptr<CDib> decoded(images->MakeDib(side, side, 24, pixels.data()));
    auto* picture = new CDib;
    picture->Create(nullptr, decoded->GetFormatCode(), 0, 0, false);
    const int size = decoded->GetPixelBufferSize();
    std::uint8_t* bytes = images->AllocBuffer(static_cast<std::size_t>(size));
    if (bytes != nullptr) {
        std::memcpy(bytes, decoded->GetPixelBuffer(), static_cast<std::size_t>(size));
        picture->SetPixelBuffer(bytes, size);
    }
    return picture;
}

CMaterial* AddPictureMaterial(CMaterialManager& materials, int index, int side)
{
    CColor average;
    auto* texture = new CTexture;
    texture->SetImage(MakeMaterialPicture(index, side, average));
    texture->SetFileName(CString::FromUtf8("picture-" + std::to_string(index + 1) + ".png"));
    texture->SetWidth(1.0);
    texture->SetHeight(1.0);
    texture->SetAverageColor(average);
    auto* material = new CMaterial;
    material->SetName(CString::FromUtf8("Picture#" + std::to_string(index + 1)));
    material->SetTexture(texture);
    material->SetKind(kMaterialTexture);
    material->SetColor(average);
    materials.AddMaterial(material);
    return material;
}

}  // namespace

void BuildMaterialsModel(CTarnwickModel& model, int materialCount, int drawnCount, int pictureSide)
{
    const int side = pictureSide >= 1 && pictureSide <= kLargestMaterialPictureSide ? pictureSide
                                                                                     : kMaterialPictureSide;
    BuildGridModel(model, 2 * std::max(materialCount, 0));
    const CUndoSuspender suspender;
    const CurrentModelScope scope(&model);
    std::vector<CMaterial*> drawn;
    const int drawnMaterials = drawnCount < 1 || drawnCount > materialCount ? materialCount : drawnCount;
    for (int i = 0; i < materialCount; ++i) {
        CMaterial* material = AddPictureMaterial(*model.GetMaterialManager(), i, side);
        if (i < drawnMaterials) {
            drawn.push_back(material);
        }
    }
    if (drawn.empty()) {
        return;
    }
    CComponent& root = *model.GetRootComponent();
    std::size_t next = 0;
    for (int i = 0; i < root.GetCount(); ++i) {
        if (auto* face = dynamic_cast<CFace*>(root.GetAt(i))) {
            face->SetMaterial(drawn[(next++ / 2) % drawn.size()]);
        }
    }
}

namespace {

constexpr const char* kLabelWords =
    "The quick brown fox jumps over the lazy dog; PACK MY BOX WITH FIVE DOZEN JUGS 0123456789. ";

// A label text of that many characters, numbered so that no two are alike.
CString NumberedText(const char* prefix, int index, std::size_t length)
{
    std::string text = prefix + std::to_string(index + 1) + ": ";
    while (text.size() < length) {
        text += kLabelWords;
    }
    text.resize(length);
    return CString::FromUtf8(text);
}

// Points are given in pixels; the model keeps them in points of 1/72 inch at 96 pixels
// per inch.
int PointsForPixels(int pixels)
{
    return std::max(1, static_cast<int>(std::lround(pixels * 72.0 / 96.0)));
}

// A text with a short model leader on the point, in the given font (null: the style's).
void AddLabel(CTarnwickModel& model, const CString& text, const CVector3d& place, CTwFont* font)
{
    auto* label = new CText;
    label->SetText(text);
    label->SetAnchor(CModelPointRef(CPoint3d(place)), true);
    label->SetLeaderKindValue(CText::kModelLeader);
    label->SetLeaderVector(0.5, 0.5, 0.0);
    if (font != nullptr) {
        label->SetFont(font, false);
    }
    model.GetRootComponent()->Add(label);
}

// That many labels (at least 0) numbered after the prefix, each that many characters
// long, in a square field looked down on.
void AddLabelField(CTarnwickModel& model, int count, const char* prefix, std::size_t length, CTwFont* font)
{
    const int columns = ColumnsFor(count);
    for (int i = 0; i < count; ++i) {
        AddLabel(model, NumberedText(prefix, i, length), PlaceOf(i, columns), font);
    }
    LookDownOnField(model, 2.0 * columns);
}

}  // namespace

void BuildLabelsModel(CTarnwickModel& model, int labelCount)
{
    const CUndoSuspender suspender;
    const CurrentModelScope scope(&model);
    AddLabelField(model, labelCount, "Label ", 1000, nullptr);
}

void BuildShortLabelsModel(CTarnwickModel& model, int labelCount)
{
    const CUndoSuspender suspender;
    const CurrentModelScope scope(&model);
    AddLabelField(model, labelCount, "Label ", 100, nullptr);
}

void BuildBigFontLabelsModel(CTarnwickModel& model, int labelCount)
{
    const CUndoSuspender suspender;
    const CurrentModelScope scope(&model);
    CTwFont* font =
        model.GetFontManager()->GetFont(CString("DejaVu Sans"), false, false, PointsForPixels(200),
                                        CTwFont::kKindTextImage);
    AddLabelField(model, labelCount, "L", 20, font);
}

void BuildDimensionsModel(CTarnwickModel& model, int dimensionCount, int characters)
{
    const CUndoSuspender suspender;
    const CurrentModelScope scope(&model);
    const int columns = ColumnsFor(dimensionCount);
    const auto length = static_cast<std::size_t>(std::max(characters, 1));
    for (int i = 0; i < dimensionCount; ++i) {
        const CVector3d place = PlaceOf(i, columns);
        auto* dimension = new CDimensionLinear;
        dimension->SetPoints(CModelPointRef(CPoint3d(place)), CModelPointRef(CPoint3d(place + CVector3d(1.5, 0, 0))));
        dimension->SetOffset(0.5);
        dimension->SetLabelText(NumberedText("D", i, length));
        model.GetRootComponent()->Add(dimension);
    }
    LookDownOnField(model, 2.0 * columns);
}

void BuildFontSizesModel(CTarnwickModel& model, int labelCount)
{
    const CUndoSuspender suspender;
    const CurrentModelScope scope(&model);
    // The faces of the DejaVu core fonts.
    const struct
    {
        const char* face;
        bool bold;
    } faces[] = {{"DejaVu Sans", false},      {"DejaVu Sans", true},      {"DejaVu Serif", false},
                 {"DejaVu Serif", true},      {"DejaVu Sans Mono", false}, {"DejaVu Sans Mono", true}};
    const int columns = ColumnsFor(labelCount);
    for (int i = 0; i < labelCount; ++i) {
        const auto& face = faces[i % std::size(faces)];
        CTwFont* font = model.GetFontManager()->GetFont(CString(face.face), face.bold, false,
                                                        PointsForPixels(8 + i % 1000), CTwFont::kKindTextImage);
        AddLabel(model, NumberedText("F", i, 200), PlaceOf(i, columns), font);
    }
    LookDownOnField(model, 2.0 * columns);
}

namespace {

// Looks down on the square from centre minus to centre plus half its size.
void LookDownOn(CTarnwickModel& model, const CPoint3d& centre, double size)
{
    CCamera camera;
    camera.SetView(centre + CVector3d(0.0, -0.2 * size, 1.5 * size), centre, kUp, 1.0, 1000.0, true, 35.0, size);
    model.SetCamera(camera);
}

CFace* AddStar(CComponent& component, int corners)
{
    const CGeometryBuilder builder(component);
    std::vector<CVertex*> ring;
    const int count = std::max(corners, 6);
    ring.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        const double angle = 6.283185307179586 * i / count;
        const double radius = i % 2 == 0 ? 100.0 : 50.0;
        ring.push_back(builder.Vertex(CPoint3d(radius * std::cos(angle), radius * std::sin(angle), 0.0)));
    }
    return builder.Face(ring, kUp);
}

}  // namespace

void BuildStarModel(CTarnwickModel& model, int corners)
{
    const CUndoSuspender suspender;
    const CurrentModelScope scope(&model);
    (void)AddStar(*model.GetRootComponent(), corners);
    LookDownOn(model, CPoint3d(0.0, 0.0, 0.0), 200.0);
}

void BuildHolesModel(CTarnwickModel& model, int holes)
{
    const CUndoSuspender suspender;
    const CurrentModelScope scope(&model);
    const CGeometryBuilder builder(*model.GetRootComponent());
    const int columns = ColumnsFor(holes);
    const double size = 2.0 * columns;
    CFace* face = builder.Face({builder.Vertex(CPoint3d(0, 0, 0)), builder.Vertex(CPoint3d(size, 0, 0)),
                                builder.Vertex(CPoint3d(size, size, 0)), builder.Vertex(CPoint3d(0, size, 0))},
                               kUp);
    for (int i = 0; i < holes; ++i) {
        const CVector3d at = PlaceOf(i, columns) + CVector3d(0.5, 0.5, 0.0);
        (void)builder.Hole(face, {builder.Vertex(CPoint3d(0, 0, 0) + at), builder.Vertex(CPoint3d(0, 1, 0) + at),
                                  builder.Vertex(CPoint3d(1, 1, 0) + at), builder.Vertex(CPoint3d(1, 0, 0) + at)});
    }
    LookDownOn(model, CPoint3d(size / 2.0, size / 2.0, 0.0), size);
}

void BuildNonFiniteHoleModel(CTarnwickModel& model, int holes)
{
    BuildHolesModel(model, holes);
    const CUndoSuspender suspender;
    const CurrentModelScope scope(&model);
    for (CDrawingElement* element : model.GetRootComponent()->GetEntityList()) {
        if (auto* face = dynamic_cast<CFace*>(element)) {
            CVertex* corner = face->GetLoop(face->GetLoopCount() - 1)->GetFirstEdgeUse()->GetStartVertex();
            const CPoint3d at = corner->GetPosition();
            corner->SetPosition(CPoint3d(at.x, std::numeric_limits<double>::quiet_NaN(), at.z));
        }
    }
}

void BuildStarPlacementsModel(CTarnwickModel& model, int placements, int starCorners)
{
    const CUndoSuspender suspender;
    const CurrentModelScope scope(&model);
    CComponentDefinition* definition = AddDefinition(model, "Star");
    (void)AddStar(*definition, starCorners);
    const int columns = PlaceField(*model.GetRootComponent(), *definition, placements, CVector3d(200.0, 200.0, 0.0));
    const double size = 200.0 * columns;
    LookDownOn(model, CPoint3d(size / 2.0 - 100.0, size / 2.0 - 100.0, 0.0), size);
}

void BuildCrossingStarModel(CTarnwickModel& model, int corners, int step)
{
    const CUndoSuspender suspender;
    const CurrentModelScope scope(&model);
    const CGeometryBuilder builder(*model.GetRootComponent());
    const int count = std::max(corners, 5);
    const long long stride = std::clamp(step, 1, count - 1);
    std::vector<CVertex*> ring;
    ring.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        const double angle = 6.283185307179586 * static_cast<double>(i * stride % count) / count;
        ring.push_back(builder.Vertex(CPoint3d(100.0 * std::cos(angle), 100.0 * std::sin(angle), 0.0)));
    }
    (void)builder.Face(ring, kUp);
    LookDownOn(model, CPoint3d(0.0, 0.0, 0.0), 200.0);
}

void BuildTouchingLoopModel(CTarnwickModel& model, int touches)
{
    const CUndoSuspender suspender;
    const CurrentModelScope scope(&model);
    const CGeometryBuilder builder(*model.GetRootComponent());
    const int petals = std::max(touches, 2);
    std::vector<CVertex*> ring;
    ring.reserve(3 * static_cast<std::size_t>(petals));
    for (int i = 0; i < petals; ++i) {
        const double from = 6.283185307179586 * i / petals;
        const double to = 6.283185307179586 * (i + 0.5) / petals;
        ring.push_back(builder.Vertex(CPoint3d(0.0, 0.0, 0.0)));
        ring.push_back(builder.Vertex(CPoint3d(100.0 * std::cos(from), 100.0 * std::sin(from), 0.0)));
        ring.push_back(builder.Vertex(CPoint3d(100.0 * std::cos(to), 100.0 * std::sin(to), 0.0)));
    }
    (void)builder.Face(ring, kUp);
    LookDownOn(model, CPoint3d(0.0, 0.0, 0.0), 200.0);
}

void BuildTouchingBandModel(CTarnwickModel& model, int turns)
{
    const CUndoSuspender suspender;
    const CurrentModelScope scope(&model);
    const CGeometryBuilder builder(*model.GetRootComponent());
    constexpr int kPerTurn = 500;
    constexpr double kWidth = 1.0;
    const int steps = std::max(turns, 1) * kPerTurn;
    // Worked out from whole numbers, so that the corners one turn apart on either side of
    // the band fall on the very same places.
    const auto at = [&](int i, int out) {
        const double radius = 10.0 + kWidth * static_cast<double>(i + out * kPerTurn) / kPerTurn;
        const double angle = 6.283185307179586 * (i % kPerTurn) / kPerTurn;
        return builder.Vertex(CPoint3d(radius * std::cos(angle), radius * std::sin(angle), 0.0));
    };
    std::vector<CVertex*> ring;
    ring.reserve(2 * static_cast<std::size_t>(steps) + 2);
    for (int i = 0; i <= steps; ++i) {
        ring.push_back(at(i, 1));
    }
    for (int i = steps; i >= 0; --i) {
        ring.push_back(at(i, 0));
    }
    (void)builder.Face(ring, kUp);
    const double size = 2.0 * (10.0 + kWidth * (std::max(turns, 1) + 1));
    LookDownOn(model, CPoint3d(0.0, 0.0, 0.0), size);
}

void BuildPolylinesModel(CTarnwickModel& model, int placements, int points)
{
    const CUndoSuspender suspender;
    const CurrentModelScope scope(&model);
    CComponentDefinition* definition = AddDefinition(model, "Polyline");
    const int count = std::max(points, 2);
    std::vector<CPoint3d> chain;
    chain.reserve(static_cast<std::size_t>(count));
    // A thousand points a turn: each step covers a pixel or two.
    for (int i = 0; i < count; ++i) {
        const double angle = 6.283185307179586 * i / 1000.0;
        const double radius = 50.0 * i / (count - 1);
        chain.emplace_back(50.0 + radius * std::cos(angle), 50.0 + radius * std::sin(angle), 0.0);
    }
    definition->Add(new CPolyline3d(std::move(chain)));
    PlaceStacked(*model.GetRootComponent(), *definition, std::max(placements, 1));
    LookDownOn(model, CPoint3d(50.0, 50.0, 0.0), 200.0);
}

void BuildFarFillModel(CTarnwickModel& model, int squareCount)
{
    BuildSharedModel(model, {{std::max(squareCount, 1)}, 2, true});
    const CUndoSuspender suspender;
    const CurrentModelScope scope(&model);
    const CGeometryBuilder builder(*model.GetRootComponent());
    // Model units are inches.
    constexpr double kFar = 1.0e6;
    constexpr double kMillimetre = 1.0 / 25.4;
    (void)builder.Face({builder.Vertex(CPoint3d(kFar, kFar, 0.0)), builder.Vertex(CPoint3d(kFar + kMillimetre, kFar, 0.0)),
                        builder.Vertex(CPoint3d(kFar, kFar + kMillimetre, 0.0))},
                       kUp);
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

void BuildFacesFirstRingModel(CTarnwickModel& model, int faceCount)
{
    const CUndoSuspender suspender;
    const CurrentModelScope scope(&model);
    CComponent& root = *model.GetRootComponent();
    const CGeometryBuilder builder(root);
    const CRadialTails tails;
    constexpr double kRadius = 10.0;
    std::vector<CVertex*> ring;
    for (int i = 0; i < kFacesFirstRingEdges; ++i) {
        const double angle = 6.283185307179586 * i / kFacesFirstRingEdges;
        ring.push_back(builder.Vertex(CPoint3d(kRadius * std::cos(angle), kRadius * std::sin(angle), 0.0)));
    }
    for (int i = 0; i < faceCount; ++i) {
        (void)builder.Face(ring, kUp);
    }
    // The first face put the edges before it; they go to the end of the list.
    std::vector<CDrawingElement*> edges;
    for (CDrawingElement* element : root.GetEntityList()) {
        if (dynamic_cast<CEdge*>(element) != nullptr) {
            edges.push_back(element);
        }
    }
    for (CDrawingElement* edge : edges) {
        (void)root.Remove(edge);
        root.Add(edge);
    }
    LookDownOn(model, CPoint3d(0, 0, 0), 2 * kRadius);
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
