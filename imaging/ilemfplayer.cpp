#include "imaging/ilemfplayer.h"

#include <algorithm>

namespace {

constexpr std::uint32_t kSignature = 0x464D4520;  // " EMF"
constexpr std::size_t kHeaderBytes = 88;
constexpr std::size_t kMaxHandles = 0x10000;

enum Type
{
    emrHeader = 1,
    emrPolyBezier = 2,
    emrPolygon = 3,
    emrPolyline = 4,
    emrPolylineTo = 6,
    emrPolyPolyline = 7,
    emrPolyPolygon = 8,
    emrSetWindowExtEx = 9,
    emrSetWindowOrgEx = 10,
    emrSetViewportExtEx = 11,
    emrSetViewportOrgEx = 12,
    emrSetBrushOrgEx = 13,
    emrEof = 14,
    emrSetMapperFlags = 16,
    emrSetMapMode = 17,
    emrSetBkMode = 18,
    emrSetPolyFillMode = 19,
    emrSetROP2 = 20,
    emrSetStretchBltMode = 21,
    emrSetTextAlign = 22,
    emrSetTextColor = 24,
    emrSetBkColor = 25,
    emrMoveToEx = 27,
    emrSaveDC = 33,
    emrRestoreDC = 34,
    emrSetWorldTransform = 35,
    emrModifyWorldTransform = 36,
    emrSelectObject = 37,
    emrCreatePen = 38,
    emrCreateBrushIndirect = 39,
    emrDeleteObject = 40,
    emrEllipse = 42,
    emrRectangle = 43,
    emrRoundRect = 44,
    emrSelectPalette = 48,
    emrCreatePalette = 49,
    emrRealizePalette = 52,
    emrLineTo = 54,
    emrSetMiterLimit = 58,
    emrGdiComment = 70,
    emrBitBlt = 76,
    emrStretchBlt = 77,
    emrSetDIBitsToDevice = 80,
    emrStretchDIBits = 81,
    emrExtCreateFontIndirectW = 82,
    emrPolygon16 = 86,
    emrPolyline16 = 87,
    emrPolylineTo16 = 89,
    emrPolyPolyline16 = 90,
    emrPolyPolygon16 = 91,
    emrCreateMonoBrush = 93,
    emrCreateDibPatternBrushPt = 94,
    emrExtCreatePen = 95,
    emrSetIcmMode = 98,
    emrSetLayout = 115
};

}  // namespace

bool ILEMFPlayer::ReadHeader(const std::uint8_t* data, std::size_t size, Header& header)
{
    const Reader r(data, size);
    if (size < kHeaderBytes || r.U32(0) != emrHeader || r.U32(4) < kHeaderBytes || r.U32(4) > size ||
        r.U32(40) != kSignature) {
        return false;
    }
    for (int i = 0; i < 4; ++i) {
        header.bounds[i] = r.S32(8 + 4 * static_cast<std::size_t>(i));
        header.frame[i] = r.S32(24 + 4 * static_cast<std::size_t>(i));
    }
    header.bytes = r.U32(48);
    header.handles = r.U16(56);
    header.paletteEntries = static_cast<int>(std::min<std::uint32_t>(r.U32(68), 0x10000));
    header.devicePixels[0] = r.S32(72);
    header.devicePixels[1] = r.S32(76);
    header.deviceMillimetres[0] = r.S32(80);
    header.deviceMillimetres[1] = r.S32(84);
    return true;
}

template <typename Visit>
ILMetafilePlayer::RecordsEnd ILEMFPlayer::WalkRecords(const std::uint8_t* data, std::size_t size, Visit visit,
                                                      Reader* end)
{
    const Reader all(data, size);
    std::size_t at = all.U32(4);  // the header record's size
    while (all.Has(at, 8)) {
        const std::uint32_t type = all.U32(at);
        const std::uint32_t length = all.U32(at + 4);
        if (length < 8) {
            return RecordsEnd::badSize;
        }
        if (length > size - at) {
            return RecordsEnd::cutShort;
        }
        const Reader record(data + at, length);
        if (type == emrEof) {
            if (end != nullptr) {
                *end = record;
            }
            return RecordsEnd::endRecord;
        }
        if (!visit(static_cast<int>(type), record)) {
            return RecordsEnd::stopped;
        }
        at += length;
    }
    return RecordsEnd::cutShort;
}

ILMetafilePlayer::RecordsEnd ILEMFPlayer::FollowRecords(const std::uint8_t* data, std::size_t size)
{
    return WalkRecords(data, size, [](int, const Reader&) { return true; });
}

std::vector<ILPixel32> ILEMFPlayer::ReadPalette(const std::uint8_t* data, std::size_t size)
{
    Reader record(nullptr, 0);
    if (WalkRecords(data, size, [](int, const Reader&) { return true; }, &record) != RecordsEnd::endRecord) {
        return {};
    }
    const std::uint32_t count = record.U32(8);
    const std::uint32_t offset = record.U32(12);
    std::vector<ILPixel32> palette;
    if (count > 256 || !record.Has(offset, 4 * static_cast<std::size_t>(count))) {
        return palette;
    }
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint8_t* entry = record.At(offset + 4 * i);
        palette.emplace_back(entry[0], entry[1], entry[2], 255);
    }
    return palette;
}

void ILEMFPlayer::MapFrameToCanvas(const Header& header)
{
    // The frame in device pixels of the header's reference device; the bounds when the
    // header gives no usable device.
    double left = header.bounds[0];
    double top = header.bounds[1];
    double right = header.bounds[2] + 1.0;
    double bottom = header.bounds[3] + 1.0;
    const double mmX = header.deviceMillimetres[0];
    const double mmY = header.deviceMillimetres[1];
    if (mmX > 0 && mmY > 0 && header.devicePixels[0] > 0 && header.devicePixels[1] > 0 &&
        header.frame[2] > header.frame[0] && header.frame[3] > header.frame[1]) {
        const double perUnitX = header.devicePixels[0] / (mmX * 100);
        const double perUnitY = header.devicePixels[1] / (mmY * 100);
        left = header.frame[0] * perUnitX;
        right = header.frame[2] * perUnitX;
        top = header.frame[1] * perUnitY;
        bottom = header.frame[3] * perUnitY;
        m_pixelsPerMillimetre = header.devicePixels[0] / mmX;
    }
    if (right > left && bottom > top) {
        m_deviceScaleX = m_canvas.GetWidth() / (right - left);
        m_deviceScaleY = m_canvas.GetHeight() / (bottom - top);
        m_deviceOffsetX = -left * m_deviceScaleX;
        m_deviceOffsetY = -top * m_deviceScaleY;
    }
}

void ILEMFPlayer::Play(const std::uint8_t* data, std::size_t size)
{
    Header header;
    if (!ReadHeader(data, size, header)) {
        return;
    }
    MapFrameToCanvas(header);
    m_objects.assign(std::min<std::size_t>(static_cast<std::size_t>(header.handles), kMaxHandles), GdiObject());
    (void)WalkRecords(data, size, [this](int type, const Reader& record) {
        if (IsExhausted()) {
            return false;
        }
        if (PlayRecord(type, record)) {
            Played();
        } else {
            Skipped();
        }
        return true;
    });
}

std::vector<ILCanvasPoint> ILEMFPlayer::ReadPoints(const Reader& record, std::size_t offset, std::uint32_t count,
                                                   bool shortPoints)
{
    std::vector<ILCanvasPoint> points;
    const std::size_t bytes = shortPoints ? 4 : 8;
    if (count > record.Size() / bytes || !record.Has(offset, bytes * count)) {
        return points;
    }
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::size_t p = offset + bytes * i;
        if (shortPoints) {
            points.push_back({static_cast<double>(record.S16(p)), static_cast<double>(record.S16(p + 2))});
        } else {
            points.push_back({static_cast<double>(record.S32(p)), static_cast<double>(record.S32(p + 4))});
        }
    }
    return points;
}

void ILEMFPlayer::PlayPolyPolygon(const Reader& record, bool shortPoints, bool closed)
{
    const std::uint32_t polygons = record.U32(24);
    if (polygons > record.Size() / 4) {
        return;
    }
    std::size_t at = 32 + 4 * static_cast<std::size_t>(polygons);
    std::vector<std::vector<ILCanvasPoint>> all;
    for (std::uint32_t i = 0; i < polygons; ++i) {
        const std::uint32_t count = record.U32(32 + 4 * static_cast<std::size_t>(i));
        all.push_back(ReadPoints(record, at, count, shortPoints));
        if (all.back().size() != count) {
            return;
        }
        at += (shortPoints ? 4 : 8) * static_cast<std::size_t>(count);
    }
    if (closed) {
        Polygons(all);
    } else {
        for (const auto& line : all) {
            Polyline(line);
        }
    }
}

void ILEMFPlayer::SelectStockObject(std::uint32_t index)
{
    static const std::uint8_t kBrushGreys[] = {255, 192, 128, 64, 0};
    if (index <= 4) {
        m_state.brush = Brush{0, ILPixel32(kBrushGreys[index], kBrushGreys[index], kBrushGreys[index], 255)};
    } else if (index == 5) {
        m_state.brush.style = 1;
    } else if (index == 6 || index == 7) {
        const std::uint8_t level = index == 6 ? 255 : 0;
        m_state.pen = Pen{0, 0, ILPixel32(level, level, level, 255)};
    } else if (index == 8) {
        m_state.pen.style = 5;
    }
}

void ILEMFPlayer::CreatePen(const Reader& record, bool extended)
{
    GdiObject pen;
    pen.kind = GdiObject::pen;
    if (extended) {
        pen.penValue = Pen{static_cast<int>(record.U32(28) & 0x0F), static_cast<double>(record.U32(32)),
                           ColourOf(record.U32(40))};
    } else {
        pen.penValue = Pen{static_cast<int>(record.U32(12) & 0x0F), static_cast<double>(record.S32(16)),
                           ColourOf(record.U32(24))};
    }
    SetObject(record.U32(8), pen);
}

void ILEMFPlayer::CreateBrush(const Reader& record)
{
    GdiObject brush;
    brush.kind = GdiObject::brush;
    brush.brushValue = Brush{static_cast<int>(record.U32(12)), ColourOf(record.U32(16))};
    SetObject(record.U32(8), brush);
}

void ILEMFPlayer::SetWorldTransform(const Reader& record, int mode)
{
    const Transform t{record.F32(8), record.F32(12), record.F32(16), record.F32(20), record.F32(24), record.F32(28)};
    const Transform w = m_state.world;
    auto product = [](const Transform& p, const Transform& q) {  // p first, then q
        return Transform{p.a * q.a + p.b * q.c,       p.a * q.b + p.b * q.d,       p.c * q.a + p.d * q.c,
                         p.c * q.b + p.d * q.d,       p.e * q.a + p.f * q.c + q.e, p.e * q.b + p.f * q.d + q.f};
    };
    switch (mode) {
    case 1: m_state.world = Transform(); break;
    case 2: m_state.world = product(t, w); break;
    case 3: m_state.world = product(w, t); break;
    default: m_state.world = t; break;
    }
}

bool ILEMFPlayer::PlayRecord(int type, const Reader& record)
{
    const double x = record.S32(8);
    const double y = record.S32(12);
    switch (type) {
    case emrSetBrushOrgEx: case emrSetMapperFlags: case emrSetBkMode: case emrSetROP2: case emrSetStretchBltMode:
    case emrSetTextAlign: case emrSetTextColor: case emrSetBkColor: case emrSetMiterLimit: case emrGdiComment:
    case emrSetIcmMode: case emrSetLayout: case emrSelectPalette: case emrRealizePalette: case emrHeader:
        return true;  // nothing the player draws depends on them
    case emrSetMapMode:
        if (record.S32(8) >= mapText && record.S32(8) <= mapAnisotropic) {
            m_state.mapMode = record.S32(8);
        }
        return true;
    case emrSetPolyFillMode: m_state.winding = record.U32(8) == 2; return true;
    case emrSetWindowExtEx:
        if (x != 0 && y != 0) {
            m_state.windowWidth = x;
            m_state.windowHeight = y;
        }
        return true;
    case emrSetWindowOrgEx:
        m_state.windowX = x;
        m_state.windowY = y;
        return true;
    case emrSetViewportExtEx:
        if (x != 0 && y != 0) {
            m_state.viewportWidth = x;
            m_state.viewportHeight = y;
        }
        return true;
    case emrSetViewportOrgEx:
        m_state.viewportX = x;
        m_state.viewportY = y;
        return true;
    case emrMoveToEx: MoveTo(x, y); return true;
    case emrLineTo: LineTo(x, y); return true;
    case emrSaveDC: SaveState(); return true;
    case emrRestoreDC: RestoreState(record.S32(8)); return true;
    case emrSetWorldTransform: SetWorldTransform(record, 4); return true;
    case emrModifyWorldTransform: SetWorldTransform(record, static_cast<int>(record.U32(32))); return true;
    case emrSelectObject: {
        const std::uint32_t index = record.U32(8);
        if (index & 0x80000000u) {
            SelectStockObject(index & 0x7FFFFFFFu);
        } else {
            SelectObject(index);
        }
        return true;
    }
    case emrDeleteObject: DeleteObject(record.U32(8)); return true;
    case emrCreatePen: CreatePen(record, false); return true;
    case emrExtCreatePen: CreatePen(record, true); return true;
    case emrCreateBrushIndirect: CreateBrush(record); return true;
    case emrCreatePalette: case emrExtCreateFontIndirectW: case emrCreateMonoBrush: case emrCreateDibPatternBrushPt: {
        GdiObject other;
        other.kind = type == emrCreatePalette || type == emrExtCreateFontIndirectW ? GdiObject::other
                                                                                   : GdiObject::brush;
        other.brushValue.style = 3;  // patterns are not drawn
        SetObject(record.U32(8), other);
        return true;
    }
    default:
        return PlayShapeRecord(type, record);
    }
}

bool ILEMFPlayer::PlayShapeRecord(int type, const Reader& record)
{
    const double left = record.S32(8);
    const double top = record.S32(12);
    const double right = record.S32(16);
    const double bottom = record.S32(20);
    const bool shortPoints = type >= emrPolygon16;
    switch (type) {
    case emrRectangle: case emrRoundRect: Rectangle(left, top, right, bottom); return true;
    case emrEllipse: Ellipse(left, top, right, bottom); return true;
    case emrPolygon: case emrPolygon16: Polygons({ReadPoints(record, 28, record.U32(24), shortPoints)}); return true;
    case emrPolyline: case emrPolyline16: Polyline(ReadPoints(record, 28, record.U32(24), shortPoints)); return true;
    case emrPolylineTo: case emrPolylineTo16: {
        std::vector<ILCanvasPoint> points = ReadPoints(record, 28, record.U32(24), shortPoints);
        if (!points.empty()) {
            points.insert(points.begin(), ILCanvasPoint{m_state.x, m_state.y});
            Polyline(points);
            MoveTo(points.back().x, points.back().y);
        }
        return true;
    }
    case emrPolyPolygon: case emrPolyPolygon16: PlayPolyPolygon(record, shortPoints, true); return true;
    case emrPolyPolyline: case emrPolyPolyline16: PlayPolyPolygon(record, shortPoints, false); return true;
    default: return PlayBitmapRecord(type, record);
    }
}

bool ILEMFPlayer::PlayBitmapRecord(int type, const Reader& record)
{
    const double x = record.S32(24);
    const double y = record.S32(28);
    switch (type) {
    case emrBitBlt: case emrStretchBlt: {
        const double width = record.S32(32);
        const double height = record.S32(36);
        const std::uint32_t rop = record.U32(40);
        if (record.U32(88) == 0) {  // no source bitmap: a pattern fill
            PatternBlt(x, y, x + width, y + height, rop);
            return true;
        }
        const int sw = type == emrStretchBlt ? record.S32(100) : static_cast<int>(width);
        const int sh = type == emrStretchBlt ? record.S32(104) : static_cast<int>(height);
        return DrawBitmap(record, 84, x, y, width, height, record.S32(44), record.S32(48), sw, sh, rop);
    }
    case emrStretchDIBits:
        return DrawBitmap(record, 48, x, y, record.S32(72), record.S32(76), record.S32(32), record.S32(36),
                          record.S32(40), record.S32(44), record.U32(68));
    case emrSetDIBitsToDevice:
        return DrawBitmap(record, 48, x, y, record.S32(40), record.S32(44), record.S32(32), record.S32(36),
                          record.S32(40), record.S32(44), 0x00CC0020);
    default:
        return false;
    }
}

bool ILEMFPlayer::DrawBitmap(const Reader& record, std::size_t fields, double x, double y, double width,
                             double height, int sx, int sy, int sw, int sh, std::uint32_t rop)
{
    const std::uint32_t infoAt = record.U32(fields);
    const std::uint32_t infoSize = record.U32(fields + 4);
    const std::uint32_t bitsAt = record.U32(fields + 8);
    const std::uint32_t bitsSize = record.U32(fields + 12);
    if (!record.Has(infoAt, infoSize) || !record.Has(bitsAt, bitsSize)) {
        return false;
    }
    return StretchBitmap(Reader(record.At(infoAt), infoSize), Reader(record.At(bitsAt), bitsSize), x, y, width,
                         height, sx, sy, sw, sh, rop);
}
