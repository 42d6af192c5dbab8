// Section planes, their cuts, guides and polylines drawn offscreen and picked, checked
// by the pixels where they should land and by the names a pick reports.

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <vector>

#include "annotations/constructionline.h"
#include "annotations/constructionpoint.h"
#include "annotations/polyline3d.h"
#include "annotations/sectionplane.h"
#include "annotations/sectionplaneslice.h"
#include "foundation/framemeter.h"
#include "samplegen/gridmodel.h"
#include "samplegen/housemodel.h"
#include "tests/tools/viewfixture.h"
#include "tools/pickhelper.h"

namespace {

using Rgb = std::array<int, 3>;

const CColor kBackground(0, 0, 0, 255);
const CColor kForeground(255, 255, 255, 255);

class AnnotationDrawingTest : public ViewFixture
{
protected:
    void SetUp() override
    {
        ViewFixture::SetUp();
        CRenderingOptions& options = *m_model->GetRenderingOptions();
        options.SetBackgroundColor(kBackground);
        options.SetForegroundColor(kForeground);
        options.SetDisplaySky(false);
        options.SetDisplayGround(false);
        LookDown(kViewHeight);
    }

    // A parallel view straight down at the origin showing the given height.
    void LookDown(double height)
    {
        CViewDefinition definition;
        definition.SetViewportSize(kWidth, kHeight);
        definition.SetEyeTarget(CPoint3d(0, 0, 100), CPoint3d(0, 0, 0), CVector3d(0, 1, 0));
        definition.SetPerspective(false);
        definition.SetViewHeight(height);
        m_view.SetViewDefinition(definition);
        m_view.SetViewportSize(kWidth, kHeight);
    }

    CRenderingOptions& Options() { return *m_model->GetRenderingOptions(); }

    void DrawAndRead()
    {
        Draw();
        ASSERT_TRUE(m_device->ReadPixels(m_pixels));
    }

    // The window pixel (from the top) of a model point on the ground plane.
    static std::array<int, 2> At(double x, double y)
    {
        const double perUnit = kHeight / kViewHeight;
        return {static_cast<int>(kWidth / 2.0 + x * perUnit), static_cast<int>(kHeight / 2.0 - y * perUnit)};
    }
    [[nodiscard]] Rgb Pixel(double x, double y) const
    {
        const auto [px, py] = At(x, y);
        const std::size_t at = (static_cast<std::size_t>(py) * kWidth + px) * 4;
        return {m_pixels[at], m_pixels[at + 1], m_pixels[at + 2]};
    }
    [[nodiscard]] int Count(const CColor& color) const
    {
        int count = 0;
        for (std::size_t at = 0; at < m_pixels.size(); at += 4) {
            count += Near({m_pixels[at], m_pixels[at + 1], m_pixels[at + 2]}, color) ? 1 : 0;
        }
        return count;
    }
    // The framebuffer may hold fewer bits per channel than a colour.
    static bool Near(const Rgb& pixel, const CColor& color)
    {
        const Rgb wanted = {color.GetRedByte(), color.GetGreenByte(), color.GetBlueByte()};
        for (int i = 0; i < 3; ++i) {
            if (std::abs(pixel[i] - wanted[i]) > 8) {
                return false;
            }
        }
        return true;
    }

    // Walls of a box open at top and bottom, standing from z0 to z1.
    void Walls(CComponent& component, double half, double z0, double z1)
    {
        const CGeometryBuilder builder(component);
        const std::array<CPoint3d, 4> corners = {CPoint3d(-half, -half, 0), CPoint3d(half, -half, 0),
                                                 CPoint3d(half, half, 0), CPoint3d(-half, half, 0)};
        for (int i = 0; i < 4; ++i) {
            const CPoint3d& a = corners[i];
            const CPoint3d& b = corners[(i + 1) % 4];
            builder.Face({builder.Vertex(CPoint3d(a.x, a.y, z0)), builder.Vertex(CPoint3d(b.x, b.y, z0)),
                          builder.Vertex(CPoint3d(b.x, b.y, z1)), builder.Vertex(CPoint3d(a.x, a.y, z1))});
        }
    }

    CSectionPlane* AddPlane(CComponent& component, const CPlane3d& equation, bool active)
    {
        auto* plane = new CSectionPlane(equation);
        component.Add(plane);
        if (active) {
            component.SetActiveSectionPlane(plane);
        }
        return plane;
    }

    static constexpr double kViewHeight = 30.0;
    const CUndoSuspender m_suspender;
    std::vector<std::uint8_t> m_pixels;
};

TEST_F(AnnotationDrawingTest, ASectionPlaneFramesItsComponentAndOnlyAnActivePlaneDrawsTheCut)
{
    // Walls of half size 3 cut at z = 0; a floor of half size 9 below widens the box,
    // so the rectangle runs 5% of the mean side outside it, at 9.9.
    Walls(Root(), 3.0, -2.0, 2.0);
    Square(Root(), 9.0, -3.0);
    const CPlane3d keepBelow(CPoint3d(0, 0, 0), CVector3d(0, 0, -1));
    struct Case
    {
        bool active;
        CColor planeColor;
        bool cut;
    };
    const Case cases[] = {
        {false, Options().GetSectionPlaneColor(), false},
        {true, Options().GetActiveSectionColor(), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.active);
        CSectionPlane* plane = AddPlane(Root(), keepBelow, c.active);
        DrawAndRead();
        // Outside the fill, a quarter along the left side.
        EXPECT_TRUE(Near(Pixel(-10.2, -5.0), c.planeColor));
        EXPECT_EQ(Near(Pixel(3.0, 1.0), Options().GetSectionCutColor()), c.cut);
        EXPECT_EQ(plane->GetSlice() != nullptr, c.cut);
        Root().SetActiveSectionPlane(nullptr);
        plane->EraseFromComponent(&Root());
    }
}

TEST_F(AnnotationDrawingTest, TheHouseCutAtItsWindowsShowsItsWallsInTheCutColour)
{
    BuildHouseModel(*m_model);
    CSectionPlane* plane = nullptr;
    for (CDrawingElement* entity : Root().GetEntityList()) {
        plane = plane != nullptr ? plane : dynamic_cast<CSectionPlane*>(entity);
    }
    ASSERT_NE(plane, nullptr);
    LookDown(40.0);
    const CColor cut = Options().GetSectionCutColor();
    DrawAndRead();
    const int uncut = Count(cut);
    Root().SetActiveSectionPlane(plane);
    DrawAndRead();
    ASSERT_NE(plane->GetSlice(), nullptr);
    EXPECT_GT(plane->GetSlice()->GetSliceCount(), 4);
    EXPECT_GT(Count(cut), uncut + 50);
    // Moving the plane drops the cut; the next frame cuts afresh.
    plane->SetPlane(CPlane3d(CPoint3d(0, 0, 1.0), CVector3d(0, 0, -1)));
    EXPECT_EQ(plane->GetSlice(), nullptr);
}

TEST_F(AnnotationDrawingTest, InstancesSeeingADefinitionThroughOnePlaneShareItsSlice)
{
    CComponentDefinition* definition = Place(Root(), nullptr, Shift(-5, 0, 0));
    Place(Root(), definition, Shift(5, 0, 0));
    // Lifted, so it sees the plane at another height.
    Place(Root(), definition, Shift(0, 5, 0.5));
    Walls(*definition, 2.0, -2.0, 2.0);
    CSectionPlane* plane = AddPlane(Root(), CPlane3d(CPoint3d(0, 0, 0), CVector3d(0, 0, -1)), true);
    // The definition places itself too: the walk must not follow it.
    Place(*definition, definition, Shift(0, 0, 0));
    DrawAndRead();
    ASSERT_NE(plane->GetSlice(), nullptr);
    EXPECT_EQ(plane->GetSlice()->GetDefinitionSliceCount(), 2);
    EXPECT_TRUE(Near(Pixel(-3.0, 1.0), Options().GetSectionCutColor()));
    EXPECT_TRUE(Near(Pixel(7.0, 1.0), Options().GetSectionCutColor()));
}

TEST_F(AnnotationDrawingTest, PlacementsShareADefinitionSliceWhileTheirPlanesAgreeWithinTheTolerance)
{
    CComponentDefinition* definition = Place(Root(), nullptr, Shift(0, 0, 0));
    Walls(*definition, 1.0, -2.0, 2.0);
    const CUnitVector3d xAxis(1, 0, 0);
    const CUnitVector3d yAxis(0, 1, 0);
    const CUnitVector3d zAxis(0, 0, 1);
    // With the first: lifted by less than the tolerance, turned over, turned about the
    // plane's normal.
    Place(Root(), definition, Shift(3, 0, 0.0009));
    Place(Root(), definition, Shift(6, 0, 0) * CTransformation::Rotation(CPoint3d(), xAxis, 3.141592653589793));
    Place(Root(), definition, Shift(9, 0, 0) * CTransformation::Rotation(CPoint3d(), zAxis, 0.7));
    // Lifted by more: a slice of its own, which the next shares.
    Place(Root(), definition, Shift(0, 3, 0.0011));
    Place(Root(), definition, Shift(3, 3, 0.0020));
    // Tilted a little further each: a slice each.
    constexpr int kTilted = 40;
    for (int i = 1; i <= kTilted; ++i) {
        Place(Root(), definition, Shift(0, -3.0 * i, 0) * CTransformation::Rotation(CPoint3d(), yAxis, 0.004 * i));
    }
    CSectionPlane* plane = AddPlane(Root(), CPlane3d(CPoint3d(0, 0, 0), CVector3d(0, 0, -1)), true);
    Draw();
    ASSERT_NE(plane->GetSlice(), nullptr);
    EXPECT_EQ(plane->GetSlice()->GetDefinitionSliceCount(), 2 + kTilted);
}

TEST_F(AnnotationDrawingTest, ACutTheMeterStopsIsNotKeptAndALaterFrameCutsItWhole)
{
    (void)AddTriangleGrid(Root(), 2000);
    CSectionPlane* plane = AddPlane(Root(), CPlane3d(CPoint3d(10.5, 0, 0), CVector3d(1, 0.3, 0)), true);
    const CurrentModelScope scope(m_model);
    CSectionPlaneSlice whole(&Root());
    ASSERT_TRUE(whole.Compute(plane->GetPlane(), &m_view));
    ASSERT_GT(whole.GetSliceCount(), 20);
    struct Case
    {
        const char* name;
        std::uint64_t budget;
        CFrameMeter::EInput input;
    };
    const Case cases[] = {
        {"its budget spent", CFrameMeter::kInputCheckUnits + 100, CFrameMeter::EInput::kIgnored},
        {"input waiting", UINT64_MAX, CFrameMeter::EInput::kStops},
    };
    CFrameMeter::SetInputProbe([]() noexcept { return true; });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        {
            const CFrameMeter::CScope meter(c.budget, false, c.input);
            // The frame has drawn almost up to its next look for input.
            (void)CFrameMeter::Charge(CFrameMeter::kInputCheckUnits - 1);
            plane->BuildSlice(&m_view);
            EXPECT_TRUE(meter.IsExhausted() || meter.WasInterrupted());
        }
        EXPECT_EQ(plane->GetSlice(), nullptr);
        plane->BuildSlice(&m_view);
        ASSERT_NE(plane->GetSlice(), nullptr);
        EXPECT_EQ(plane->GetSlice()->GetSliceCount(), whole.GetSliceCount());
        plane->DeleteSlice();
    }
    CFrameMeter::SetInputProbe(nullptr);
}

TEST_F(AnnotationDrawingTest, NestedCutsBeyondTheGLClipPlanesStillCutInSoftware)
{
    // Seven nested components, each cutting away x above 12, 10, ... 0: the seventh
    // plane holds no GL clip plane.
    Options().ToggleSectionDisplay(CRenderingOptions::kSectionPlanesShown);
    LookDown(15.0);
    CComponent* holder = &Root();
    for (int level = 0; level < 7; ++level) {
        AddPlane(*holder, CPlane3d(-1.0, 0.0, 0.0, 12.0 - 2.0 * level), true);
        holder = Place(*holder, nullptr, Shift(0, 0, 0));
    }
    Square(*holder, 8.0, 0.0);
    DrawAndRead();
    const double perUnit = kHeight / 15.0;
    const auto pixel = [this, perUnit](double x) {
        const std::size_t at = (static_cast<std::size_t>(kHeight / 2 - 8) * kWidth +
                                static_cast<int>(kWidth / 2.0 + x * perUnit)) * 4;
        return Rgb{m_pixels[at], m_pixels[at + 1], m_pixels[at + 2]};
    };
    EXPECT_FALSE(Near(pixel(-4.0), kBackground));
    // Only the seventh plane cuts between 0 and 2.
    EXPECT_TRUE(Near(pixel(1.4), kBackground));
    EXPECT_TRUE(Near(pixel(0.0), Options().GetSectionCutColor()));
}

TEST_F(AnnotationDrawingTest, GuidesAndPolylinesDrawDashedAndSolidAtFullDetail)
{
    struct Case
    {
        const char* name;
        std::function<CDrawingElement*()> make;
        CColor color;
        int minimum;
    };
    const CColor guide = Options().GetConstructionColor();
    const Case cases[] = {
        {"a bounded guide line, dashed",
         [] { return new CConstructionLine(CBoundedLine3d(CPoint3d(-10, 0, 0), CPoint3d(10, 0, 0))); }, guide, 12},
        {"an unbounded guide line across the view",
         [] { return new CConstructionLine(CBoundedLine3d(CLine3d(CPoint3d(0, 0, 0), CUnitVector3d(0, 1, 0)), true, true)); },
         // Half of the view's 48 rows, dashed.
         guide, 24},
        {"a guide point, a cross", [] { return new CConstructionPoint(CPoint3d(2, 2, 0)); }, guide, 6},
        {"a polyline, solid",
         [] {
             return new CPolyline3d({CPoint3d(-10, -10, 0), CPoint3d(10, -10, 0), CPoint3d(10, 10, 0)});
         },
         kForeground, 30},
        {"a polyline of one point draws nothing", [] { return new CPolyline3d({CPoint3d(0, 0, 0)}); }, kForeground,
         0},
    };
    // Each also inside an instance shifted down, where its unbounded lines must
    // still reach across the view.
    CComponentDefinition* shifted = Place(Root(), nullptr, Shift(0, -6, 0));
    for (CComponent* holder : {static_cast<CComponent*>(&Root()), static_cast<CComponent*>(shifted)}) {
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CDrawingElement* element = c.make();
        holder->Add(element);
        DrawAndRead();
        EXPECT_GE(Count(c.color), c.minimum);
        if (c.minimum == 0) {
            EXPECT_EQ(Count(c.color), 0);
        }
        element->EraseFromComponent(holder);
    }
    }
}

TEST_F(AnnotationDrawingTest, EveryKindIsPickedByItsOwnNameAndAPlaneByItsPart)
{
    Square(Root(), 9.0, -3.0);
    auto* line = new CConstructionLine(CBoundedLine3d(CPoint3d(-12, 12, 0), CPoint3d(12, 12, 0)));
    auto* point = new CConstructionPoint(CPoint3d(-12, -12, 0));
    auto* polyline = new CPolyline3d({CPoint3d(12, -12, 0), CPoint3d(12, 0, 0)});
    CSectionPlane* plane = AddPlane(Root(), CPlane3d(CPoint3d(0, 0, 0), CVector3d(0, 0, 1)), false);
    for (CDrawingElement* element : std::initializer_list<CDrawingElement*>{line, point, polyline}) {
        Root().Add(element);
    }
    struct Case
    {
        double x;
        double y;
        CEntity* entity;
        int part;
    };
    const Case cases[] = {
        {0.0, 12.0, line, -1},    {-12.0, -12.0, point, -1}, {12.0, -6.0, polyline, -1},
        // The guides widen the component's box: the rectangle runs at 13.2.
        {-13.2, -5.0, plane, 1},  {4.0, 4.0, plane, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << ", " << c.y);
        const auto [px, py] = At(c.x, c.y);
        CPickHelper picker;
        picker.SetFaceTracking(false);
        picker.Attach(&m_view, CPoint2d(px, py), 2);
        const CurrentModelScope scope(m_model);
        ASSERT_GE(picker.Pick(), 1);
        bool found = false;
        for (int i = 0; i < picker.GetHitCount(); ++i) {
            const CPickHelper::HitPath hit = picker.GetHit(i);
            found = found || (hit.GetPickedEntity() == c.entity && hit.GetSubElementIndex() == c.part);
        }
        EXPECT_TRUE(found);
    }
}

}  // namespace
