#pragma once
// The triangles a drawing sends to GL one corner at a time (glBegin, glVertex3d or
// glVertex3dv, glEnd), kept in double precision as they were given: GL itself keeps
// single precision, which says nothing about a face far from the origin. The test
// program's own glBegin, glEnd and those glVertex calls stand in for the driver's (the
// program's definitions take precedence over the library's) and pass every call on, so
// that the drawing is unchanged; they record only while a capture is open.

#include <array>
#include <vector>

#include "foundation/point3d.h"

namespace trianglecapture {

using Triangle = std::array<CPoint3d, 3>;

// One capture at a time, on the thread that draws.
class CTriangleCapture
{
public:
    CTriangleCapture();
    ~CTriangleCapture();
    CTriangleCapture(const CTriangleCapture&) = delete;
    CTriangleCapture& operator=(const CTriangleCapture&) = delete;

    // Triangles, fans, strips, quads and polygons, each cut into triangles in the
    // order GL fills them (counter-clockwise stays counter-clockwise).
    [[nodiscard]] const std::vector<Triangle>& GetTriangles() const { return m_triangles; }
    // The corners sent outside any glBegin and glEnd, or in points and lines.
    [[nodiscard]] int GetStrayCorners() const { return m_stray; }

    void Begin(unsigned mode);
    void Corner(double x, double y, double z);
    void End();

private:
    std::vector<Triangle> m_triangles;
    std::vector<CPoint3d> m_primitive;
    unsigned m_mode = 0;
    bool m_open = false;
    int m_stray = 0;
};

}  // namespace trianglecapture
