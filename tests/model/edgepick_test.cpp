// An edge against a pick ray and a line, and edges and faces handed to an exporter.

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "document/material.h"
#include "foundation/arc3d.h"
#include "foundation/boundedline3d.h"
#include "foundation/line3d.h"
#include "model/arccurve.h"
#include "model/edge.h"
#include "model/exportsink.h"
#include "model/face.h"
#include "model/vertex.h"
#include "tests/model/curvetestsupport.h"
#include "tests/model/topologytestsupport.h"

namespace {

CLine3d Line(const CPoint3d& origin, const CVector3d& direction)
{
    return {origin, CUnitVector3d(direction)};
}

// What an exporter receives: segments, chains of points and the faces' colours.
class ExportRecorder : public IExportSink
{
public:
    [[nodiscard]] bool AcceptsFaces() const override { return true; }
    [[nodiscard]] bool AcceptsEdges() const override { return true; }
    void AddPolyface(std::vector<CPoint3d> /*points*/, int /*triangles*/, std::vector<std::int16_t> /*faceList*/,
                     const CColor& color, CLayer* /*layer*/) override
    {
        faceColors.push_back(color);
    }
    [[nodiscard]] CMaterial* GetDefaultMaterial() const override { return defaultMaterial; }
    [[nodiscard]] CColor GetColorOverride() const override { return colorOverride; }
    void AddSegment(const CPoint3d& start, const CPoint3d& end, const CColor& /*color*/, CLayer* /*layer*/) override
    {
        segments.push_back({start, end});
    }
    void AddPolyline(std::vector<CPoint3d> points, const CColor& /*color*/, CLayer* /*layer*/) override
    {
        polylines.push_back(std::move(points));
    }

    CMaterial* defaultMaterial = nullptr;
    CColor colorOverride;
    std::vector<std::vector<CPoint3d>> segments;
    std::vector<std::vector<CPoint3d>> polylines;
    std::vector<CColor> faceColors;
};

}  // namespace

TEST(EdgePick, ARayPicksTheEdgeWhereItsNearestPointLiesOnItWithinItsLength)
{
    topologytest::Builder build;
    CEdge* edge = build.Edge(build.Vertex(0, 0), build.Vertex(10, 0));
    struct Case
    {
        const char* name;
        CPoint3d origin;
        CVector3d direction;
        double end;
        bool hidden;
        bool skipHidden;
        bool picked;
        CPoint3d hit;
    };
    const Case cases[] = {
        {"straight down onto the middle", {5, 0, 10}, {0, 0, -1}, 1e30, false, false, true, {5, 0, 0}},
        {"aslant onto an end", {0, -5, 5}, {0, 1, -1}, 1e30, false, false, true, {0, 0, 0}},
        {"beside the edge", {5, 0.01, 10}, {0, 0, -1}, 1e30, false, false, false, {}},
        {"past an end", {11, 0, 10}, {0, 0, -1}, 1e30, false, false, false, {}},
        {"the edge behind the ray's start", {5, 0, -10}, {0, 0, -1}, 1e30, false, false, false, {}},
        {"within the ray's end", {5, 0, 10}, {0, 0, -1}, 10.0005, false, false, true, {5, 0, 0}},
        {"beyond the ray's end", {5, 0, 10}, {0, 0, -1}, 9.99, false, false, false, {}},
        {"a hidden edge, hidden ones kept", {5, 0, 10}, {0, 0, -1}, 1e30, true, false, true, {5, 0, 0}},
        {"a hidden edge, hidden ones skipped", {5, 0, 10}, {0, 0, -1}, 1e30, true, true, false, {}},
    };
    for (const Case& c : cases) {
        edge->SetFlagBits(CDrawingElement::kFlagHidden, c.hidden);
        CBoundedLine3d ray(Line(c.origin, c.direction), false, true);
        ray.end = c.end;
        CPoint3d hit;
        double parameter = -1.0;
        EXPECT_EQ(edge->IntersectPickRay(ray, 1.0, hit, parameter, nullptr, c.skipHidden), c.picked) << c.name;
        if (c.picked) {
            EXPECT_LT(hit.Distance(c.hit), 1e-9) << c.name;
            EXPECT_NEAR(parameter, c.origin.Distance(c.hit), 1e-9) << c.name;
        }
    }

    // A line meeting the segment answers 1, one passing it 4, each with the nearest point.
    CPoint3d point;
    EXPECT_EQ(edge->IntersectLine(Line({3, -2, 0}, {0, 1, 0}), point), 1);
    EXPECT_LT(point.Distance(CPoint3d(3, 0, 0)), 1e-9);
    EXPECT_EQ(edge->IntersectLine(Line({3, -2, 1}, {0, 1, 0}), point), 4);
    EXPECT_LT(point.Distance(CPoint3d(3, 0, 0)), 1e-9);
    EXPECT_EQ(edge->IntersectLine(Line({20, 0, 5}, {0, 0, 1}), point), 4);
    EXPECT_LT(point.Distance(CPoint3d(10, 0, 0)), 1e-9);
}

TEST(EdgePick, EdgesExportASegmentOrTheirArcOnceAndFacesTheColourTheExporterShowsThemIn)
{
    curvetest::Topology topology;
    CEdge* plain = topology.Edge(topology.Vertex(0, 0), topology.Vertex(4, 0));
    auto* arc = new CArcCurve;
    CArc3d circle;
    circle.xAxis = CVector3d(1, 0, 0);
    circle.yAxis = CVector3d(0, 1, 0);
    circle.radius = 1.0;
    circle.startAngle = 0.0;
    circle.endAngle = 3.14159265358979 / 2.0;
    arc->SetArc(circle);
    const std::vector<CVertex*> vertices{topology.Vertex(1, 0), topology.Vertex(std::sqrt(0.5), std::sqrt(0.5)),
                                         topology.Vertex(0, 1)};
    const std::vector<CEdge*> arcEdges = topology.Chain(vertices, arc);
    arc->RebuildFromEdge(arcEdges.front());
    ASSERT_EQ(arcEdges.front()->GetArcCurve(), arc);

    ExportRecorder sink;
    for (CEdge* edge : {plain, arcEdges[0], arcEdges[1]}) {
        EXPECT_TRUE(edge->ExportTessellation(&sink));
    }
    ASSERT_EQ(sink.segments.size(), 1U);
    EXPECT_LT(sink.segments[0][1].Distance(CPoint3d(4, 0, 0)), 1e-9);
    ASSERT_EQ(sink.polylines.size(), 1U);
    ASSERT_EQ(sink.polylines[0].size(), 3U);
    EXPECT_LT(sink.polylines[0][2].Distance(CPoint3d(0, 1, 0)), 1e-9);

    // The face's colour: a plain colour of its own or of the default, else its
    // material's (a picture's for a textured one) or the default's, the override above
    // all; opaque.
    topologytest::Builder build;
    CFace* face = build.Square();
    CMaterial plainRed;
    plainRed.SetColor(CColor(200, 0, 0, 10));
    CMaterial greyDefault;
    greyDefault.SetColor(CColor(90, 90, 90, 255));
    struct Case
    {
        const char* name;
        CMaterial* own;
        CMaterial* fallback;
        CColor colorOverride;
        CColor expected;
    };
    const Case cases[] = {
        {"its own plain colour", &plainRed, &greyDefault, CColor(), CColor(200, 0, 0, 255)},
        {"the default's", nullptr, &greyDefault, CColor(), CColor(90, 90, 90, 255)},
        {"nothing", nullptr, nullptr, CColor(), CColor()},
        {"the override", &plainRed, &greyDefault, CColor(0, 0, 250, 0), CColor(0, 0, 250, 255)},
    };
    for (const Case& c : cases) {
        face->SetMaterial(c.own);
        sink.defaultMaterial = c.fallback;
        sink.colorOverride = c.colorOverride;
        sink.faceColors.clear();
        face->ExportTessellation(&sink);
        ASSERT_FALSE(sink.faceColors.empty()) << c.name;
        EXPECT_EQ(sink.faceColors[0].GetValue(), c.expected.GetValue()) << c.name;
    }
    face->SetMaterial(nullptr);
}
