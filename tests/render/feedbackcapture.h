#pragma once
// A current GL context in which one model unit is one pixel of a 16 by 16 window seen
// from +z, and the capture of what a drawing sends to GL through feedback mode, so
// that the tests of face filling compare polygons in model x and y.

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

#include "foundation/point2d.h"
#include "platform/gl/wgl.h"

namespace feedbacktest {

using Polygon2 = std::vector<CPoint2d>;

inline double SignedArea(const Polygon2& polygon)
{
    double twice = 0.0;
    for (std::size_t i = 0; i < polygon.size(); ++i) {
        const CPoint2d& a = polygon[i];
        const CPoint2d& b = polygon[(i + 1) % polygon.size()];
        twice += a.x * b.y - b.x * a.y;
    }
    return twice / 2.0;
}

inline double TotalArea(const std::vector<Polygon2>& polygons)
{
    double area = 0.0;
    for (const Polygon2& polygon : polygons) {
        area += SignedArea(polygon);
    }
    return area;
}

inline CPoint2d Centroid(const Polygon2& polygon)
{
    CPoint2d sum(0.0, 0.0);
    for (const CPoint2d& p : polygon) {
        sum.x += p.x / static_cast<double>(polygon.size());
        sum.y += p.y / static_cast<double>(polygon.size());
    }
    return sum;
}

class FeedbackContext : public testing::Test
{
protected:
    void SetUp() override
    {
        m_device = CGLDevice::CreateOffscreen(16, 16);
        ASSERT_NE(m_device, nullptr);
        PIXELFORMATDESCRIPTOR wanted;
        wanted.cDepthBits = 24;
        ASSERT_TRUE(SetPixelFormat(m_device.get(), ChoosePixelFormat(m_device.get(), &wanted), nullptr));
        m_context = wglCreateContext(m_device.get());
        ASSERT_TRUE(wglMakeCurrent(m_device.get(), m_context));
        glViewport(0, 0, 16, 16);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(0.0, 16.0, 0.0, 16.0, -10.0, 10.0);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
    }
    void TearDown() override
    {
        wglMakeCurrent(nullptr, nullptr);
        wglDeleteContext(m_context);
    }

    // The polygons the drawing sends to GL, in window coordinates.
    static std::vector<Polygon2> Capture(const std::function<void()>& draw)
    {
        std::vector<GLfloat> buffer(8192);
        glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_2D, buffer.data());
        glRenderMode(GL_FEEDBACK);
        draw();
        const GLint used = glRenderMode(GL_RENDER);
        std::vector<Polygon2> polygons;
        for (GLint i = 0; i < used;) {
            if (static_cast<GLint>(buffer[i]) != GL_POLYGON_TOKEN) {
                ADD_FAILURE() << "unexpected feedback token " << buffer[i];
                break;
            }
            const auto count = static_cast<GLint>(buffer[i + 1]);
            Polygon2 points;
            for (GLint k = 0; k < count; ++k) {
                points.emplace_back(buffer[i + 2 + 2 * k], buffer[i + 3 + 2 * k]);
            }
            polygons.push_back(points);
            i += 2 + 2 * count;
        }
        return polygons;
    }

private:
    std::unique_ptr<CGLDevice> m_device;
    HGLRC m_context = nullptr;
};

}  // namespace feedbacktest
