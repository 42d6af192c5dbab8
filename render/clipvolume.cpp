#include "render/clipvolume.h"

#include <GL/gl.h>

#include <cmath>
#include <cstring>

#ifndef GL_DEPTH_CLAMP
#define GL_DEPTH_CLAMP 0x864F
#endif

namespace {

// Far beyond the rounding of GL's single-precision transform.
constexpr double kMargin = 1e-4;

}  // namespace

bool CClipVolume::Load(double reachPixels)
{
    GLint renderMode = GL_RENDER;
    glGetIntegerv(GL_RENDER_MODE, &renderMode);
    if (renderMode != GL_RENDER) {
        return false;
    }
    double projection[16];
    double modelview[16];
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
    for (int column = 0; column < 4; ++column) {
        for (int row = 0; row < 4; ++row) {
            double sum = 0.0;
            for (int k = 0; k < 4; ++k) {
                sum += projection[k * 4 + row] * modelview[column * 4 + k];
            }
            m_matrix[column * 4 + row] = sum;
        }
    }
    m_depthClamped = glIsEnabled(GL_DEPTH_CLAMP) == GL_TRUE;
    GLint viewport[4] = {0, 0, 1, 1};
    glGetIntegerv(GL_VIEWPORT, viewport);
    // The clip volume is 2 wide across the viewport.
    m_reach[0] = viewport[2] > 0 ? 2.0 * reachPixels / viewport[2] : 0.0;
    m_reach[1] = viewport[3] > 0 ? 2.0 * reachPixels / viewport[3] : 0.0;
    return true;
}

CClipVolume::Place CClipVolume::Classify(const float* positions, int size) const
{
    // Bit 2k: beyond the low side of axis k (c < -w); bit 2k + 1: beyond the high side.
    unsigned allOutside = 0x3F;
    bool inside = true;
    const int axes = m_depthClamped ? 2 : 3;
    for (int v = 0; v < size; ++v) {
        const double x = positions[v * 3];
        const double y = positions[v * 3 + 1];
        const double z = positions[v * 3 + 2];
        double clip[4];
        for (int row = 0; row < 4; ++row) {
            clip[row] = m_matrix[row] * x + m_matrix[4 + row] * y + m_matrix[8 + row] * z + m_matrix[12 + row];
        }
        const double w = clip[3];
        unsigned outside = 0;
        for (int k = 0; k < axes; ++k) {
            const double c = clip[k];
            const double margin = kMargin * (std::fabs(c) + std::fabs(w));
            const double reach = k < 2 ? m_reach[k] * std::fabs(w) : 0.0;
            if (c + w < -margin - reach) {
                outside |= 1u << (2 * k);
            }
            if (c - w > margin + reach) {
                outside |= 2u << (2 * k);
            }
            if (c + w <= margin || c - w >= -margin) {
                inside = false;
            }
        }
        allOutside &= outside;
    }
    if (allOutside != 0) {
        return kOutside;
    }
    return inside ? kInside : kCrossing;
}

std::size_t CClipVolume::Sift(float* positions, std::size_t vertexCount, int size, bool reordered,
                              const std::vector<Attribute>& attributes)
{
    const std::size_t stride = static_cast<std::size_t>(size) * 3;
    const std::size_t count = vertexCount / static_cast<std::size_t>(size);
    std::size_t kept = 0;
    m_crossing.clear();
    for (std::size_t i = 0; i < count; ++i) {
        const float* primitive = positions + i * stride;
        const Place place = Classify(primitive, size);
        if (place == kOutside) {
            continue;
        }
        if (reordered && place == kCrossing) {
            m_crossing.insert(m_crossing.end(), primitive, primitive + stride);
            continue;
        }
        if (kept != i) {
            std::memmove(positions + kept * stride, primitive, stride * sizeof(float));
            if (!reordered) {
                for (const Attribute& attribute : attributes) {
                    auto* bytes = static_cast<unsigned char*>(attribute.data);
                    const std::size_t block = attribute.bytes * static_cast<std::size_t>(size);
                    std::memmove(bytes + kept * block, bytes + i * block, block);
                }
            }
        }
        ++kept;
    }
    if (!m_crossing.empty()) {
        std::memcpy(positions + kept * stride, m_crossing.data(), m_crossing.size() * sizeof(float));
        kept += m_crossing.size() / stride;
    }
    return kept * static_cast<std::size_t>(size);
}
