#include "tools/pickhelper.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

#include "annotations/polyline3d.h"
#include "annotations/sectionplane.h"
#include "foundation/framemeter.h"
#include "model/edge.h"
#include "model/vertex.h"
#include "render/viewcenterfinder.h"
#include "tests/heapinuse.h"
#include "tests/tools/toolstestsupport.h"
#include "tests/tools/viewfixture.h"
#include "tools/cameraorbittool.h"
#include "tools/toolmanager.h"

namespace {

// Work of a large model, drawn or walked before what follows it in the root.
class CHeavyElement : public CDrawingElement
{
public:
    static constexpr std::uint64_t kWork = 10'000'000;
    static constexpr std::uint64_t kStep = 1'000;

    void AccumulateExtents(const CTransformation& /*transform*/, CBoundingBox3d& /*box*/) const override {}
    void Draw(ITarnisView* /*view*/) override
    {
        for (std::uint64_t charged = 0; charged < kWork; charged += kStep) {
            if (!CFrameMeter::Charge(kStep)) {
                return;
            }
        }
    }
    [[nodiscard]] std::uint64_t GetDrawingWeight(bool /*shadows*/) const override { return kWork; }
};

bool g_inputWaiting = false;

bool ProbeInput() noexcept
{
    return g_inputWaiting;
}

class PickTest : public ViewFixture
{
protected:
    // A point pick at the window point with the default aperture.
    int Pick(CPickHelper& picker, const CPoint2d& point)
    {
        picker.Attach(&m_view, point, 0);
        const CurrentModelScope scope(m_model);
        return picker.Pick();
    }

    // The window rectangle round the points' window positions, grown by the margin,
    // with its left side moved right by the cut.
    std::pair<CPoint2d, CPoint2d> WindowRound(const std::vector<CPoint3d>& points, double margin, double cut = 0.0)
    {
        double left = 1e9;
        double top = 1e9;
        double right = -1e9;
        double bottom = -1e9;
        for (const CPoint3d& point : points) {
            CPoint3d window;
            EXPECT_TRUE(m_view.ModelToScreen(point, window));
            left = std::min(left, window.x);
            right = std::max(right, window.x);
            top = std::min(top, window.y);
            bottom = std::max(bottom, window.y);
        }
        return {CPoint2d(left - margin + cut, top - margin), CPoint2d(right + margin, bottom + margin)};
    }

    const CPoint2d kCentre{kWidth / 2.0, kHeight / 2.0};
};

TEST_F(PickTest, TheFaceUnderTheCursorComesFirstAndHidesWhatLiesBehindIt)
{
    CFace* lower = Square(Root(), 5.0, 0.0);
    // Drawn after the lower face, inside an instance lifted by 3.
    CComponentDefinition* definition = Place(Root(), nullptr, Shift(0, 0, 3));
    CFace* upper = Square(*definition, 4.0, 2.0);
    CPickHelper picker;
    picker.SetFaceTracking(false);
    ASSERT_EQ(Pick(picker, kCentre), 2);
    EXPECT_EQ(picker.GetHit(0).GetPickedEntity(), upper);
    EXPECT_EQ(picker.GetHit(0).GetEntityCount(), 2);  // the instance, then the face
    EXPECT_EQ(picker.GetHit(1).GetPickedEntity(), lower);
    EXPECT_LT(picker.GetHit(0).GetMinDepth(), picker.GetHit(1).GetMinDepth());

    picker.SetFaceTracking(true);
    ASSERT_EQ(Pick(picker, kCentre), 1);
    EXPECT_EQ(picker.GetNearestFace(), upper);
    EXPECT_NEAR(picker.GetNearestFacePlane().GetSignedDistance(CPoint3d(0, 0, 6)), 1.0, 1e-9);

    CPoint3d nearest;
    ASSERT_TRUE(picker.FindNearestHitPoint(nearest));
    EXPECT_LT(nearest.Distance(CPoint3d(0, 0, 5)), 1e-9);
}

TEST_F(PickTest, AnEdgeComesBeforeItsFaceAtTheSameDepth)
{
    CFace* face = Square(Root(), 5.0, 0.0);
    // The left side: 12 pixels left of the centre at 2.4 pixels per unit.
    CPickHelper picker;
    ASSERT_EQ(Pick(picker, CPoint2d(kCentre.x - 12, kCentre.y)), 2);
    auto* edge = dynamic_cast<CEdge*>(picker.GetHit(0).GetPickedEntity());
    ASSERT_NE(edge, nullptr);
    EXPECT_NEAR(edge->GetStartVertex()->GetPosition().x, -5.0, 1e-9);
    EXPECT_EQ(picker.GetHit(1).GetPickedEntity(), face);
    EXPECT_EQ(picker.GetFirstEdge(), edge);
    EXPECT_LT(picker.GetFirstEdgeDistance(), 1e-9);
}

TEST_F(PickTest, MoreHitsThanTheSelectionBufferHoldsKeepThoseThatFitInDepthOrder)
{
    const CGeometryBuilder builder(Root());
    constexpr int kEdges = 600;
    for (int i = 0; i < kEdges; ++i) {
        // Depths in a shuffled order.
        const double z = (i * 37 % kEdges) * 0.1;
        builder.Edge(builder.Vertex(CPoint3d(-5, 0, z)), builder.Vertex(CPoint3d(5, 0, z)));
    }
    CPickHelper picker;
    // Each record holds its count, two depths, the pick's base name and the edge's.
    EXPECT_EQ(Pick(picker, kCentre), CPickHelper::kBufferSize / 5);
    for (int i = 1; i < picker.GetHitCount(); ++i) {
        EXPECT_LE(picker.GetHit(i - 1).GetMinDepth(), picker.GetHit(i).GetMinDepth()) << i;
    }
}

// Seen with the screen turned a quarter of a right angle to the model's axes, the box
// of a diagonal edge or of a sloped triangle reaches far beyond the element itself.
TEST_F(PickTest, AWindowTakesAFaceOrEdgeWhollyInsideItWhateverItsBoxAndNotOneItCuts)
{
    Look(CPoint3d(0, 0, 100), CPoint3d(0, 0, 0), CVector3d(-1, 1, 0), false);
    const CGeometryBuilder builder(Root());
    const std::vector<CPoint3d> edgeEnds{{-4, -4, 0}, {4, 4, 0}};
    CEdge* edge = builder.Edge(builder.Vertex(edgeEnds[0]), builder.Vertex(edgeEnds[1]));
    const std::vector<CPoint3d> corners{{-3, -5, 2}, {5, 3, 2}, {5, -5, 5}};
    CFace* triangle = builder.Face({builder.Vertex(corners[0]), builder.Vertex(corners[1]), builder.Vertex(corners[2])},
                                   CVector3d(-3, 3, 8));
    struct Case
    {
        const char* name;
        const CDrawingElement* element;
        const std::vector<CPoint3d>* points;
        double cut;
        int mode;
        bool picked;
    };
    const Case cases[] = {
        {"the edge held by a window", edge, &edgeEnds, 0.0, CPickHelper::kModeWindow, true},
        {"the edge cut by a window", edge, &edgeEnds, 6.0, CPickHelper::kModeWindow, false},
        {"the edge cut by a crossing", edge, &edgeEnds, 6.0, CPickHelper::kModeCrossing, true},
        {"the triangle held by a window", triangle, &corners, 0.0, CPickHelper::kModeWindow, true},
        {"the triangle cut by a window", triangle, &corners, 6.0, CPickHelper::kModeWindow, false},
    };
    for (const Case& c : cases) {
        const auto [corner1, corner2] = WindowRound(*c.points, 2.0, c.cut);
        EXPECT_EQ(RegionPicks(c.element, corner1, corner2, c.mode), c.picked) << c.name;
    }
    // A point pick takes the triangle where its line of sight meets it, not at the
    // corner of its box.
    for (const auto& [point, picked] : {std::pair{CPoint3d(4, -3, 0), true}, std::pair{CPoint3d(-3, 3, 0), false}}) {
        CPoint3d window;
        ASSERT_TRUE(m_view.ModelToScreen(point, window));
        CPickHelper picker;
        picker.Attach(&m_view, CPoint2d(window.x, window.y), 0);
        EXPECT_EQ(triangle->IsSelectedBy(&picker, nullptr), picked) << point.x << ", " << point.y;
    }
}

// A window asked each element of a group on its own, so a window round one face of a
// group took the whole group.
TEST_F(PickTest, AWindowTakesAnInstanceWhollyInsideItAndACrossingOneWhoseEntityItHolds)
{
    auto* definition = new CComponentDefinition;
    Root().GetDefinitionList()->Add(definition);
    const CGeometryBuilder builder(*definition);
    for (const double cx : {-5.0, 5.0}) {
        builder.Face({builder.Vertex(CPoint3d(cx - 2, -2, 0)), builder.Vertex(CPoint3d(cx + 2, -2, 0)),
                      builder.Vertex(CPoint3d(cx + 2, 2, 0)), builder.Vertex(CPoint3d(cx - 2, 2, 0))},
                     CVector3d(0, 0, 1));
    }
    auto* instance = new CComponentInstance;
    definition->AddInstance(instance);
    Root().Add(instance);
    const std::vector<CPoint3d> both{{-7, -2, 0}, {7, 2, 0}};
    const std::vector<CPoint3d> right{{3, -2, 0}, {7, 2, 0}};
    const std::vector<CPoint3d> corner{{6.5, 1.5, 0}, {7.5, 2.5, 0}};
    struct Case
    {
        const char* name;
        const std::vector<CPoint3d>* points;
        int mode;
        bool picked;
    };
    for (const Case& c : {Case{"a window round both squares", &both, CPickHelper::kModeWindow, true},
                          Case{"a window round one square", &right, CPickHelper::kModeWindow, false},
                          Case{"a crossing round one square", &right, CPickHelper::kModeCrossing, true},
                          Case{"a crossing round a corner alone", &corner, CPickHelper::kModeCrossing, false}}) {
        const auto [corner1, corner2] = WindowRound(*c.points, 1.0);
        CPickHelper picker;
        picker.AttachRegion(&m_view, corner1, corner2, c.mode);
        const CurrentModelScope scope(m_model);
        if (c.mode == CPickHelper::kModeWindow) {
            const int hits = picker.Pick();
            bool picked = false;
            for (int i = 0; i < hits; ++i) {
                picked = picked || picker.GetHit(i).GetTopEntity() == instance;
            }
            EXPECT_EQ(picked, c.picked) << c.name;
        } else {
            EXPECT_EQ(instance->SelectionTest(&picker, nullptr), c.picked) << c.name;
        }
    }
}

// The pick draws an edge whole also where it lies in the active section plane, which
// hides such an edge in the view itself.
TEST_F(PickTest, AnEdgeLyingInTheActiveSectionPlaneIsPicked)
{
    const CGeometryBuilder builder(Root());
    CEdge* edge = builder.Edge(builder.Vertex(CPoint3d(0, -4, 0)), builder.Vertex(CPoint3d(0, 4, 0)));
    auto* plane = new CSectionPlane(CPlane3d(1, 0, 0, 0));
    Root().AddEntity(plane);
    Root().SetActiveSectionPlane(plane);
    CPickHelper picker;
    const int hits = Pick(picker, CPoint2d(kCentre.x, kCentre.y + 5));
    bool found = false;
    for (int i = 0; i < hits; ++i) {
        found = found || picker.GetHit(i).GetPickedEntity() == edge;
    }
    EXPECT_TRUE(found);
}

// A definition holding its own instance once sent the drawing walk round for ever.
TEST_F(PickTest, AComponentThatPlacesItselfEndsEveryWalk)
{
    CComponentDefinition* definition = Place(Root(), nullptr, Shift(0, 0, 0));
    Square(*definition, 3.0, 0.0);
    Place(*definition, definition, Shift(4, 0, 1));
    Draw();
    CPickHelper picker;
    EXPECT_EQ(Pick(picker, kCentre), 1);
    CPoint3d point;
    EXPECT_TRUE(m_view.FindViewCenter(point));
    EXPECT_LT(point.Distance(CPoint3d(0, 0, 0)), 1e-9);
    m_view.ZoomToExtents(nullptr);
    EXPECT_NEAR(m_view.GetViewDefinition().GetViewHeight(), 6.0 / 0.95, 1e-9);
}

// The software driver kept every vertex a pick sent one at a time: 12 bytes a point of
// a long polyline at each pick, never given back.
TEST_F(PickTest, APickOfALongPolylineFindsItAndKeepsNoMemory)
{
    // A spiral of many turns that ends under the cursor.
    constexpr int kPoints = 200000;
    std::vector<CPoint3d> points;
    for (int i = 0; i < kPoints; ++i) {
        const double radius = 8.0 * (kPoints - 1 - i) / (kPoints - 1);
        points.emplace_back(radius * std::cos(i * 0.01), radius * std::sin(i * 0.01), 0.0);
    }
    auto* polyline = new CPolyline3d(std::move(points));
    Root().AddEntity(polyline);
    CPickHelper picker;
    // The first picks make what the driver keeps for good once, its shaders among it.
    for (int i = 0; i < 2; ++i) {
        ASSERT_EQ(Pick(picker, kCentre), 1);
    }
    const std::size_t before = HeapBytesInUse();
    for (int i = 0; i < 5; ++i) {
        ASSERT_EQ(Pick(picker, kCentre), 1);
        EXPECT_EQ(picker.GetHit(0).GetPickedEntity(), polyline);
    }
    const auto kept = static_cast<long long>(HeapBytesInUse()) - static_cast<long long>(before);
    EXPECT_LT(kept, 1LL << 20);
}

// A pick and the pivot's walk answer for the whole model whatever its work, as a still
// frame draws it. Waiting input stops them: the pivot is then the one the picture shown
// gives at once, as deep as the last whole frame drew the model.
TEST_F(PickTest, APickAndThePivotsWalkMeetWhatLiesPastMuchWorkAndInputLeavesThePivotThePictureGives)
{
    Root().AddEntity(new CHeavyElement);
    Square(Root(), 5.0, -40.0);
    CFace* face = Square(Root(), 5.0, -20.0);
    {
        const CurrentModelScope scope(m_model);
        m_view.DrawFrame(0, false);
    }
    CFrameMeter::SetInputProbe(&ProbeInput);
    for (const bool waiting : {false, true}) {
        SCOPED_TRACE(waiting);
        g_inputWaiting = waiting;
        CPickHelper picker;
        const int hits = Pick(picker, kCentre);
        EXPECT_EQ(hits > 0 && picker.GetHit(0).GetPickedEntity() == face, !waiting);
        CViewCenterFinder finder(m_view);
        CPoint3d pivot;
        bool whole = false;
        {
            const CurrentModelScope scope(m_model);
            whole = finder.GetPivot(kCentre, pivot);
        }
        EXPECT_EQ(whole, !waiting);
        // Whole: the vertices of both squares in view, halfway between them; at hand: the
        // square the picture shows in front.
        EXPECT_NEAR(pivot.z, waiting ? -20.0 : -30.0, 0.05);
    }
    CFrameMeter::SetInputProbe(nullptr);
    g_inputWaiting = false;
}

// A drag moves at once: while input stops the question for the pivot, the orbit turns
// about the pivot the picture shown gives, and the next move the pick is let finish
// takes the model's own.
TEST_F(PickTest, ADragMovesAboutThePivotAtHandWhileInputStopsThePickAndTakesThePickedOneWhenItComes)
{
    Root().AddEntity(new CHeavyElement);
    Square(Root(), 5.0, -40.0);
    Square(Root(), 5.0, -20.0);
    const CurrentModelScope scope(m_model);
    m_view.DrawFrame(0, false);
    CRecordingHost host;
    host.activeView = &m_view;
    CToolManager tools;
    auto* tool = new CCameraOrbitTool;
    tools.SelectTool(tool, 10508, true);
    CFrameMeter::SetInputProbe(&ProbeInput);
    g_inputWaiting = true;
    const CPoint3d eye = m_view.GetViewDefinition().GetEye();
    tools.OnLButtonDown(kMouseLeft, static_cast<int>(kCentre.x), static_cast<int>(kCentre.y), &m_view);
    EXPECT_NEAR(tool->GetPivot().z, -20.0, 0.05);
    tools.OnMouseMove(kMouseLeft, static_cast<int>(kCentre.x), static_cast<int>(kCentre.y) - 10, &m_view);
    EXPECT_GT((m_view.GetViewDefinition().GetEye() - eye).GetLength(), 1.0);
    EXPECT_NEAR(tool->GetPivot().z, -20.0, 0.05) << "a stopped question keeps the pivot held";

    g_inputWaiting = false;
    tools.OnMouseMove(kMouseLeft, static_cast<int>(kCentre.x), static_cast<int>(kCentre.y) - 20, &m_view);
    EXPECT_LT(tool->GetPivot().z, -25.0);
    tools.OnLButtonUp(0, static_cast<int>(kCentre.x), static_cast<int>(kCentre.y) - 20, &m_view);
    CFrameMeter::SetInputProbe(nullptr);
}

}  // namespace
