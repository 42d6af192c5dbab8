// The metafile player's raster records: single pixels, flood fills, shading, the raster
// operation, region frames and inversions, and the meta region.

#include <algorithm>
#include <cmath>

#include "imaging/ilmetafileplayer.h"

namespace {

constexpr int kMixNot = 6;

// The pixel a point of the canvas names: the nearest, so that a mapping a hair under one
// to one still puts a logical pixel on its own device pixel.
int PixelIndex(double value)
{
    return std::isfinite(value) ? static_cast<int>(std::lround(std::clamp(value, -1e9, 1e9))) : -1;
}

}  // namespace

void ILMetafilePlayer::ApplyClip()
{
    const auto& clip = m_state.clip;
    const auto& meta = m_state.metaClip;
    if (clip && meta) {
        ILCanvasRegion both = *clip;
        m_effectiveClip = CombineCharged(both, *meta, ILCanvasRegion::Mode::intersect)
                              ? std::make_shared<const ILCanvasRegion>(std::move(both))
                              : meta;
    } else {
        m_effectiveClip = meta ? meta : clip;
    }
    m_canvas.SetClip(m_effectiveClip.get());
}

void ILMetafilePlayer::SetMetaRegion()
{
    m_state.metaClip = m_effectiveClip;
    m_state.clip.reset();
    ApplyClip();
}

void ILMetafilePlayer::SetMix(int mix)
{
    if (mix >= 1 && mix <= 16) {
        m_state.mix = mix;
        m_canvas.SetMix(mix);
    }
}

void ILMetafilePlayer::SetPixelAt(double x, double y, ILPixel32 colour)
{
    const ILCanvasPoint p = ToCanvas(x, y);
    m_canvas.SetPixel(PixelIndex(p.x), PixelIndex(p.y), colour);
}

void ILMetafilePlayer::FloodFill(double x, double y, ILPixel32 colour, bool surface)
{
    if (m_state.brush.IsNull()) {
        return;
    }
    const ILCanvasPoint p = ToCanvas(x, y);
    m_canvas.FloodFill(PixelIndex(p.x), PixelIndex(p.y), colour, surface, BrushPaint(m_state.brush));
}

void ILMetafilePlayer::GradientFill(const std::vector<ShadeVertex>& vertices, const std::vector<std::uint32_t>& indices,
                                    bool rectangles, bool horizontal)
{
    const auto vertex = [&vertices](std::uint32_t index) -> const ShadeVertex* {
        return index < vertices.size() ? &vertices[index] : nullptr;
    };
    const auto shade = [this](const ShadeVertex& a, const ShadeVertex& b, const ShadeVertex& c) {
        const ILCanvasPoint corners[3] = {ToCanvas(a.x, a.y), ToCanvas(b.x, b.y), ToCanvas(c.x, c.y)};
        const ILPixel32 colours[3] = {a.colour, b.colour, c.colour};
        m_canvas.ShadeTriangle(corners, colours);
    };
    const std::size_t corners = rectangles ? 2 : 3;
    for (std::size_t i = 0; i + corners <= indices.size() && !IsExhausted(); i += corners) {
        const ShadeVertex* a = vertex(indices[i]);
        const ShadeVertex* b = vertex(indices[i + 1]);
        const ShadeVertex* c = rectangles ? a : vertex(indices[i + 2]);
        if (a == nullptr || b == nullptr || c == nullptr) {
            continue;
        }
        if (!rectangles) {
            shade(*a, *b, *c);
            continue;
        }
        // The box's colour runs from the first vertex's to the second's across or down it,
        // which two triangles shade exactly.
        const ShadeVertex topRight{b->x, a->y, horizontal ? b->colour : a->colour};
        const ShadeVertex bottomLeft{a->x, b->y, horizontal ? a->colour : b->colour};
        shade(*a, topRight, *b);
        shade(*a, *b, bottomLeft);
    }
}

void ILMetafilePlayer::ScaleExtent(bool viewport, double xNumerator, double xDenominator, double yNumerator,
                                   double yDenominator)
{
    if (xDenominator == 0 || yDenominator == 0) {
        return;
    }
    double& width = viewport ? m_state.viewportWidth : m_state.windowWidth;
    double& height = viewport ? m_state.viewportHeight : m_state.windowHeight;
    const double scaledWidth = std::trunc(width * xNumerator / xDenominator);
    const double scaledHeight = std::trunc(height * yNumerator / yDenominator);
    if (scaledWidth != 0 && scaledHeight != 0 && std::isfinite(scaledWidth) && std::isfinite(scaledHeight)) {
        width = scaledWidth;
        height = scaledHeight;
    }
}

void ILMetafilePlayer::CombineBlock(const PixelBlock& block, double left, double top, double width, double height,
                                    ILRasterOperation foreground, ILRasterOperation background)
{
    constexpr std::uint8_t kCopy = ILRasterOperation::kSourceCopy;
    if (foreground.GetIndex() == kCopy && background.GetIndex() == kCopy) {
        DrawBlock(block, left, top, width, height, ILMetafileCanvas::PixelMode::copy);
        return;
    }
    ILCanvasPaint paint = BrushPaint(m_state.brush);
    if (m_state.brush.IsNull()) {
        // A brush that paints nothing leaves the canvas wherever the operation reads it.
        paint = ILCanvasPaint();
        paint.colour.a = 0;
    }
    const ILCanvasPoint a = ToCanvas(left, top);
    const ILCanvasPoint b = ToCanvas(left + width, top + height);
    m_canvas.CombinePixels(block.pixels, block.width, block.height, a.x, a.y, b.x, b.y, paint, foreground, background);
}

void ILMetafilePlayer::InvertRegion(const ILCanvasRegion& region)
{
    const int mix = m_canvas.GetMix();
    m_canvas.SetMix(kMixNot);
    m_canvas.FillRegion(region, ILCanvasPaint());
    m_canvas.SetMix(mix);
}

void ILMetafilePlayer::FrameRegion(const ILCanvasRegion& region, const Brush& brush, double width, double height)
{
    const ILCanvasPoint o = ToCanvas(0, 0);
    const ILCanvasPoint across = ToCanvas(width, 0);
    const ILCanvasPoint down = ToCanvas(0, height);
    const double pixelsAcross = std::hypot(across.x - o.x, across.y - o.y);
    const double pixelsDown = std::hypot(down.x - o.x, down.y - o.y);
    if (!std::isfinite(pixelsAcross) || !std::isfinite(pixelsDown)) {
        return;
    }
    const int dx = static_cast<int>(std::clamp(std::lround(pixelsAcross), 1L, 1L << 20));
    const int dy = static_cast<int>(std::clamp(std::lround(pixelsDown), 1L, 1L << 20));
    // What stays of the region when it is moved by the border's thickness every way is its
    // inside; the rest is the border.
    ILCanvasRegion inside = region;
    const int moves[4][2] = {{dx, 0}, {-dx, 0}, {0, dy}, {0, -dy}};
    for (const auto& move : moves) {
        ILCanvasRegion moved = region;
        moved.Offset(move[0], move[1]);
        if (!CombineCharged(inside, moved, ILCanvasRegion::Mode::intersect)) {
            return;
        }
    }
    ILCanvasRegion border = region;
    if (CombineCharged(border, inside, ILCanvasRegion::Mode::difference)) {
        FillRegion(border, brush);
    }
}
