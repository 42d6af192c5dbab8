#include "samplegen/housemodel.h"

#include <array>
#include <cmath>
#include <cstdlib>
#include <cstdint>
#include <vector>

#include "annotations/dimensionlinear.h"
#include "annotations/pointreferences.h"
#include "annotations/sectionplane.h"
#include "annotations/text.h"
#include "annotations/textstyle.h"
#include "document/camera.h"
#include "document/component.h"
#include "document/componentdefinition.h"
#include "document/componentinstance.h"
#include "document/dib.h"
#include "document/group.h"
#include "document/imageadapter/imageapp.h"
#include "document/layer.h"
#include "document/layermanager.h"
#include "document/material.h"
#include "document/materialmanager.h"
#include "document/pagelist.h"
#include "document/renderingoptions.h"
#include "document/shadowinfo.h"
#include "document/tarnwickmodel.h"
#include "document/texture.h"
#include "document/viewpage.h"
#include "foundation/transformation.h"
#include "foundation/unitvector3d.h"
#include "model/face.h"
#include "model/undosuspender.h"
#include "model/vertex.h"
#include "samplegen/geometrybuilder.h"
#include "samplegen/placing.h"

namespace {

// A roof-tile picture made in code: rows of rounded tiles in two reds.
CDib* MakeTilePicture()
{
    constexpr int kSize = 32;
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(kSize * kSize * 3));
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            const int shifted = (x + ((y / 8) % 2) * 4) % 8;
            const bool edge = y % 8 == 7 || shifted == 0;
            const std::size_t at = static_cast<std::size_t>((y * kSize + x) * 3);
            pixels[at] = edge ? 40 : 50;
            pixels[at + 1] = edge ? 30 : 60;
            pixels[at + 2] = edge ? 120 : static_cast<std::uint8_t>(160 + (y % 8) * 8);
        }
    }
    return GetImageLibApp()->MakeDib(kSize, kSize, 24, pixels.data());
}

// The file's preview picture made in code, 160 x 120: the house's gable end under a sky,
// on grass. Wider than tall, as previews taken of a view are.
CDib* MakePreviewPicture()
{
    constexpr int kWidth = 160;
    constexpr int kHeight = 120;
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(kWidth * kHeight * 3));
    const auto put = [&pixels](int x, int y, int red, int green, int blue) {
        const std::size_t at = static_cast<std::size_t>((y * kWidth + x) * 3);
        pixels[at] = static_cast<std::uint8_t>(blue);
        pixels[at + 1] = static_cast<std::uint8_t>(green);
        pixels[at + 2] = static_cast<std::uint8_t>(red);
    };
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            // The top row first: sky above the ground line at 90, grass below.
            const int fromTop = y;
            const bool wall = x >= 45 && x < 115 && fromTop >= 50 && fromTop < 90;
            const bool window = x >= 60 && x < 80 && fromTop >= 60 && fromTop < 75;
            const bool roof = fromTop >= 20 && fromTop < 50 && std::abs(x - 80) <= (fromTop - 20) * 45 / 30;
            if (window) {
                put(x, y, 120, 170, 220);
            } else if (wall) {
                put(x, y, 230, 220, 200);
            } else if (roof) {
                put(x, y, 170, 60, 50);
            } else if (fromTop >= 90) {
                put(x, y, 110, 170, 80);
            } else {
                put(x, y, 150 + fromTop, 190 + fromTop / 2, 240);
            }
        }
    }
    return GetImageLibApp()->MakeDib(kWidth, kHeight, 24, pixels.data());
}

CMaterial* AddColorMaterial(CMaterialManager& materials, const char* name, CColor color, double transparency = 0.0)
{
    auto* material = new CMaterial;
    material->SetName(name);
    material->SetColor(color);
    if (transparency > 0.0) {
        material->SetTransparency(transparency);
        material->SetUseTransparency(true);
    }
    materials.AddMaterial(material);
    return material;
}

CMaterial* AddTileMaterial(CMaterialManager& materials)
{
    auto* texture = new CTexture;
    texture->SetImage(MakeTilePicture());
    texture->SetFileName("roof-tiles.png");
    texture->SetWidth(24.0);
    texture->SetHeight(24.0);
    auto* material = new CMaterial;
    material->SetName("Roof tiles");
    material->SetTexture(texture);
    material->SetKind(1);
    // A textured material shows its picture's average colour where it is drawn plain.
    material->SetColor(texture->GetAverageColor());
    materials.AddMaterial(material);
    return material;
}

struct HouseParts
{
    std::vector<CFace*> walls;
    std::vector<CFace*> roof;
    CFace* front = nullptr;
    CVertex* frontLeft = nullptr;
    CVertex* frontRight = nullptr;
    CVertex* windowTopLeft = nullptr;
};

// Ten units wide, eight deep, walls three high and the ridge at five, along x.
HouseParts BuildHouse(const CGeometryBuilder& builder)
{
    std::array<CVertex*, 4> base{};
    std::array<CVertex*, 4> top{};
    const std::array<CPoint3d, 4> corners{CPoint3d(0, 0, 0), CPoint3d(10, 0, 0), CPoint3d(10, 8, 0), CPoint3d(0, 8, 0)};
    for (std::size_t i = 0; i < corners.size(); ++i) {
        base[i] = builder.Vertex(corners[i]);
        top[i] = builder.Vertex(CPoint3d(corners[i].x, corners[i].y, 3));
    }
    CVertex* ridgeLeft = builder.Vertex(CPoint3d(0, 4, 5));
    CVertex* ridgeRight = builder.Vertex(CPoint3d(10, 4, 5));
    HouseParts parts;
    parts.walls.push_back(builder.Face({base[0], base[3], base[2], base[1]}, {0, 0, -1}));
    parts.front = builder.Face({base[0], base[1], top[1], top[0]}, {0, -1, 0});
    parts.walls.push_back(parts.front);
    parts.walls.push_back(builder.Face({base[2], base[3], top[3], top[2]}, {0, 1, 0}));
    parts.walls.push_back(builder.Face({base[3], base[0], top[0], ridgeLeft, top[3]}, {-1, 0, 0}));
    parts.walls.push_back(builder.Face({base[1], base[2], top[2], ridgeRight, top[1]}, {1, 0, 0}));
    parts.roof.push_back(builder.Face({top[0], top[1], ridgeRight, ridgeLeft}));
    parts.roof.push_back(builder.Face({top[2], top[3], ridgeLeft, ridgeRight}));
    // A window in the front wall, wound clockwise seen from the front.
    CVertex* windowBottomLeft = builder.Vertex(CPoint3d(2, 0, 1));
    parts.windowTopLeft = builder.Vertex(CPoint3d(2, 0, 2));
    builder.Hole(parts.front, {windowBottomLeft, parts.windowTopLeft, builder.Vertex(CPoint3d(4, 0, 2)),
                               builder.Vertex(CPoint3d(4, 0, 1))});
    parts.frontLeft = base[0];
    parts.frontRight = base[1];
    return parts;
}

template <typename Instance>
Instance* Place(CComponentDefinition* definition, CComponent& holder, const CVector3d& offset)
{
    auto* instance = new Instance;
    definition->AddInstance(instance);
    CTransformation transform;
    transform.SetTranslation(offset);
    instance->SetTransform(transform);
    holder.Add(instance);
    return instance;
}

// A tree: a square trunk and a four-sided crown.
CComponentDefinition* AddTree(CTarnwickModel& model, CMaterial* bark, CMaterial* leaves)
{
    CComponentDefinition* tree = AddDefinition(model, "Tree");
    const CGeometryBuilder builder(*tree);
    for (CFace* face : builder.Box(CPoint3d(-0.2, -0.2, 0), CPoint3d(0.2, 0.2, 1.5))) {
        face->SetMaterial(bark);
    }
    std::array<CVertex*, 4> ring{};
    const std::array<CPoint3d, 4> corners{CPoint3d(-1, -1, 1.5), CPoint3d(1, -1, 1.5), CPoint3d(1, 1, 1.5),
                                          CPoint3d(-1, 1, 1.5)};
    for (std::size_t i = 0; i < ring.size(); ++i) {
        ring[i] = builder.Vertex(corners[i]);
    }
    CVertex* tip = builder.Vertex(CPoint3d(0, 0, 4));
    for (std::size_t i = 0; i < ring.size(); ++i) {
        builder.Face({ring[i], ring[(i + 1) % 4], tip})->SetMaterial(leaves);
    }
    builder.Face({ring[0], ring[3], ring[2], ring[1]}, {0, 0, -1})->SetMaterial(leaves);
    return tree;
}

// The garden: a group in the root that holds three trees. The definitions nest (the
// root holds the group, the group the trees), so they are written in one order only
// and a file read back writes them in the same order.
void AddGarden(CTarnwickModel& model, CMaterial* bark, CMaterial* leaves, CMaterial* grass, CLayer* layer)
{
    CComponentDefinition* garden = AddDefinition(model, "Group#1");
    const CGeometryBuilder builder(*garden);
    builder.Face({builder.Vertex(CPoint3d(-8, -6, 0)), builder.Vertex(CPoint3d(18, -6, 0)),
                  builder.Vertex(CPoint3d(18, 14, 0)), builder.Vertex(CPoint3d(-8, 14, 0))},
                 {0, 0, 1})
        ->SetMaterial(grass);
    CComponentDefinition* tree = AddTree(model, bark, leaves);
    for (const CVector3d& offset : {CVector3d(-4, -3, 0), CVector3d(14, -2, 0), CVector3d(13, 11, 0)}) {
        Place<CComponentInstance>(tree, *garden, offset);
    }
    Place<CGroup>(garden, *model.GetRootComponent(), CVector3d(0, 0, -0.01))->SetLayer(layer);
}

void AddAnnotations(CTarnwickModel& model, const HouseParts& house, CLayer* layer)
{
    auto* label = new CText;
    label->SetText("Front window");
    // On the window's corner, not on the wall: a label hung on a face lies in the face's
    // plane, edge on from above and over the dimension from the air.
    label->SetAnchor(MakeVertexPoint(house.windowTopLeft), false);
    label->SetLeaderKindValue(CText::kModelLeader);
    label->SetLeaderVector(2, -3, 2);
    // A text made in the program takes the style's font; one stored without a font
    // would take it when read back.
    if (CTextStyle* style = model.GetTextStyle()) {
        label->SetFont(style->GetFont(), false);
    }
    label->SetLayer(layer);
    model.GetRootComponent()->Add(label);
    auto* width = new CDimensionLinear;
    width->SetPoints(MakeVertexPoint(house.frontLeft), MakeVertexPoint(house.frontRight));
    width->SetOffset(-1.5);
    width->SetLayer(layer);
    model.GetRootComponent()->Add(width);
}

CSectionPlane* AddSectionPlane(CTarnwickModel& model)
{
    // Cuts the house at window height, keeping what lies below.
    auto* plane = new CSectionPlane(CPlane3d(CPoint3d(0, 0, 1.5), CVector3d(0, 0, -1)));
    model.GetRootComponent()->Add(plane);
    return plane;
}

// A unit direction near the given one that survives the oldest save format's camera
// form bit for bit. That form keeps only the unit direction and puts the target one
// unit along it, so a file written back measures the direction again from eye and
// target. Components that are multiples of 2^-40 add to eyes of whole units below
// 4096 without rounding, and a direction whose squared length the unit vector finds to
// be exactly one is kept as it is.
CVector3d StableUnitDirection(const CVector3d& approx)
{
    constexpr double kStep = 1.0 / 1099511627776.0;  // 2^-40
    const CUnitVector3d unit(approx);
    const double x = std::round(unit.x / kStep) * kStep;
    for (int j = 0; j < 1000000; ++j) {
        const double y = (std::round(unit.y / kStep) + (j % 2 == 0 ? j / 2 : -(j + 1) / 2)) * kStep;
        const double rest = 1.0 - x * x - y * y;
        if (rest < 0.0) {
            continue;
        }
        const double z = std::copysign(std::round(std::sqrt(rest) / kStep) * kStep, unit.z);
        const CUnitVector3d kept(x, y, z);
        if (kept.x == x && kept.y == y && kept.z == z) {
            return {x, y, z};
        }
    }
    return {unit.x, unit.y, unit.z};
}

// A camera at the eye (whole units) looking along the direction.
CCamera MakeCamera(const CPoint3d& eye, const CVector3d& direction, const CVector3d& up, bool perspective)
{
    CCamera camera;
    camera.SetView(eye, eye + StableUnitDirection(direction), up, 1.0, 1000.0, perspective, 35.0, 20.0);
    return camera;
}

CCamera StreetCamera()
{
    return MakeCamera(CPoint3d(5, -25, 6), CVector3d(0, 29, -4), CVector3d(0, 0, 1), true);
}

// What every page keeps: all that the pages change, so that each page shows the same
// picture whichever page was shown before it.
constexpr std::int32_t kPageContents = CViewPage::kCamera | CViewPage::kRenderingOptions |
                                       CViewPage::kShadowSettings | CViewPage::kAxes |
                                       CViewPage::kHiddenElements | CViewPage::kSectionPlanes;

CViewPage* AddPage(CTarnwickModel& model, const char* name, const char* description)
{
    auto* page = new CViewPage(name, description, kPageContents);
    model.GetPageList()->AddPage(page, -1);
    page->CopyFromModel(model, kPageContents, false);
    return page;
}

// Shadows shown or not, with the display settings' copy of the switch kept equal, as a
// model read from a file has it.
void DisplayShadows(CTarnwickModel& model, bool on)
{
    model.GetShadowInfo()->SetDisplayShadows(on);
    model.GetRenderingOptions()->SetDisplayShadowsMirror(on);
}

void AddPages(CTarnwickModel& model, const HouseParts& house, CSectionPlane* plane)
{
    model.SetCamera(StreetCamera());
    AddPage(model, "Front", "The street side")->SetTransitionTime(2.0);

    model.SetCamera(MakeCamera(CPoint3d(-20, -20, 25), CVector3d(25, 24, -25), CVector3d(0, 0, 1), true));
    DisplayShadows(model, true);
    model.GetRenderingOptions()->SetDisplayEdges(0);
    AddPage(model, "Aerial", "")->SetSlideTime(3.0);
    DisplayShadows(model, false);
    model.GetRenderingOptions()->SetDisplayEdges(1);

    // The plan: from above, cut at the windows, the roof hidden.
    model.SetCamera(MakeCamera(CPoint3d(5, 4, 40), CVector3d(0, 0, -1), CVector3d(0, 1, 0), false));
    model.GetRootComponent()->SetActiveSectionPlane(plane);
    for (CFace* face : house.roof) {
        face->SetHidden(true);
    }
    AddPage(model, "Plan", "Cut at window height")->SetIncludedInAnimation(false);
    for (CFace* face : house.roof) {
        face->SetHidden(false);
    }
    model.GetRootComponent()->SetActiveSectionPlane(nullptr);
    model.GetPageList()->GetPage(0)->Select();
    model.SetCamera(StreetCamera());
}

}  // namespace

void BuildHouseModel(CTarnwickModel& model)
{
    const CUndoSuspender suspender;
    const CurrentModelScope scope(&model);
    model.SetDescription("A small house with a garden, made by the sample generator");
    CMaterialManager& materials = *model.GetMaterialManager();
    CMaterial* plaster = AddColorMaterial(materials, "Plaster", CColor(230, 220, 200, 255));
    CMaterial* brick = AddColorMaterial(materials, "Brick", CColor(150, 60, 40, 255));
    CMaterial* glass = AddColorMaterial(materials, "Glass", CColor(120, 170, 220, 255), 0.6);
    CMaterial* tiles = AddTileMaterial(materials);
    CMaterial* bark = AddColorMaterial(materials, "Bark", CColor(90, 60, 30, 255));
    CMaterial* leaves = AddColorMaterial(materials, "Leaves", CColor(40, 130, 50, 255));
    CMaterial* grass = AddColorMaterial(materials, "Grass", CColor(110, 170, 80, 255));

    CLayerManager& layers = *model.GetLayerManager();
    CLayer* walls = layers.AddLayer("Walls");
    CLayer* roof = layers.AddLayer("Roof");
    CLayer* garden = layers.AddLayer("Garden");
    CLayer* notes = layers.AddLayer("Annotations");

    const CGeometryBuilder builder(*model.GetRootComponent());
    const HouseParts house = BuildHouse(builder);
    for (CFace* face : house.walls) {
        face->SetMaterial(plaster);
        face->SetLayer(walls);
    }
    for (CFace* face : house.roof) {
        face->SetMaterial(tiles);
        face->SetLayer(roof);
    }
    // The window pane: a face of its own inside the opening.
    CFace* pane = builder.Face({builder.Vertex(CPoint3d(2, 0.1, 1)), builder.Vertex(CPoint3d(4, 0.1, 1)),
                                builder.Vertex(CPoint3d(4, 0.1, 2)), builder.Vertex(CPoint3d(2, 0.1, 2))},
                               {0, -1, 0});
    pane->SetMaterial(glass);
    pane->SetLayer(walls);

    for (CFace* face : builder.Box(CPoint3d(7, 5, 3), CPoint3d(7.8, 5.8, 6))) {
        face->SetMaterial(brick);
        face->SetLayer(roof);
    }
    AddGarden(model, bark, leaves, grass, garden);
    AddAnnotations(model, house, notes);
    CSectionPlane* plane = AddSectionPlane(model);
    AddPages(model, house, plane);
    model.SetPreviewImage(MakePreviewPicture());
}

bool OpenGardenForEditing(CTarnwickModel& model)
{
    for (CDrawingElement* element : model.GetRootComponent()->GetEntityList()) {
        if (auto* group = dynamic_cast<CGroup*>(element)) {
            return model.OpenInstance(group);
        }
    }
    return false;
}
