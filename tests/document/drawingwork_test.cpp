#include "document/drawingwork.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <iterator>
#include <utility>
#include <vector>

#include "annotations/text.h"
#include "document/component.h"
#include "document/componentdefinition.h"
#include "document/componentinstance.h"
#include "document/definitionlist.h"
#include "document/image.h"
#include "document/imageadapter/imageapp.h"
#include "document/material.h"
#include "document/materialmanager.h"
#include "document/texture.h"
#include "document/texturegl.h"
#include "document/tarnwickmodel.h"
#include "foundation/framemeter.h"
#include "foundation/transformation.h"
#include "model/face.h"
#include "model/undosuspender.h"
#include "platform/cstring.h"
#include "samplegen/faceshapes.h"
#include "samplegen/geometrybuilder.h"
#include "samplegen/placementmodels.h"
#include "samplegen/stressmodels.h"

namespace {

constexpr std::uint64_t kPlacement = CDrawingWork::kPlacementCost;
constexpr std::uint64_t kCoverage = CDrawingWork::kCoverageCost;
constexpr std::uint64_t kTriangle = CFrameMeter::kTriangleCost;
// An edge: its two line ends.
constexpr std::uint64_t kEdge = 2;
// The unit box: six faces of two triangles each, and their twelve edges.
constexpr std::uint64_t kBoxFaces = 12 * kTriangle;
constexpr std::uint64_t kBox = kBoxFaces + 12 * kEdge;
// Two triangles sharing their diagonal: two faces, five edges.
constexpr std::uint64_t kTwoTriangles = 2 * kTriangle + 5 * kEdge;
// A fill of the view the depth test rejects, drawn over an equal one.
constexpr std::uint64_t kBehind = kCoverage * CFrameMeter::kFilledPixelsPerUnit / CFrameMeter::kRejectedPixelsPerUnit;

// Settings that draw no edges' lines: an edge then weighs its two line ends alone.
CDrawingWork::Shown NoLines()
{
    CDrawingWork::Shown shown;
    shown.profile.widthAlong = 0.0;
    shown.other.widthAlong = 0.0;
    return shown;
}

// The counts below leave out the screen tiles each triangle is set up in, which add a few
// hundredths to models this small (TrianglesAreSetUpInEveryScreenTileTheyReach).
void ExpectWork(std::uint64_t counted, std::uint64_t expected)
{
    EXPECT_GE(counted, expected);
    EXPECT_LE(counted, expected + expected / 25);
}

std::uint64_t CountOf(const SharedModelShape& shape)
{
    auto* model = new CTarnwickModel;
    BuildSharedModel(*model, shape);
    const std::uint64_t work = CDrawingWork::Count(*model->GetRootComponent(), false, NoLines());
    model->Release();
    return work;
}

TEST(DrawingWorkTest, EveryPathCountsWhatItDrawsAndUnplacedDefinitionsCountNothing)
{
    const struct
    {
        SharedModelShape shape;
        std::uint64_t work;
    } cases[] = {
        // 1 + 2 + 4 placements, the box drawn on 4 paths in one place: the first fills
        // the unit cube's 3 shown twice, the other three are drawn over it.
        {{{1, 2, 2}, 0, true}, 7 * kPlacement + 4 * kBox + 2 * kCoverage + 3 * 2 * kBehind},
        // 12 unit squares side by side: the view is filled once where they are drawn.
        {{{3, 4}, 2, false}, 15 * kPlacement + 12 * kTwoTriangles + kCoverage},
        {{{0, 2, 2}, 0, true}, 0},
        // 2^60 paths: counted one past the budget, not overflowed.
        {{std::vector<int>(61, 2), 0, true}, CDrawingWork::kBudget + 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.shape.copies.size());
        ExpectWork(CountOf(c.shape), c.work);
    }
}

// Models built in the root component, counted with or without shadows.
TEST(DrawingWorkTest, CornersCharactersShadowsAndFarFacesCount)
{
    using Build = std::function<void(CTarnwickModel&, CComponent&)>;
    const auto vertices = [](const CGeometryBuilder& builder, std::initializer_list<CPoint3d> points) {
        std::vector<CVertex*> ring;
        for (const CPoint3d& point : points) {
            ring.push_back(builder.Vertex(point));
        }
        return ring;
    };
    const struct
    {
        const char* name;
        Build build;
        bool shadows;
        std::uint64_t work;
    } cases[] = {
        // An L of 3 square units in a box of 4: six edges, the face's six corners cut
        // into four triangles.
        {"concave face",
         [&](CTarnwickModel&, CComponent& root) {
             const CGeometryBuilder builder(root);
             (void)builder.Face(vertices(builder, {{0, 0, 0}, {2, 0, 0}, {2, 1, 0}, {1, 1, 0}, {1, 2, 0}, {0, 2, 0}}),
                                {0, 0, 1});
         },
         false, 6 * kEdge + 4 * kTriangle + 6 * CFrameMeter::kCutCornerCost + 3 * kCoverage / 4},
        // A square of 16 with a hole of 4: eight edges, eight corners cut into eight
        // triangles.
        {"face with a hole",
         [&](CTarnwickModel&, CComponent& root) {
             const CGeometryBuilder builder(root);
             CFace* face = builder.Face(vertices(builder, {{0, 0, 0}, {4, 0, 0}, {4, 4, 0}, {0, 4, 0}}), {0, 0, 1});
             (void)builder.Hole(face, vertices(builder, {{1, 1, 0}, {1, 3, 0}, {3, 3, 0}, {3, 1, 0}}));
         },
         false, 8 * kEdge + 8 * kTriangle + 8 * CFrameMeter::kCutCornerCost + 3 * kCoverage / 4},
        // The leader's 16 vertices and a picture of 12 advances of 0.6 x 13 pixels by a
        // line of 1.2 x 13 pixels, so many pixels a unit made and filled, its quad in a
        // call of its own.
        {"label",
         [](CTarnwickModel&, CComponent& root) {
             auto* text = new CText;
             text->SetText(CString::FromUtf8("twelve chars"));
             root.Add(text);
         },
         false, 16 + 1 + 1460 / CFrameMeter::kPixelsPerUnit + 1 + 1460 / CFrameMeter::kFilledPixelsPerUnit +
                    CFrameMeter::kDrawCallCost + 4},
        {"box without shadows", [](CTarnwickModel& model, CComponent&) { BuildSharedModel(model, {{1}, 0, true}); },
         false, kPlacement + kBox + 2 * kCoverage},
        // Each of the six faces drawn again where the sun lights it, and its four corners
        // casting.
        {"box casting shadows", [](CTarnwickModel& model, CComponent&) { BuildSharedModel(model, {{1}, 0, true}); },
         true, kPlacement + kBox + kBoxFaces + 6 * 4 * 6 + 2 * kCoverage},
        {"box not casting shadows",
         [](CTarnwickModel& model, CComponent&) {
             BuildSharedModel(model, {{1}, 0, true});
             for (CDrawingElement* entity : model.GetDefinitionList()->GetDefinition(0)->GetEntityList()) {
                 entity->SetCastsShadows(false);
             }
         },
         true, kPlacement + kBox + kBoxFaces + 2 * kCoverage},
        // Squares drawn over one another in one place: the first fills the view, the
        // depth test rejects the others, however far away a face makes the model's box
        // reach.
        {"stack with a far face", [](CTarnwickModel& model, CComponent&) { BuildFarFillModel(model, 51'000); },
         false, CDrawingWork::kBudget + 1},
        {"smaller stack with a far face", [](CTarnwickModel& model, CComponent&) { BuildFarFillModel(model, 12); },
         false, 12 * (kPlacement + kTwoTriangles) + kTriangle + 3 * kEdge + kCoverage + 11 * kBehind},
        // A plane kept as stored with a normal 1e300 long: the square covers its box
        // once, as a sound one does (such a number once made a house too much to show).
        {"damaged plane",
         [&](CTarnwickModel&, CComponent& root) {
             const CGeometryBuilder builder(root);
             CFace* square = builder.Face(vertices(builder, {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}}), {0, 0, 1});
             CPlane3d stored;
             stored.c = 1e300;
             square->SetPlane(stored);
         },
         false, 4 * kEdge + 2 * kTriangle + kCoverage},
        // Squares one sees through are filled again each.
        {"stack one sees through",
         [](CTarnwickModel& model, CComponent&) {
             BuildFarFillModel(model, 12);
             auto* glass = new CMaterial;
             glass->SetName(CString::FromUtf8("Glass"));
             glass->SetUseTransparency(true);
             glass->SetTransparency(0.5);
             model.GetMaterialManager()->AddMaterial(glass);
             for (CDrawingElement* entity : model.GetDefinitionList()->GetDefinition(0)->GetEntityList()) {
                 entity->SetMaterial(glass);
             }
         },
         false, 12 * (kPlacement + kTwoTriangles) + kTriangle + 3 * kEdge + 12 * kCoverage},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto* model = new CTarnwickModel;
        {
            const CurrentModelScope scope(model);
            const CUndoSuspender suspender;
            c.build(*model, *model->GetRootComponent());
        }
        ExpectWork(CDrawingWork::Count(*model->GetRootComponent(), c.shadows, NoLines()), c.work);
        model->Release();
    }
}

// With more rasteriser threads the fills weigh less, what is sent as much: a stack that
// is too much on two threads opens on eight.
TEST(DrawingWorkTest, TheFillsAreSharedAmongTheRasterisersThreads)
{
    auto* model = new CTarnwickModel;
    {
        const CurrentModelScope scope(model);
        const CUndoSuspender suspender;
        BuildFarFillModel(*model, 12);
    }
    const auto countWith = [model](unsigned threads, const CDrawingWork::Shown& shown) {
        CFrameMeter::SetRasterThreads(threads);
        return CDrawingWork::Count(*model->GetRootComponent(), false, shown);
    };
    constexpr std::uint64_t kSent = 12 * (kPlacement + kTwoTriangles) + kTriangle + 3 * kEdge;
    constexpr double kFill = kCoverage + 11 * kBehind;
    const std::uint64_t onTwo = countWith(2, NoLines());
    ExpectWork(onTwo, kSent + kCoverage + 11 * kBehind);
    // The triangles' setups in the screen tiles stay the drawing thread's.
    const auto tiles = static_cast<double>(onTwo - kSent) - kFill;
    const auto onEight = static_cast<double>(countWith(8, NoLines()));
    const double speed = CFrameMeter::GetRasterSpeed();
    EXPECT_NEAR(onEight, static_cast<double>(kSent) + tiles + kFill / speed, 2.0);
    EXPECT_GT(speed, 2.5);
    // Lines' pixels too; their setups are the drawing thread's.
    const std::uint64_t lines = countWith(2, {}) - countWith(2, NoLines());
    EXPECT_LT(countWith(8, {}) - countWith(8, NoLines()), lines);
    model->Release();
    auto* stack = new CTarnwickModel;
    {
        const CurrentModelScope scope(stack);
        const CUndoSuspender suspender;
        BuildFarFillModel(*stack, 16'000);
    }
    CFrameMeter::SetRasterThreads(2);
    EXPECT_GT(CDrawingWork::Count(*stack->GetRootComponent()), CDrawingWork::kBudget);
    CFrameMeter::SetRasterThreads(8);
    EXPECT_LT(CDrawingWork::Count(*stack->GetRootComponent()), CDrawingWork::kBudget);
    CFrameMeter::SetRasterThreads(2);
    stack->Release();
}

// A unit square, its two triangles reaching across the view that shows it: each is set up
// in every screen tile it reaches, on the drawing thread however many threads fill.
TEST(DrawingWorkTest, TrianglesAreSetUpInEveryScreenTileTheyReach)
{
    auto* model = new CTarnwickModel;
    {
        const CurrentModelScope scope(model);
        const CUndoSuspender suspender;
        const CGeometryBuilder builder(*model->GetRootComponent());
        (void)builder.Face({builder.Vertex({0, 0, 0}), builder.Vertex({1, 0, 0}), builder.Vertex({1, 1, 0}),
                            builder.Vertex({0, 1, 0})},
                           {0, 0, 1});
    }
    // The view's pixel is the square's side over the root of the view's pixels; a tile
    // crossed costs a setup over the tile's side.
    const double reach = 2.0 * std::sqrt(2.0) * std::sqrt(static_cast<double>(CDrawingWork::kViewPixels));
    const double tiles = reach * CFrameMeter::kTriangleSetupCost / CFrameMeter::kTileSide;
    constexpr std::uint64_t kSent = 4 * kEdge + 2 * kTriangle;
    for (const unsigned threads : {2U, 8U}) {
        CFrameMeter::SetRasterThreads(threads);
        const double fill = static_cast<double>(kCoverage) / CFrameMeter::GetRasterSpeed();
        EXPECT_NEAR(static_cast<double>(CDrawingWork::Count(*model->GetRootComponent(), false, NoLines())),
                    static_cast<double>(kSent) + fill + tiles, 1.0)
            << threads;
    }
    CFrameMeter::SetRasterThreads(2);
    model->Release();
}

// 64 unit boxes side by side, each placed through the shape, against the same boxes
// made in that shape and placed as they are.
std::pair<std::uint64_t, std::uint64_t> CountShapedAndMade(const CTransformation& shape)
{
    std::pair<std::uint64_t, std::uint64_t> counts;
    auto* shaped = new CTarnwickModel;
    BuildShapedBoxesModel(*shaped, shape, 64);
    counts.first = CDrawingWork::Count(*shaped->GetRootComponent(), false, NoLines());
    shaped->Release();
    auto* made = new CTarnwickModel;
    {
        const CurrentModelScope scope(made);
        const CUndoSuspender suspender;
        auto* definition = new CComponentDefinition;
        made->GetDefinitionList()->AddDefinition(definition, false);
        const CBoundingBox3d box = shape * CBoundingBox3d(0.0, 1.0, 0.0, 1.0, 0.0, 1.0);
        (void)CGeometryBuilder(*definition).Box(box.GetMin(), box.GetMax());
        for (int i = 0; i < 64; ++i) {
            auto* instance = new CComponentInstance;
            definition->AddInstance(instance);
            CTransformation move;
            move.SetTranslation(CVector3d((box.xmax - box.xmin + 1.0) * i, 0.0, 0.0));
            instance->SetTransform(move);
            made->GetRootComponent()->Add(instance);
        }
    }
    counts.second = CDrawingWork::Count(*made->GetRootComponent(), false, NoLines());
    made->Release();
    return counts;
}

// Stacked copies of a unit square or box each placed through the shape, or made in it and
// placed as they are (made), counted as the model's settings draw them.
std::uint64_t CountStacked(const CTransformation& shape, int copies, bool squares, bool made)
{
    auto* model = new CTarnwickModel;
    BuildStackedShapesModel(*model, shape, copies, squares, made);
    const std::uint64_t work = CDrawingWork::Count(*model->GetRootComponent());
    model->Release();
    return work;
}

// Regression: every face weighed its copy's two largest stretches' product (2,000 squares
// stretched along their normal were refused) and copies too large to weigh were admitted.
// Posts, slabs and stacks placed stretched weigh about what the same shapes made so weigh,
// never less, on one, two and eight threads.
TEST(DrawingWorkTest, EachFaceOfACopyWeighsTheAreaItsPlacementGivesIt)
{
    for (const CVector3d& stretch : {CVector3d(1, 1, 100), CVector3d(1, 1, 1000), CVector3d(100, 100, 0.1)}) {
        const auto [shaped, made] = CountShapedAndMade(CTransformation::Scaling(stretch.x, stretch.y, stretch.z));
        EXPECT_GE(shaped, made) << stretch.z;
        EXPECT_LE(shaped, made + made / 50) << stretch.z;
    }
    const struct
    {
        CVector3d stretch;
        int copies;
        bool squares;
    } stacks[] = {{{1, 1, 10}, 2000, true}, {{1, 1, 100}, 2000, true}, {{100, 100, 0.01}, 1000, false}};
    for (const unsigned threads : {1U, 2U, 8U}) {
        CFrameMeter::SetRasterThreads(threads);
        for (const auto& stack : stacks) {
            const CTransformation shape = CTransformation::Scaling(stack.stretch.x, stack.stretch.y, stack.stretch.z);
            const std::uint64_t shaped = CountStacked(shape, stack.copies, stack.squares, false);
            const std::uint64_t made = CountStacked(shape, stack.copies, stack.squares, true);
            EXPECT_LE(shaped, CDrawingWork::kBudget) << stack.stretch.z << " on " << threads;
            EXPECT_GE(shaped, made) << stack.stretch.z << " on " << threads;
            EXPECT_LE(shaped, made + made / 50) << stack.stretch.z << " on " << threads;
        }
    }
    CFrameMeter::SetRasterThreads(2);
    for (const bool squares : {true, false}) {
        EXPECT_GT(CountStacked(CTransformation::Scaling(1e155, 1e155, 1e155), 10, squares, false),
                  CDrawingWork::kBudget);
    }
}

// A definition made by build through the shape (identity: as it is), placed copies
// times, each the shape's width further along x.
using ShapeBuild = std::function<void(const CGeometryBuilder&, const CTransformation&)>;

std::uint64_t CountCopies(const ShapeBuild& build, const CTransformation& made, const CTransformation& placed,
                          int copies)
{
    auto* model = new CTarnwickModel;
    {
        const CurrentModelScope scope(model);
        const CUndoSuspender suspender;
        auto* definition = new CComponentDefinition;
        model->GetDefinitionList()->AddDefinition(definition, false);
        build(CGeometryBuilder(*definition), made);
        CBoundingBox3d box;
        definition->GetBounds(box, false);
        box = placed * box;
        for (int i = 0; i < copies; ++i) {
            auto* instance = new CComponentInstance;
            definition->AddInstance(instance);
            CTransformation move;
            move.SetTranslation(CVector3d((box.xmax - box.xmin) * 1.5 * i, 0.0, 0.0));
            instance->SetTransform(move * placed);
            model->GetRootComponent()->Add(instance);
        }
    }
    const std::uint64_t work = CDrawingWork::Count(*model->GetRootComponent());
    model->Release();
    return work;
}

void Square(const CGeometryBuilder& builder, const CTransformation& shape)
{
    (void)builder.Face({builder.Vertex(shape * CPoint3d(0, 0, 0)), builder.Vertex(shape * CPoint3d(1, 0, 0)),
                        builder.Vertex(shape * CPoint3d(1, 1, 0)), builder.Vertex(shape * CPoint3d(0, 1, 0))});
}

// A strip 100 long and 1 wide with 40 holes along it, each a unit long and half as wide.
void StripWithHoles(const CGeometryBuilder& builder, const CTransformation& shape)
{
    const auto at = [&](double x, double y) { return builder.Vertex(shape * CPoint3d(x, y, 0.0)); };
    CFace* strip = builder.Face({at(0, 0), at(100, 0), at(100, 1), at(0, 1)});
    for (int i = 0; i < 40; ++i) {
        const double x = 1.0 + 2.45 * i;
        (void)builder.Hole(strip, {at(x, 0.25), at(x, 0.75), at(x + 1.0, 0.75), at(x + 1.0, 0.25)});
    }
}

// Regression: the stretches of a turned copy lost their smaller digits (long squares'
// areas shrank with them), and a face's triangles that the sweep lays across it kept their
// length when a placement stretched it that way. A copy weighs no less than the same shape built
// so, within a few per cent where its turn sets the sweep's triangles another way.
TEST(DrawingWorkTest, ACopyTurnedAndStretchedWeighsWhatTheSameShapeBuiltWeighs)
{
    const CTransformation none;
    const auto turned = [](const CVector3d& axis, double degrees) {
        return CTransformation::Rotation(CPoint3d(), CUnitVector3d(axis), degrees * 3.141592653589793 / 180.0);
    };
    const struct
    {
        const char* name;
        ShapeBuild build;
        CTransformation shape;
        int copies;
        double below;
    } cases[] = {
        {"long squares turned", &Square, turned({1, 0, 0}, 6.5) * CTransformation::Scaling(1e5, 10, 1), 4, 0.0},
        {"strip stretched across", &StripWithHoles, CTransformation::Scaling(1, 100, 1), 1, 0.0},
        {"strip stretched along", &StripWithHoles, CTransformation::Scaling(100, 1, 1), 1, 0.0},
        {"strip turned", &StripWithHoles, turned({0, 0, 1}, 45), 1, 0.02},
    };
    for (const auto& c : cases) {
        const auto placed = static_cast<double>(CountCopies(c.build, none, c.shape, c.copies));
        const auto built = static_cast<double>(CountCopies(c.build, c.shape, none, c.copies));
        EXPECT_GE(placed, built * (1.0 - c.below)) << c.name;
        EXPECT_LE(placed, built * 1.1) << c.name;
    }
}

using Stored = StoredPlacement;

// A unit box through placements stored so, the first in the root.
std::uint64_t CountThrough(const std::vector<Stored>& path)
{
    auto* model = new CTarnwickModel;
    BuildPlacedThroughModel(*model, path);
    const std::uint64_t work = CDrawingWork::Count(*model->GetRootComponent());
    model->Release();
    return work;
}

// Regression: a stored scale of 0 weighed its copy as nothing while every frame weighed
// each of its triangles as filling the view. A copy shrunk past what GL's matrices hold
// along its path refuses the model; one shrunk to a speck weighs what it sends, however
// its path's placements shrink and grow it on the way.
TEST(DrawingWorkTest, ACopyShrunkPastWhatTheViewsMatricesHoldRefusesTheModel)
{
    for (const double scale : {0.0, -0.0, 1e-25, -1e-25}) {
        EXPECT_GT(CountThrough({{scale}}), CDrawingWork::kBudget) << scale;
    }
    EXPECT_GT(CountThrough({{1e-12}, {1e-12}}), CDrawingWork::kBudget);
    EXPECT_GT(CountThrough({{1e-7}, {1e-7}, {1e-7}}), CDrawingWork::kBudget);
    // Grown past what single precision keeps, then shrunk back: GL multiplies from the model down.
    EXPECT_GT(CountThrough({{1e40}, {1e-40}}), CDrawingWork::kBudget);
    const std::uint64_t speck = CountThrough({{1e-15}});
    EXPECT_LT(speck, CountThrough({{1.0}}) / 10);
    // Regression: the second shrank by 1e-24 inside out and was refused, netting 1e-12.
    for (const auto& path : {std::vector<Stored>{{1e-15}, {1e15}, {1e-15}}, {{1e12}, {1e-12}, {1e-12}}}) {
        EXPECT_LE(CountThrough(path), speck + 2 * kPlacement) << path[0].scale;
    }
}

// Regression: origins near what single precision holds were admitted and cut every frame.
// A path's origins, each divided by the scales inside it and with the view's distances,
// refuse the model where GL's matrices could not hold them.
TEST(DrawingWorkTest, OriginsTheViewsMatricesCannotHoldRefuseTheModel)
{
    const struct
    {
        const char* name;
        std::vector<Stored> path;
        bool held;
    } cases[] = {
        {"a speck far out", {{1e-19, 1e16}}, true},
        {"a speck near the limit", {{1e-19, 2e38}}, false},
        {"unscaled near the limit", {{1.0, 2e38}}, false},
        {"shrunk, then far out in it", {{1e-10}, {1.0, 1e30}}, true},
        {"far out, then shrunk in it", {{1.0, 1e30}, {1e-10}}, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CountThrough(c.path) <= CDrawingWork::kBudget, c.held) << c.name;
    }
}

// A model of placed pictures, each square of that side, all of one material.
std::uint64_t CountOfPictures(int side, int placements)
{
    auto* model = new CTarnwickModel;
    std::uint64_t work = 0;
    {
        const CurrentModelScope scope(model);
        const CUndoSuspender suspender;
        auto* texture = new CTexture;
        const std::vector<std::uint8_t> pixels(static_cast<std::size_t>(side) * side * 3, 128);
        texture->SetImage(GetImageLibApp()->MakeDib(side, side, 24, pixels.data()));
        auto* material = new CMaterial;
        material->SetName(CString("Picture"));
        material->SetTexture(texture);
        model->GetMaterialManager()->AddMaterial(material);
        auto* definition = new CComponentDefinition;
        model->GetDefinitionList()->AddDefinition(definition, false);
        const CGeometryBuilder builder(*definition);
        for (CFace* face : builder.Box(CPoint3d(0, 0, 0), CPoint3d(1, 1, 1))) {
            face->SetMaterial(material);
        }
        for (int i = 0; i < placements; ++i) {
            auto* image = new CImage;
            definition->AddInstance(image);
            model->GetRootComponent()->Add(image);
        }
        work = CDrawingWork::Count(*model->GetRootComponent());
    }
    model->Release();
    return work;
}

TEST(DrawingWorkTest, APictureIsDecodedAndPreparedOnceHoweverManyFacesAndPlacementsShowItWithinTheTexturesBudget)
{
    const auto picture = [](std::uint64_t pixels) {
        return 2 * CFrameMeter::PixelUnits(pixels, CFrameMeter::kDecodedPixelsPerUnit);
    };
    for (const int placements : {1, 3}) {
        EXPECT_EQ(CountOfPictures(256, placements) - CountOfPictures(8, placements),
                  picture(256 * 256) - picture(8 * 8))
            << placements;
    }
    // Past the textures' budget a face shows its material's colour: nothing is decoded.
    const std::int64_t budget = GetTextureMemoryBudget();
    SetTextureMemoryBudget(0);
    EXPECT_EQ(CountOfPictures(256, 1), CountOfPictures(8, 1));
    SetTextureMemoryBudget(budget);
}

// A definition holding a face whose loops cross and run straight along one another, placed
// side by side: the face is cut once and the cut kept for every placement and frame, so a
// placement adds what drawing it costs and not the cut.
TEST(DrawingWorkTest, AFaceIsCutOnceHoweverManyPlacementsDrawIt)
{
    CFace::SWeight face;
    std::uint64_t edges = 0;
    const auto countOf = [&](int placements) {
        auto* model = new CTarnwickModel;
        std::uint64_t work = 0;
        {
            const CurrentModelScope scope(model);
            const CUndoSuspender suspender;
            EXPECT_TRUE(BuildFaceShapeModel(*model, "ladder", 2000, placements));
            edges = 0;
            for (const CDrawingElement* entity : model->GetDefinitionList()->GetDefinition(0)->GetEntityList()) {
                if (entity->GetTypeId() == kTypeFace) {
                    face = static_cast<const CFace*>(entity)->GetWeightParts(false);
                } else {
                    edges += entity->GetDrawingWeight(false);
                }
            }
            work = CDrawingWork::Count(*model->GetRootComponent(), false, NoLines());
        }
        model->Release();
        return work;
    };
    const std::uint64_t few = countOf(2);
    const std::uint64_t placement = kPlacement + face.drawn + edges;
    ASSERT_GT(face.cut, placement);
    // The screen tiles the triangles reach change with the view's width.
    EXPECT_NEAR(static_cast<double>(countOf(10) - few), 8.0 * placement, 0.01 * 8.0 * placement);
    // Refused while every placement counted the cut; still refused when the placements
    // draw too much.
    EXPECT_GT(2000 * (placement + face.cut), CDrawingWork::kBudget);
    EXPECT_LE(countOf(2000), CDrawingWork::kBudget);
    EXPECT_EQ(countOf(6000), CDrawingWork::kBudget + 1);
}

TEST(DrawingWorkTest, ADefinitionPlacingItselfIsCountedOnceAroundTheCycle)
{
    auto* model = new CTarnwickModel;
    {
        const CurrentModelScope scope(model);
        const CUndoSuspender suspender;
        auto* definition = new CComponentDefinition;
        model->GetDefinitionList()->AddDefinition(definition, false);
        CComponentInstance* inner = nullptr;
        for (CComponent* holder : {static_cast<CComponent*>(model->GetRootComponent()),
                                   static_cast<CComponent*>(definition)}) {
            inner = new CComponentInstance;
            definition->AddInstance(inner);
            holder->Add(inner);
        }
        EXPECT_EQ(CDrawingWork::Count(*model->GetRootComponent()), 2 * kPlacement);
        // Released without the cycle, which nothing else is meant to meet.
        definition->EraseEntity(inner);
    }
    model->Release();
}

}  // namespace
