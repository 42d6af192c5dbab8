#include "imaging/ilmetafileplayer.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr std::size_t kMaxSavedStates = 1024;
constexpr int kPenNull = 5;
constexpr int kBrushSolid = 0;
constexpr int kBrushHatched = 2;
constexpr std::uint32_t kSourceCopy = 0x00CC0020;
constexpr std::uint32_t kPatternCopy = 0x00F00021;
constexpr std::uint32_t kBlackness = 0x00000042;
constexpr std::uint32_t kWhiteness = 0x00FF0062;

// Units of the metric map modes in millimetres.
double MillimetresPerUnit(int mapMode)
{
    switch (mapMode) {
    case 2: return 0.1;
    case 3: return 0.01;
    case 4: return 0.254;
    case 5: return 0.0254;
    default: return 25.4 / 1440;
    }
}

struct DibHeader
{
    int width = 0;
    int height = 0;  // negative: top row first
    int bitsPerPixel = 0;
    int colours = 0;
    std::size_t tableOffset = 0;
};

}  // namespace

std::int16_t ILMetafilePlayer::Reader::S16(std::size_t offset) const
{
    return static_cast<std::int16_t>(U16(offset));
}

std::uint16_t ILMetafilePlayer::Reader::U16(std::size_t offset) const
{
    if (!Has(offset, 2)) {
        return 0;
    }
    return static_cast<std::uint16_t>(m_data[offset] | (m_data[offset + 1] << 8));
}

std::int32_t ILMetafilePlayer::Reader::S32(std::size_t offset) const
{
    return static_cast<std::int32_t>(U32(offset));
}

std::uint32_t ILMetafilePlayer::Reader::U32(std::size_t offset) const
{
    if (!Has(offset, 4)) {
        return 0;
    }
    return static_cast<std::uint32_t>(U16(offset)) | (static_cast<std::uint32_t>(U16(offset + 2)) << 16);
}

float ILMetafilePlayer::Reader::F32(std::size_t offset) const
{
    const std::uint32_t bits = U32(offset);
    float value = 0;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

ILPixel32 ILMetafilePlayer::ColourOf(std::uint32_t colourRef)
{
    return ILPixel32(static_cast<std::uint8_t>(colourRef), static_cast<std::uint8_t>(colourRef >> 8),
                     static_cast<std::uint8_t>(colourRef >> 16), 255);
}

ILCanvasPoint ILMetafilePlayer::ToCanvas(double x, double y) const
{
    const State& s = m_state;
    const Transform& w = s.world;
    const double px = w.a * x + w.c * y + w.e;
    const double py = w.b * x + w.d * y + w.f;
    double dx = px - s.windowX;
    double dy = py - s.windowY;
    if (s.mapMode == mapIsotropic || s.mapMode == mapAnisotropic) {
        dx = dx * s.viewportWidth / s.windowWidth;
        dy = dy * s.viewportHeight / s.windowHeight;
    } else if (s.mapMode != mapText) {
        const double scale = MillimetresPerUnit(s.mapMode) * m_pixelsPerMillimetre;
        dx *= scale;
        dy *= -scale;  // the metric modes count upwards
    }
    return {(dx + s.viewportX) * m_deviceScaleX + m_deviceOffsetX, (dy + s.viewportY) * m_deviceScaleY + m_deviceOffsetY};
}

std::vector<ILCanvasPoint> ILMetafilePlayer::ToCanvas(const std::vector<ILCanvasPoint>& logical) const
{
    std::vector<ILCanvasPoint> points;
    points.reserve(logical.size());
    for (const ILCanvasPoint& p : logical) {
        points.push_back(ToCanvas(p.x, p.y));
    }
    return points;
}

double ILMetafilePlayer::LogicalScale() const
{
    const ILCanvasPoint o = ToCanvas(0, 0);
    const ILCanvasPoint ex = ToCanvas(1, 0);
    const ILCanvasPoint ey = ToCanvas(0, 1);
    const double determinant = (ex.x - o.x) * (ey.y - o.y) - (ex.y - o.y) * (ey.x - o.x);
    return std::sqrt(std::fabs(determinant));
}

double ILMetafilePlayer::PenWidth() const
{
    // A pen of width 0 is one pixel wide whatever the mapping.
    return std::max(1.0, m_state.pen.width * LogicalScale());
}

void ILMetafilePlayer::MoveTo(double x, double y)
{
    m_state.x = x;
    m_state.y = y;
}

void ILMetafilePlayer::LineTo(double x, double y)
{
    Polyline({{m_state.x, m_state.y}, {x, y}});
    MoveTo(x, y);
}

void ILMetafilePlayer::Polyline(const std::vector<ILCanvasPoint>& logical)
{
    if (m_state.pen.style != kPenNull && !logical.empty()) {
        m_canvas.StrokePolyline(ToCanvas(logical), false, PenWidth(), m_state.pen.colour);
    }
}

void ILMetafilePlayer::FillAndFrame(const std::vector<ILCanvasPoint>& canvasPoints)
{
    const Brush& brush = m_state.brush;
    if (brush.style == kBrushSolid || brush.style == kBrushHatched) {
        m_canvas.FillPolygons({canvasPoints}, m_state.winding, brush.colour);
    }
    if (m_state.pen.style != kPenNull) {
        m_canvas.StrokePolyline(canvasPoints, true, PenWidth(), m_state.pen.colour);
    }
}

void ILMetafilePlayer::Polygons(const std::vector<std::vector<ILCanvasPoint>>& logical)
{
    std::vector<std::vector<ILCanvasPoint>> polygons;
    for (const auto& polygon : logical) {
        polygons.push_back(ToCanvas(polygon));
    }
    const Brush& brush = m_state.brush;
    if (brush.style == kBrushSolid || brush.style == kBrushHatched) {
        m_canvas.FillPolygons(polygons, m_state.winding, brush.colour);
    }
    if (m_state.pen.style != kPenNull) {
        for (const auto& polygon : polygons) {
            m_canvas.StrokePolyline(polygon, true, PenWidth(), m_state.pen.colour);
        }
    }
}

void ILMetafilePlayer::Rectangle(double left, double top, double right, double bottom)
{
    FillAndFrame(ToCanvas({{left, top}, {right, top}, {right, bottom}, {left, bottom}}));
}

void ILMetafilePlayer::Ellipse(double left, double top, double right, double bottom)
{
    const double cx = (left + right) / 2;
    const double cy = (top + bottom) / 2;
    const double rx = (right - left) / 2;
    const double ry = (bottom - top) / 2;
    // Enough corners that no side is much longer than two pixels.
    const double around = (std::fabs(rx) + std::fabs(ry)) * M_PI * LogicalScale();
    const int corners = std::isfinite(around) ? std::clamp(static_cast<int>(around / 2), 16, 512) : 16;
    std::vector<ILCanvasPoint> logical;
    for (int i = 0; i < corners; ++i) {
        const double angle = 2 * M_PI * i / corners;
        logical.push_back({cx + rx * std::cos(angle), cy + ry * std::sin(angle)});
    }
    FillAndFrame(ToCanvas(logical));
}

void ILMetafilePlayer::PatternBlt(double left, double top, double right, double bottom, std::uint32_t rasterOperation)
{
    ILPixel32 colour = m_state.brush.colour;
    if (rasterOperation == kBlackness) {
        colour = ILPixel32(0, 0, 0, 255);
    } else if (rasterOperation == kWhiteness) {
        colour = ILPixel32(255, 255, 255, 255);
    } else if (rasterOperation != kPatternCopy || m_state.brush.style == 1) {
        Skipped();
        return;
    }
    m_canvas.FillPolygons({ToCanvas({{left, top}, {right, top}, {right, bottom}, {left, bottom}})}, false, colour);
    Played();
}

namespace {

bool ReadDibHeader(const std::uint8_t* p, std::size_t size, DibHeader& h)
{
    auto u32 = [p](std::size_t at) {
        return static_cast<std::uint32_t>(p[at]) | (static_cast<std::uint32_t>(p[at + 1]) << 8) |
               (static_cast<std::uint32_t>(p[at + 2]) << 16) | (static_cast<std::uint32_t>(p[at + 3]) << 24);
    };
    if (size < 40) {
        return false;
    }
    const std::uint32_t headerSize = u32(0);
    const auto width = static_cast<std::int32_t>(u32(4));
    const auto height = static_cast<std::int32_t>(u32(8));
    const int bitsPerPixel = p[14] | (p[15] << 8);
    const std::uint32_t compression = u32(16);
    const std::uint32_t used = u32(32);
    if (headerSize < 40 || headerSize > size || width <= 0 || height == 0 || height == INT32_MIN || compression != 0) {
        return false;
    }
    if (bitsPerPixel != 1 && bitsPerPixel != 4 && bitsPerPixel != 8 && bitsPerPixel != 16 && bitsPerPixel != 24 &&
        bitsPerPixel != 32) {
        return false;
    }
    h.width = width;
    h.height = height;
    h.bitsPerPixel = bitsPerPixel;
    h.tableOffset = headerSize;
    if (bitsPerPixel <= 8) {
        const std::uint32_t full = 1u << bitsPerPixel;
        h.colours = static_cast<int>(used == 0 || used > full ? full : used);
        if ((size - headerSize) / 4 < static_cast<std::size_t>(h.colours)) {
            return false;
        }
    }
    return true;
}

}  // namespace

bool ILMetafilePlayer::StretchBitmap(const Reader& info, const Reader& bits, double left, double top, double width,
                                     double height, int sourceX, int sourceY, int sourceWidth, int sourceHeight,
                                     std::uint32_t rasterOperation)
{
    DibHeader h;
    if (rasterOperation != kSourceCopy || !ReadDibHeader(info.At(0), info.Size(), h)) {
        return false;
    }
    const int rows = std::abs(h.height);
    const std::int64_t stride = (static_cast<std::int64_t>(h.width) * h.bitsPerPixel + 31) / 32 * 4;
    if (stride * rows > static_cast<std::int64_t>(bits.Size())) {
        return false;
    }
    // The source rectangle, clipped to the bitmap; its rows count from the bitmap's top.
    const int x0 = std::clamp(sourceX, 0, h.width);
    const int x1 = static_cast<int>(std::clamp<std::int64_t>(static_cast<std::int64_t>(sourceX) + sourceWidth, x0, h.width));
    const int y0 = std::clamp(sourceY, 0, rows);
    const int y1 = static_cast<int>(std::clamp<std::int64_t>(static_cast<std::int64_t>(sourceY) + sourceHeight, y0, rows));
    if (x0 >= x1 || y0 >= y1) {
        return true;
    }
    const std::uint8_t* table = info.At(h.tableOffset);
    std::vector<ILPixel32> pixels(static_cast<std::size_t>(x1 - x0) * static_cast<std::size_t>(y1 - y0));
    for (int y = y0; y < y1; ++y) {
        const int stored = h.height > 0 ? rows - 1 - y : y;
        const std::uint8_t* row = bits.At(static_cast<std::size_t>(stored * stride));
        for (int x = x0; x < x1; ++x) {
            ILPixel32 colour(0, 0, 0, 255);
            if (h.bitsPerPixel <= 8) {
                const int perByte = 8 / h.bitsPerPixel;
                const int shift = 8 - h.bitsPerPixel * (x % perByte + 1);
                const int index = (row[x / perByte] >> shift) & ((1 << h.bitsPerPixel) - 1);
                if (index < h.colours) {
                    colour = ILPixel32(table[4 * index + 2], table[4 * index + 1], table[4 * index], 255);
                }
            } else if (h.bitsPerPixel == 16) {
                const int value = row[2 * x] | (row[2 * x + 1] << 8);
                colour = ILPixel32(static_cast<std::uint8_t>(((value >> 10) & 31) * 255 / 31),
                                   static_cast<std::uint8_t>(((value >> 5) & 31) * 255 / 31),
                                   static_cast<std::uint8_t>((value & 31) * 255 / 31), 255);
            } else {
                const int bytes = h.bitsPerPixel / 8;
                const std::uint8_t* p = row + static_cast<std::size_t>(x) * bytes;
                colour = ILPixel32(p[2], p[1], p[0], 255);
            }
            pixels[static_cast<std::size_t>(y - y0) * (x1 - x0) + (x - x0)] = colour;
        }
    }
    const ILCanvasPoint a = ToCanvas(left, top);
    const ILCanvasPoint b = ToCanvas(left + width, top + height);
    m_canvas.DrawPixels(pixels, x1 - x0, y1 - y0, a.x, a.y, b.x, b.y);
    return true;
}

std::size_t ILMetafilePlayer::PackedBitsOffset(const Reader& dib)
{
    DibHeader h;
    if (!ReadDibHeader(dib.At(0), dib.Size(), h)) {
        return 0;
    }
    return h.tableOffset + 4 * static_cast<std::size_t>(h.colours);
}

void ILMetafilePlayer::SaveState()
{
    if (m_saved.size() < kMaxSavedStates) {
        m_saved.push_back(m_state);
    }
}

void ILMetafilePlayer::RestoreState(int level)
{
    const std::int64_t depth = static_cast<std::int64_t>(m_saved.size());
    const std::int64_t target = level < 0 ? depth + level : static_cast<std::int64_t>(level) - 1;
    if (target < 0 || target >= depth) {
        return;
    }
    m_state = m_saved[static_cast<std::size_t>(target)];
    m_saved.resize(static_cast<std::size_t>(target));
}

void ILMetafilePlayer::SetObject(std::size_t index, const GdiObject& object)
{
    if (index < m_objects.size()) {
        m_objects[index] = object;
    }
}

void ILMetafilePlayer::SelectObject(std::size_t index)
{
    if (index >= m_objects.size()) {
        return;
    }
    const GdiObject& object = m_objects[index];
    if (object.kind == GdiObject::pen) {
        m_state.pen = object.penValue;
    } else if (object.kind == GdiObject::brush) {
        m_state.brush = object.brushValue;
    }
}

void ILMetafilePlayer::DeleteObject(std::size_t index)
{
    if (index < m_objects.size()) {
        m_objects[index] = GdiObject();
    }
}
