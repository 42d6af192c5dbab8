// How edges show at full quality in each style: the rules that the drawing level, not
// the render mode, chooses; endpoint ticks and extensions along curves and at corners;
// edges inside hidden and selected groups; a selected face in wireframe.

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "document/component.h"
#include "document/componentdefinition.h"
#include "document/definitionlist.h"
#include "document/group.h"
#include "document/renderingoptions.h"
#include "document/tarnwickmodel.h"
#include "foundation/arc3d.h"
#include "foundation/tolerance.h"
#include "model/arccurve.h"
#include "model/edge.h"
#include "model/face.h"
#include "model/vertex.h"
#include "samplegen/geometrybuilder.h"
#include "tests/render/modelframefixture.h"

namespace {

using Rgb = std::array<int, 3>;

const Rgb kEdgeRgb{255, 0, 0};

// How a horizontal line shows across the columns it spans.
enum class Look
{
    kNone,
    kDashed,
    kSolid,
    // Drawn in part, neither whole nor in dashes.
    kBroken,
};

const char* Name(Look look)
{
    const char* names[] = {"none", "dashed", "solid", "broken"};
    return names[static_cast<int>(look)];
}

class EdgeDisplayTest : public ModelFrameTest
{
protected:
    EdgeDisplayTest() : ModelFrameTest(true) {}

    void SetUp() override
    {
        ModelFrameTest::SetUp();
        Options().SetBackgroundColor(CColor(40, 40, 80, 255));
        Options().SetForegroundColor(CColor(255, 0, 0, 255));
        // 2.4 pixels to the unit: x -6..6 spans columns 18 to 46, y = 0 is row 24.
        LookDown(20.0);
    }

    static bool Near(const Rgb& a, const Rgb& b, int tolerance)
    {
        return std::abs(a[0] - b[0]) <= tolerance && std::abs(a[1] - b[1]) <= tolerance &&
               std::abs(a[2] - b[2]) <= tolerance;
    }

    // The line at model height y across x -4..4, judged by the columns with the colour in
    // the rows about it.
    [[nodiscard]] Look LookOfLine(double y, const Rgb& color = kEdgeRgb) const
    {
        const int row = static_cast<int>(std::lround(24.0 - 2.4 * y));
        int columns = 0;
        int drawn = 0;
        for (int x = 23; x <= 41; ++x, ++columns) {
            bool found = false;
            for (int dy = -2; dy <= 2 && !found; ++dy) {
                found = Near(Pixel(x, row + dy), color, 40);
            }
            drawn += found ? 1 : 0;
        }
        if (drawn == 0) {
            return Look::kNone;
        }
        if (drawn >= columns - 1) {
            return Look::kSolid;
        }
        return drawn >= columns / 4 && drawn <= columns * 3 / 4 ? Look::kDashed : Look::kBroken;
    }

    // A group open for editing that holds what the test builds: drawing walks through the
    // groups inside it along the view's instance path.
    CComponentDefinition& OpenGroup()
    {
        CComponentDefinition* definition = nullptr;
        CGroup* group = AddGroup(Root(), definition);
        EXPECT_TRUE(m_model->OpenInstance(group));
        return *definition;
    }

    static CEdge* Line(CComponent& into, double y)
    {
        const CGeometryBuilder builder(into);
        return builder.Edge(builder.Vertex(CPoint3d(-6, y, 0)), builder.Vertex(CPoint3d(6, y, 0)));
    }
};

// Records where lines drawn one at a time (endpoint ticks) start, and the vertices of
// the other lines.
class LineView : public FrameView
{
public:
    LineView() : FrameView(true) {}
    void VertexV(const CPoint3d& point) override
    {
        vertices.push_back(point);
        FrameView::VertexV(point);
    }
    // The lines' vertices in pairs, start then end.
    std::vector<CPoint3d> vertices;
};

// The lines starting at the vertex that run along a longer line through it, at most a
// third of its length and no longer than the ticks' length: the ticks marking an edge's
// end, drawn from its vertex.
[[nodiscard]] int CountTicksAt(const std::vector<CPoint3d>& lines, const CVertex* vertex, double tickLength)
{
    const CPoint3d at = vertex->GetPosition();
    int count = 0;
    for (std::size_t i = 0; i + 1 < lines.size(); i += 2) {
        const CVector3d tick = lines[i + 1] - lines[i];
        if ((lines[i] - at).GetLength() >= 1e-6 || tick.GetLength() < 1e-6 || tick.GetLength() > tickLength + 1e-6) {
            continue;
        }
        for (std::size_t k = 0; k + 1 < lines.size(); k += 2) {
            const CVector3d edge = lines[k + 1] - lines[k];
            const bool throughVertex = (lines[k] - at).GetLength() < 1e-6 || (lines[k + 1] - at).GetLength() < 1e-6;
            if (k != i && throughVertex && tick.CrossProduct(edge).GetLength() < 1e-6 * edge.GetLength() &&
                tick.GetLength() <= edge.GetLength() / 3.0 + 1e-6) {
                ++count;
                break;
            }
        }
    }
    return count;
}

[[nodiscard]] int CountAt(const std::vector<CPoint3d>& points, const CVertex* vertex)
{
    int count = 0;
    for (const CPoint3d& point : points) {
        count += (point - vertex->GetPosition()).GetLength() < 1e-6 ? 1 : 0;
    }
    return count;
}

}  // namespace

TEST_F(EdgeDisplayTest, WireframeAtFullQualityFollowsTheSoftEdgeAndHiddenGeometryRulesOfTheShadedStyles)
{
    Options().SetRenderMode(0);
    const CGeometryBuilder builder(Root());
    // Two faces of one plane meet along a soft edge at y = 0; a hidden loose edge at y = -8.
    CVertex* a = builder.Vertex(CPoint3d(-6, 0, 0));
    CVertex* b = builder.Vertex(CPoint3d(6, 0, 0));
    builder.Face({a, b, builder.Vertex(CPoint3d(0, 6, 0))}, CVector3d(0, 0, 1));
    builder.Face({b, a, builder.Vertex(CPoint3d(0, -6, 0))}, CVector3d(0, 0, 1));
    b->FindEdgeTo(a)->SetSoft(true);
    Line(Root(), -8.0)->SetHidden(true);
    struct Row
    {
        int level;
        bool hideSoft;
        bool hiddenGeometry;
        Look soft;
        Look hidden;
    };
    const Row rows[] = {
        {8, true, false, Look::kNone, Look::kNone},
        {8, false, false, Look::kSolid, Look::kNone},
        {8, true, true, Look::kDashed, Look::kDashed},
        {3, false, true, Look::kSolid, Look::kDashed},
        // Below level 3 every edge is a line, a hidden one dashed.
        {2, true, false, Look::kSolid, Look::kDashed},
    };
    for (const Row& row : rows) {
        m_view.SetDrawingLevel(row.level);
        Options().SetHideSoftEdges(row.hideSoft);
        Options().SetShowHiddenGeometry(row.hiddenGeometry);
        Draw();
        EXPECT_STREQ(Name(LookOfLine(0.0)), Name(row.soft)) << "soft edge at level " << row.level;
        EXPECT_STREQ(Name(LookOfLine(-8.0)), Name(row.hidden)) << "hidden edge at level " << row.level;
    }
}

TEST_F(EdgeDisplayTest, EdgesOfAHiddenGroupAreDashedUnderHiddenGeometry)
{
    CComponentDefinition& open = OpenGroup();
    CComponentDefinition* hidden = nullptr;
    // Below the open group's axes, which stand at the origin.
    AddGroup(open, hidden)->SetHidden(true);
    Line(*hidden, -3.0);
    CComponentDefinition* shown = nullptr;
    AddGroup(open, shown);
    Line(*shown, -7.0);
    for (const bool on : {false, true}) {
        Options().SetShowHiddenGeometry(on);
        Draw();
        EXPECT_STREQ(Name(LookOfLine(-3.0)), Name(on ? Look::kDashed : Look::kNone)) << "hidden geometry " << on;
        EXPECT_STREQ(Name(LookOfLine(-7.0)), Name(Look::kSolid)) << "hidden geometry " << on;
    }
}

TEST_F(EdgeDisplayTest, ASelectedFaceInWireframeHidesWhatLiesBehindItUnderItsSelectionDots)
{
    Options().SetRenderMode(0);
    const CGeometryBuilder builder(Root());
    CFace* face = builder.Face({builder.Vertex(CPoint3d(-8, -3, 1)), builder.Vertex(CPoint3d(8, -3, 1)),
                                builder.Vertex(CPoint3d(8, 3, 1)), builder.Vertex(CPoint3d(-8, 3, 1))},
                               CVector3d(0, 0, 1));
    Line(Root(), 0.0);
    Draw();
    EXPECT_STREQ(Name(LookOfLine(0.0)), Name(Look::kSolid));
    face->SetFlagBits(CDrawingElement::kFlagSelected, true);
    Draw();
    EXPECT_STREQ(Name(LookOfLine(0.0)), Name(Look::kNone));
    EXPECT_STRNE(Name(LookOfLine(0.0, Rgb{255, 255, 0})), Name(Look::kNone));
}

// A view of its own that records the lines, with everything inside an open group.
class EdgeLinesTest : public EdgeDisplayTest
{
protected:
    void SetUp() override
    {
        EdgeDisplayTest::SetUp();
        m_lines.SetModel(m_model);
        m_lines.InitGLState();
        LookParallel(m_lines, CPoint3d(0, 0, 100), CPoint3d(), CVector3d(0, 1, 0), 20.0);
        m_open = &OpenGroup();
    }
    void TearDown() override
    {
        m_lines.SetModel(nullptr);
        EdgeDisplayTest::TearDown();
    }

    void DrawLines()
    {
        const CurrentModelScope scope(m_model);
        m_lines.DrawFrame(0, false);
    }

    // An arc curve over edges of equal turns about the centre, from angle 0; a whole
    // turn closes it. Answers its vertices in order, the first again for a closed one.
    std::vector<CVertex*> Arc(const CPoint3d& centre, double radius, int edges, double turn) const
    {
        const CGeometryBuilder builder(*m_open);
        std::vector<CVertex*> vertices;
        for (int i = 0; i <= edges; ++i) {
            const double angle = turn * i / edges;
            vertices.push_back(i == edges && turn == kTwoPi
                                   ? vertices.front()
                                   : builder.Vertex(centre + CVector3d(radius * std::cos(angle),
                                                                       radius * std::sin(angle), 0)));
        }
        CArc3d arc;
        arc.centre = centre;
        arc.xAxis = CVector3d(radius, 0, 0);
        arc.yAxis = CVector3d(0, radius, 0);
        arc.radius = radius;
        arc.endAngle = turn;
        auto* curve = new CArcCurve;
        curve->SetArc(arc);
        std::vector<CEdge*> made;
        for (int i = 0; i < edges; ++i) {
            made.push_back(builder.Edge(vertices[i], vertices[i + 1]));
            made.back()->SetCurve(curve);
        }
        curve->RebuildFromEdge(made.front());
        return vertices;
    }

    LineView m_lines;
    CComponentDefinition* m_open = nullptr;
};

TEST_F(EdgeLinesTest, TicksMarkOnlyTheEndsOfCurvesAndNoEdgeInsideASelectedGroup)
{
    Options().SetDrawEndpoints(true);
    Options().SetEndpointLength(6);
    CComponentDefinition* selected = nullptr;
    AddGroup(*m_open, selected)->SetFlagBits(CDrawingElement::kFlagSelected, true);
    const CGeometryBuilder inside(*selected);
    CVertex* selectedStart = inside.Vertex(CPoint3d(-8, 8, 0));
    CVertex* selectedEnd = inside.Vertex(CPoint3d(8, 8, 0));
    inside.Edge(selectedStart, selectedEnd);
    const CGeometryBuilder builder(*m_open);
    CVertex* plainStart = builder.Vertex(CPoint3d(-8, -6, 0));
    CVertex* plainEnd = builder.Vertex(CPoint3d(8, -6, 0));
    builder.Edge(plainStart, plainEnd);
    struct Row
    {
        const char* name;
        std::vector<CVertex*> vertices;
        std::vector<int> ticks;  // at each vertex
    };
    const Row rows[] = {
        {"half circle", Arc(CPoint3d(-6, 2, 0), 4.0, 4, kPi), {1, 0, 0, 0, 1}},
        {"circle", Arc(CPoint3d(6, 2, 0), 3.0, 8, kTwoPi), {0, 0, 0, 0, 0, 0, 0, 0, 0}},
        {"plain edge", {plainStart, plainEnd}, {1, 1}},
        {"edge in a selected group", {selectedStart, selectedEnd}, {0, 0}},
    };
    DrawLines();
    // Six pixels of the frame's 48 rows, which show 20 units.
    const double tickLength = 6.0 * 20.0 / kHeight;
    for (const Row& row : rows) {
        for (std::size_t i = 0; i < row.vertices.size(); ++i) {
            EXPECT_EQ(CountTicksAt(m_lines.vertices, row.vertices[i], tickLength), row.ticks[i]) << row.name << ", vertex " << i;
        }
    }
}

TEST_F(EdgeLinesTest, AnArcIsNotExtendedAtItsJointsWhereACornerOfTwoEdgesIs)
{
    Options().SetExtendEdges(true);
    Options().SetExtendLength(6);
    // Joints turning 60 degrees: far from running along each other.
    const std::vector<CVertex*> arc = Arc(CPoint3d(0, -2, 0), 8.0, 3, kPi);
    const CGeometryBuilder builder(*m_open);
    CVertex* corner = builder.Vertex(CPoint3d(10, -8, 0));
    builder.Edge(builder.Vertex(CPoint3d(-8, -8, 0)), corner);
    builder.Edge(corner, builder.Vertex(CPoint3d(10, 2, 0)));
    DrawLines();
    // Two lines end at each joint of the arc; both lines at the corner reach past it.
    EXPECT_EQ(CountAt(m_lines.vertices, arc[1]), 2);
    EXPECT_EQ(CountAt(m_lines.vertices, arc[2]), 2);
    EXPECT_EQ(CountAt(m_lines.vertices, corner), 0);
}

TEST_F(EdgeDisplayTest, TheTicksOfExtendedEdgesRunWideFromTheCornersTheyMark)
{
    Options().SetDrawProfiles(false);
    Options().SetExtendEdges(true);
    Options().SetExtendLength(8);
    Options().SetDrawEndpoints(true);
    Options().SetEndpointLength(5);
    // A rectangle x -8..8 by y -5..5: its top side runs along row 12 between the corners
    // at columns 13 and 51, extended 8 pixels past each.
    const CGeometryBuilder builder(Root());
    std::vector<CVertex*> corners;
    for (const auto& [x, y] : {std::pair{-8, 5}, {8, 5}, {8, -5}, {-8, -5}}) {
        corners.push_back(builder.Vertex(CPoint3d(x, y, 0)));
    }
    for (std::size_t i = 0; i < corners.size(); ++i) {
        builder.Edge(corners[i], corners[(i + 1) % corners.size()]);
    }
    Draw();
    // A tick is drawn two pixels wider than its line.
    struct Row
    {
        const char* where;
        int column;
        int rows;
    };
    const Row rows[] = {
        {"beyond the left corner", 8, 1},
        {"inside the left corner", 16, 3},
        {"in the middle", 32, 1},
        {"inside the right corner", 48, 3},
        {"beyond the right corner", 56, 1},
    };
    for (const Row& row : rows) {
        int drawn = 0;
        for (int y = 8; y <= 16; ++y) {
            drawn += Near(Pixel(row.column, y), kEdgeRgb, 40) ? 1 : 0;
        }
        EXPECT_EQ(drawn, row.rows) << row.where;
    }
}
