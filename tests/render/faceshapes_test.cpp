// Faces whose loops touch, filled on every road that fills faces: the face batch's kept
// triangles, the placed road (a face carried through a placement, turned or mirrored,
// drawn as it is and reversed as shadow caps are) and the section fill clipped in
// software. Each fill must cover the face's own area with triangles turned counter-
// clockwise about the normal drawn, none of them reaching outside the face by more than
// float rounding of the face's size.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "annotations/sectionclipstack.h"
#include "annotations/sectionplane.h"
#include "foundation/transformation.h"
#include "model/edgeuse.h"
#include "model/face.h"
#include "model/keptfacetriangles.h"
#include "model/loop.h"
#include "model/vertex.h"
#include "render/facepolygon.h"
#include "samplegen/faceshapes.h"
#include "tests/render/modelframefixture.h"
#include "tests/render/trianglecapture.h"

namespace {

using trianglecapture::Triangle;

// Which of the face's points the positive winding rule fills, and which lie near its
// loops, answered through a grid of cells each listing the sides that pass it, so that a
// face of 50,000 corners is checked at 200,000 points in a moment. Coordinates are taken
// about the face's first corner in extended precision, so far faces lose nothing.
class CFaceRegion
{
public:
    explicit CFaceRegion(const SFaceShape& shape) : m_origin(shape.loops.at(0).at(0))
    {
        // The ray from a point runs along x; across the face's narrower side it meets few
        // sides, so a wide face is seen with x and y swapped.
        double width = 0.0;
        double height = 0.0;
        for (const auto& loop : shape.loops) {
            for (const CPoint3d& p : loop) {
                width = std::max(width, std::fabs(p.x - m_origin.x));
                height = std::max(height, std::fabs(p.y - m_origin.y));
            }
        }
        m_swapped = width > height;
        for (const auto& loop : shape.loops) {
            for (std::size_t i = 0; i < loop.size(); ++i) {
                m_sides.push_back({Local(loop[i]), Local(loop[(i + 1) % loop.size()])});
            }
        }
        for (const Side& s : m_sides) {
            m_low = {std::min({m_low.x, s.a.x, s.b.x}), std::min({m_low.y, s.a.y, s.b.y})};
            m_high = {std::max({m_high.x, s.a.x, s.b.x}), std::max({m_high.y, s.a.y, s.b.y})};
        }
        // Square cells, about two sides to a cell.
        const long double w = m_high.x - m_low.x;
        const long double h = m_high.y - m_low.y;
        const long double cell = std::sqrt(w * h / (static_cast<long double>(m_sides.size()) / 2 + 1));
        m_columns = std::clamp(static_cast<int>(cell > 0 ? w / cell : 1), 1, 4096);
        m_rows = std::clamp(static_cast<int>(cell > 0 ? h / cell : 1), 1, 4096);
        m_cellSize = {w / m_columns, h / m_rows};
        m_grid.resize(static_cast<std::size_t>(m_columns) * m_rows);
        for (std::size_t k = 0; k < m_sides.size(); ++k) {
            Register(static_cast<std::uint32_t>(k));
        }
        m_seen.assign(m_sides.size(), 0);
    }

    // The winding number about the point is positive.
    [[nodiscard]] bool IsFilled(const CPoint3d& point)
    {
        const Local2 p = Local(point);
        if (p.x < m_low.x || p.x > m_high.x || p.y < m_low.y || p.y > m_high.y) {
            return false;
        }
        // The sides the ray to +x crosses pass the cells of the point's row from its own on.
        ++m_stamp;
        int winding = 0;
        const int row = Row(p.y);
        for (int x = Column(p.x); x < m_columns; ++x) {
            for (const std::uint32_t k : m_grid[Cell(x, row)]) {
                if (m_seen[k] == m_stamp) {
                    continue;
                }
                m_seen[k] = m_stamp;
                const Side& s = m_sides[k];
                if (s.a.y <= p.y && s.b.y > p.y && Turn(s.a, s.b, p) > 0) {
                    ++winding;
                } else if (s.b.y <= p.y && s.a.y > p.y && Turn(s.a, s.b, p) < 0) {
                    --winding;
                }
            }
        }
        // Swapping x and y turns every loop the other way.
        return (m_swapped ? -winding : winding) > 0;
    }

    // Some side of the face passes within the distance of the point.
    [[nodiscard]] bool IsNearSide(const CPoint3d& point, double distance)
    {
        const Local2 p = Local(point);
        ++m_stamp;
        for (int y = Row(p.y - distance); y <= Row(p.y + distance); ++y) {
            for (int x = Column(p.x - distance); x <= Column(p.x + distance); ++x) {
                for (const std::uint32_t k : m_grid[Cell(x, y)]) {
                    if (m_seen[k] != m_stamp && (m_seen[k] = m_stamp, Distance(m_sides[k], p) <= distance)) {
                        return true;
                    }
                }
            }
        }
        return false;
    }

private:
    struct Local2
    {
        long double x;
        long double y;
    };
    struct Side
    {
        Local2 a;
        Local2 b;
    };

    // Lists the side in the cells it passes, column by column.
    void Register(std::uint32_t k)
    {
        const Side& s = m_sides[k];
        const Local2& left = s.a.x <= s.b.x ? s.a : s.b;
        const Local2& right = s.a.x <= s.b.x ? s.b : s.a;
        for (int x = Column(left.x); x <= Column(right.x); ++x) {
            long double y0 = left.y;
            long double y1 = right.y;
            if (right.x > left.x) {
                const long double from = std::max(left.x, m_low.x + x * m_cellSize.x);
                const long double to = std::min(right.x, m_low.x + (x + 1) * m_cellSize.x);
                y0 = left.y + (right.y - left.y) * ((from - left.x) / (right.x - left.x));
                y1 = left.y + (right.y - left.y) * ((to - left.x) / (right.x - left.x));
            }
            // A hair more than the side's own rows, for rounding at the cells' borders.
            const long double pad = m_cellSize.y / 64;
            for (int y = Row(std::min(y0, y1) - pad); y <= Row(std::max(y0, y1) + pad); ++y) {
                m_grid[Cell(x, y)].push_back(k);
            }
        }
    }

    [[nodiscard]] Local2 Local(const CPoint3d& p) const
    {
        const long double x = static_cast<long double>(p.x) - m_origin.x;
        const long double y = static_cast<long double>(p.y) - m_origin.y;
        return m_swapped ? Local2{y, x} : Local2{x, y};
    }
    static long double Turn(const Local2& a, const Local2& b, const Local2& p)
    {
        return (b.x - a.x) * (p.y - a.y) - (b.y - a.y) * (p.x - a.x);
    }
    static long double Distance(const Side& s, const Local2& p)
    {
        const long double dx = s.b.x - s.a.x;
        const long double dy = s.b.y - s.a.y;
        const long double length = dx * dx + dy * dy;
        long double t = length > 0 ? ((p.x - s.a.x) * dx + (p.y - s.a.y) * dy) / length : 0;
        t = std::clamp<long double>(t, 0, 1);
        return std::hypot(s.a.x + t * dx - p.x, s.a.y + t * dy - p.y);
    }
    [[nodiscard]] int Column(long double x) const
    {
        const long double at = m_cellSize.x > 0 ? (x - m_low.x) / m_cellSize.x : 0;
        return std::clamp(static_cast<int>(std::floor(at)), 0, m_columns - 1);
    }
    [[nodiscard]] int Row(long double y) const
    {
        const long double at = m_cellSize.y > 0 ? (y - m_low.y) / m_cellSize.y : 0;
        return std::clamp(static_cast<int>(std::floor(at)), 0, m_rows - 1);
    }
    [[nodiscard]] std::size_t Cell(int x, int y) const { return static_cast<std::size_t>(y) * m_columns + x; }

    CPoint3d m_origin;
    bool m_swapped = false;
    std::vector<Side> m_sides;
    Local2 m_low{1e300L, 1e300L};
    Local2 m_high{-1e300L, -1e300L};
    int m_columns = 1;
    int m_rows = 1;
    Local2 m_cellSize{0, 0};
    std::vector<std::vector<std::uint32_t>> m_grid;
    std::vector<std::uint32_t> m_seen;
    std::uint32_t m_stamp = 0;
};

// What a fill covered, against the face.
struct SFillReport
{
    std::size_t triangles = 0;
    long double area = 0;
    int clockwise = 0;
    // Sample points (centroids and side middles) outside the face by more than the
    // tolerance.
    int outside = 0;
    CPoint3d firstOutside;
    std::string failure;
};

// The triangles are in the shape's own plane; normal is the direction about which they
// must turn counter-clockwise, +z or -z there.
SFillReport CheckFill(const SFaceShape& shape, const std::vector<Triangle>& triangles, double normalZ)
{
    SFillReport report;
    report.triangles = triangles.size();
    CFaceRegion region(shape);
    double largest = 0.0;
    for (const auto& loop : shape.loops) {
        for (const CPoint3d& p : loop) {
            largest = std::max({largest, std::fabs(p.x), std::fabs(p.y)});
        }
    }
    // Float rounding of the face's own size, and a few hundred ulps of where it lies.
    const double tolerance = std::ldexp(shape.GetExtent(), -20) + std::ldexp(largest, -44);
    const long double degenerate = tolerance * shape.GetExtent();
    const CPoint3d& o = shape.loops[0][0];
    for (const Triangle& t : triangles) {
        const long double ax = static_cast<long double>(t[0].x) - o.x;
        const long double ay = static_cast<long double>(t[0].y) - o.y;
        const long double bx = static_cast<long double>(t[1].x) - o.x - ax;
        const long double by = static_cast<long double>(t[1].y) - o.y - ay;
        const long double cx = static_cast<long double>(t[2].x) - o.x - ax;
        const long double cy = static_cast<long double>(t[2].y) - o.y - ay;
        const long double area = (bx * cy - by * cx) / 2 * normalZ;
        report.area += area;
        // A triangle thinner than the tolerance turns either way by rounding alone.
        report.clockwise += area < -degenerate ? 1 : 0;
        const CPoint3d samples[] = {
            {(t[0].x + t[1].x + t[2].x) / 3.0, (t[0].y + t[1].y + t[2].y) / 3.0, 0.0},
            {(t[0].x + t[1].x) / 2.0, (t[0].y + t[1].y) / 2.0, 0.0},
            {(t[1].x + t[2].x) / 2.0, (t[1].y + t[2].y) / 2.0, 0.0},
            {(t[2].x + t[0].x) / 2.0, (t[2].y + t[0].y) / 2.0, 0.0},
        };
        for (const CPoint3d& p : samples) {
            if (!region.IsFilled(p) && !region.IsNearSide(p, tolerance)) {
                report.firstOutside = report.outside == 0 ? p : report.firstOutside;
                ++report.outside;
            }
        }
    }
    std::ostringstream failure;
    failure.precision(17);
    if (std::fabs(static_cast<double>(report.area) - shape.area) > 1e-6 * shape.area) {
        failure << (triangles.empty() ? "left unfilled; " : "") << "filled area " << static_cast<double>(report.area)
                << " of " << shape.area << "; ";
    }
    if (report.clockwise > 0) {
        failure << report.clockwise << " of " << triangles.size() << " triangles clockwise; ";
    }
    if (report.outside > 0) {
        failure << report.outside << " sample points outside the face, first at (" << report.firstOutside.x << ", "
                << report.firstOutside.y << "); ";
    }
    report.failure = failure.str();
    return report;
}

// The corners the face batch cut, in the order it gathers them: each loop of three
// corners or more from its first use, at each use's start.
std::vector<CPoint3d> BatchCorners(const CFace& face)
{
    std::vector<CPoint3d> corners;
    for (int i = 0; i < face.GetLoopCount(); ++i) {
        const CLoop* loop = face.GetLoop(i);
        const int count = loop->GetEdgeUseCount();
        const CEdgeUse* use = loop->GetFirstEdgeUse();
        if (use == nullptr || count < 3) {
            continue;
        }
        for (int k = 0; k < count && use != nullptr; ++k, use = use->GetNext()) {
            corners.push_back(use->GetStartVertex()->GetPosition());
        }
    }
    return corners;
}

// The face batch's kept triangles, the corners it added where loops cross mixed as it
// mixes them; "" or why none are kept.
std::string KeptTriangles(const CFace& face, std::vector<Triangle>& triangles)
{
    const CKeptFaceTriangles::SEntry* kept = CKeptFaceTriangles::Find(face.GetDisplayCache());
    if (kept == nullptr) {
        return "nothing kept (display cache " + std::to_string(face.GetDisplayCache()) + ")";
    }
    std::vector<CPoint3d> corners = BatchCorners(face);
    if (corners.size() != kept->corners) {
        return "kept for " + std::to_string(kept->corners) + " corners, the face has " +
               std::to_string(corners.size());
    }
    // Mixed about the first corner named, whose weight is what the others leave: the
    // weights are floats, and their sum times a far corner would lose the mix.
    for (const CKeptFaceTriangles::SAddedCorner& added : kept->added) {
        const CPoint3d base = corners.at(added.from[0]);
        CVector3d offset(0.0, 0.0, 0.0);
        for (int i = 1; i < 4; ++i) {
            offset += (corners.at(added.from[i]) - base) * static_cast<double>(added.weights[i]);
        }
        corners.push_back(base + offset);
    }
    for (std::size_t t = 0; t + 2 < kept->triangles.size(); t += 3) {
        triangles.push_back(
            {corners.at(kept->triangles[t]), corners.at(kept->triangles[t + 1]), corners.at(kept->triangles[t + 2])});
    }
    return "";
}

enum class ERoad
{
    kBatch,
    kPlaced,
    kPlacedMirrored,
    kSectionFill,
};

const char* RoadName(ERoad road)
{
    switch (road) {
    case ERoad::kBatch:
        return "batch";
    case ERoad::kPlaced:
        return "placed";
    case ERoad::kPlacedMirrored:
        return "mirrored";
    case ERoad::kSectionFill:
        return "section";
    }
    return "";
}

struct SShapeCase
{
    const char* kind;
    int size;
    // Faces made, of the sizes from size on (the far faces' variants).
    int count = 1;
};

const SShapeCase kShapes[] = {
    {"comb-x-side", 40},
    {"comb-x-touch", 40},
    {"comb-y-side", 40},
    {"comb-y-touch", 40},
    {"diamonds", 50},
    {"windows", 12},
    {"petals", 100},
    {"bowtie", 1},
    {"cornerhole", 1},
    {"farface", 0, 32},
    {"farnarrow", 0, 32},
    {"sharedrun", 60},
    {"ladder", 300},
    {"strips", 25},
    // The sizes at which they were once too costly to fill.
    {"comb-x-side", 1600},
    {"comb-y-side", 1600},
    {"comb-x-touch", 6400},
    {"diamonds", 1425},
    {"windows", 101},
    {"petals", 3000},
    {"sharedrun", 1000},
};

std::string CaseName(const SShapeCase& shape, ERoad road)
{
    return std::string(shape.kind) + "-" + std::to_string(shape.size) + "/" + RoadName(road);
}

void PrintTo(const SShapeCase& shape, std::ostream* out)
{
    *out << shape.kind << " " << shape.size;
}

void PrintTo(ERoad road, std::ostream* out)
{
    *out << RoadName(road);
}

class FaceShapeFill : public ModelFrameTest, public testing::WithParamInterface<std::tuple<SShapeCase, ERoad>>
{
protected:
    void SetUp() override
    {
        ModelFrameTest::SetUp();
        Options().SetDrawProfiles(false);
        Options().SetDisplayEdges(0);
        // The section planes' own rectangles would be taken for the face's triangles.
        Options().ToggleSectionDisplay(CRenderingOptions::kSectionPlanesShown);
    }

    // "" when the road fills the face right, else what went wrong.
    std::string Fill(const SFaceShape& shape, ERoad road)
    {
        CFace* face = AddFaceShape(Root(), shape);
        std::string failure;
        switch (road) {
        case ERoad::kBatch:
            failure = FillInBatch(shape, *face);
            break;
        case ERoad::kPlaced:
        case ERoad::kPlacedMirrored:
            failure = FillPlaced(shape, *face, road == ERoad::kPlacedMirrored);
            break;
        case ERoad::kSectionFill:
            failure = FillSection(shape, *face);
            break;
        }
        face->SetHidden(true);
        return failure;
    }

    std::string FillInBatch(const SFaceShape& shape, CFace& face)
    {
        LookDown(shape.GetCentre(), 1.2 * shape.GetExtent());
        Draw();
        std::vector<Triangle> triangles;
        const std::string kept = KeptTriangles(face, triangles);
        return kept.empty() ? CheckFill(shape, triangles, 1.0).failure : kept;
    }

    // Turned a quarter about z and moved (or mirrored in x), then drawn as it is and
    // reversed; the triangles are carried back into the shape's plane to be checked.
    static std::string FillPlaced(const SFaceShape& shape, const CFace& face, bool mirrored)
    {
        CTransformation move;
        move.SetTranslation(CVector3d(3.0, -5.0, 0.0));
        const CTransformation placement =
            mirrored ? CTransformation::Scaling(-1.0, 1.0, 1.0)
                     : move * CTransformation::Rotation(CPoint3d(), CUnitVector3d(0, 0, 1), std::acos(-1.0) / 2.0);
        const CTransformation back = placement.GetInverse();
        CFacePolygon polygon;
        polygon.Build(face, &placement, false);
        std::string failure;
        for (const bool reverse : {false, true}) {
            std::vector<Triangle> triangles;
            {
                const trianglecapture::CTriangleCapture capture;
                polygon.Draw(reverse);
                triangles = capture.GetTriangles();
            }
            for (Triangle& t : triangles) {
                for (CPoint3d& p : t) {
                    p = back * p;
                }
            }
            // Mirrored, a turn about the drawn normal is the other turn in the shape's plane.
            const double normal = (reverse ? -1.0 : 1.0) * polygon.GetPlane().c * (mirrored ? -1.0 : 1.0);
            const std::string found = CheckFill(shape, triangles, normal).failure;
            if (!found.empty()) {
                failure += std::string(reverse ? "reversed: " : "") + found;
            }
        }
        return failure;
    }

    // Clipped in software by a section plane that keeps the whole face, as while the
    // shadow pass holds the GL clip planes off.
    std::string FillSection(const SFaceShape& shape, CFace& /*face*/)
    {
        auto* plane = new CSectionPlane(CPlane3d(0, 0, 1, 1));
        Root().AddEntity(plane);
        Root().SetActiveSectionPlane(plane);
        LookDown(shape.GetCentre(), 1.2 * shape.GetExtent());
        std::vector<Triangle> triangles;
        SuppressClipPlanes(true);
        {
            const trianglecapture::CTriangleCapture capture;
            Draw();
            triangles = capture.GetTriangles();
        }
        SuppressClipPlanes(false);
        Root().SetActiveSectionPlane(nullptr);
        return CheckFill(shape, triangles, 1.0).failure;
    }
};

TEST_P(FaceShapeFill, CoversTheFaceAndNothingElse)
{
    const auto& [shapeCase, road] = GetParam();
    if (road == ERoad::kSectionFill && std::string(shapeCase.kind) == "farnarrow") {
        GTEST_SKIP() << "a clip joins corners less than 0.001 apart: a face 0.002 across loses its holes";
    }
    std::string failures;
    int failed = 0;
    for (int i = 0; i < shapeCase.count; ++i) {
        const SFaceShape shape = MakeFaceShape(shapeCase.kind, shapeCase.size + i);
        ASSERT_FALSE(shape.loops.empty());
        const std::string failure = Fill(shape, road);
        if (!failure.empty()) {
            failures += (failed++ < 3 ? shape.name + ": " + failure + "\n" : "");
        }
    }
    if (failed > 0 && shapeCase.count > 1) {
        failures += std::to_string(failed) + " of " + std::to_string(shapeCase.count) + " faces";
    }
    EXPECT_EQ(failures, "");
}

std::string ParamName(const testing::TestParamInfo<std::tuple<SShapeCase, ERoad>>& info)
{
    std::string name = CaseName(std::get<0>(info.param), std::get<1>(info.param));
    std::replace_if(name.begin(), name.end(), [](char c) { return std::isalnum(static_cast<unsigned char>(c)) == 0; },
                    '_');
    return name;
}

INSTANTIATE_TEST_SUITE_P(Shapes, FaceShapeFill,
                         testing::Combine(testing::ValuesIn(kShapes),
                                          testing::Values(ERoad::kBatch, ERoad::kPlaced, ERoad::kPlacedMirrored,
                                                          ERoad::kSectionFill)),
                         ParamName);

}  // namespace
