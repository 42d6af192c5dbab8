#include "render/displaytesselator.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <vector>

#include "tests/model/topologytestsupport.h"
#include "tests/render/feedbackcapture.h"

using feedbacktest::Centroid;
using feedbacktest::Polygon2;
using feedbacktest::TotalArea;
using topologytest::Builder;

using DisplayTesselatorDrawing = feedbacktest::FeedbackContext;

TEST_F(DisplayTesselatorDrawing, SendsTheRingAsSeparateTrianglesWithTheFaceNormal)
{
    Builder build;
    CFace* face = build.SquareWithHole();
    CDisplayTesselator tesselator(face);
    const std::vector<Polygon2> triangles = Capture([&] { EXPECT_TRUE(tesselator.Tessellate(true)); });
    EXPECT_NEAR(TotalArea(triangles), 12.0, 1e-3);
    for (const Polygon2& triangle : triangles) {
        EXPECT_EQ(triangle.size(), 3U);
        const CPoint2d centre = Centroid(triangle);
        EXPECT_FALSE(centre.x > 1.0 && centre.x < 3.0 && centre.y > 1.0 && centre.y < 3.0);
    }
    GLdouble normal[3] = {};
    glGetDoublev(GL_CURRENT_NORMAL, normal);
    EXPECT_DOUBLE_EQ(normal[2], 1.0);
}
