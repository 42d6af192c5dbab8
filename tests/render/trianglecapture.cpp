#include "tests/render/trianglecapture.h"

#include <GL/gl.h>
#include <dlfcn.h>

namespace trianglecapture {

namespace {

CTriangleCapture* g_capture = nullptr;

// The driver's entry point of that name, found past this program.
template <typename Function>
Function Driver(const char* name)
{
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

}  // namespace

CTriangleCapture::CTriangleCapture()
{
    g_capture = this;
}

CTriangleCapture::~CTriangleCapture()
{
    g_capture = nullptr;
}

void CTriangleCapture::Begin(unsigned mode)
{
    m_mode = mode;
    m_open = true;
    m_primitive.clear();
}

void CTriangleCapture::Corner(double x, double y, double z)
{
    if (!m_open) {
        ++m_stray;
        return;
    }
    m_primitive.emplace_back(x, y, z);
    if (m_mode == GL_TRIANGLES && m_primitive.size() == 3) {
        m_triangles.push_back({m_primitive[0], m_primitive[1], m_primitive[2]});
        m_primitive.clear();
    } else if (m_mode == GL_QUADS && m_primitive.size() == 4) {
        m_triangles.push_back({m_primitive[0], m_primitive[1], m_primitive[2]});
        m_triangles.push_back({m_primitive[0], m_primitive[2], m_primitive[3]});
        m_primitive.clear();
    }
}

void CTriangleCapture::End()
{
    const std::vector<CPoint3d>& p = m_primitive;
    if (m_mode == GL_TRIANGLE_FAN || m_mode == GL_POLYGON) {
        for (std::size_t i = 2; i < p.size(); ++i) {
            m_triangles.push_back({p[0], p[i - 1], p[i]});
        }
    } else if (m_mode == GL_TRIANGLE_STRIP) {
        for (std::size_t i = 2; i < p.size(); ++i) {
            m_triangles.push_back(i % 2 == 0 ? Triangle{p[i - 2], p[i - 1], p[i]} : Triangle{p[i - 1], p[i - 2], p[i]});
        }
    } else if (m_mode != GL_TRIANGLES && m_mode != GL_QUADS) {
        m_stray += static_cast<int>(p.size());
    }
    m_primitive.clear();
    m_open = false;
}

}  // namespace trianglecapture

using trianglecapture::Driver;
using trianglecapture::g_capture;

extern "C" {

void glBegin(GLenum mode)
{
    static const auto driver = Driver<void (*)(GLenum)>("glBegin");
    if (g_capture != nullptr) {
        g_capture->Begin(mode);
    }
    driver(mode);
}

void glEnd()
{
    static const auto driver = Driver<void (*)()>("glEnd");
    if (g_capture != nullptr) {
        g_capture->End();
    }
    driver();
}

void glVertex3d(GLdouble x, GLdouble y, GLdouble z)
{
    static const auto driver = Driver<void (*)(GLdouble, GLdouble, GLdouble)>("glVertex3d");
    if (g_capture != nullptr) {
        g_capture->Corner(x, y, z);
    }
    driver(x, y, z);
}

void glVertex3dv(const GLdouble* v)
{
    static const auto driver = Driver<void (*)(const GLdouble*)>("glVertex3dv");
    if (g_capture != nullptr) {
        g_capture->Corner(v[0], v[1], v[2]);
    }
    driver(v);
}

}  // extern "C"
