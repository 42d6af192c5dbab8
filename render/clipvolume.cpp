#include "render/clipvolume.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "foundation/framemeter.h"
#include "render/equallayers.h"

#ifndef GL_DEPTH_CLAMP
#define GL_DEPTH_CLAMP 0x864F
#endif

namespace {

// Primitives asked together by their box.
constexpr std::size_t kGroup = 32;

// Four floats in one vector register.
using Quad = float __attribute__((vector_size(16)));

// Far beyond the rounding of GL's single-precision transform, and of this one.
constexpr float kMargin = 1e-4f;

// The side of the squares of pixels Mesa's software rasteriser bins triangles into, and
// what setting a triangle up in one costs, in pixels filled; the count at opening weighs
// every triangle's setup in the tiles it reaches too.
constexpr auto kTileSide = static_cast<double>(CFrameMeter::kTileSide);
constexpr auto kTileSetupPixels =
    static_cast<double>(CFrameMeter::kTriangleSetupCost * CFrameMeter::kFilledPixelsPerUnit);

}  // namespace

std::array<float, 9> CClipVolume::WindowCorners(const float* corners, const float (&x)[3], const float (&y)[3]) const
{
    const float* m = m_matrix;
    std::array<float, 9> window{};
    for (std::size_t v = 0; v < 3; ++v) {
        const float* p = corners + v * 3;
        const float w = m[3] * p[0] + m[7] * p[1] + m[11] * p[2] + m[15];
        window[v * 3] = x[v];
        window[v * 3 + 1] = y[v];
        window[v * 3 + 2] = (m[2] * p[0] + m[6] * p[1] + m[10] * p[2] + m[14]) / w;
    }
    return window;
}

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
            m_matrix[column * 4 + row] = static_cast<float>(sum);
        }
    }
    m_depthClamped = glIsEnabled(GL_DEPTH_CLAMP) == GL_TRUE;
    GLint viewport[4] = {0, 0, 1, 1};
    glGetIntegerv(GL_VIEWPORT, viewport);
    // The clip volume is 2 wide across the viewport.
    m_reachX = viewport[2] > 0 ? static_cast<float>(2.0 * reachPixels / viewport[2]) : 0.0f;
    m_reachY = viewport[3] > 0 ? static_cast<float>(2.0 * reachPixels / viewport[3]) : 0.0f;
    m_halfWidth = std::max(viewport[2], 0) * 0.5;
    m_halfHeight = std::max(viewport[3], 0) * 0.5;
    return true;
}

namespace {

// Corners projected at a time: a frame asks the window place of every corner it sends, and
// a loop over many lets the compiler work on several at once.
constexpr std::size_t kBlockCorners = 3 * 2 * 64;

// The corners' window places in pixels about the viewport's centre, and whether each lies
// behind the eye.
void ProjectCorners(const float* m, float halfWidth, float halfHeight, const float* positions, std::size_t count,
                    float* x, float* y, std::uint8_t* behind)
{
    for (std::size_t v = 0; v < count; ++v) {
        const float* p = positions + v * 3;
        const float w = m[3] * p[0] + m[7] * p[1] + m[11] * p[2] + m[15];
        behind[v] = !(w > 1e-6f) ? 1 : 0;
        const float scale = 1.0f / w;
        x[v] = (m[0] * p[0] + m[4] * p[1] + m[8] * p[2] + m[12]) * scale * halfWidth;
        y[v] = (m[1] * p[0] + m[5] * p[1] + m[9] * p[2] + m[13]) * scale * halfHeight;
    }
}

// Hands visit(first, count, x, y, behind) the window places of the vertices, a block at a
// time, each block of whole groups of `group` vertices (3 for triangles, 2 for lines).
template <typename Visit>
void ForEachProjectedBlock(const float* m, float halfWidth, float halfHeight, const float* positions,
                           std::size_t vertexCount, std::size_t group, const Visit& visit)
{
    float x[kBlockCorners];
    float y[kBlockCorners];
    std::uint8_t behind[kBlockCorners];
    for (std::size_t first = 0; first + group <= vertexCount; first += kBlockCorners) {
        const std::size_t count = std::min(kBlockCorners, vertexCount - first) / group * group;
        ProjectCorners(m, halfWidth, halfHeight, positions + first * 3, count, x, y, behind);
        visit(first, count, x, y, behind);
    }
}

}  // namespace

double CClipVolume::CountTrianglePixels(const float* positions, std::size_t vertexCount, CEqualLayers* layers,
                                        double* rejected, double* setups) const
{
    // Single precision is plenty for an estimate, and a frame asks this of every triangle.
    const auto halfWidth = static_cast<float>(m_halfWidth);
    const auto halfHeight = static_cast<float>(m_halfHeight);
    const float viewportPixels = 4.0f * halfWidth * halfHeight;
    const auto tileSetup = static_cast<float>(kTileSetupPixels);
    const auto perTile = static_cast<float>(kTileSetupPixels / kTileSide);
    double pixels = 0.0;
    const auto visit = [&](std::size_t first, std::size_t corners, const float* xs, const float* ys,
                           const std::uint8_t* behinds) {
        for (std::size_t t = 0; t < corners; t += 3) {
            const float x[3] = {xs[t], xs[t + 1], xs[t + 2]};
            const float y[3] = {ys[t], ys[t + 1], ys[t + 2]};
            const bool behind = (behinds[t] | behinds[t + 1] | behinds[t + 2]) != 0;
            const float area = 0.5f * std::fabs((x[1] - x[0]) * (y[2] - y[0]) - (x[2] - x[0]) * (y[1] - y[0]));
            const float across = std::max({x[0], x[1], x[2]}) - std::min({x[0], x[1], x[2]});
            const float down = std::max({y[0], y[1], y[2]}) - std::min({y[0], y[1], y[2]});
            const float setup = tileSetup + std::max(across, down) * perTile;
            if (behind || !(area + setup < viewportPixels)) {
                pixels += viewportPixels;
                continue;
            }
            // The setup is paid whatever the depth test says.
            (setups != nullptr ? *setups : pixels) += setup;
            if (layers != nullptr && rejected != nullptr && area >= CEqualLayers::kLargeTriangle &&
                layers->Repeats(WindowCorners(positions + (first + t) * 3, x, y))) {
                *rejected += area;
            } else {
                pixels += area;
            }
        }
    };
    ForEachProjectedBlock(m_matrix, halfWidth, halfHeight, positions, vertexCount, 3, visit);
    return pixels;
}

double CClipVolume::CountLinePixels(const float* positions, std::size_t vertexCount, double width) const
{
    const auto halfWidth = static_cast<float>(m_halfWidth);
    const auto halfHeight = static_cast<float>(m_halfHeight);
    const float diagonal = 2.0f * std::sqrt(halfWidth * halfWidth + halfHeight * halfHeight);
    const auto step = static_cast<float>(CFrameMeter::kLineStepPixels);
    const auto wide = static_cast<float>(std::max(width, 1.0));
    double pixels = 0.0;
    const auto visit = [&](std::size_t /*first*/, std::size_t corners, const float* x, const float* y,
                           const std::uint8_t* behind) {
        for (std::size_t l = 0; l < corners; l += 2) {
            // GL steps a line along its major axis, a pixel (or its width) at each step.
            const float length = std::max(std::fabs(x[l + 1] - x[l]), std::fabs(y[l + 1] - y[l]));
            const bool hidden = (behind[l] | behind[l + 1]) != 0;
            const float along = hidden || !(length < diagonal) ? diagonal : length;
            pixels += along * (wide + step);
        }
    };
    ForEachProjectedBlock(m_matrix, halfWidth, halfHeight, positions, vertexCount, 2, visit);
    return pixels;
}

double CClipVolume::CountPolygonPixels(const double* positions, std::size_t cornerCount, double* setups) const
{
    if (cornerCount < 3) {
        return 0.0;
    }
    const float* m = m_matrix;
    const double viewportPixels = 4.0 * m_halfWidth * m_halfHeight;
    double twiceArea = 0.0;
    double low[2] = {0.0, 0.0};
    double high[2] = {0.0, 0.0};
    double first[2] = {0.0, 0.0};
    double last[2] = {0.0, 0.0};
    for (std::size_t v = 0; v < cornerCount; ++v) {
        const double* p = positions + v * 3;
        const double w = m[3] * p[0] + m[7] * p[1] + m[11] * p[2] + m[15];
        if (!(w > 1e-6)) {
            return viewportPixels * static_cast<double>(cornerCount - 2);
        }
        const double x = (m[0] * p[0] + m[4] * p[1] + m[8] * p[2] + m[12]) / w * m_halfWidth;
        const double y = (m[1] * p[0] + m[5] * p[1] + m[9] * p[2] + m[13]) / w * m_halfHeight;
        if (v == 0) {
            first[0] = low[0] = high[0] = x;
            first[1] = low[1] = high[1] = y;
        } else {
            twiceArea += last[0] * y - x * last[1];
        }
        low[0] = std::min(low[0], x);
        low[1] = std::min(low[1], y);
        high[0] = std::max(high[0], x);
        high[1] = std::max(high[1], y);
        last[0] = x;
        last[1] = y;
    }
    twiceArea += last[0] * first[1] - first[0] * last[1];
    // The screen's part of it, each triangle set up in the tiles its box reaches.
    const double across = std::min(high[0], m_halfWidth) - std::max(low[0], -m_halfWidth);
    const double down = std::min(high[1], m_halfHeight) - std::max(low[1], -m_halfHeight);
    const bool shown = across >= 0.0 && down >= 0.0;
    const double area = shown ? std::min(0.5 * std::fabs(twiceArea), viewportPixels) : 0.0;
    const double setup = kTileSetupPixels + (shown ? std::max(across, down) * (kTileSetupPixels / kTileSide) : 0.0);
    const double triangles = setup * static_cast<double>(cornerCount - 2);
    if (setups != nullptr) {
        *setups += triangles;
        return area;
    }
    return area + triangles;
}

CClipVolume::Place CClipVolume::Classify(const float* positions, int size) const
{
    const float* m = m_matrix;
    // Bit 2k: beyond the low side of axis k (c < -w); bit 2k + 1: beyond the high side.
    unsigned allOutside = m_depthClamped ? 0x0Fu : 0x3Fu;
    bool inside = true;
    for (int v = 0; v < size; ++v) {
        const float x = positions[v * 3];
        const float y = positions[v * 3 + 1];
        const float z = positions[v * 3 + 2];
        const float w = m[3] * x + m[7] * y + m[11] * z + m[15];
        const float absW = std::fabs(w);
        unsigned outside = 0;
        const auto side = [&](float c, float reach, unsigned low) {
            const float margin = kMargin * (std::fabs(c) + absW);
            if (c + w < -margin - reach * absW) {
                outside |= low;
            }
            if (c - w > margin + reach * absW) {
                outside |= low << 1;
            }
            inside = inside && c + w > margin && c - w < -margin;
        };
        side(m[0] * x + m[4] * y + m[8] * z + m[12], m_reachX, 1u);
        side(m[1] * x + m[5] * y + m[9] * z + m[13], m_reachY, 4u);
        side(m[2] * x + m[6] * y + m[10] * z + m[14], 0.0f, 16u);
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
    return SiftAsking(positions, vertexCount, size, [reordered] { return reordered; }, attributes);
}

std::size_t CClipVolume::SiftAsking(float* positions, std::size_t vertexCount, int size,
                                    const std::function<bool()>& askReordered, const std::vector<Attribute>& attributes)
{
    const std::size_t stride = static_cast<std::size_t>(size) * 3;
    const std::size_t count = vertexCount / static_cast<std::size_t>(size);
    // The whole array is asked first, by the box around it: a model in full view needs no
    // more. Then neighbouring primitives together, by the box around them.
    const Place whole = count > kGroup ? ClassifyBox(positions, count * static_cast<std::size_t>(size)) : kCrossing;
    if (whole == kOutside) {
        return 0;
    }
    if (whole == kInside) {
        return count * static_cast<std::size_t>(size);
    }
    const bool reordered = askReordered();
    std::size_t kept = 0;
    m_crossing.clear();
    const auto keep = [&](std::size_t i) {
        if (kept != i) {
            std::memmove(positions + kept * stride, positions + i * stride, stride * sizeof(float));
            if (!reordered) {
                for (const Attribute& attribute : attributes) {
                    auto* bytes = static_cast<unsigned char*>(attribute.data);
                    const std::size_t block = attribute.bytes * static_cast<std::size_t>(size);
                    std::memmove(bytes + kept * block, bytes + i * block, block);
                }
            }
        }
        ++kept;
    };
    for (std::size_t group = 0; group < count; group += kGroup) {
        const std::size_t end = std::min(count, group + kGroup);
        const Place together = ClassifyBox(positions + group * stride, (end - group) * static_cast<std::size_t>(size));
        for (std::size_t i = group; i < end; ++i) {
            const Place place = together != kCrossing ? together : Classify(positions + i * stride, size);
            if (place == kOutside) {
                continue;
            }
            if (reordered && place == kCrossing) {
                m_crossing.insert(m_crossing.end(), positions + i * stride, positions + (i + 1) * stride);
                continue;
            }
            keep(i);
        }
    }
    if (!m_crossing.empty()) {
        std::memcpy(positions + kept * stride, m_crossing.data(), m_crossing.size() * sizeof(float));
        kept += m_crossing.size() / stride;
    }
    return kept * static_cast<std::size_t>(size);
}

CClipVolume::Place CClipVolume::ClassifyBox(const float* positions, std::size_t vertexCount) const
{
    // Four vertices a step, each coordinate in a lane of its own, so that the scan of a
    // whole batch runs in vector registers; the lanes fold into one box after.
    constexpr std::size_t kLanes = 4 * 3;
    float lowLanes[kLanes];
    for (std::size_t j = 0; j < kLanes; ++j) {
        lowLanes[j] = positions[j % 3];
    }
    Quad low4[3];
    Quad high4[3];
    std::memcpy(low4, lowLanes, sizeof(low4));
    std::memcpy(high4, lowLanes, sizeof(high4));
    const std::size_t floats = vertexCount * 3;
    std::size_t at = 0;
    for (; at + kLanes <= floats; at += kLanes) {
        Quad next[3];
        std::memcpy(next, positions + at, sizeof(next));
        for (int q = 0; q < 3; ++q) {
            low4[q] = next[q] < low4[q] ? next[q] : low4[q];
            high4[q] = high4[q] < next[q] ? next[q] : high4[q];
        }
    }
    float highLanes[kLanes];
    std::memcpy(lowLanes, low4, sizeof(low4));
    std::memcpy(highLanes, high4, sizeof(high4));
    for (; at < floats; ++at) {
        lowLanes[at % 3] = std::min(lowLanes[at % 3], positions[at]);
        highLanes[at % 3] = std::max(highLanes[at % 3], positions[at]);
    }
    float low[3] = {lowLanes[0], lowLanes[1], lowLanes[2]};
    float high[3] = {highLanes[0], highLanes[1], highLanes[2]};
    for (std::size_t j = 3; j < kLanes; ++j) {
        low[j % 3] = std::min(low[j % 3], lowLanes[j]);
        high[j % 3] = std::max(high[j % 3], highLanes[j]);
    }
    float corners[24];
    for (int corner = 0; corner < 8; ++corner) {
        for (int k = 0; k < 3; ++k) {
            corners[corner * 3 + k] = (corner & (1 << k)) != 0 ? high[k] : low[k];
        }
    }
    return Classify(corners, 8);
}
