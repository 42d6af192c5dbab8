// Frames of small models drawn offscreen in each rendering style, checked by the
// pixels of a few regions rather than whole images.

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "annotations/sectionclipstack.h"
#include "annotations/sectionplane.h"
#include "document/camera.h"
#include "document/component.h"
#include "document/componentbehavior.h"
#include "document/componentdefinition.h"
#include "document/componentinstance.h"
#include "document/definitionlist.h"
#include "document/dib.h"
#include "document/facetexturecoords.h"
#include "document/group.h"
#include "document/imageadapter/imageapp.h"
#include "document/image.h"
#include "document/layer.h"
#include "document/layermanager.h"
#include "document/material.h"
#include "document/materialmanager.h"
#include "document/renderingoptions.h"
#include "document/shadowinfo.h"
#include "document/placementmatrix.h"
#include "document/tarnwickmodel.h"
#include "document/texture.h"
#include "document/viewpage.h"
#include "foundation/notificationcenter.h"
#include "model/edge.h"
#include "model/face.h"
#include "model/keptfacetriangles.h"
#include "model/selectionset.h"
#include "model/relationship.h"
#include "model/relationshipmap.h"
#include "model/undosuspender.h"
#include "model/vertex.h"
#include "platform/profile.h"
#include "platform/quitrequest.h"
#include "platform/settingsstore.h"
#include "render/framepainter.h"
#include "render/frametimer.h"
#include "render/tarnisview.h"
#include "samplegen/geometrybuilder.h"
#include "tests/render/picturesupport.h"
#include "tests/render/modelframefixture.h"

namespace {

using Rgb = std::array<int, 3>;

const CColor kBackground(40, 40, 80, 255);
const CColor kEdges(255, 0, 0, 255);

class FrameTest : public ModelFrameTest
{
protected:
    FrameTest() : ModelFrameTest(true) {}

    void SetUp() override
    {
        ModelFrameTest::SetUp();
        CRenderingOptions& options = Options();
        options.SetBackgroundColor(kBackground);
        options.SetForegroundColor(kEdges);
        LookDown(20.0);
    }
    void TearDown() override
    {
        CFrameTimer::SetClock(nullptr);
        ModelFrameTest::TearDown();
    }

    // A square face of the given half size in the plane z, facing up, in the component.
    static CFace* Square(CComponent& component, double half, double z, double cx = 0.0)
    {
        const CGeometryBuilder builder(component);
        return builder.Face({builder.Vertex(CPoint3d(cx - half, -half, z)), builder.Vertex(CPoint3d(cx + half, -half, z)),
                             builder.Vertex(CPoint3d(cx + half, half, z)), builder.Vertex(CPoint3d(cx - half, half, z))},
                            CVector3d(0, 0, 1));
    }

    // An instance, moved by the offset, of a new definition that holds a square of the
    // given half size.
    CComponentInstance* SquareInstance(double half, const CVector3d& offset)
    {
        auto* definition = new CComponentDefinition;
        Root().GetDefinitionList()->Add(definition);
        Square(*definition, half, 0.0);
        auto* instance = new CComponentInstance;
        definition->AddInstance(instance);
        Root().Add(instance);
        CTransformation placement;
        placement.SetTranslation(offset);
        instance->SetTransform(placement);
        return instance;
    }

    [[nodiscard]] int CountPixels(const Rgb& color, int tolerance = 3) const
    {
        int count = 0;
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                count += Near(Pixel(x, y), color, tolerance) ? 1 : 0;
            }
        }
        return count;
    }
    static bool Near(const Rgb& a, const Rgb& b, int tolerance = 3)
    {
        return std::abs(a[0] - b[0]) <= tolerance && std::abs(a[1] - b[1]) <= tolerance &&
               std::abs(a[2] - b[2]) <= tolerance;
    }
};

// Counts the notifications of one name while it lives.
class NotificationCounter : public IObserver
{
public:
    NotificationCounter(const char* name, int& count) : m_count(count) { GetNotificationCenter().AddObserver(name, this); }
    ~NotificationCounter() override { GetNotificationCenter().RemoveObserver(this); }
    NotificationCounter(const NotificationCounter&) = delete;
    NotificationCounter& operator=(const NotificationCounter&) = delete;
    void OnNotify(const std::string& /*name*/, void* /*data*/) override { ++m_count; }

private:
    int& m_count;
};

const Rgb kBackgroundRgb{40, 40, 80};
const Rgb kEdgeRgb{255, 0, 0};
// The front-face colour (225, 225, 200) lit head-on by the head light and the
// model's ambient light, clamped.
const Rgb kLitFront{255, 255, 247};

}  // namespace

TEST_F(FrameTest, AnEmptyModelClearsToTheBackgroundAndTheSkyMeetsTheGroundAtTheHorizon)
{
    Draw();
    EXPECT_EQ(CountPixels(kBackgroundRgb), kWidth * kHeight);

    Options().SetDisplaySky(true);
    Options().SetDisplayGround(true);
    CViewDefinition definition = m_view.GetViewDefinition();
    definition.SetPerspective(true);
    definition.SetEyeTarget(CPoint3d(0, -50, 5), CPoint3d(0, 0, 5), CVector3d(0, 0, 1));
    m_view.SetViewDefinition(definition);
    Draw();
    // The ground is one colour from the bottom row up to the horizon at the middle.
    const Rgb groundRgb = Pixel(kWidth / 2, kHeight - 1);
    EXPECT_GT(groundRgb[1], groundRgb[0]);
    for (int x : {0, kWidth / 2, kWidth - 1}) {
        EXPECT_TRUE(Near(Pixel(x, kHeight - 1), groundRgb)) << x;
        EXPECT_TRUE(Near(Pixel(x, kHeight / 2 + 1), groundRgb)) << x;
        EXPECT_FALSE(Near(Pixel(x, kHeight / 2 - 2), groundRgb)) << x;
        const Rgb sky = Pixel(x, 0);
        EXPECT_GT(sky[2], sky[0]) << "the sky is blue at its top";
    }
}

TEST_F(FrameTest, TheDrawingAxesRunAcrossTheViewInTheirColours)
{
    m_model->SetDisplayAxes(true);
    Draw();
    const auto onRow = [this](int x, const Rgb& color) {
        return Near(Pixel(x, kHeight / 2 - 1), color, 4) || Near(Pixel(x, kHeight / 2), color, 4);
    };
    const auto onColumn = [this](int y, const Rgb& color) {
        return Near(Pixel(kWidth / 2 - 1, y), color, 4) || Near(Pixel(kWidth / 2, y), color, 4);
    };
    EXPECT_TRUE(onRow(kWidth - 3, {178, 0, 0}));
    EXPECT_TRUE(onColumn(2, {0, 178, 0}));
    // The negative halves are dashed: some of their pixels show the background.
    int gaps = 0;
    for (int x = 0; x < kWidth / 2 - 2; ++x) {
        gaps += onRow(x, {178, 0, 0}) ? 0 : 1;
    }
    EXPECT_GT(gaps, 5);
    EXPECT_LT(gaps, kWidth / 2 - 7);
}

TEST_F(FrameTest, StencilShadowsClearTheStencilBufferUnlessSeeThroughAndPostingStaysAsItWas)
{
    const auto stencilClearValue = [] {
        GLint value = -1;
        glGetIntegerv(GL_STENCIL_CLEAR_VALUE, &value);
        return value;
    };
    Square(Root(), 5.0, 0.0);
    m_model->GetShadowInfo()->SetDisplayShadows(true);
    m_model->GetShadowInfo()->SetOnFaces(true);
    Options().SetTransparentDisplay(true);
    Draw();
    EXPECT_EQ(stencilClearValue(), 0);

    Options().SetTransparentDisplay(false);
    CNotificationCenter& notifications = GetNotificationCenter();
    notifications.SetEnabled(false);
    Draw();
    EXPECT_EQ(stencilClearValue(), 127);
    GLint mask = 0;
    glGetIntegerv(GL_STENCIL_WRITEMASK, &mask);
    EXPECT_EQ(mask, 255);
    EXPECT_FALSE(notifications.IsEnabled());
    notifications.SetEnabled(true);
    Draw();
    EXPECT_TRUE(notifications.IsEnabled());
}

TEST_F(FrameTest, ACameraOfAnotherAspectGetsHalfDarkBarsAcrossTheTopAndBottom)
{
    CViewDefinition definition = m_view.GetViewDefinition();
    CCamera camera = definition.GetCamera();
    camera.SetAspectRatio(1.5);
    definition.SetCamera(camera);
    m_view.SetViewDefinition(definition);
    Draw();
    // (48 - int(64 / 1.5)) / 2 = 3 rows each, black at half opacity over the background.
    const Rgb dark{20, 20, 40};
    for (int y : {0, 2, kHeight - 3, kHeight - 1}) {
        EXPECT_TRUE(Near(Pixel(10, y), dark, 6)) << y;
    }
    for (int y : {3, kHeight / 2, kHeight - 4}) {
        EXPECT_TRUE(Near(Pixel(10, y), kBackgroundRgb)) << y;
    }
}

TEST_F(FrameTest, ACubeShowsItsLitTopInsideItsEdgesAndEveryStyleDrawsItsOwnWay)
{
    const CGeometryBuilder builder(Root());
    builder.Box(CPoint3d(-5, -5, 0), CPoint3d(5, 5, 10));
    // A loose edge inside the cube: hidden by the top face unless faces are not drawn.
    builder.Edge(builder.Vertex(CPoint3d(-3, 0, 5)), builder.Vertex(CPoint3d(3, 0, 5)));
    // 2.4 pixels to the unit: the cube spans columns 20 to 44 and rows 12 to 36.
    const auto edgeAtLeftSide = [this] {
        for (int x = 18; x <= 22; ++x) {
            if (Near(Pixel(x, 24), kEdgeRgb, 40)) {
                return true;
            }
        }
        return false;
    };

    Draw();
    EXPECT_TRUE(Near(Pixel(28, 18), kLitFront, 4));
    EXPECT_TRUE(edgeAtLeftSide());
    EXPECT_TRUE(Near(Pixel(2, 2), kBackgroundRgb));
    const int footprint = kWidth * kHeight - CountPixels(kBackgroundRgb);
    EXPECT_NEAR(footprint, 24 * 24, 2 * 24 * 4);

    const auto edgeAboveCorner = [this] {
        for (int x = 18; x <= 22; ++x) {
            if (Near(Pixel(x, 7), kEdgeRgb, 40)) {
                return true;
            }
        }
        return false;
    };
    EXPECT_FALSE(edgeAboveCorner());
    Options().SetExtendEdges(true);  // 8 pixels past each corner
    Draw();
    EXPECT_TRUE(edgeAboveCorner());
    Options().SetExtendEdges(false);

    Options().SetRenderMode(1);  // hidden line: faces in the background colour hide what lies behind
    Draw();
    EXPECT_TRUE(Near(Pixel(28, 18), kBackgroundRgb));
    EXPECT_TRUE(Near(Pixel(32, 24), kBackgroundRgb));
    EXPECT_TRUE(edgeAtLeftSide());

    Options().SetRenderMode(0);  // wireframe: the edge inside shows through
    Draw();
    EXPECT_TRUE(Near(Pixel(28, 18), kBackgroundRgb));
    EXPECT_TRUE(Near(Pixel(32, 24), kEdgeRgb, 40) || Near(Pixel(32, 23), kEdgeRgb, 40));
    EXPECT_TRUE(edgeAtLeftSide());
}

TEST_F(FrameTest, BelowLevelThreeFacesAreLeftOutAndEveryEdgeIsAPlainLine)
{
    const CGeometryBuilder builder(Root());
    builder.Box(CPoint3d(-5, -5, 0), CPoint3d(5, 5, 10));
    // Hidden by the top face while faces are drawn.
    builder.Edge(builder.Vertex(CPoint3d(-3, 0, 5)), builder.Vertex(CPoint3d(3, 0, 5)));
    m_view.SetDrawingLevel(2);
    Draw();
    EXPECT_TRUE(Near(Pixel(28, 18), kBackgroundRgb));
    EXPECT_TRUE(Near(Pixel(32, 24), kEdgeRgb, 40) || Near(Pixel(32, 23), kEdgeRgb, 40));
    m_view.SetDrawingLevel(3);
    Draw();
    EXPECT_TRUE(Near(Pixel(28, 18), kLitFront, 4));
}

TEST_F(FrameTest, KeptLinesBelowLevelThreeFollowAnEditASelectionAndASetting)
{
    m_view.SetDrawingLevel(2);
    const CGeometryBuilder builder(Root());
    CVertex* end = builder.Vertex(CPoint3d(6, 0, 0));
    CEdge* edge = builder.Edge(builder.Vertex(CPoint3d(-6, 0, 0)), end);
    Square(Root(), 3.0, 0.0, -5.0);
    // Each frame against one drawn edge by edge from the model as it is then.
    const auto drawnAsAfresh = [this] {
        Draw();
        const std::vector<std::uint8_t> kept = m_pixels;
        m_view.GetEdgePassCache().Clear();
        Draw();
        return kept == m_pixels;
    };
    Draw();
    const std::vector<std::uint8_t> first = m_pixels;
    ASSERT_TRUE(m_view.GetEdgePassCache().HasKeptLines());
    Draw();
    EXPECT_EQ(m_pixels, first);

    end->SetPosition(CPoint3d(6, 6, 0));
    EXPECT_TRUE(drawnAsAfresh());
    EXPECT_NE(m_pixels, first);
    EXPECT_TRUE(Near(Pixel(44, 10), kEdgeRgb, 40) || Near(Pixel(45, 10), kEdgeRgb, 40));

    m_model->GetSelectionSet().Add(edge);
    m_model->GetSelectionSet().SetSelectedFlags(true);
    EXPECT_TRUE(drawnAsAfresh());
    EXPECT_GT(CountPixels(Rgb{255, 255, 0}), 10);

    Options().SetForegroundColor(CColor(0, 255, 0, 255));
    EXPECT_TRUE(drawnAsAfresh());
    EXPECT_GT(CountPixels(Rgb{0, 255, 0}), 10);
}

// Pins a past fault: the colour the axes left decided whether the kept lines matched, and
// the axis drawn last depends on the camera, so a notch after a turn of the other way
// drew every edge afresh.
TEST_F(FrameTest, KeptLinesBelowLevelThreeAreDrawnAgainWhateverAxisTheCameraShowsLast)
{
    m_view.SetDrawingLevel(2);
    m_model->SetDisplayAxes(true);
    const CGeometryBuilder builder(Root());
    builder.Edge(builder.Vertex(CPoint3d(-30, -6, 0)), builder.Vertex(CPoint3d(30, 6, 0)));
    const CEdgePassCache& cache = m_view.GetEdgePassCache();
    // Every axis across the view, then only the x axis.
    Draw();
    LookDown(CPoint3d(20, 0, 0), 20.0);
    Draw();
    const std::uint64_t replays = cache.GetReplays();
    LookDown(CPoint3d(), 20.0);
    Draw();
    LookDown(CPoint3d(20, 0, 0), 20.0);
    Draw();
    EXPECT_EQ(cache.GetReplays(), replays + 2);
}

TEST_F(FrameTest, ProfileEdgesAreDrawnWideAndEdgesBetweenFacesOfOnePlaneThin)
{
    Options().SetProfileWidth(5);
    const CGeometryBuilder builder(Root());
    CVertex* a = builder.Vertex(CPoint3d(-6, -6, 0));
    CVertex* b = builder.Vertex(CPoint3d(6, -6, 0));
    CVertex* c = builder.Vertex(CPoint3d(6, 6, 0));
    CVertex* d = builder.Vertex(CPoint3d(-6, 6, 0));
    builder.Face({a, b, c}, CVector3d(0, 0, 1));
    builder.Face({a, c, d}, CVector3d(0, 0, 1));
    Draw();
    const auto redRun = [this](int x0, int y0, int dx, int dy) {
        int count = 0;
        for (int i = 0; i < 12; ++i) {
            count += Near(Pixel(x0 + i * dx, y0 + i * dy), kEdgeRgb, 40) ? 1 : 0;
        }
        return count;
    };
    // Down across the bottom side (row 38 near x = 32), and along a row across the
    // diagonal at the centre.
    EXPECT_GE(redRun(32, 32, 0, 1), 4);
    EXPECT_LE(redRun(26, 24, 1, 0), 2);
    EXPECT_GE(redRun(26, 24, 1, 0), 1);
}

TEST_F(FrameTest, EdgesOfOneComponentEachKeepTheirColourLayerAndFlagsInEveryStyle)
{
    const CGeometryBuilder builder(Root());
    CLayer* hiddenLayer = Root().GetLayerManager()->AddLayer(CString("Hidden"));
    hiddenLayer->SetHidden(true);
    CMaterial* green = Root().GetMaterialManager()->FindOrCreateColorMaterial(CColor(0, 200, 0));
    const Rgb none = kBackgroundRgb;
    // One loose edge a row, 6 pixels apart, drawn in this order; an edge that takes
    // the plain colour after others checks that their colour and style do not stay.
    struct Row
    {
        const char* name;
        std::function<void(CEdge&)> set;
        Rgb expected;
    };
    const Row rows[] = {
        {"plain", [](CEdge&) {}, kEdgeRgb},
        {"of a material", [green](CEdge& e) { e.SetMaterial(green); }, {0, 200, 0}},
        {"plain after a material", [](CEdge&) {}, kEdgeRgb},
        {"on a hidden layer", [hiddenLayer](CEdge& e) { e.SetLayer(hiddenLayer); }, none},
        {"selected", [this](CEdge& e) { m_model->GetSelectionSet().Add(&e); }, {255, 255, 0}},
        {"hidden", [](CEdge& e) { e.SetHidden(true); }, none},
        {"plain last", [](CEdge&) {}, kEdgeRgb},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const double y = 7.5 - 2.5 * static_cast<double>(i);
        rows[i].set(*builder.Edge(builder.Vertex(CPoint3d(-6, y, 0)), builder.Vertex(CPoint3d(6, y, 0))));
    }
    m_model->GetSelectionSet().SetSelectedFlags(true);
    // Edges follow the material rule only in the edge colour mode that asks for it.
    Options().SetEdgeColorMode(0);
    for (const int mode : {3, 0}) {
        Options().SetRenderMode(mode);
        Draw();
        for (std::size_t i = 0; i < std::size(rows); ++i) {
            const Rgb& expected = rows[i].expected;
            int matching = 0;
            int drawn = 0;
            for (int x = 20; x <= 44; ++x) {
                const Rgb pixel = Pixel(x, 6 + 6 * static_cast<int>(i));
                matching += Near(pixel, expected, 8) ? 1 : 0;
                drawn += Near(pixel, kBackgroundRgb) ? 0 : 1;
            }
            if (expected == kBackgroundRgb) {
                EXPECT_EQ(drawn, 0) << rows[i].name << " in mode " << mode;
            } else {
                EXPECT_GE(matching, 8) << rows[i].name << " in mode " << mode;
            }
        }
    }
}

TEST_F(FrameTest, ColourByLayerReachesEdgesAndTheBoxesThatStandForInstances)
{
    CLayer* layer = Root().GetLayerManager()->AddLayer(CString("Blue"));
    layer->SetColor(CColor(0, 0, 200));
    CMaterial* green = Root().GetMaterialManager()->FindOrCreateColorMaterial(CColor(0, 200, 0));
    const CGeometryBuilder builder(Root());
    // An edge along row 10 and, below level 2, the box of an instance whose lower side
    // runs along row 41; both green of their own and on the blue layer.
    CEdge* edge = builder.Edge(builder.Vertex(CPoint3d(-6, 6, 0)), builder.Vertex(CPoint3d(6, 6, 0)));
    CComponentInstance* instance = SquareInstance(3.0, CVector3d(0, -4, 0));
    for (CDrawingElement* element : {static_cast<CDrawingElement*>(edge), static_cast<CDrawingElement*>(instance)}) {
        element->SetMaterial(green);
        element->SetLayer(layer);
    }
    Options().SetEdgeColorMode(0);
    const auto seen = [this](int y, const Rgb& colour) {
        return Near(Pixel(32, y - 1), colour, 8) || Near(Pixel(32, y), colour, 8) || Near(Pixel(32, y + 1), colour, 8);
    };
    const Rgb blue{0, 0, 200};
    const Rgb greenRgb{0, 200, 0};
    for (const int level : {8, 1}) {
        for (const bool byLayer : {false, true}) {
            m_view.SetDrawingLevel(level);
            Options().SetColorByLayer(byLayer);
            Draw();
            const Rgb& expected = byLayer ? blue : greenRgb;
            EXPECT_TRUE(seen(10, expected)) << "edge at level " << level << ", by layer " << byLayer;
            if (level < 2) {
                EXPECT_TRUE(seen(41, expected)) << "instance box, by layer " << byLayer;
            }
        }
    }
}

TEST_F(FrameTest, TheEdgeColourModeDrawsEdgesInOneColourByMaterialOrByTheAxisTheyRunAlong)
{
    const Rgb foreground{200, 100, 0};
    Options().SetForegroundColor(CColor(200, 100, 0, 255));
    const CGeometryBuilder builder(Root());
    const auto edge = [&builder](const CPoint3d& a, const CPoint3d& b) {
        return builder.Edge(builder.Vertex(a), builder.Vertex(b));
    };
    edge(CPoint3d(-6, 5, 0), CPoint3d(6, 5, 0))
        ->SetMaterial(Root().GetMaterialManager()->FindOrCreateColorMaterial(CColor(0, 0, 200)));
    edge(CPoint3d(-5, -6, 0), CPoint3d(-5, 2, 0));
    edge(CPoint3d(1, -7, 0), CPoint3d(7, -1, 0));
    // An edge along the x axis of an instance turned a right angle runs along y.
    auto* definition = new CComponentDefinition;
    Root().GetDefinitionList()->Add(definition);
    const CGeometryBuilder inside(*definition);
    inside.Edge(inside.Vertex(CPoint3d(0, 0, 0)), inside.Vertex(CPoint3d(4, 0, 0)));
    auto* instance = new CComponentInstance;
    definition->AddInstance(instance);
    CTransformation shift;
    shift.SetTranslation(CVector3d(4, 0, 0));
    instance->SetTransform(shift * CTransformation::Rotation(CPoint3d(), CUnitVector3d(0, 0, 1), kPi / 2));
    Root().Add(instance);
    // Sample pixels of the edge along x (row 12), along y (column 20), the diagonal
    // and the instance's edge (column 42).
    const std::vector<std::pair<int, int>> samples[] = {
        {{22, 12}, {28, 12}, {34, 12}, {40, 12}},
        {{20, 24}, {20, 28}, {20, 32}, {20, 36}},
        {{37, 38}, {41, 34}, {44, 31}},
        {{42, 17}, {42, 20}, {42, 22}},
    };
    struct Row
    {
        int colorMode;
        Rgb expected[4];
    };
    const Row rows[] = {
        {1, {foreground, foreground, foreground, foreground}},
        {0, {{0, 0, 200}, foreground, foreground, foreground}},
        {2, {{255, 0, 0}, {0, 255, 0}, foreground, {0, 255, 0}}},
    };
    for (const int renderMode : {3, 0}) {
        Options().SetRenderMode(renderMode);
        for (const Row& row : rows) {
            Options().SetEdgeColorMode(row.colorMode);
            Draw();
            for (int e = 0; e < 4; ++e) {
                int matching = 0;
                for (const auto& [x, y] : samples[e]) {
                    bool found = false;
                    for (int dy = -1; dy <= 1 && !found; ++dy) {
                        for (int dx = -1; dx <= 1 && !found; ++dx) {
                            found = Near(Pixel(x + dx, y + dy), row.expected[e], 8);
                        }
                    }
                    matching += found ? 1 : 0;
                }
                EXPECT_EQ(matching, static_cast<int>(samples[e].size()))
                    << "edge " << e << ", colour mode " << row.colorMode << ", render mode " << renderMode;
            }
        }
    }
}

TEST_F(FrameTest, ASelectedFaceIsCoveredBySparseDotsOfTheSelectionColour)
{
    Options().SetDrawProfiles(false);
    Options().SetDisplayEdges(0);
    CFace* face = Square(Root(), 8.0, 0.0);  // 38 by 38 pixels
    Draw();
    const Rgb yellow{255, 255, 0};
    EXPECT_EQ(CountPixels(yellow, 8), 0);
    face->SetFlagBits(CDrawingElement::kFlagSelected, true);
    Draw();
    // Two rows in eight, every fourth pixel of them.
    const int dots = CountPixels(yellow, 8);
    EXPECT_GT(dots, 38 * 38 / 16 - 30);
    EXPECT_LT(dots, 38 * 38 / 16 + 30);
    EXPECT_TRUE(Near(Pixel(30, 25), kLitFront, 4) || Near(Pixel(31, 25), kLitFront, 4));
}

TEST_F(FrameTest, FacesAndEdgesAnswerToGLSelectionByTheirOwnNames)
{
    CFace* face = Square(Root(), 5.0, 0.0);
    const CurrentModelScope scope(m_model);
    m_view.DrawFrame(0, false);
    const auto pick = [this](double x, double y) {
        std::vector<GLuint> buffer(256);
        glSelectBuffer(static_cast<GLsizei>(buffer.size()), buffer.data());
        glRenderMode(GL_SELECT);
        glInitNames();
        m_view.SetDrawMode(IModelView::kDrawModeSelection);
        const CBoundingBox2d region(x - 1, x + 1, y - 1, y + 1);
        m_view.ApplyViewToGL(1, &region);
        Root().Draw(&m_view);
        m_view.SetDrawMode(IModelView::kDrawModeNormal);
        const GLint hits = glRenderMode(GL_RENDER);
        std::vector<CEntity*> found;
        std::size_t at = 0;
        for (GLint i = 0; i < hits; ++i) {
            const GLuint names = buffer[at];
            if (names > 0) {
                found.push_back(m_view.GetPickNameTable().FindEntity(buffer[at + 2 + names]));
            }
            at += 3 + names;
        }
        return found;
    };
    const std::vector<CEntity*> centre = pick(kWidth / 2.0, kHeight / 2.0);
    ASSERT_EQ(centre.size(), 1u);
    EXPECT_EQ(centre[0], face);
    // The left side of the square: column 20 of the window, y measured from the bottom.
    const std::vector<CEntity*> side = pick(20.0, kHeight / 2.0);
    ASSERT_FALSE(side.empty());
    int edges = 0;
    for (CEntity* entity : side) {
        edges += entity != nullptr && entity->GetTypeId() == kTypeEdge ? 1 : 0;
    }
    EXPECT_EQ(edges, 1);
}

TEST_F(FrameTest, SeeThroughAndTransparentFacesBlendWithWhatLiesBehind)
{
    Options().SetDrawProfiles(false);
    Options().SetDisplayEdges(0);
    Options().SetBackgroundColor(CColor(0, 0, 0, 255));
    CFace* face = Square(Root(), 5.0, 0.0);

    Options().SetTransparentDisplay(true);
    Draw();
    // Alpha 127 of the lit front colour over black.
    EXPECT_TRUE(Near(Pixel(32, 24), {127, 127, 123}, 5));

    Options().SetTransparentDisplay(false);
    Options().SetEnableTransparency(true);
    CMaterial* glass = Root().GetMaterialManager()->FindOrCreateColorMaterial(CColor(0, 200, 0));
    glass->SetUseTransparency(true);
    glass->SetTransparency(0.5);
    face->SetMaterial(glass);
    Draw();
    // Alpha trunc(0.5 * 255) = 127 of green lit to 243 over black.
    EXPECT_TRUE(Near(Pixel(32, 24), {0, 121, 0}, 4));

    Options().SetEnableTransparency(false);
    Draw();
    EXPECT_TRUE(Near(Pixel(32, 24), {0, 243, 0}, 4));
}

TEST_F(FrameTest, ATexturedFaceShowsTheColoursOfItsPicture)
{
    Options().SetDrawProfiles(false);
    Options().SetDisplayEdges(0);
    CFace* face = Square(Root(), 8.0, 0.0);
    CMaterial* material = Root().GetMaterialManager()->FindOrCreateColorMaterial(CColor(10, 10, 10));
    auto* texture = new CTexture;
    texture->SetImage(MakeTestPicture(2, 2, {0xFFFF0000, 0xFF0000FF, 0xFF0000FF, 0xFFFF0000}));
    texture->SetWidth(8.0);
    texture->SetHeight(8.0);
    material->SetTexture(texture);
    material->SetKind(kMaterialTexture);
    face->SetMaterial(material);
    Draw();
    // Texels are blended linearly between their centres: pure red and blue show where
    // a texel's centre falls, a mix between them.
    int reddish = 0;
    int bluish = 0;
    for (int y = 6; y < 42; ++y) {
        for (int x = 16; x < 48; ++x) {
            const Rgb p = Pixel(x, y);
            reddish += p[0] > 200 && p[2] < 60 ? 1 : 0;
            bluish += p[2] > 200 && p[0] < 60 ? 1 : 0;
        }
    }
    EXPECT_GT(reddish, 20);
    EXPECT_GT(bluish, 20);
}

// A picture kept only as bytes that did not decode is drawn as no picture: the face shows
// the same colour as its twin with a plain material.
TEST_F(FrameTest, AFaceWhosePictureDidNotDecodeDrawsInItsMaterialColour)
{
    Options().SetDrawProfiles(false);
    Options().SetDisplayEdges(0);
    const CColor colour(200, 60, 40);
    std::vector<CMaterial*> materials;
    for (const double cx : {-4.0, 4.0}) {
        auto* material = new CMaterial;
        material->SetName(CString(cx < 0.0 ? "Plain" : "Undecoded"));
        material->SetColor(colour);
        Root().GetMaterialManager()->AddMaterial(material);
        Square(Root(), 3.0, 0.0, cx)->SetMaterial(material);
        materials.push_back(material);
    }
    const std::string bytes = "not a picture of any kind";
    std::uint8_t* kept = GetImageLibApp()->AllocBuffer(bytes.size());
    std::copy(bytes.begin(), bytes.end(), kept);
    auto* picture = new CDib;
    picture->SetPixelBuffer(kept, static_cast<int>(bytes.size()));
    auto* texture = new CTexture;
    texture->SetImage(picture);
    materials[1]->SetTexture(texture);
    materials[1]->SetKind(kMaterialTexture);
    Draw();
    const Rgb plain = Pixel(24, 24);
    EXPECT_FALSE(Near(plain, kBackgroundRgb, 10));
    EXPECT_EQ(Pixel(40, 24), plain);
    EXPECT_EQ(texture->GetGLName(), 0u);
}

// The picture's top row is the first row uploaded, and t runs against the plane frame's
// upward axis: the top row shows at the top of each repeat of an upright wall, and of a
// placement that spans the wall once. The coordinate used to run with the axis, which
// stood every picture on its head.
TEST_F(FrameTest, APictureStandsUprightOnAWall)
{
    Options().SetDrawProfiles(false);
    Options().SetDisplayEdges(0);
    constexpr double kWall = 8.0;
    const CGeometryBuilder builder(Root());
    CFace* wall = builder.Face({builder.Vertex(CPoint3d(-kWall, 0, 0)), builder.Vertex(CPoint3d(kWall, 0, 0)),
                                builder.Vertex(CPoint3d(kWall, 0, kWall)), builder.Vertex(CPoint3d(-kWall, 0, kWall))},
                               CVector3d(0, -1, 0));
    CMaterial* material = Root().GetMaterialManager()->FindOrCreateColorMaterial(CColor(10, 10, 10));
    auto* texture = new CTexture;
    constexpr std::uint32_t kRed = 0xFFFF0000;
    constexpr std::uint32_t kBlue = 0xFF0000FF;
    texture->SetImage(MakeTestPicture(2, 4, {kRed, kRed, kBlue, kBlue, kBlue, kBlue, kBlue, kBlue}));
    texture->SetWidth(kWall);
    texture->SetHeight(kWall);
    material->SetTexture(texture);
    material->SetKind(kMaterialTexture);
    wall->SetMaterial(material);
    // Three rows a unit: the wall's top at row 12, its bottom at row 36.
    LookParallel(CPoint3d(0, -100, kWall / 2), CPoint3d(0, 0, kWall / 2), CVector3d(0, 0, 1), 2 * kWall);
    auto* placement = new CFaceTextureCoords;
    placement->SetFrontMatrix(Matrix3Scale(kWall, kWall));
    for (const char* mapping : {"tiled", "placed"}) {
        if (std::string(mapping) == "placed") {
            wall->GetOrCreateAttributeContainer(placement);
        }
        Draw();
        const Rgb nearTop = Pixel(kWidth / 2, 15);
        const Rgb nearBottom = Pixel(kWidth / 2, 33);
        EXPECT_TRUE(nearTop[0] > 200 && nearTop[2] < 60)
            << mapping << ": " << nearTop[0] << " " << nearTop[1] << " " << nearTop[2];
        EXPECT_TRUE(nearBottom[2] > 200 && nearBottom[0] < 60)
            << mapping << ": " << nearBottom[0] << " " << nearBottom[1] << " " << nearBottom[2];
    }
}

// A context rebuilt under the view drew without depth test and light, and bound and
// deleted the numbers of the old context's textures and lists in the new one.
TEST_F(FrameTest, AResetAfterTheContextWasReplacedDrawsTheSceneAsBeforeAndLeavesTheNewContextsNames)
{
    Options().SetDrawProfiles(false);
    Options().SetDisplayEdges(0);
    // The nearer square comes first: only the depth test keeps the larger one behind it.
    Square(Root(), 3.0, 5.0)->SetMaterial(Root().GetMaterialManager()->FindOrCreateColorMaterial(CColor(0, 200, 0)));
    Square(Root(), 8.0, 0.0);
    CMaterial* material = Root().GetMaterialManager()->FindOrCreateColorMaterial(CColor(10, 10, 10));
    auto* texture = new CTexture;
    texture->SetImage(MakeTestPicture(2, 2, {0xFFFF0000, 0xFF0000FF, 0xFF0000FF, 0xFFFF0000}));
    texture->SetWidth(4.0);
    texture->SetHeight(4.0);
    material->SetTexture(texture);
    material->SetKind(kMaterialTexture);
    Square(Root(), 2.0, 1.0, 10.5)->SetMaterial(material);
    Draw();
    const std::vector<std::uint8_t> before = m_pixels;
    ASSERT_TRUE(Near(Pixel(32 - 12, 24), kLitFront, 4));
    ASSERT_TRUE(Near(Pixel(32, 24), {0, 243, 0}, 4));
    const unsigned textureName = texture->GetGLName();
    ASSERT_NE(textureName, 0u);
    const unsigned listName = glGenLists(1);
    m_view.SetViewDisplayList(listName);

    wglMakeCurrent(nullptr, nullptr);
    wglDeleteContext(m_context);
    MakeCurrent(kWidth, kHeight, 8);
    glViewport(0, 0, kWidth, kHeight);
    // The new context's own objects under the old numbers: a green texel and a list.
    const std::uint8_t green[4] = {0, 255, 0, 255};
    glBindTexture(GL_TEXTURE_2D, textureName);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, green);
    glBindTexture(GL_TEXTURE_2D, 0);
    glNewList(listName, GL_COMPILE);
    glEndList();
    int resets = 0;
    const NotificationCounter counter(kResetOpenGLNotification, resets);
    m_view.ResetOpenGL();
    Draw();

    EXPECT_EQ(resets, 1);
    EXPECT_TRUE(m_pixels == before) << "the frame differs from the one drawn before the reset";
    EXPECT_TRUE(glIsTexture(textureName));
    EXPECT_TRUE(glIsList(listName));
    EXPECT_EQ(m_view.GetViewDisplayList(), 0u);
}

TEST_F(FrameTest, ASquareWithAHoleFillsOnlyItsRing)
{
    Options().SetDrawProfiles(false);
    Options().SetDisplayEdges(0);
    CFace* face = Square(Root(), 8.0, 0.0);
    const CGeometryBuilder builder(Root());
    builder.Hole(face, {builder.Vertex(CPoint3d(-4, -4, 0)), builder.Vertex(CPoint3d(-4, 4, 0)),
                        builder.Vertex(CPoint3d(4, 4, 0)), builder.Vertex(CPoint3d(4, -4, 0))});
    Draw();
    EXPECT_TRUE(Near(Pixel(32, 24), kBackgroundRgb));
    EXPECT_TRUE(Near(Pixel(32 - 15, 24), kLitFront, 4));
    EXPECT_TRUE(Near(Pixel(32, 24 + 14), kLitFront, 4));
}

TEST_F(FrameTest, AWindowGluedIntoAWallLeavesItsOpeningOpenInEveryStyle)
{
    CFace* wall = Square(Root(), 8.0, 0.0);
    const CGeometryBuilder builder(Root());
    // Behind the wall across its middle: seen only through the opening.
    builder.Edge(builder.Vertex(CPoint3d(-1.5, 0, -5)), builder.Vertex(CPoint3d(1.5, 0, -5)));
    auto* window = new CComponentDefinition;
    Root().GetDefinitionList()->Add(window);
    const CGeometryBuilder outline(*window);
    CVertex* corners[] = {outline.Vertex(CPoint3d(-3, -3, 0)), outline.Vertex(CPoint3d(3, -3, 0)),
                          outline.Vertex(CPoint3d(3, 3, 0)), outline.Vertex(CPoint3d(-3, 3, 0))};
    for (int i = 0; i < 4; ++i) {
        outline.Edge(corners[i], corners[(i + 1) % 4]);
    }
    auto* instance = new CComponentInstance;
    window->AddInstance(instance);
    Root().Add(instance);
    Root().GetRelationshipMap()->AddRelationship(new CRelationship(wall, instance));
    const auto behindSeen = [this] {
        Draw();
        return Near(Pixel(32, 24), kEdgeRgb, 40) || Near(Pixel(32, 23), kEdgeRgb, 40);
    };

    EXPECT_FALSE(behindSeen()) << "a window that does not cut leaves the wall whole";
    dynamic_cast<CComponentBehavior*>(window->GetBehavior())->SetCutsOpening(true);
    EXPECT_TRUE(behindSeen());
    EXPECT_TRUE(Near(Pixel(32 - 12, 24), kLitFront, 4)) << "the wall around the opening";
    for (const int mode : {1, 5}) {  // hidden line, monochrome
        Options().SetRenderMode(mode);
        EXPECT_TRUE(behindSeen()) << mode;
    }
    Options().SetRenderMode(3);
    // A section plane that keeps everything, cut in software while the GL clip planes
    // are held off: the face goes through its polygon instead of the batch.
    auto* plane = new CSectionPlane(CPlane3d(1, 0, 0, 100));
    Root().AddEntity(plane);
    Root().SetActiveSectionPlane(plane);
    SuppressClipPlanes(true);
    const bool clippedSeen = behindSeen();
    SuppressClipPlanes(false);
    EXPECT_TRUE(clippedSeen);
    EXPECT_TRUE(Near(Pixel(32 - 12, 24), kLitFront, 4));
}

TEST_F(FrameTest, AnInstanceDrawsWhereItsTransformationPutsItAndHiddenLayersDrawNothing)
{
    Options().SetDrawProfiles(false);
    Options().SetDisplayEdges(0);
    LookDown(40.0);  // 1.2 pixels to the unit
    CComponentInstance* instance = SquareInstance(4.0, CVector3d(15, 0, 0));
    instance->SetMaterial(Root().GetMaterialManager()->FindOrCreateColorMaterial(CColor(200, 0, 0)));
    Draw();
    // Inherited red, lit; nothing at the definition's own place.
    EXPECT_TRUE(Near(Pixel(32 + 18, 24), {247, 0, 0}, 4));
    EXPECT_TRUE(Near(Pixel(32, 24), kBackgroundRgb));

    CLayer* layer = Root().GetLayerManager()->AddLayer(CString("Hidden"));
    instance->SetLayer(layer);
    layer->SetHidden(true);
    Draw();
    EXPECT_EQ(CountPixels(kBackgroundRgb), kWidth * kHeight);
}

// Fixed: a frame of a huge model did not answer a quit signal until it was done, a minute
// or more later.
TEST_F(FrameTest, AQuitRequestEndsTheFrameWithoutEnteringMoreInstances)
{
    Options().SetDrawProfiles(false);
    Options().SetDisplayEdges(0);
    LookDown(40.0);
    CComponentInstance* instance = SquareInstance(4.0, CVector3d(15, 0, 0));
    instance->SetMaterial(Root().GetMaterialManager()->FindOrCreateColorMaterial(CColor(200, 0, 0)));
    struct QuitRequested
    {
        QuitRequested() { CQuitRequest::Request(SIGTERM); }
        ~QuitRequested() { CQuitRequest::Clear(); }
    };
    {
        const QuitRequested quit;
        Draw();
        EXPECT_EQ(CountPixels(kBackgroundRgb), kWidth * kHeight);
    }
    Draw();
    EXPECT_TRUE(Near(Pixel(32 + 18, 24), {247, 0, 0}, 4));
}

// Selecting a group never reached its contents: instances entered the view's path only
// while a component was open.
TEST_F(FrameTest, ASelectedGroupsEdgesTakeTheSelectionColourOrTheSecondUnderAFlaggedGroup)
{
    Options().SetForegroundColor(CColor(255, 255, 255));
    Options().SetDrawProfiles(false);
    // Two squares 10 apart: the group's selection box runs round both, not along the
    // inner side of the right one at x = 3 (column 39).
    CComponentDefinition* definition = nullptr;
    CGroup* group = AddGroup(Root(), definition);
    Square(*definition, 2.0, 0.0, -5.0);
    Square(*definition, 2.0, 0.0, 5.0);
    struct Case
    {
        const char* name;
        bool selected;
        bool second;
        Rgb colour;
    };
    for (const Case& c : {Case{"not selected", false, false, {255, 255, 255}},
                          Case{"selected", true, false, {255, 255, 0}},
                          Case{"selected, flagged", true, true, {255, 0, 0}}}) {
        group->SetFlagBits(CDrawingElement::kFlagSelected, c.selected);
        group->SetFlagBits(CDrawingElement::kFlagSecondHighlight, c.second);
        Draw();
        bool found = false;
        for (int x = 38; x <= 40; ++x) {
            found = found || Near(Pixel(x, 24), c.colour, 8);
        }
        EXPECT_TRUE(found) << c.name;
    }
}

TEST_F(FrameTest, ASelectedGroupOutsideTheOpenComponentShowsNoBoxWhereTheRestOfTheModelIsHidden)
{
    Options().SetDrawProfiles(false);
    CComponentDefinition* definition = nullptr;
    AddGroup(Root(), definition)->SetFlagBits(CDrawingElement::kFlagSelected, true);
    Square(*definition, 3.0, 0.0, -6.0);
    CComponentDefinition* openDefinition = nullptr;
    CGroup* open = AddGroup(Root(), openDefinition);
    Square(*openDefinition, 2.0, 0.0, 6.0);
    ASSERT_TRUE(m_model->OpenInstance(open));
    for (const bool hidden : {false, true}) {
        Options().SetHideRestOfModel(hidden);
        Draw();
        // The box and the highlighted edges, in yellow faded towards the background.
        int yellow = 0;
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                const Rgb p = Pixel(x, y);
                yellow += p[0] > 150 && p[1] > 150 && p[2] < 80 ? 1 : 0;
            }
        }
        EXPECT_EQ(yellow > 0, !hidden);
    }
}

TEST_F(FrameTest, InstancesNestedDeeperThanTheGLStackDrawAndPickTheirInnermostFaceInPlace)
{
    Options().SetDrawProfiles(false);
    Options().SetDisplayEdges(0);
    LookDown(40.0);  // 1.2 pixels to the unit
    // Each level moves a little, together 15 units along x; the outermost instance back.
    const auto nest = [this](int levels, double dx) {
        CTransformation step;
        step.SetTranslation(CVector3d(dx / levels, 0, 0));
        return NestInstances(levels, step, [this](CComponentDefinition& innermost) { Square(innermost, 4.0, 0.0); });
    };
    const std::vector<std::pair<CComponentInstance*, int>> chains{{nest(32, 15.0), 32 + 18},
                                                                   {nest(CComponent::kMaxNestingDepth - 1, -15.0), 32 - 18}};
    Draw();
    EXPECT_TRUE(Near(Pixel(32, 24), kBackgroundRgb));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    for (const auto& [top, x] : chains) {
        EXPECT_TRUE(Near(Pixel(x, 24), kLitFront, 4)) << x;
        // The hit of the innermost face names the outermost instance first.
        std::vector<GLuint> buffer(4096);
        glSelectBuffer(static_cast<GLsizei>(buffer.size()), buffer.data());
        glRenderMode(GL_SELECT);
        glInitNames();
        m_view.SetDrawMode(IModelView::kDrawModeSelection);
        const CBoundingBox2d region(x - 1, x + 1, 23, 25);
        m_view.ApplyViewToGL(1, &region);
        Root().Draw(&m_view);
        m_view.SetDrawMode(IModelView::kDrawModeNormal);
        ASSERT_EQ(glRenderMode(GL_RENDER), 1) << x;
        EXPECT_EQ(m_view.GetPickNameTable().FindEntity(buffer[3]), top) << x;
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)) << x;
    }
}

TEST_F(FrameTest, ADefinitionWhoseInstanceLiesOutsideTheViewIsNotDrawn)
{
    auto* definition = new CComponentDefinition;
    Root().GetDefinitionList()->Add(definition);
    CFace* face = Square(*definition, 1.0, 0.0);
    auto* instance = new CComponentInstance;
    definition->AddInstance(instance);
    Root().Add(instance);
    Square(Root(), 1.0, 0.0, -5.0);  // the root itself stays in view
    CTransformation away;
    away.SetTranslation(CVector3d(1000, 0, 0));
    instance->SetTransform(away);
    Draw();
    // A face that was drawn keeps the count of its corners (negated) for the next frame.
    EXPECT_EQ(face->GetDisplayCache(), 0);
    instance->SetTransform(CTransformation());
    Root().InvalidateBounds();  // as a committed operation does
    Draw();
    EXPECT_EQ(face->GetDisplayCache(), -4);
}

TEST_F(FrameTest, AFaceWithAHoleKeepsItsTrianglesUntilItChanges)
{
    CFace* face = Square(Root(), 5.0, 0.0);
    const CGeometryBuilder builder(Root());
    (void)builder.Hole(face, {builder.Vertex(CPoint3d(-2, -2, 0)), builder.Vertex(CPoint3d(-2, 2, 0)),
                              builder.Vertex(CPoint3d(2, 2, 0)), builder.Vertex(CPoint3d(2, -2, 0))});
    Draw();
    const std::int32_t kept = face->GetDisplayCache();
    ASSERT_GT(kept, 0);
    ASSERT_NE(CKeptFaceTriangles::Find(kept), nullptr);
    const int throughHole = CountPixels(kBackgroundRgb);
    Draw();
    EXPECT_EQ(CountPixels(kBackgroundRgb), throughHole);
    face->EraseInnerLoops();
    EXPECT_EQ(face->GetDisplayCache(), 0);
    EXPECT_EQ(CKeptFaceTriangles::Find(kept), nullptr);
    Draw();
    EXPECT_LT(CountPixels(kBackgroundRgb), throughHole);
}

TEST_F(FrameTest, AnImageShowsItsPictureFaceEvenInWireframe)
{
    auto* definition = new CComponentDefinition;
    Root().GetDefinitionList()->Add(definition);
    CFace* picture = Square(*definition, 5.0, 0.0);
    picture->SetMaterial(Root().GetMaterialManager()->FindOrCreateColorMaterial(CColor(0, 200, 0)));
    auto* image = new CImage;
    definition->AddInstance(image);
    Root().Add(image);
    Options().SetRenderMode(0);
    Draw();
    EXPECT_TRUE(Near(Pixel(32, 24), {0, 243, 0}, 4));
    EXPECT_EQ(Options().GetRenderMode(), 0);
    EXPECT_TRUE(Options().IsDrawProfiles());
}

TEST_F(FrameTest, AnInstanceOfADefinitionThatFacesTheCameraTurnsItsYAxisToTheView)
{
    auto* definition = new CComponentDefinition;
    Root().GetDefinitionList()->Add(definition);
    Square(*definition, 1.0, 0.0);
    dynamic_cast<CComponentBehavior*>(definition->GetBehavior())->SetAlwaysFacesCamera(true);
    auto* instance = new CComponentInstance;
    definition->AddInstance(instance);
    Root().Add(instance);
    CViewDefinition view = m_view.GetViewDefinition();
    view.SetEyeTarget(CPoint3d(-50, -50, 20), CPoint3d(0, 0, 0), CVector3d(0, 0, 1));
    m_view.SetViewDefinition(view);
    Draw();
    const CUnitVector3d y = instance->GetTransform().GetYAxis();
    const CVector3d direction = m_view.GetViewDefinition().GetViewDirection();
    const CVector3d level = CVector3d(direction.x, direction.y, 0.0) * (1.0 / std::hypot(direction.x, direction.y));
    EXPECT_NEAR(y.x, level.x, 1e-9);
    EXPECT_NEAR(y.y, level.y, 1e-9);
    EXPECT_NEAR(y.z, 0.0, 1e-9);
    // While the instance is open for editing its contents hold still.
    ASSERT_TRUE(m_model->OpenInstance(instance));
    instance->SetTransform(CTransformation());
    view.SetEyeTarget(CPoint3d(50, -50, 20), CPoint3d(0, 0, 0), CVector3d(0, 0, 1));
    m_view.SetViewDefinition(view);
    Draw();
    EXPECT_NEAR(instance->GetTransform().GetYAxis().y, 1.0, 1e-9);
    m_model->CloseInstance();
}

TEST_F(FrameTest, TheLevelFallsOnlyAfterSlowFramesOfAnInteractionAndComesBackAtItsEnd)
{
    static double now = 0.0;
    static double step = 0.1;
    // Each reading of the clock is a frame's time after the one before.
    CFrameTimer::SetClock([] { return now += step; });
    Square(Root(), 5.0, 0.0);
    m_model->GetShadowInfo()->SetDisplayShadows(true);
    step = 0.5;
    Draw();
    EXPECT_EQ(m_view.GetDrawingLevel(), 8) << "outside an interaction the level stays";
    EXPECT_DOUBLE_EQ(m_view.GetLastFrameTime(), 0.5);

    // Fast frames of a drag keep the level however long the drag.
    step = 0.1;
    Draw();
    m_view.BeginInteraction(0);
    for (int frame = 0; frame < 3; ++frame) {
        LookDown(CPoint3d(0.1 * frame, 0, 0), 20.0);
        Draw();
        EXPECT_EQ(m_view.GetDrawingLevel(), 8) << frame;
    }
    // A slow one lowers it past the shadows.
    step = 0.5;
    LookDown(CPoint3d(1, 0, 0), 20.0);
    Draw();
    EXPECT_EQ(m_view.GetDrawingLevel(), 4);
    m_view.invalidations = 0;
    m_view.EndInteraction();
    EXPECT_EQ(m_view.GetDrawingLevel(), 8);
    EXPECT_GE(m_view.invalidations, 1) << "the whole picture follows";

    // A press and release that moves nothing draws nothing, though the slow frame before
    // lowered the level at the press.
    step = 0.6;
    Draw();
    m_view.BeginInteraction(0);
    EXPECT_LT(m_view.GetDrawingLevel(), 8);
    m_view.invalidations = 0;
    m_view.EndInteraction();
    EXPECT_EQ(m_view.GetDrawingLevel(), 8);
    EXPECT_EQ(m_view.invalidations, 0);
    CFrameTimer::SetClock(nullptr);
}

TEST_F(FrameTest, AWheelNotchZoomsAtTheLevelTheViewStandsAtAndKeepsTheViewsName)
{
    // Once each notch began an interaction: the name went for every notch, and a slow
    // frame lowered the level the next drag started from.
    CSettingsStore store{CString()};
    SetProfileStore(&store);
    Options().SetForegroundColor(CColor(255, 255, 0, 255));
    m_view.CreateViewFont();
    static double now = 0.0;
    CFrameTimer::SetClock([] { return now += 0.4; });
    Square(Root(), 5.0, 0.0);
    Draw();
    const int remembered = m_view.GetRememberedLevel();
    const double height = m_view.GetViewDefinition().GetViewHeight();
    m_view.settleRequests = 0;
    m_view.ZoomByWheel(1.0, CPoint2d(kWidth / 2.0, kHeight / 2.0));
    EXPECT_LT(m_view.GetViewDefinition().GetViewHeight(), height);
    EXPECT_EQ(m_view.GetInteractionMode(), 0);
    EXPECT_GE(m_view.settleRequests, 1);
    Draw();
    EXPECT_EQ(m_view.GetDrawingLevel(), 8) << "a slow notch frame keeps the level";
    int label = 0;
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 32; ++x) {
            const Rgb p = Pixel(x, y);
            label += p[0] > 150 && p[1] > 150 && p[2] < 110 ? 1 : 0;
        }
    }
    EXPECT_GT(label, 10) << "\"Top\" stays in the corner";
    m_view.OnViewSettled();
    EXPECT_EQ(m_view.GetDrawingLevel(), 8);
    EXPECT_EQ(m_view.GetRememberedLevel(), remembered);
    CFrameTimer::SetClock(nullptr);
    m_view.ReleaseViewFont();
    SetProfileStore(nullptr);
}

TEST_F(FrameTest, AStandardViewShowsItsNameInTheTopLeftCornerInTheForegroundColour)
{
    CSettingsStore store{CString()};
    SetProfileStore(&store);
    Options().SetForegroundColor(CColor(255, 255, 0, 255));
    const auto labelPixels = [this](int x0, int y0, int x1, int y1) {
        int count = 0;
        for (int y = y0; y < y1; ++y) {
            for (int x = x0; x < x1; ++x) {
                const Rgb p = Pixel(x, y);
                count += p[0] > 150 && p[1] > 150 && p[2] < 110 ? 1 : 0;
            }
        }
        return count;
    };

    Draw();
    EXPECT_EQ(labelPixels(0, 0, kWidth, kHeight), 0) << "no view font, no label";

    m_view.CreateViewFont();
    Draw();
    const int label = labelPixels(0, 0, 32, 20);
    EXPECT_GT(label, 10) << "\"Top\" in the corner";
    EXPECT_EQ(labelPixels(0, 20, kWidth, kHeight), 0);
    // On a print each screen pixel of a text covers the text's pixels of the output.
    m_view.SetTextPixelScale(2.0);
    Draw();
    EXPECT_GT(labelPixels(0, 0, 64, 40), 3 * label);
    m_view.SetTextPixelScale(1.0);
    EXPECT_FALSE(GetProfileString(CString("ViewFont"), CString("FontPath"), CString()).IsEmpty());

    // No name for a view off the standard directions.
    CViewDefinition definition = m_view.GetViewDefinition();
    definition.SetEyeTarget(CPoint3d(-50, -50, 50), CPoint3d(0, 0, 0), CVector3d(0, 0, 1));
    m_view.SetViewDefinition(definition);
    Draw();
    EXPECT_EQ(labelPixels(0, 0, kWidth, kHeight), 0);
    m_view.ReleaseViewFont();
    SetProfileStore(nullptr);
}

TEST_F(FrameTest, ADisplayOverridePageIsShownAroundEachFrameAndTheModelKeepsItsOwnDisplay)
{
    Options().SetDisplayEdges(0);
    CFace* left = Square(Root(), 2.0, 0.0, -5.0);
    CFace* right = Square(Root(), 2.0, 0.0, 5.0);
    right->SetHidden(true);
    // The page hides the left square and shows the right one, on a green background.
    CViewPage page(CString(), CString(), CViewPage::kRenderingOptions | CViewPage::kHiddenElements);
    page.SetRenderingOptions(Options());
    page.GetRenderingOptions()->SetBackgroundColor(CColor(0, 255, 0, 255));
    page.AddHiddenElement(left);
    const Rgb green{0, 255, 0};
    const auto square = [this](double cx) { return Pixel(kWidth / 2 + static_cast<int>(cx * kHeight / 20.0), kHeight / 2); };
    int restored = 0;
    const NotificationCounter counter(kDisplayOverrideRestoreNotification, restored);

    EXPECT_EQ(m_view.SetDisplayOverridePage(&page), nullptr);
    Draw();
    EXPECT_TRUE(Near(square(-5.0), green));
    EXPECT_FALSE(Near(square(5.0), green));
    EXPECT_FALSE(Near(square(5.0), kBackgroundRgb));
    EXPECT_FALSE(left->IsHiddenFlagSet()) << "the model's own state is back after the frame";
    EXPECT_TRUE(right->IsHiddenFlagSet());
    EXPECT_EQ(Options().GetBackgroundColor(), kBackground);
    EXPECT_EQ(restored, 0);

    EXPECT_EQ(m_view.SetDisplayOverridePage(nullptr), &page);
    EXPECT_EQ(restored, 1) << "the page that was replaced restored itself";
    Draw();
    EXPECT_FALSE(Near(square(-5.0), kBackgroundRgb));
    EXPECT_TRUE(Near(square(5.0), kBackgroundRgb));
    EXPECT_EQ(m_view.SetDisplayOverridePage(nullptr), nullptr);
    EXPECT_EQ(restored, 1);
}

TEST(ViewDirectionName, NamesTheSixStandardDirectionsOnly)
{
    const struct {
        CVector3d direction;
        const char* name;
    } cases[] = {
        {{0, 0, 1}, "Bottom"}, {{0, 0, -1}, "Top"},  {{1, 0, 0}, "Left"}, {{-1, 0, 0}, "Right"},
        {{0, 1, 0}, "Front"},  {{0, -1, 0}, "Back"}, {{0.0005, -1, 0}, "Back"}, {{0.6, 0.8, 0}, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CTarnisView::GetViewDirectionName(c.direction), CString(c.name)) << c.name;
    }
}

TEST_F(FrameTest, TheDepthRangeHoldsTheShadowsALowSunThrowsOnTheGround)
{
    // A wall ten high; the lowest sun of a winter's day above the horizon.
    const CGeometryBuilder builder(Root());
    builder.Face({builder.Vertex(CPoint3d(-1, 0, 0)), builder.Vertex(CPoint3d(1, 0, 0)),
                  builder.Vertex(CPoint3d(1, 0, 10)), builder.Vertex(CPoint3d(-1, 0, 10))});
    int lowestHour = -1;
    double lowest = 2.0;
    for (int hour = 0; hour < 24; ++hour) {
        Shadows().SetDateTime(CUtcTime(2020, 12, 21, hour, 0, 0));
        if (const double z = Shadows().GetSunDirection().z; z >= 0.001 && z < lowest) {
            lowest = z;
            lowestHour = hour;
        }
    }
    Shadows().SetDateTime(CUtcTime(2020, 12, 21, lowestHour, 0, 0));
    const CVector3d sun = Shadows().GetSunDirection();
    ASSERT_LT(lowest, 0.5);
    // The far end of the wall's shadow, and the view looking at the wall from the other
    // side of its shadow, level with the ground.
    const CPoint3d tip(-sun.x / sun.z * 10, -sun.y / sun.z * 10, 0);
    const CVector3d away = CVector3d(tip.x, tip.y, 0) * (1.0 / std::hypot(tip.x, tip.y));
    CViewDefinition view = m_view.GetViewDefinition();
    view.SetPerspective(true);
    view.SetEyeTarget(CPoint3d(0, 0, 5) + away * -30.0, CPoint3d(0, 0, 5), CVector3d(0, 0, 1));
    m_view.SetViewDefinition(view);
    const CViewDefinition& placed = m_view.GetViewDefinition();
    const double tipDepth = DotProduct(tip - placed.GetEye(), placed.GetViewDirection());
    struct Case
    {
        const char* name;
        bool shadows;
        bool boundsByte;
        int level;
        bool holdsTheTip;
    };
    for (const Case& c : {Case{"shadows shown", true, false, 8, true}, Case{"no shadows", false, false, 8, false},
                          Case{"shadows left out at level 4", true, false, 4, false},
                          Case{"the bounds byte", false, true, 8, true}}) {
        Shadows().SetDisplayShadows(c.shadows);
        m_view.SetBoundsByte(c.boundsByte);
        m_view.SetDrawingLevel(c.level);
        m_view.UpdateViewBounds();
        EXPECT_EQ(m_view.GetViewDefinition().GetUsedFar() >= tipDepth, c.holdsTheTip) << c.name;
    }
    m_view.SetBoundsByte(false);
    m_view.SetDrawingLevel(8);
}

TEST_F(FrameTest, TheFlatColourModeLightsWithWhiteAmbientAndClearsToBlackUndithered)
{
    Shadows().SetUseSunForShading(true);
    const CurrentModelScope scope(m_model);
    for (const bool flat : {false, true}) {
        m_view.SetFlatColorMode(flat);
        glEnable(GL_DITHER);
        glClearColor(0.5f, 0.5f, 0.5f, 0.5f);
        CFramePainter(m_view).SetupLights(false);
        float ambient[4] = {};
        glGetLightfv(GL_LIGHT0, GL_AMBIENT, ambient);
        float clear[4] = {};
        glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
        EXPECT_EQ(ambient[0] == 1.0f, flat);
        EXPECT_EQ(glIsEnabled(GL_DITHER) == GL_FALSE, flat);
        EXPECT_EQ(clear[0] == 0.0f, flat);
    }
    m_view.RestoreAfterFlatColorMode();
    m_view.SetFlatColorMode(false);
}

TEST_F(FrameTest, AComponentsBoundsDrawAsAWireBoxGrownByTheMarginsPixels)
{
    Options().SetDrawProfiles(false);
    Options().SetDisplayEdges(0);
    LookDown(40.0);  // 1.2 pixels to the unit
    Square(Root(), 10.0, 0.0);  // 24 pixels across, from x 20 to 44
    struct Case
    {
        int margin;
        int column;  // where the box's right side lies
    };
    for (const Case& test : {Case{0, 44}, Case{6, 50}}) {
        const CurrentModelScope scope(m_model);
        m_view.DrawFrame(0, false);
        m_view.SetColor(CColor(255, 0, 0, 255));
        Root().DrawBounds(&m_view, test.margin);
        m_view.EndPrimitive();
        glFinish();
        ASSERT_TRUE(m_device->ReadPixels(m_pixels));
        int red = 0;
        for (int x = test.column - 1; x <= test.column + 1; ++x) {
            red += Near(Pixel(x, 24), {255, 0, 0}, 8) ? 1 : 0;
        }
        EXPECT_GE(red, 1) << test.margin;
        EXPECT_FALSE(Near(Pixel(test.column + 4, 24), {255, 0, 0}, 8)) << test.margin;
    }
}

TEST_F(FrameTest, ASectionPlaneLyingOnAFaceLeavesTheFaceItsOwnColour)
{
    Options().SetDrawProfiles(false);
    Options().SetDisplayEdges(0);
    Square(Root(), 8.0, 0.0);
    Root().AddEntity(new CSectionPlane(CPlane3d(0, 0, 1, 0)));
    // At a slant the depths of the two differ in their last bits from pixel to pixel.
    LookParallel(CPoint3d(20, -30, 60), CPoint3d(), CVector3d(0, 0, 1), 30.0);
    Draw();
    const Rgb face = Pixel(32, 24);
    int veiled = 0;
    for (int y = 18; y <= 30; ++y) {
        for (int x = 24; x <= 40; ++x) {
            veiled += Near(Pixel(x, y), face, 4) ? 0 : 1;
        }
    }
    EXPECT_EQ(veiled, 0);
}
