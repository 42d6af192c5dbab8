#include "render/viewanalyzer.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "drawapi/tarnisview.h"
#include "render/viewdefinition.h"

namespace {

constexpr float kBackgroundDepth = 0.99999f;
constexpr int kAroundSize = 100;

}  // namespace

CViewAnalyzer::CViewAnalyzer(ITarnisView& view) : m_view(view)
{
    const CViewDefinition& definition = view.GetViewDefinition();
    definition.GetViewport(m_viewport);
    m_flipHeight = m_viewport[1] + m_viewport[3];
    // The viewport GL was last given is what the depth buffer holds.
    glGetIntegerv(GL_VIEWPORT, m_viewport);
    m_x0 = m_viewport[0];
    m_y0 = m_viewport[1];
    m_x1 = m_viewport[0] + m_viewport[2];
    m_y1 = m_viewport[1] + m_viewport[3];
    // Without a depth buffer the read fails and leaves the row as it was: nothing there
    // can tell the model from the background.
    GLint depthBits = 0;
    glGetIntegerv(GL_DEPTH_BITS, &depthBits);
    m_hasDepth = depthBits > 0;
}

CViewAnalyzer::~CViewAnalyzer() = default;

void CViewAnalyzer::ResetResults()
{
    m_count = 0;
    m_nearest = 1.0;
    m_nearestX = 0;
    m_nearestY = 0;
    m_farthest = 0.0;
    m_sum = 0.0;
}

void CViewAnalyzer::AnalyzeRect(const CPoint2d& a, const CPoint2d& b, unsigned kind)
{
    ResetResults();
    const int x0 = std::max(m_x0, static_cast<int>(std::lround(std::min(a.x, b.x))));
    const int x1 = std::min(m_x1, static_cast<int>(std::lround(std::max(a.x, b.x))));
    const int y0 = std::max(m_y0, m_flipHeight - static_cast<int>(std::lround(std::max(a.y, b.y))));
    const int y1 = std::min(m_y1, m_flipHeight - static_cast<int>(std::lround(std::min(a.y, b.y))));
    if (x1 <= x0 || y1 <= y0) {
        return;
    }
    if (kind == GL_DEPTH_COMPONENT) {
        ScanDepth(x0, y0, x1, y1);
        return;
    }
    std::vector<std::int8_t> colours(static_cast<std::size_t>(x1 - x0) * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    for (int row = y0; row < y1; ++row) {
        glReadPixels(x0, row, x1 - x0, 1, GL_RGB, GL_BYTE, colours.data());
        m_count += x1 - x0;
    }
}

void CViewAnalyzer::AnalyzeGrowing(int x, int y, int width, int height)
{
    ResetResults();
    int rx0 = std::max(m_x0, x);
    int ry0 = std::max(m_y0, y);
    int rx1 = std::min(m_x1, x + width);
    int ry1 = std::min(m_y1, y + height);
    if (rx1 <= rx0 || ry1 <= ry0) {
        // Outside the viewport: the growing starts from the nearest viewport corner.
        rx0 = std::clamp(x, m_x0, m_x1);
        ry0 = std::clamp(y, m_y0, m_y1);
        rx1 = rx0;
        ry1 = ry0;
    } else {
        ScanDepth(rx0, ry0, rx1, ry1);
    }
    int stepX = std::max(width, 1);
    int stepY = std::max(height, 1);
    while (m_count == 0 && (rx0 > m_x0 || ry0 > m_y0 || rx1 < m_x1 || ry1 < m_y1)) {
        const int left = std::max(m_x0, rx0 - stepX);
        ScanDepth(left, ry0, rx0, ry1);
        rx0 = left;
        const int right = std::min(m_x1, rx1 + stepX);
        ScanDepth(rx1, ry0, right, ry1);
        rx1 = right;
        const int below = std::max(m_y0, ry0 - stepY);
        ScanDepth(rx0, below, rx1, ry0);
        ry0 = below;
        const int above = std::min(m_y1, ry1 + stepY);
        ScanDepth(rx0, ry1, rx1, above);
        ry1 = above;
        stepX *= 2;
        stepY *= 2;
    }
}

void CViewAnalyzer::AnalyzeAround(const CPoint2d& windowPoint)
{
    const int x = static_cast<int>(std::lround(windowPoint.x));
    const int y = static_cast<int>(std::lround(windowPoint.y));
    const int half = kAroundSize / 2;
    AnalyzeGrowing(x - half, m_flipHeight - y + m_viewport[1] - half, kAroundSize, kAroundSize);
}

double CViewAnalyzer::GetAverage() const
{
    return m_count < 1 ? 0.5 : m_sum / m_count;
}

void CViewAnalyzer::ScanDepth(int x0, int y0, int x1, int y1)
{
    if (!m_hasDepth || x1 <= x0 || y1 <= y0) {
        return;
    }
    const int width = x1 - x0;
    m_row.resize(static_cast<std::size_t>(width));
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    for (int row = y0; row < y1; ++row) {
        glReadPixels(x0, row, width, 1, GL_DEPTH_COMPONENT, GL_FLOAT, m_row.data());
        for (int column = 0; column < width; ++column) {
            const float depth = m_row[static_cast<std::size_t>(column)];
            if (depth < kBackgroundDepth) {
                ++m_count;
                m_sum += depth;
                m_farthest = std::max(m_farthest, static_cast<double>(depth));
            }
            if (depth < m_nearest) {
                m_nearest = depth;
                m_nearestX = x0 + column;
                m_nearestY = row;
            }
        }
    }
}
