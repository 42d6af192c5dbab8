// Sun shadows drawn offscreen: on the ground by the flattened casters, and on faces
// through the stencil volumes, checked by the brightness of a few pixels.

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "annotations/sectionclipstack.h"
#include "annotations/sectionplane.h"
#include "document/component.h"
#include "document/componentbehavior.h"
#include "document/componentdefinition.h"
#include "document/componentinstance.h"
#include "document/definitionlist.h"
#include "document/renderingoptions.h"
#include "document/shadowinfo.h"
#include "document/tarnwickmodel.h"
#include "document/utctime.h"
#include "drawapi/renderingflags.h"
#include "model/edge.h"
#include "model/face.h"
#include "model/smoothnormals.h"
#include "model/undosuspender.h"
#include "model/vertex.h"
#include "render/groundshadows.h"
#include "render/terminatorfaces.h"
#include "render/tarnisview.h"
#include "samplegen/geometrybuilder.h"
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
        ModelFrameTest::TearDown();
    }

    // The hour of a winter day whose sun height lies nearest the wanted one; the sun
    // direction then follows from the model's place and time.
    CVector3d SetSunHeight(double wanted)
    {
        int best = 0;
        double bestHeight = 1e9;
        for (int hour = 0; hour < 24; ++hour) {
            Shadows().SetDateTime(CUtcTime(2020, 12, 21, hour, 0, 0));
            const double z = Shadows().GetSunDirection().z;
            if (std::abs(z - wanted) < std::abs(bestHeight - wanted)) {
                best = hour;
                bestHeight = z;
            }
        }
        Shadows().SetDateTime(CUtcTime(2020, 12, 21, best, 0, 0));
        return Shadows().GetSunDirection();
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
