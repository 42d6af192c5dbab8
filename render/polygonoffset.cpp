#include "render/polygonoffset.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

#include "document/dib.h"
#include "document/imageadapter/imageapp.h"
#include "platform/file.h"

namespace {

struct PolygonOffsetState
{
    bool enabled;
    double factor;
    double units;
};

std::vector<PolygonOffsetState> g_polygonOffsets;

// The colour of one stencil value in the snapshot, as blue, green, red bytes.
void StencilColour(int s, int reference, std::uint8_t* bgr)
{
    bgr[0] = bgr[1] = bgr[2] = 0;
    if (reference != 0) {
        if (s == reference) {
            bgr[1] = 127;
        } else if (s > reference) {
            bgr[0] = static_cast<std::uint8_t>(std::max(0, 135 - 8 * (s - reference)));
        } else {
            bgr[2] = static_cast<std::uint8_t>(std::max(0, 135 - 8 * (reference - s)));
        }
        return;
    }
    bgr[s % 3] = static_cast<std::uint8_t>(s);
}

}  // namespace

void SetPolygonOffset(bool enable, double factor, double units)
{
    if (enable) {
        glEnable(GL_POLYGON_OFFSET_FILL);
    } else {
        glDisable(GL_POLYGON_OFFSET_FILL);
    }
    glPolygonOffset(static_cast<GLfloat>(factor), static_cast<GLfloat>(units));
}

void PushPolygonOffset(bool enable, double factor, double units)
{
    PolygonOffsetState saved{glIsEnabled(GL_POLYGON_OFFSET_FILL) == GL_TRUE, 0.0, 0.0};
    glGetDoublev(GL_POLYGON_OFFSET_FACTOR, &saved.factor);
    glGetDoublev(GL_POLYGON_OFFSET_UNITS, &saved.units);
    g_polygonOffsets.push_back(saved);
    if (!saved.enabled && enable) {
        factor -= 1.0;
        units -= 1.0;
    }
    SetPolygonOffset(enable, factor, units);
}

void PopPolygonOffset()
{
    if (g_polygonOffsets.empty()) {
        return;
    }
    const PolygonOffsetState saved = g_polygonOffsets.back();
    g_polygonOffsets.pop_back();
    SetPolygonOffset(saved.enabled, saved.factor, saved.units);
}

int GetPolygonOffsetDepth()
{
    return static_cast<int>(g_polygonOffsets.size());
}

int StencilClearValue(int stencilBits)
{
    return stencilBits >= 1 && stencilBits <= 30 ? (1 << (stencilBits - 1)) - 1 : 0;
}

int StencilMaskFromBits(int stencilBits)
{
    return stencilBits >= 0 && stencilBits <= 30 ? (1 << stencilBits) - 1 : 0;
}

bool SaveStencilSnapshot(const CString& fileName, int reference)
{
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    const int width = (viewport[2] + 3) / 4 * 4;
    const int height = viewport[3];
    if (width <= 0 || height <= 0) {
        return false;
    }
    std::vector<std::uint8_t> stencil(static_cast<size_t>(width) * static_cast<size_t>(height));
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_STENCIL_INDEX, GL_UNSIGNED_BYTE, stencil.data());
    // OpenGL reads bottom row first; the picture is stored top row first.
    std::vector<std::uint8_t> pixels(stencil.size() * 3);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const size_t from = static_cast<size_t>(height - 1 - y) * static_cast<size_t>(width) + static_cast<size_t>(x);
            const size_t to = static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x);
            StencilColour(stencil[from], reference, &pixels[to * 3]);
        }
    }
    // The picture is made in memory and written as a file of this user's own: the
    // snapshot lands in the shared temporary folder, where a link may wait at its name.
    const std::unique_ptr<CDib> dib(GetImageLibApp()->MakeDib(width, height, 24, pixels.data()));
    return dib != nullptr && dib->GetPixelBuffer() != nullptr &&
           CFile::WritePrivate(fileName, dib->GetPixelBuffer(), static_cast<std::size_t>(dib->GetPixelBufferSize()));
}

void AddVolumePoint(CShadowVolumePolygon& polygon, const CPoint3d& point)
{
    if (polygon.count >= 4) {
        return;
    }
    if (polygon.count > 0 && polygon.points[polygon.count - 1].IsEqualPerAxis(point)) {
        return;
    }
    polygon.points[polygon.count++] = point;
}
