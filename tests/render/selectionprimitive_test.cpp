#include "render/selectionprimitive.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <vector>

#include "tests/render/feedbackcapture.h"

namespace {

using feedbacktest::FeedbackContext;

// What GL made of a drawing: each primitive's kind and its window coordinates. A line
// that starts a new strip and one that continues it count alike: selection sees no
// stipple.
std::vector<std::vector<float>> Primitives(const std::function<void()>& draw)
{
    std::vector<GLfloat> buffer(1 << 21);
    glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_3D, buffer.data());
    glRenderMode(GL_FEEDBACK);
    draw();
    const GLint used = glRenderMode(GL_RENDER);
    EXPECT_GE(used, 0) << "the feedback buffer overflowed";
    std::vector<std::vector<float>> primitives;
    for (GLint i = 0; i < used;) {
        const auto token = static_cast<GLint>(buffer[i++]);
        GLint vertices = 0;
        if (token == GL_POINT_TOKEN) {
            vertices = 1;
        } else if (token == GL_LINE_TOKEN || token == GL_LINE_RESET_TOKEN) {
            vertices = 2;
        } else if (token == GL_POLYGON_TOKEN) {
            vertices = static_cast<GLint>(buffer[i++]);
        } else {
            ADD_FAILURE() << "unexpected feedback token " << token;
            break;
        }
        std::vector<float> primitive{static_cast<float>(token == GL_LINE_RESET_TOKEN ? GL_LINE_TOKEN : token)};
        primitive.insert(primitive.end(), &buffer[i], &buffer[i + 3 * vertices]);
        primitives.push_back(primitive);
        i += 3 * vertices;
    }
    return primitives;
}

class SelectionPrimitiveTest : public FeedbackContext
{
};

TEST_F(SelectionPrimitiveTest, CutIntoChunksEveryKindOfPrimitiveGivesWhatImmediateModeGives)
{
    // Corners wander over the window and back through it in depth, so that triangles
    // of both windings follow one another and the back ones are culled: a chunk that
    // started on the wrong corner would turn the triangles that follow it.
    std::vector<CPoint3d> corners;
    const std::size_t count = 2 * CSelectionPrimitive::kChunkVertices + 7;
    for (std::size_t i = 0; i < count; ++i) {
        const double t = static_cast<double>(i);
        corners.emplace_back(8.0 + 7.0 * std::cos(t * 0.71), 8.0 + 7.0 * std::sin(t * 1.37), 5.0 * std::sin(t * 0.13));
    }
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    const GLenum modes[] = {GL_POINTS,         GL_LINES,         GL_LINE_STRIP,   GL_LINE_LOOP, GL_TRIANGLES,
                            GL_TRIANGLE_STRIP, GL_TRIANGLE_FAN, GL_QUADS,        GL_QUAD_STRIP, GL_POLYGON};
    for (const GLenum mode : modes) {
        SCOPED_TRACE(mode);
        const auto immediate = Primitives([&] {
            glBegin(mode);
            for (const CPoint3d& corner : corners) {
                glVertex3d(corner.x, corner.y, corner.z);
            }
            glEnd();
        });
        CSelectionPrimitive primitive;
        const auto chunks = Primitives([&] {
            primitive.Open(mode);
            for (const CPoint3d& corner : corners) {
                primitive.AddVertex(corner);
            }
            primitive.Close();
        });
        ASSERT_FALSE(immediate.empty());
        EXPECT_EQ(chunks, immediate);
        // A polygon is sent whole; the room it took is given back.
        EXPECT_LE(primitive.GetCapacity(), CSelectionPrimitive::kChunkVertices);
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

}  // namespace
