#include "imaging/ilmetafileplayer.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "imaging/ilmetafiletextpainter.h"

namespace {

constexpr std::size_t kMaxSavedStates = 1024;
constexpr int kBrushHatched = 2;
// Patterns larger than this are not brushes any program makes.
constexpr std::int64_t kMaxPatternPixels = 256 * 256;
// Bitmap sides beyond what any metafile carries; within them a row's bytes times the rows
// stays far inside 64 bits.
constexpr std::int32_t kMaxDibSide = 1 << 16;
// The pixels one bitmap record may decode at once: twice the largest canvas.
constexpr std::int64_t kMaxBlockPixels = std::int64_t{1} << 26;

bool IsBlockAllowed(int width, int height)
{
    return std::int64_t{width} * height <= kMaxBlockPixels;
}

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
    int rows = 0;             // |height|
    std::int64_t stride = 0;  // bytes a row
};

}  // namespace

ILMetafilePlayer::ILMetafilePlayer(ILMetafileCanvas& canvas) : m_canvas(canvas) {}

ILMetafilePlayer::~ILMetafilePlayer()
{
    m_canvas.SetClip(nullptr);
}

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

ILCanvasPaint ILMetafilePlayer::BrushPaint(const Brush& brush) const
{
    ILCanvasPaint paint;
    paint.colour = brush.colour;
    const ILCanvasPoint origin{m_state.brushOriginX * m_deviceScaleX + m_deviceOffsetX,
                               m_state.brushOriginY * m_deviceScaleY + m_deviceOffsetY};
    paint.originX = std::isfinite(origin.x) ? static_cast<int>(std::clamp(origin.x, -1e9, 1e9)) : 0;
    paint.originY = std::isfinite(origin.y) ? static_cast<int>(std::clamp(origin.y, -1e9, 1e9)) : 0;
    if (brush.style == kBrushHatched) {
        // An 8 × 8 hatch in the brush's colour over the background, or over what lies beneath.
        auto pixels = std::make_shared<std::vector<ILPixel32>>(64);
        const ILPixel32 gap = m_state.opaqueBackground ? m_state.backgroundColour : ILPixel32(0, 0, 0, 0);
        for (int y = 0; y < 8; ++y) {
            for (int x = 0; x < 8; ++x) {
                bool on = false;
                switch (std::clamp(brush.hatch, 0, 5)) {
                case 0: on = y == 4; break;
                case 1: on = x == 4; break;
                case 2: on = x == y; break;
                case 3: on = x == 7 - y; break;
                case 4: on = x == 4 || y == 4; break;
                default: on = x == y || x == 7 - y; break;
                }
                (*pixels)[static_cast<std::size_t>(y * 8 + x)] = on ? brush.colour : gap;
            }
        }
        paint.pattern = std::move(pixels);
        paint.patternWidth = 8;
        paint.patternHeight = 8;
    } else if (brush.style > kBrushHatched && brush.pattern) {
        paint.pattern = brush.pattern;
        paint.patternWidth = brush.patternWidth;
        paint.patternHeight = brush.patternHeight;
    }
    return paint;
}

void ILMetafilePlayer::MoveTo(double x, double y)
{
    m_state.x = x;
    m_state.y = y;
    if (m_pathOpen && m_path.size() < kMaxPathFigures) {
        m_path.push_back({{ToCanvas(x, y)}, false});
    }
}

void ILMetafilePlayer::OpenFigure(std::vector<ILCanvasPoint> canvasPoints, bool extend)
{
    if (m_pathOpen) {
        if (extend && !m_path.empty() && !m_path.back().closed) {
            Figure& figure = m_path.back();
            figure.points.insert(figure.points.end(), canvasPoints.begin(), canvasPoints.end());
        } else if (m_path.size() < kMaxPathFigures) {
            m_path.push_back({std::move(canvasPoints), false});
        }
        return;
    }
    if (!m_state.pen.IsNull() && !canvasPoints.empty()) {
        m_canvas.StrokePolyline(canvasPoints, false, PenWidth(), m_state.pen.colour);
    }
}

void ILMetafilePlayer::ClosedFigures(std::vector<std::vector<ILCanvasPoint>> canvasFigures)
{
    if (m_pathOpen) {
        for (auto& points : canvasFigures) {
            if (m_path.size() < kMaxPathFigures) {
                m_path.push_back({std::move(points), true});
            }
        }
        return;
    }
    if (!m_state.brush.IsNull()) {
        m_canvas.FillPolygons(canvasFigures, m_state.winding, BrushPaint(m_state.brush));
    }
    if (!m_state.pen.IsNull()) {
        for (const auto& points : canvasFigures) {
            m_canvas.StrokePolyline(points, true, PenWidth(), m_state.pen.colour);
        }
    }
}

void ILMetafilePlayer::LineTo(double x, double y)
{
    OpenFigure({ToCanvas(m_state.x, m_state.y), ToCanvas(x, y)}, true);
    m_state.x = x;
    m_state.y = y;
}

void ILMetafilePlayer::Polyline(const std::vector<ILCanvasPoint>& logical)
{
    OpenFigure(ToCanvas(logical), false);
}

void ILMetafilePlayer::PolylineTo(const std::vector<ILCanvasPoint>& logical)
{
    if (logical.empty()) {
        return;
    }
    std::vector<ILCanvasPoint> points = ToCanvas(logical);
    points.insert(points.begin(), ToCanvas(m_state.x, m_state.y));
    OpenFigure(std::move(points), true);
    m_state.x = logical.back().x;
    m_state.y = logical.back().y;
}

void ILMetafilePlayer::Polygons(const std::vector<std::vector<ILCanvasPoint>>& logical)
{
    std::vector<std::vector<ILCanvasPoint>> polygons;
    for (const auto& polygon : logical) {
        polygons.push_back(ToCanvas(polygon));
    }
    ClosedFigures(std::move(polygons));
}

void ILMetafilePlayer::Rectangle(double left, double top, double right, double bottom)
{
    ClosedFigures({ToCanvas({{left, top}, {right, top}, {right, bottom}, {left, bottom}})});
}

void ILMetafilePlayer::RoundRect(double left, double top, double right, double bottom, double cornerWidth,
                                 double cornerHeight)
{
    const double rx = std::min(std::fabs(cornerWidth), std::fabs(right - left)) / 2;
    const double ry = std::min(std::fabs(cornerHeight), std::fabs(bottom - top)) / 2;
    if (rx <= 0 || ry <= 0) {
        Rectangle(left, top, right, bottom);
        return;
    }
    const double x0 = std::min(left, right);
    const double x1 = std::max(left, right);
    const double y0 = std::min(top, bottom);
    const double y1 = std::max(top, bottom);
    // The corners' centres, clockwise on the screen from the top right, and the angle each quarter starts at.
    const double centres[4][3] = {{x1 - rx, y0 + ry, -M_PI / 2}, {x1 - rx, y1 - ry, 0}, {x0 + rx, y1 - ry, M_PI / 2},
                                  {x0 + rx, y0 + ry, M_PI}};
    const int steps = std::max(4, CurveSteps((rx + ry) * M_PI / 2) / 4);
    std::vector<ILCanvasPoint> logical;
    for (const auto& corner : centres) {
        for (int i = 0; i <= steps; ++i) {
            const double angle = corner[2] + M_PI / 2 * i / steps;
            logical.push_back({corner[0] + rx * std::cos(angle), corner[1] + ry * std::sin(angle)});
        }
    }
    ClosedFigures({ToCanvas(logical)});
}

void ILMetafilePlayer::Ellipse(double left, double top, double right, double bottom)
{
    const double cx = (left + right) / 2;
    const double cy = (top + bottom) / 2;
    const double rx = (right - left) / 2;
    const double ry = (bottom - top) / 2;
    const int corners = CurveSteps((std::fabs(rx) + std::fabs(ry)) * M_PI);
    std::vector<ILCanvasPoint> logical;
    for (int i = 0; i < corners; ++i) {
        const double angle = 2 * M_PI * i / corners;
        logical.push_back({cx + rx * std::cos(angle), cy + ry * std::sin(angle)});
    }
    ClosedFigures({ToCanvas(logical)});
}

int ILMetafilePlayer::CurveSteps(double logicalLength) const
{
    // Enough corners that no side is much longer than two pixels.
    const double pixels = logicalLength * LogicalScale();
    return std::isfinite(pixels) ? static_cast<int>(std::clamp(pixels / 2, 16.0, 512.0)) : 16;
}

void ILMetafilePlayer::PatternBlt(double left, double top, double right, double bottom, std::uint32_t rasterOperation)
{
    const ILRasterOperation operation = ILRasterOperation::FromCode(rasterOperation);
    if (operation.UsesSource()) {
        Skipped();
        return;
    }
    if (operation.UsesPattern() && m_state.brush.IsNull()) {
        return;  // a brush that paints nothing
    }
    // Without a source the operation is a mix of brush and canvas, as fills draw with.
    const ILCanvasPaint paint = operation.UsesPattern() ? BrushPaint(m_state.brush) : ILCanvasPaint();
    const int mix = m_canvas.GetMix();
    m_canvas.SetMix(operation.GetMix());
    m_canvas.FillPolygons({ToCanvas({{left, top}, {right, top}, {right, bottom}, {left, bottom}})}, false, paint);
    m_canvas.SetMix(mix);
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
    if (headerSize < 40 || headerSize > size || width <= 0 || width > kMaxDibSide || height == 0 ||
        height < -kMaxDibSide || height > kMaxDibSide || compression != 0) {
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

// The header of a bitmap whose rows, all of them, lie in `bitsSize` bytes.
bool ReadDibWithRows(const std::uint8_t* info, std::size_t infoSize, std::size_t bitsSize, DibHeader& h)
{
    if (!ReadDibHeader(info, infoSize, h)) {
        return false;
    }
    h.rows = std::abs(h.height);
    h.stride = (static_cast<std::int64_t>(h.width) * h.bitsPerPixel + 31) / 32 * 4;
    return static_cast<std::uint64_t>(h.rows) <= bitsSize / static_cast<std::uint64_t>(h.stride);
}

// Row y, counted from the top, of the rows of a bitmap read by ReadDibWithRows.
const std::uint8_t* RowFromTop(const DibHeader& h, const std::uint8_t* bits, std::int64_t y)
{
    const std::int64_t stored = h.height > 0 ? h.rows - 1 - y : y;
    return bits + static_cast<std::size_t>(stored * h.stride);
}

bool IsBitSet(const std::uint8_t* row, std::int64_t x)
{
    return (row[x / 8] & (0x80 >> (x % 8))) != 0;
}

// The pixels of columns [x0, x1) and rows [y0, y1), counted from the top, of a bitmap read
// by ReadDibWithRows.
std::vector<ILPixel32> DecodeRows(const DibHeader& h, const std::uint8_t* table, const std::uint8_t* bits, int x0,
                                  int x1, int y0, int y1, bool alpha = false)
{
    std::vector<ILPixel32> pixels(static_cast<std::size_t>(x1 - x0) * static_cast<std::size_t>(y1 - y0));
    for (int y = y0; y < y1; ++y) {
        const std::uint8_t* row = RowFromTop(h, bits, y);
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
                colour = ILPixel32(p[2], p[1], p[0], alpha && bytes == 4 ? p[3] : 255);
            }
            pixels[static_cast<std::size_t>(y - y0) * (x1 - x0) + (x - x0)] = colour;
        }
    }
    return pixels;
}

}  // namespace

bool ILMetafilePlayer::MakePatternBrush(const Reader& info, const Reader& bits, bool monochrome, Brush& brush) const
{
    DibHeader h;
    if (!ReadDibWithRows(info.At(0), info.Size(), bits.Size(), h) || (monochrome && h.bitsPerPixel != 1) ||
        std::int64_t{h.width} * h.rows > kMaxPatternPixels) {
        return false;
    }
    std::vector<ILPixel32> pixels = DecodeRows(h, info.At(h.tableOffset), bits.At(0), 0, h.width, 0, h.rows);
    if (monochrome) {
        // The bits, not the colour table, choose between the text and the background colour.
        for (int y = 0; y < h.rows; ++y) {
            const std::uint8_t* row = RowFromTop(h, bits.At(0), y);
            for (int x = 0; x < h.width; ++x) {
                pixels[static_cast<std::size_t>(y) * h.width + x] =
                    IsBitSet(row, x) ? m_state.backgroundColour : m_state.textColour;
            }
        }
    }
    brush.style = 3;
    brush.pattern = std::make_shared<const std::vector<ILPixel32>>(std::move(pixels));
    brush.patternWidth = h.width;
    brush.patternHeight = h.rows;
    return true;
}

bool ILMetafilePlayer::ReadPixelBlock(const Reader& info, const Reader& bits, int sourceX, int sourceY,
                                      int sourceWidth, int sourceHeight, bool alpha, PixelBlock& block) const
{
    DibHeader h;
    if (!ReadDibWithRows(info.At(0), info.Size(), bits.Size(), h)) {
        return false;
    }
    // The source rectangle, clipped to the bitmap; its rows count from the bitmap's top.
    const int x0 = std::clamp(sourceX, 0, h.width);
    const int x1 = static_cast<int>(std::clamp<std::int64_t>(static_cast<std::int64_t>(sourceX) + sourceWidth, x0, h.width));
    const int y0 = std::clamp(sourceY, 0, h.rows);
    const int y1 = static_cast<int>(std::clamp<std::int64_t>(static_cast<std::int64_t>(sourceY) + sourceHeight, y0, h.rows));
    block = PixelBlock();
    if (!IsBlockAllowed(x1 - x0, y1 - y0)) {
        return false;
    }
    if (x0 < x1 && y0 < y1) {
        block.pixels = DecodeRows(h, info.At(h.tableOffset), bits.At(0), x0, x1, y0, y1, alpha);
        block.width = x1 - x0;
        block.height = y1 - y0;
    }
    return true;
}

bool ILMetafilePlayer::BlankBlock(int width, int height, PixelBlock& block)
{
    // The size comes from the record alone, with no bitmap behind it: bound it as a decoded
    // block is bound, and charge it, before anything is made.
    const std::int64_t pixels = std::int64_t{width} * height;
    if (width <= 0 || height <= 0 || !IsBlockAllowed(width, height) || !m_canvas.Spend(pixels)) {
        return false;
    }
    block.pixels.assign(static_cast<std::size_t>(pixels), ILPixel32(0, 0, 0, 255));
    block.width = width;
    block.height = height;
    return true;
}

bool ILMetafilePlayer::ApplyMask(const Reader& info, const Reader& bits, int maskX, int maskY, PixelBlock& block) const
{
    DibHeader h;
    if (!ReadDibWithRows(info.At(0), info.Size(), bits.Size(), h) || h.bitsPerPixel != 1) {
        return false;
    }
    for (int y = 0; y < block.height; ++y) {
        const std::int64_t my = std::int64_t{maskY} + y;
        const std::uint8_t* row = my >= 0 && my < h.rows ? RowFromTop(h, bits.At(0), my) : nullptr;
        for (int x = 0; x < block.width; ++x) {
            const std::int64_t mx = std::int64_t{maskX} + x;
            if (row == nullptr || mx < 0 || mx >= h.width || !IsBitSet(row, mx)) {
                block.pixels[static_cast<std::size_t>(y) * block.width + x].a = 0;
            }
        }
    }
    return true;
}

void ILMetafilePlayer::DrawBlock(const PixelBlock& block, double left, double top, double width, double height,
                                 ILMetafileCanvas::PixelMode mode)
{
    const ILCanvasPoint a = ToCanvas(left, top);
    const ILCanvasPoint b = ToCanvas(left + width, top + height);
    m_canvas.DrawPixels(block.pixels, block.width, block.height, a.x, a.y, b.x, b.y, mode);
}

void ILMetafilePlayer::DrawBlockOnto(const PixelBlock& block, const ILCanvasPoint (&corners)[3],
                                     ILMetafileCanvas::PixelMode mode)
{
    m_canvas.DrawPixelsOnto(block.pixels, block.width, block.height, ToCanvas(corners[0].x, corners[0].y),
                            ToCanvas(corners[1].x, corners[1].y), ToCanvas(corners[2].x, corners[2].y), mode);
}

bool ILMetafilePlayer::StretchBitmap(const Reader& info, const Reader& bits, double left, double top, double width,
                                     double height, int sourceX, int sourceY, int sourceWidth, int sourceHeight,
                                     std::uint32_t rasterOperation)
{
    PixelBlock block;
    if (!ReadPixelBlock(info, bits, sourceX, sourceY, sourceWidth, sourceHeight, false, block)) {
        return false;
    }
    const ILRasterOperation operation = ILRasterOperation::FromCode(rasterOperation);
    CombineBlock(block, left, top, width, height, operation, operation);
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
    ApplyClip();
    m_canvas.SetMix(m_state.mix);
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
    } else if (object.kind == GdiObject::font) {
        m_state.font = object.fontValue;
    }
}

void ILMetafilePlayer::DeleteObject(std::size_t index)
{
    if (index < m_objects.size()) {
        m_objects[index] = GdiObject();
    }
}
