// Sun shadows drawn offscreen: on the ground by the flattened casters, and on faces
// through the stencil volumes, checked by the brightness of a few pixels.

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "annotations/sectionclipstack.h"
#include "annotations/sectionplane.h"
#include "document/component.h"
#include "document/componentbehavior.h"
#include "document/componentdefinition.h"
#include "document/componentinstance.h"
#include "document/classregistration.h"
#include "document/definitionlist.h"
#include "document/material.h"
#include "document/materialmanager.h"
#include "document/layer.h"
#include "document/layermanager.h"
#include "document/pagelist.h"
#include "document/tarnwickpage.h"
#include "document/renderingoptions.h"
#include "document/shadowinfo.h"
#include "document/tarnwickmodel.h"
#include "document/utctime.h"
#include "drawapi/animation.h"
#include "drawapi/renderingflags.h"
#include "model/edge.h"
#include "model/face.h"
#include "model/smoothnormals.h"
#include "model/undosuspender.h"
#include "model/vertex.h"
#include "render/groundshadows.h"
#include "render/shadowvolumecontext.h"
#include "render/shadowvolumewalker.h"
#include "render/stencilshadows.h"
#include "render/terminatorfaces.h"
#include "render/tarnisview.h"
#include "samplegen/geometrybuilder.h"
#include "samplegen/housemodel.h"
#include "tests/render/modelframefixture.h"

namespace {

class ShadowTest : public ModelFrameTest
{
protected:
    ShadowTest() : ModelFrameTest(true) {}

    void SetUp() override
    {
        ModelFrameTest::SetUp();
        Options().SetBackgroundColor(CColor(40, 40, 80, 255));
        Options().SetDisplayEdges(0);
        Options().SetDrawProfiles(false);
        Shadows().SetDisplayShadows(true);
    }
    void TearDown() override
    {
        renderingflags::ShadowVolumeMethod = renderingflags::kCarmackReverseNever;
        renderingflags::SinglePassVolumes = true;
        renderingflags::TransparentCanCast = true;
        renderingflags::StencilSnapshot = false;
        renderingflags::UsePolygonOffset = true;
        ModelFrameTest::TearDown();
    }


    // Where the sun throws a point at height h onto z = 0.
    static CPoint3d Thrown(const CVector3d& sun, const CPoint3d& p)
    {
        return {p.x - sun.x / sun.z * p.z, p.y - sun.y / sun.z * p.z, 0.0};
    }

    void LookFrom(const CPoint3d& eye, const CPoint3d& target)
    {
        CViewDefinition definition;
        definition.SetViewportSize(kWidth, kHeight);
        definition.SetEyeTarget(eye, target, CVector3d(0, 0, 1));
        definition.SetPerspective(true);
        m_view.SetViewDefinition(definition);
        m_view.SetViewportSize(kWidth, kHeight);
    }

    CFace* Square(const CPoint3d& centre, double half)
    {
        const CGeometryBuilder builder(Root());
        const auto at = [&](double dx, double dy) { return builder.Vertex(centre + CVector3d(dx, dy, 0)); };
        return builder.Face({at(-half, -half), at(half, -half), at(half, half), at(-half, half)},
                            CVector3d(0, 0, 1));
    }

    // The sum of red, green and blue at the model point's pixel.
    [[nodiscard]] int Brightness(const CPoint3d& point) const
    {
        CPoint3d screen;
        EXPECT_TRUE(m_view.ModelToScreen(point, screen));
        const int x = static_cast<int>(screen.x);
        const int y = static_cast<int>(screen.y);
        const std::size_t at = (static_cast<std::size_t>(y) * kWidth + x) * 4;
        return m_pixels[at] + m_pixels[at + 1] + m_pixels[at + 2];
    }

};

}  // namespace

TEST_F(ShadowTest, TheGroundShadowFallsOnZeroWhereTheSunThrowsTheFaceAndIsDarkerThanTheLitGround)
{
    const CVector3d sun = SetSunHeight(0.6);
    ASSERT_GT(sun.z, 0.3);
    const CPoint3d top(0, 0, 5);
    Square(top, 2.0);
    const CPoint3d shadow = Thrown(sun, top);
    const CPoint3d mirror(-shadow.x, -shadow.y, 0);
    Options().SetDisplayGround(true);
    LookDown(CPoint3d(), 2.0 * std::hypot(shadow.x, shadow.y) + 8.0);
    Shadows().SetOnFaces(false);
    Draw();
    EXPECT_LT(Brightness(shadow), Brightness(mirror) - 30);

    // Two points of the face's outline on the ground: just inside and just outside.
    const CPoint3d inside = Thrown(sun, top + CVector3d(1.7, 0, 0));
    const CPoint3d outside = Thrown(sun, top + CVector3d(2.5, 0, 0));
    EXPECT_EQ(Brightness(inside), Brightness(shadow));
    EXPECT_EQ(Brightness(outside), Brightness(mirror));

    Shadows().SetOnGround(false);
    Draw();
    EXPECT_EQ(Brightness(shadow), Brightness(mirror));
}

namespace {

// An animation that goes on until it is finished, moving nothing.
class HeldAnimation : public IAnimation
{
public:
    bool Step(ITarnisView* /*view*/) override { return !m_finished; }
    void Finish() override { m_finished = true; }
    void Pause(bool /*paused*/) override {}
    void Release() override { delete this; }

private:
    bool m_finished = false;
};

}  // namespace

TEST_F(ShadowTest, WhileAnAnimationRunsTheGroundShadowIsDrawnWithoutCompilingItsList)
{
    // Once a page transition that moves section planes, which drops the list at each
    // step, spent each step compiling the casters again.
    const CVector3d sun = SetSunHeight(0.6);
    const CPoint3d top(0, 0, 5);
    Square(top, 2.0);
    const CPoint3d shadow = Thrown(sun, top);
    const CPoint3d mirror(-shadow.x, -shadow.y, 0);
    LookDown(CPoint3d(), 2.0 * std::hypot(shadow.x, shadow.y) + 8.0);
    Shadows().SetOnFaces(false);
    m_view.SetAnimation(new HeldAnimation);
    Draw();
    EXPECT_EQ(Shadows().GetDisplayList(), 0U);
    EXPECT_LT(Brightness(shadow), Brightness(mirror) - 30);
    m_view.SetAnimation(nullptr);
    Draw();
    EXPECT_NE(Shadows().GetDisplayList(), 0U);
    EXPECT_LT(Brightness(shadow), Brightness(mirror) - 30);
}

// A panel that faces the camera, stood edge-on to the sun: its shadow is a thin line,
// unless its shadows face the sun, when the panel casts as if turned to the light.
TEST_F(ShadowTest, APanelWhoseShadowsFaceTheSunCastsItsShadowTurnedToTheLight)
{
    const CVector3d sun = SetSunHeight(0.6);
    const double turn = std::atan2(-sun.y, -sun.x);
    const CUnitVector3d across(-std::sin(turn), std::cos(turn), 0.0);
    const CPoint3d onPanel = CPoint3d(0, 0, 2) + CVector3d(across.x, across.y, 0.0);
    const CPoint3d shadow = Thrown(sun, onPanel);
    const CPoint3d lit(-shadow.x, -shadow.y, 0);
    const double reach = std::hypot(shadow.x, shadow.y) + 6.0;
    CFace* floor = Square(CPoint3d(), reach);

    auto* definition = new CComponentDefinition;
    Root().GetDefinitionList()->Add(definition);
    const CGeometryBuilder builder(*definition);
    // Clear of the ground, which takes no shadow of what stands on it.
    builder.Face({builder.Vertex(CPoint3d(-2, 0, 0.5)), builder.Vertex(CPoint3d(2, 0, 0.5)),
                  builder.Vertex(CPoint3d(2, 0, 4)), builder.Vertex(CPoint3d(-2, 0, 4))},
                 CVector3d(0, -1, 0));
    auto* behavior = dynamic_cast<CComponentBehavior*>(definition->GetBehavior());
    behavior->SetAlwaysFacesCamera(true);
    auto* instance = new CComponentInstance;
    definition->AddInstance(instance);
    // The panel's x axis along the light: edge-on to the sun.
    instance->SetTransform(CTransformation::Rotation(CPoint3d(), CUnitVector3d(0, 0, 1), turn));
    Root().Add(instance);
    // Straight down the camera never turns the panel.
    LookDown(CPoint3d(), 2.0 * reach);

    for (const bool onGround : {false, true}) {
        floor->SetHidden(onGround);
        Options().SetDisplayGround(onGround);
        Shadows().SetOnFaces(!onGround);
        behavior->SetShadowsFaceSun(false);
        Draw();
        EXPECT_NEAR(Brightness(shadow), Brightness(lit), 3) << "edge-on, on the ground: " << onGround;
        behavior->SetShadowsFaceSun(true);
        Draw();
        EXPECT_LT(Brightness(shadow), Brightness(lit) - 30) << "turned to the sun, on the ground: " << onGround;
    }
    const CUnitVector3d y = instance->GetTransform().GetYAxis();
    EXPECT_NEAR(y.x, across.x, 1e-9) << "the panel itself stays as it stood";
    EXPECT_NEAR(y.y, across.y, 1e-9);
}

TEST_F(ShadowTest, AFaceInTheShadowOfAnotherIsDarkerThanWhereTheSunReachesIt)
{
    const CVector3d sun = SetSunHeight(0.6);
    const CPoint3d top(0, 0, 4);
    const CPoint3d shadow = Thrown(sun, top);
    const double reach = std::hypot(shadow.x, shadow.y) + 4.0;
    CFace* floor = Square(CPoint3d(), reach);
    Square(top, 2.0);
    LookDown(CPoint3d(), 2.0 * reach);
    const CPoint3d lit(-shadow.x, -shadow.y, 0);
    Draw();
    EXPECT_LT(Brightness(shadow), Brightness(lit) - 30);

    m_view.SetDrawingLevel(4);
    Draw();
    EXPECT_NEAR(Brightness(shadow), Brightness(lit), 3) << "a drawing level lowered for interaction";
    m_view.SetDrawingLevel(8);

    floor->SetFlagBits(CDrawingElement::kFlagReceivesShadows, false);
    Draw();
    EXPECT_NEAR(Brightness(shadow), Brightness(lit), 3) << "a face that receives no shadows";
    floor->SetFlagBits(CDrawingElement::kFlagReceivesShadows, true);

    Shadows().SetDisplayShadows(false);
    Draw();
    EXPECT_NEAR(Brightness(shadow), Brightness(lit), 3);
}

TEST_F(ShadowTest, AFaceNestedDeeperThanTheGLStackCastsOnTheFacesAndOnTheGround)
{
    const CVector3d sun = SetSunHeight(0.6);
    const CPoint3d top(0, 0, 4);
    const CPoint3d shadow = Thrown(sun, top);
    const double reach = std::hypot(shadow.x, shadow.y) + 4.0;
    CFace* floor = Square(CPoint3d(), reach);
    // The caster 100 instances below the root.
    NestInstances(100, CTransformation(), [&top](CComponentDefinition& innermost) {
        const CGeometryBuilder builder(innermost);
        const auto at = [&](double dx, double dy) { return builder.Vertex(top + CVector3d(dx, dy, 0)); };
        builder.Face({at(-2, -2), at(2, -2), at(2, 2), at(-2, 2)}, CVector3d(0, 0, 1));
    });
    LookDown(CPoint3d(), 2.0 * reach);
    const CPoint3d lit(-shadow.x, -shadow.y, 0);
    Draw();
    EXPECT_LT(Brightness(shadow), Brightness(lit) - 30) << "on the floor face";
    floor->SetHidden(true);
    Shadows().SetOnFaces(false);
    Options().SetDisplayGround(true);
    Draw();
    EXPECT_LT(Brightness(shadow), Brightness(lit) - 30) << "on the ground";
}

TEST_F(ShadowTest, AClosedSolidCastsTheSameShadowWithOneWallPerEdgeUntilALooseFaceOpensIt)
{
    const CVector3d sun = SetSunHeight(0.6);
    const CPoint3d top(0, 0, 4);
    const CPoint3d shadow = Thrown(sun, top + CVector3d(0, 0, -1));
    const double reach = std::hypot(shadow.x, shadow.y) + 6.0;
    Square(CPoint3d(), reach);
    auto* definition = new CComponentDefinition;
    Root().GetDefinitionList()->Add(definition);
    const CGeometryBuilder builder(*definition);
    std::vector<CVertex*> corners;
    for (int k = 0; k < 8; ++k) {
        corners.push_back(builder.Vertex(top + CVector3d((k & 1) != 0 ? 1.5 : -1.5, (k & 2) != 0 ? 1.5 : -1.5,
                                                         (k & 4) != 0 ? 0.0 : -2.0)));
    }
    const auto side = [&](int a, int b, int c, int d, const CVector3d& normal) {
        builder.Face({corners[static_cast<std::size_t>(a)], corners[static_cast<std::size_t>(b)],
                      corners[static_cast<std::size_t>(c)], corners[static_cast<std::size_t>(d)]},
                     normal);
    };
    side(4, 5, 7, 6, CVector3d(0, 0, 1));
    side(0, 2, 3, 1, CVector3d(0, 0, -1));
    side(0, 1, 5, 4, CVector3d(0, -1, 0));
    side(2, 6, 7, 3, CVector3d(0, 1, 0));
    side(0, 4, 6, 2, CVector3d(-1, 0, 0));
    side(1, 3, 7, 5, CVector3d(1, 0, 0));
    auto* instance = new CComponentInstance;
    definition->AddInstance(instance);
    Root().Add(instance);
    LookDown(CPoint3d(), 2.0 * reach);

    renderingflags::OptimizeComponents = false;
    Draw();
    const std::vector<std::uint8_t> faceByFace = m_pixels;
    renderingflags::OptimizeComponents = true;
    Draw();
    EXPECT_EQ(definition->GetShadowState(), 2);
    EXPECT_LT(Brightness(shadow), Brightness(CPoint3d(-shadow.x, -shadow.y, 0)) - 30);
    int differing = 0;
    for (std::size_t i = 0; i < m_pixels.size(); ++i) {
        differing += std::abs(m_pixels[i] - faceByFace[i]) > 8 ? 1 : 0;
    }
    EXPECT_LT(differing, kWidth * kHeight / 200);

    builder.Face({builder.Vertex(top + CVector3d(5, 5, 0)), builder.Vertex(top + CVector3d(6, 5, 0)),
                  builder.Vertex(top + CVector3d(6, 6, 0))});
    definition->SetShadowState(0, false);
    EXPECT_FALSE(definition->IsClosedSolid());
}

// The eye stands in the shadow below the roof and looks at the shadow's edge: the
// eye-inside count and the depth-fail rule give the same picture, half dark.
TEST_F(ShadowTest, AnEyeInsideAShadowVolumeSeesTheSamePictureWithEveryVolumeMethod)
{
    const CVector3d sun = SetSunHeight(0.6);
    const CPoint3d top(0, 0, 6);
    const double reach = std::hypot(sun.x, sun.y) / sun.z * 6.0 + 12.0;
    Square(CPoint3d(), reach);
    Square(top, 4.0);
    const CPoint3d eye(top.x - sun.x / sun.z * 4.0, top.y - sun.y / sun.z * 4.0, 2.0);
    LookFrom(eye, Thrown(sun, top) + CVector3d(4.0, 0, 0));

    std::vector<std::uint8_t> first;
    for (const int method : {renderingflags::kCarmackReverseNever, renderingflags::kCarmackReverseAlways,
                             renderingflags::kCarmackReverseWhenInside}) {
        renderingflags::ShadowVolumeMethod = method;
        Draw();
        if (first.empty()) {
            first = m_pixels;
            int dark = 0;
            for (std::size_t i = 0; i < m_pixels.size(); i += 4) {
                dark += m_pixels[i] + m_pixels[i + 1] + m_pixels[i + 2] < 300 ? 1 : 0;
            }
            EXPECT_GT(dark, kWidth * kHeight / 5) << "part of the floor lies in shadow";
            EXPECT_LT(dark, kWidth * kHeight * 4 / 5) << "part of the floor lies in the sun";
            continue;
        }
        int differing = 0;
        for (std::size_t i = 0; i < m_pixels.size(); ++i) {
            differing += std::abs(m_pixels[i] - first[i]) > 8 ? 1 : 0;
        }
        EXPECT_LT(differing, kWidth * kHeight / 50) << "method " << method;
    }
}

TEST_F(ShadowTest, DepthFailHoldsTheClipPlanesOffAndSectionPlanesStillCutTheFaces)
{
    const CVector3d sun = SetSunHeight(0.6);
    const CPoint3d top(0, 0, 4);
    const CPoint3d shadow = Thrown(sun, top);
    const double reach = std::hypot(shadow.x, shadow.y) + 4.0;
    Square(CPoint3d(), reach);
    Square(top, 1.0);
    // Cut away, its shadow would fall on the kept side.
    Square(CPoint3d(-0.8 * shadow.x, -0.8 * shadow.y, top.z), 1.0);
    LookDown(CPoint3d(), 2.0 * reach);
    // Keeps the side the shadow falls on, and the roof.
    CVector3d towards(shadow.x, shadow.y, 0.0);
    towards.Normalize();
    auto* plane = new CSectionPlane(CPlane3d(CPoint3d() + towards * -3.0, towards));
    Root().AddEntity(plane);
    Root().SetActiveSectionPlane(plane);
    renderingflags::ShadowVolumeMethod = renderingflags::kCarmackReverseAlways;
    Draw();
    EXPECT_FALSE(AreClipPlanesSuppressed()) << "given back when the frame ends";
    const CPoint3d lit(shadow.x * 1.5, shadow.y * 1.5, 0.0);
    EXPECT_LT(Brightness(shadow), Brightness(lit) - 30);
    EXPECT_NEAR(Brightness(CPoint3d(-shadow.x, -shadow.y, 0)), 40 + 40 + 80, 4) << "the cut-away half";
    EXPECT_EQ(Brightness(CPoint3d(0.2 * shadow.x, 0.2 * shadow.y, 0)), Brightness(lit)) << "no shadow of what is cut";
}

// A smooth ridge across the sun: the side facing the sun has its terminator on the far
// side (3), the side facing away is drawn through one volume (1); a flat face is neither.
TEST_F(ShadowTest, FacesAlongTheTerminatorOfASmoothSurfaceTakeTheirClass)
{
    const CVector3d sun = SetSunHeight(0.6);
    CVector3d u(sun.x, sun.y, 0.0);
    u.Normalize();
    const CVector3d r(-u.y, u.x, 0.0);
    const CGeometryBuilder builder(Root());
    CVertex* ridge0 = builder.Vertex(CPoint3d() + r * -3.0 + CVector3d(0, 0, 2));
    CVertex* ridge1 = builder.Vertex(CPoint3d() + r * 3.0 + CVector3d(0, 0, 2));
    CVertex* sunny0 = builder.Vertex(CPoint3d() + r * -3.0 + u * 2.0);
    CVertex* sunny1 = builder.Vertex(CPoint3d() + r * 3.0 + u * 2.0);
    CVertex* shady0 = builder.Vertex(CPoint3d() + r * -3.0 + u * -2.0);
    CVertex* shady1 = builder.Vertex(CPoint3d() + r * 3.0 + u * -2.0);
    CFace* sunny = builder.Face({ridge0, sunny0, sunny1, ridge1}, u + CVector3d(0, 0, 1));
    CFace* shady = builder.Face({ridge1, shady1, shady0, ridge0}, -u + CVector3d(0, 0, 1));
    CFace* flat = Square(CPoint3d(0, 0, -1), 12.0);
    for (CDrawingElement* entity : Root().GetEntityList()) {
        auto* edge = dynamic_cast<CEdge*>(entity);
        if (edge != nullptr && edge->GetStartVertex()->GetPosition().z == 2.0 &&
            edge->GetEndVertex()->GetPosition().z == 2.0) {
            edge->SetFlagBits(CDrawingElement::kFlagSmooth, true);
        }
    }
    for (CFace* face : {sunny, shady}) {
        face->SetFlagBits(CSmoothNormals::kFlagSmoothSurface, true);
    }
    LookDown(CPoint3d(), 30.0);
    Draw();
    EXPECT_EQ(CTerminatorFaces::GetClass(*sunny), 3);
    EXPECT_EQ(CTerminatorFaces::GetClass(*shady), 1);
    EXPECT_EQ(CTerminatorFaces::GetClass(*flat), 0);

    // Hidden-line display shows the shady face lit from the ridge down to where its smooth
    // normals turn from the sun, and dark below: the background's colour scaled by 1.2
    // and by the dark intensity plus 0.2.
    Options().SetRenderMode(1);
    Shadows().SetDarkIntensity(20);
    Draw();
    const auto rgb = [this](const CPoint3d& point) {
        CPoint3d screen;
        EXPECT_TRUE(m_view.ModelToScreen(point, screen));
        const std::size_t at =
            (static_cast<std::size_t>(screen.y) * kWidth + static_cast<std::size_t>(screen.x)) * 4;
        return std::vector<int>{m_pixels[at], m_pixels[at + 1], m_pixels[at + 2]};
    };
    const auto onShady = [&](double t) { return CPoint3d() + u * (-2.0 * t) + CVector3d(0, 0, 2.0 - 2.0 * t); };
    for (const auto& [t, expected] : {std::pair{0.3, std::vector<int>{48, 48, 96}}, {0.8, {16, 16, 32}}}) {
        const std::vector<int> seen = rgb(onShady(t));
        for (std::size_t k = 0; k < 3; ++k) {
            EXPECT_NEAR(seen[k], expected[k], 4) << "t " << t << " channel " << k;
        }
    }
}

TEST_F(ShadowTest, AtNightTheModelIsDrawnOnceWithoutTheSunAndCastsNoShadow)
{
    const CVector3d sun = SetSunHeight(-1.0);
    ASSERT_LT(sun.z, 0.0);
    Square(CPoint3d(), 10.0);
    Square(CPoint3d(0, 0, 3), 2.0);
    LookDown(CPoint3d(), 24.0);
    Draw();
    const int middle = Brightness(CPoint3d(0, 0, 3));
    EXPECT_EQ(Brightness(CPoint3d(6, 6, 0)), Brightness(CPoint3d(-6, -6, 0)));
    EXPECT_EQ(Brightness(CPoint3d(6, 0, 0)), Brightness(CPoint3d(-6, 0, 0)));
    EXPECT_GT(middle, 0);
}

TEST_F(ShadowTest, TheGroundShadowColourDarkensTheGroundOrTurnsGreyOnADarkGround)
{
    struct Case
    {
        CColor ground;
        int dark;
        CColor shadow;
    };
    const Case cases[] = {
        // w = (20 * 0.8 + 20) / 100 = 0.36 of the ground colour.
        {CColor(200, 100, 50, 255), 20, CColor(72, 36, 18, 255)},
        {CColor(10, 10, 10, 255), 20, CColor(0.36, 0.36, 0.36, 1.0)},
    };
    for (const Case& c : cases) {
        const CColor shadow = CGroundShadows::GetShadowColor(c.ground, c.dark);
        EXPECT_NEAR(shadow.GetRedByte(), c.shadow.GetRedByte(), 1);
        EXPECT_NEAR(shadow.GetGreenByte(), c.shadow.GetGreenByte(), 1);
        EXPECT_NEAR(shadow.GetBlueByte(), c.shadow.GetBlueByte(), 1);
    }
}

TEST_F(ShadowTest, TheNorthLineRunsOrangeFromTheAxesOriginTowardsNorth)
{
    LookDown(CPoint3d(), 20.0);
    const auto orange = [this](const CPoint3d& p) {
        CPoint3d screen;
        m_view.ModelToScreen(p, screen);
        const int y = static_cast<int>(screen.y);
        for (int x = static_cast<int>(screen.x) - 2; x <= static_cast<int>(screen.x) + 2; ++x) {
            const std::size_t at = (static_cast<std::size_t>(y) * kWidth + x) * 4;
            if (m_pixels[at] > 200 && m_pixels[at + 1] > 90 && m_pixels[at + 1] < 160 && m_pixels[at + 2] < 60) {
                return true;
            }
        }
        return false;
    };
    Draw();
    EXPECT_FALSE(orange(CPoint3d(0, 6, 0)));
    Shadows().SetSecondDisplaySwitch(true);
    Draw();
    EXPECT_TRUE(orange(CPoint3d(0, 6, 0)));
    EXPECT_FALSE(orange(CPoint3d(0, -6, 0)));
}

namespace {

// The sample house as its Aerial page shows it, drawn larger than the shadow tests' own
// scenes so that the shadows of walls, chimney and trees cover many pixels.
class HouseShadowTest : public GLContextTest
{
protected:
    static constexpr int kViewWidth = 200;
    static constexpr int kViewHeight = 150;

    void SetUp() override
    {
        MakeCurrent(kViewWidth, kViewHeight, 8);
        RegisterModelClasses();
        m_model = new CTarnwickModel();
        BuildHouseModel(*m_model);
        m_view.SetModel(m_model);
        m_view.InitGLState();
        const CurrentModelScope scope(m_model);
        m_model->GetPageList()->GetPage(1)->Activate();
        CViewDefinition definition;
        definition.SetViewportSize(kViewWidth, kViewHeight);
        definition.SetCamera(m_model->GetCamera());
        m_view.SetViewDefinition(definition);
        m_view.SetViewportSize(kViewWidth, kViewHeight);
    }
    void TearDown() override
    {
        renderingflags::SinglePassVolumes = true;
        m_view.SetModel(nullptr);
        m_model->Release();
        GLContextTest::TearDown();
    }

    // The colour of every pixel, top row first, and beside it whether the sun reaches the
    // pixel: its stencil holds the lit pass's reference.
    struct Frame
    {
        std::vector<std::uint8_t> rgba;
        std::vector<bool> sunlit;
    };
    Frame Draw()
    {
        {
            const CurrentModelScope scope(m_model);
            m_view.DrawFrame(0, false);
        }
        glFinish();
        Frame frame;
        EXPECT_TRUE(m_device->ReadPixels(frame.rgba));
        std::vector<std::uint8_t> stencil(static_cast<std::size_t>(kViewWidth) * kViewHeight);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, kViewWidth, kViewHeight, GL_STENCIL_INDEX, GL_UNSIGNED_BYTE, stencil.data());
        for (int y = kViewHeight - 1; y >= 0; --y) {
            for (int x = 0; x < kViewWidth; ++x) {
                frame.sunlit.push_back(stencil[static_cast<std::size_t>(y) * kViewWidth + x] == 127);
            }
        }
        return frame;
    }
    static int Brightness(const Frame& frame, std::size_t pixel)
    {
        return frame.rgba[pixel * 4] + frame.rgba[pixel * 4 + 1] + frame.rgba[pixel * 4 + 2];
    }

    CShadowInfo& Shadows() { return *m_model->GetShadowInfo(); }

    const CUndoSuspender m_suspender;
    FrameView m_view{true};
    CTarnwickModel* m_model = nullptr;
};

}  // namespace

// The lawn lies flat under a low sun: wherever the sun reaches it, it is as bright as the
// whole lawn drawn without shadows on faces, and its shadows are darker, also behind
// the section plane's see-through fill, with the volumes drawn in one pass or in two.
// (The labels are hidden: they are no lawn.)
TEST_F(HouseShadowTest, AtLowSunTheSunlitLawnIsNeverDarkerThanTheLawnInShadow)
{
    m_model->GetLayerManager()->FindLayer(CString("Annotations"))->SetHidden(true);
    Shadows().SetDateTime(CUtcTime(2020, 12, 31, 8, 0, 0));
    ASSERT_LT(Shadows().GetSunDirection().z, 0.15);
    ASSERT_GT(Shadows().GetSunDirection().z, 0.05);
    Shadows().SetOnFaces(false);
    const Frame unshadowed = Draw();
    Shadows().SetOnFaces(true);
    // The lawn is the green most pixels show.
    const auto colourAt = [&unshadowed](std::size_t i) {
        const std::uint8_t* c = &unshadowed.rgba[i * 4];
        return (static_cast<std::uint32_t>(c[0]) << 16U) | (static_cast<std::uint32_t>(c[1]) << 8U) | c[2];
    };
    std::map<std::uint32_t, int> greens;
    for (std::size_t i = 0; i < unshadowed.sunlit.size(); ++i) {
        const std::uint8_t* c = &unshadowed.rgba[i * 4];
        if (c[1] > c[0] + 10 && c[1] > c[2] + 10) {
            ++greens[colourAt(i)];
        }
    }
    ASSERT_FALSE(greens.empty());
    std::uint32_t lawn = 0;
    int most = 0;
    for (const auto& [colour, count] : greens) {
        if (count > most) {
            lawn = colour;
            most = count;
        }
    }
    const int lawnBrightness = static_cast<int>((lawn >> 16U) + ((lawn >> 8U) & 0xFFU) + (lawn & 0xFFU));
    for (const bool singlePass : {true, false}) {
        renderingflags::SinglePassVolumes = singlePass;
        const Frame shadowed = Draw();
        int darkest = 1000;
        int lightestShadow = 0;
        int inShadow = 0;
        for (std::size_t i = 0; i < shadowed.sunlit.size(); ++i) {
            if (colourAt(i) != lawn) {
                continue;
            }
            if (shadowed.sunlit[i]) {
                darkest = std::min(darkest, Brightness(shadowed, i));
            } else {
                lightestShadow = std::max(lightestShadow, Brightness(shadowed, i));
                ++inShadow;
            }
        }
        EXPECT_GT(inShadow, most / 20) << "single pass " << singlePass;
        EXPECT_EQ(darkest, lawnBrightness) << "single pass " << singlePass;
        EXPECT_LT(lightestShadow, darkest) << "single pass " << singlePass;
    }
}

TEST_F(HouseShadowTest, TwoPassVolumesCastTheHousesShadowsAsOnePassDoes)
{
    for (const int hour : {8, 10, 12}) {
        Shadows().SetDateTime(CUtcTime(2020, 6, 21, hour, 0, 0));
        renderingflags::SinglePassVolumes = true;
        const Frame one = Draw();
        renderingflags::SinglePassVolumes = false;
        const Frame two = Draw();
        int shadowed = 0;
        int differing = 0;
        for (std::size_t i = 0; i < one.sunlit.size(); ++i) {
            shadowed += one.sunlit[i] ? 0 : 1;
            differing += std::abs(Brightness(one, i) - Brightness(two, i)) > 12 ? 1 : 0;
        }
        EXPECT_GT(shadowed, kViewWidth * kViewHeight / 50) << "hour " << hour;
        EXPECT_LT(differing, kViewWidth * kViewHeight / 400) << "hour " << hour;
    }
}

// An edge that no casting face uses casts by its own rules, on faces through the stencil
// volumes (one pass and two) and on the ground as a flattened line. Two edges run across
// the sun at height 3 inside a group whose section plane keeps their +r halves: one with
// flat wings, one two units nearer the sun with a steep fin, and the wings and the fin
// cast nothing of their own.
TEST_F(ShadowTest, AnEdgeNoCastingFaceUsesCastsByTheCastingTestAndTheSectionPlanes)
{
    const CVector3d sun = SetSunHeight(0.6);
    CVector3d u(sun.x, sun.y, 0.0);
    u.Normalize();
    const CVector3d r(-u.y, u.x, 0.0);
    const CPoint3d middle(0, 0, 3);
    auto* definition = new CComponentDefinition;
    Root().GetDefinitionList()->Add(definition);
    const CGeometryBuilder builder(*definition);
    // Two faces hanging from the edge at the offset, reaching out by across and down by drop.
    const auto hang = [&](double offset, double across, double drop) {
        const CPoint3d centre = middle + u * offset;
        CVertex* a = builder.Vertex(centre + r * -3.0);
        CVertex* b = builder.Vertex(centre + r * 3.0);
        const auto corner = [&](double along, double side) {
            return builder.Vertex(centre + r * along + u * side + CVector3d(0, 0, -drop));
        };
        builder.Face({a, b, corner(3.0, across), corner(-3.0, across)});
        builder.Face({b, a, corner(-3.0, -across), corner(3.0, -across)});
        return builder.Edge(a, b);
    };
    CEdge* flat = hang(0.0, 0.3, 0.0);
    CEdge* fin = hang(2.0, 0.3, 2.0);
    for (CDrawingElement* entity : definition->GetEntityList()) {
        if (entity != flat && entity != fin) {
            entity->SetCastsShadows(false);
        }
    }
    auto* section = new CSectionPlane(CPlane3d(middle, r));
    definition->AddEntity(section);
    definition->SetActiveSectionPlane(section);
    auto* group = new CComponentInstance;
    definition->AddInstance(group);
    Root().Add(group);
    Square(CPoint3d(0, 0, -0.5), 20.0);
    Options().SetDisplayEdges(1);
    Options().SetDisplayGround(true);
    Options().SetEnableTransparency(true);
    Shadows().SetFromEdges(true);
    auto* glass = new CMaterial;
    glass->SetUseTransparency(true);
    m_model->GetMaterialManager()->AddMaterial(glass);
    // Where the sun throws the point of the edge at the offset, along r, onto the plane at z.
    const auto thrown = [&](double offset, double along, double z) {
        const CPoint3d p = middle + u * offset + r * along;
        return CPoint3d(p.x - sun.x / sun.z * (p.z - z), p.y - sun.y / sun.z * (p.z - z), z);
    };
    LookDown(thrown(1.0, 0.0, 0.0), 14.0);
    const auto shadowAt = [&](const CPoint3d& point, int lit) {
        CPoint3d screen;
        EXPECT_TRUE(m_view.ModelToScreen(point, screen));
        int darkest = 1000;
        for (int y = static_cast<int>(screen.y) - 1; y <= static_cast<int>(screen.y) + 1; ++y) {
            for (int x = static_cast<int>(screen.x) - 1; x <= static_cast<int>(screen.x) + 1; ++x) {
                const std::array<int, 3> c = Pixel(x, y);
                darkest = std::min(darkest, c[0] + c[1] + c[2]);
            }
        }
        return darkest < lit - 30;
    };
    // The material's transparency counts while edges take one colour.
    const auto transparent = [&](double transparency, bool on) {
        glass->SetTransparency(transparency);
        flat->SetMaterial(on ? glass : nullptr);
        Options().SetEdgeColorMode(on ? 0 : 1);
    };
    struct Case
    {
        const char* name;
        std::function<void(bool)> set;
        bool flatCasts;
        bool finCasts;
    };
    const Case cases[] = {
        {"plain", [](bool) {}, true, true},
        {"transparency 0.5", [&](bool on) { transparent(0.5, on); }, false, true},
        {"transparency 0.2", [&](bool on) { transparent(0.2, on); }, true, true},
        {"transparency 0.2, transparent things cast not",
         [&](bool on) {
             transparent(0.2, on);
             renderingflags::TransparentCanCast = !on;
         },
         false, true},
        {"soft: only a profile from the sun",
         [&](bool on) {
             flat->SetSoft(on);
             fin->SetSoft(on);
         },
         false, true},
        {"soft, selected",
         [&](bool on) {
             flat->SetSoft(on);
             flat->SetFlagBits(CDrawingElement::kFlagSelected, on);
         },
         true, true},
        {"soft, hidden geometry shown",
         [&](bool on) {
             flat->SetSoft(on);
             Options().SetShowHiddenGeometry(on);
         },
         true, true},
        {"hidden", [&](bool on) { flat->SetHidden(on); }, false, true},
        {"hidden, hidden geometry shown",
         [&](bool on) {
             flat->SetHidden(on);
             Options().SetShowHiddenGeometry(on);
         },
         true, true},
    };
    for (const int renderer : {0, 1, 2}) {
        const bool ground = renderer == 2;
        const double z = ground ? 0.0 : -0.5;
        renderingflags::SinglePassVolumes = renderer == 0;
        Shadows().SetOnFaces(!ground);
        Shadows().SetOnGround(ground);
        for (const Case& c : cases) {
            c.set(true);
            Shadows().DeleteDisplayList();
            Draw();
            const int lit = Brightness(thrown(-2.0, 1.5, z));
            EXPECT_EQ(shadowAt(thrown(0.0, 1.5, z), lit), c.flatCasts) << c.name << ", renderer " << renderer;
            EXPECT_EQ(shadowAt(thrown(2.0, 1.5, z), lit), c.finCasts) << c.name << ", renderer " << renderer;
            EXPECT_FALSE(shadowAt(thrown(0.0, -1.5, z), lit)) << c.name << ", cut away, renderer " << renderer;
            c.set(false);
        }
    }
}

TEST_F(ShadowTest, AFacesShadowClassFollowsItsMaterialAndTheTransparencySwitches)
{
    CFace* face = Square(CPoint3d(0, 0, 3), 2.0);
    auto* material = new CMaterial;
    material->SetColor(CColor(200, 200, 200, 255));
    m_model->GetMaterialManager()->AddMaterial(material);
    Options().SetEnableTransparency(true);
    const CVector3d down(0, 0, -1);
    struct Case
    {
        const char* name;
        double transparency;  // below 0: no material
        bool transparentCanCast;
        bool faceMe;
        int shadowClass;
    };
    const Case cases[] = {
        {"no material", -1.0, true, false, 2},       {"opaque", 0.0, true, false, 2},
        {"transparency 0.2", 0.2, true, false, 3},   {"transparency 0.5", 0.5, true, false, 0},
        {"transparent things cast not", 0.2, false, false, 0},
        {"face-me record", 0.5, true, true, 3},
    };
    for (const Case& c : cases) {
        material->SetUseTransparency(c.transparency > 0.0);
        material->SetTransparency(std::max(c.transparency, 0.0));
        face->SetMaterial(c.transparency < 0.0 ? nullptr : material);
        EXPECT_EQ(CShadowVolumeWalker::GetShadowClass(&m_view, *face, down, c.transparentCanCast, c.faceMe),
                  c.shadowClass)
            << c.name;
    }
    Options().SetTransparentDisplay(true);
    EXPECT_EQ(CShadowVolumeWalker::GetShadowClass(&m_view, *face, down, true, true), 1) << "see-through display";
}

// The developer switches that are not about the volumes: the stencil snapshot saves a
// picture of the volumes' counts, and without the polygon offset the faces get none.
TEST_F(ShadowTest, TheStencilSnapshotAndThePolygonOffsetSwitchesAreHonoured)
{
    SetSunHeight(0.6);
    Square(CPoint3d(), 10.0);
    Square(CPoint3d(0, 0, 3), 3.0);
    LookDown(CPoint3d(), 24.0);
    const std::string path = CStencilShadows::GetStencilSnapshotPath().ToUtf8();
    std::remove(path.c_str());
    Draw();
    EXPECT_FALSE(std::ifstream(path).good()) << "no snapshot while the switch is off";
    renderingflags::StencilSnapshot = true;
    Draw();
    renderingflags::StencilSnapshot = false;
    std::string head(8, '\0');
    std::ifstream(path, std::ios::binary).read(head.data(), 8);
    std::remove(path.c_str());
    EXPECT_EQ(head, std::string("\x89PNG\r\n\x1a\n", 8));
    // A link planted at the snapshot's name in the shared folder is not written through.
    const std::string target = path + ".target";
    std::ofstream(target) << "target";
    std::filesystem::create_symlink(target, path);
    renderingflags::StencilSnapshot = true;
    Draw();
    renderingflags::StencilSnapshot = false;
    EXPECT_EQ(std::filesystem::file_size(target), 6U);
    EXPECT_TRUE(std::filesystem::is_symlink(path));
    std::remove(path.c_str());
    std::remove(target.c_str());

    for (const bool offset : {false, true}) {
        renderingflags::UsePolygonOffset = offset;
        m_view.ResetPolygonOffset();
        EXPECT_EQ(glIsEnabled(GL_POLYGON_OFFSET_FILL) == GL_TRUE, offset);
    }
}

// Two-pass volumes are wound to face out of their volume: a box placed mirrored and
// beside it unmirrored, a loose square with a cap (a little transparent) and a lone edge's closed slab cast what
// one pass casts.
TEST_F(ShadowTest, TwoPassVolumesCastAsOnePassAlsoMirroredWithCapsAndLoneEdges)
{
    const CVector3d sun = SetSunHeight(0.6);
    Square(CPoint3d(), 14.0);
    auto* definition = new CComponentDefinition;
    Root().GetDefinitionList()->Add(definition);
    for (CFace* face : CGeometryBuilder(*definition).Box(CPoint3d(1, 1, 1.5), CPoint3d(6, 5, 3.5))) {
        (void)face;
    }
    auto* mirrored = new CComponentInstance;
    CTransformation mirror;
    mirror.SetScale(-1.0, 1.0, 1.0);
    mirrored->SetTransform(mirror);
    definition->AddInstance(mirrored);
    Root().Add(mirrored);
    // Overlapping the mirrored one, so that a volume wound the wrong way would cancel.
    auto* plain = new CComponentInstance;
    CTransformation shift;
    shift.SetTranslation(CVector3d(-7.0, 0.0, 0.3));
    plain->SetTransform(shift);
    definition->AddInstance(plain);
    Root().Add(plain);
    auto* glass = new CMaterial;
    glass->SetColor(CColor(200, 200, 255, 255));
    glass->SetUseTransparency(true);
    glass->SetTransparency(0.2);
    m_model->GetMaterialManager()->AddMaterial(glass);
    Options().SetEnableTransparency(true);
    Square(CPoint3d(4, -4, 3), 1.5)->SetMaterial(glass);
    const CGeometryBuilder builder(Root());
    builder.Edge(builder.Vertex(CPoint3d(-4, -5, 2)), builder.Vertex(CPoint3d(-1, -3, 3)));
    Options().SetDisplayEdges(1);
    Shadows().SetFromEdges(true);
    LookDown(CPoint3d(-sun.x / sun.z * 2.0, -sun.y / sun.z * 2.0, 0), 30.0);
    // Where both boxes throw their middles.
    const CPoint3d overlap = Thrown(sun, CPoint3d(-3.5, 3.0, 2.6));
    const CPoint3d lit(6.0, -6.0, 0.0);
    Draw();
    EXPECT_LT(Brightness(overlap), Brightness(lit) - 30);
    const std::vector<std::uint8_t> one = m_pixels;
    renderingflags::SinglePassVolumes = false;
    Draw();
    EXPECT_LT(Brightness(overlap), Brightness(lit) - 30);
    int differing = 0;
    int dark = 0;
    for (std::size_t i = 0; i < m_pixels.size(); i += 4) {
        differing += std::abs(m_pixels[i] + m_pixels[i + 1] + m_pixels[i + 2] - one[i] - one[i + 1] - one[i + 2]) > 12;
        dark += one[i] + one[i + 1] + one[i + 2] < 300 ? 1 : 0;
    }
    EXPECT_GT(dark, kWidth * kHeight / 20);
    EXPECT_LT(differing, kWidth * kHeight / 100);
}

// The width dimension lies on the lawn in front of the house and its label stands
// upright over it, half of it behind the ground as the eye sees it. With shadows on
// faces the lit pass redraws the sunlit lawn over the dark pass; the label is drawn in
// both passes and shows whole, as it does without face shadows.
TEST_F(HouseShadowTest, ADimensionLabelOnTheSunlitLawnShowsWholeUnderFaceShadows)
{
    const CPoint3d label(5, -1.5, 0);
    CViewDefinition definition = m_view.GetViewDefinition();
    definition.SetEyeTarget(label + CVector3d(12, -12, 6), label, CVector3d(0, 0, 1));
    m_view.SetViewDefinition(definition);
    Shadows().SetDateTime(CUtcTime(2020, 6, 21, 12, 0, 0));
    CPoint3d screen;
    ASSERT_TRUE(m_view.ModelToScreen(label, screen));
    // The rows round the label's anchor where something not lawn shows: the text's height.
    const auto rows = [&](const Frame& frame) {
        int count = 0;
        for (int y = static_cast<int>(screen.y) - 6; y <= static_cast<int>(screen.y) + 6; ++y) {
            bool text = false;
            for (int x = static_cast<int>(screen.x) - 14; x <= static_cast<int>(screen.x) + 14; ++x) {
                const std::uint8_t* c = &frame.rgba[(static_cast<std::size_t>(y) * kViewWidth + x) * 4];
                text = text || c[1] < c[0] + 25;
            }
            count += text ? 1 : 0;
        }
        return count;
    };
    Shadows().SetOnFaces(false);
    const int plain = rows(Draw());
    Shadows().SetOnFaces(true);
    ASSERT_GE(plain, 8);
    EXPECT_GE(rows(Draw()), plain - 1);
}

// An instance casts with a copy of the pass's state: its faces take their caps at once
// when it faces the camera, and it casts nothing once its box reaches below the plane
// the shadows fall on.
TEST_F(ShadowTest, AnInstanceFacingTheCameraCastsWithCapsAndOneReachingBelowTheGroundCastsNothing)
{
    const CVector3d sun = SetSunHeight(0.6);
    auto* definition = new CComponentDefinition;
    Root().GetDefinitionList()->Add(definition);
    const CGeometryBuilder builder(*definition);
    CFace* top = builder.Face({builder.Vertex(CPoint3d(-2, -2, 5)), builder.Vertex(CPoint3d(2, -2, 5)),
                               builder.Vertex(CPoint3d(2, 2, 5)), builder.Vertex(CPoint3d(-2, 2, 5))},
                              CVector3d(0, 0, 1));
    // A stake down to z = -1 under the square, edge-on to the view.
    builder.Face({builder.Vertex(CPoint3d(0, 0, -1)), builder.Vertex(CPoint3d(0.1, 0, -1)),
                  builder.Vertex(CPoint3d(0.1, 0, 1)), builder.Vertex(CPoint3d(0, 0, 1))},
                 CVector3d(0, -1, 0));
    auto* instance = new CComponentInstance;
    definition->AddInstance(instance);
    Root().Add(instance);
    auto* behavior = dynamic_cast<CComponentBehavior*>(definition->GetBehavior());
    ASSERT_NE(behavior, nullptr);
    Options().SetDisplayGround(true);
    Shadows().SetOnFaces(false);
    struct Case
    {
        const char* name;
        double lift;
        bool facesCamera;
        bool casts;
        int topClass;
    };
    for (const Case& c : {Case{"standing clear of the ground", 2.0, false, true, 2},
                          Case{"facing the camera", 2.0, true, true, 3},
                          Case{"reaching below the ground", 0.0, false, false, 0}}) {
        CTransformation lift;
        lift.SetTranslation(CVector3d(0, 0, c.lift));
        instance->SetTransform(lift);
        behavior->SetAlwaysFacesCamera(c.facesCamera);
        const CPoint3d shadow = Thrown(sun, CPoint3d(0, 0, 5 + c.lift));
        LookDown(CPoint3d(), 2.0 * std::hypot(shadow.x, shadow.y) + 12.0);
        top->SetFlagBits(CShadowVolumeWalker::kShadowModeMask, false);
        Draw();
        EXPECT_EQ(Brightness(shadow) < Brightness(CPoint3d(-shadow.x, -shadow.y, 0)) - 30, c.casts) << c.name;
        EXPECT_EQ((top->GetFlags() & CShadowVolumeWalker::kShadowModeMask) >> CShadowVolumeWalker::kShadowModeShift,
                  static_cast<std::uint32_t>(c.topClass))
            << c.name;
    }
}

TEST_F(ShadowTest, PlacementsPastTheFirstBatchOfVolumesCastAsTheFirstDoes)
{
    const CVector3d sun = SetSunHeight(0.6);
    auto* definition = new CComponentDefinition;
    Root().GetDefinitionList()->Add(definition);
    const CGeometryBuilder builder(*definition);
    const auto at = [&](double dx, double dy) { return builder.Vertex(CPoint3d(dx, dy, 4)); };
    builder.Face({at(-1.5, -1.5), at(1.5, -1.5), at(1.5, 1.5), at(-1.5, 1.5)}, CVector3d(0, 0, 1));
    // Four side quads a placement: the first over the floor, then enough far off to fill
    // a batch, and the last over the floor again.
    const int placements = static_cast<int>(CShadowVolumeWalker::kBatchQuads / 4) + 100;
    for (int i = 0; i < placements; ++i) {
        CTransformation place;
        place.SetTranslation(i == 0                ? CVector3d(-6, 0, 0)
                             : i == placements - 1 ? CVector3d(6, 0, 0)
                                                   : CVector3d(1000.0 + 5.0 * i, 1000, 0));
        auto* instance = new CComponentInstance;
        definition->AddInstance(instance);
        instance->SetTransform(place);
        Root().Add(instance);
    }
    const CPoint3d first = Thrown(sun, CPoint3d(-6, 0, 4));
    const CPoint3d last = Thrown(sun, CPoint3d(6, 0, 4));
    const CPoint3d lit = Thrown(sun, CPoint3d(0, 0, 4));
    const double reach = std::hypot(lit.x, lit.y) + 12.0;
    Square(CPoint3d(), reach);
    LookDown(CPoint3d(), 2.0 * reach);
    Draw();
    EXPECT_LT(Brightness(first), Brightness(lit) - 30) << "in the first batch";
    EXPECT_LT(Brightness(last), Brightness(lit) - 30) << "in the last batch";

    ShadowVolumeContext context;
    context.light = -sun;
    context.light.Normalize();
    context.Init(&m_view, &Shadows(), true, false, true);
    CShadowVolumeWalker walker(&m_view, context);
    walker.Walk(Root());
    EXPECT_EQ(walker.GetLargestBatch(), CShadowVolumeWalker::kBatchQuads);
}
