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
    emrPolyBezierTo = 5,
    emrPolylineTo = 6,
    emrPolyPolyline = 7,
    emrPolyPolygon = 8,
    emrSetWindowExtEx = 9,
    emrSetWindowOrgEx = 10,
    emrSetViewportExtEx = 11,
    emrSetViewportOrgEx = 12,
    emrSetBrushOrgEx = 13,
    emrEof = 14,
    emrSetPixelV = 15,
    emrSetMapperFlags = 16,
    emrSetMapMode = 17,
    emrSetBkMode = 18,
    emrSetPolyFillMode = 19,
    emrSetROP2 = 20,
    emrSetStretchBltMode = 21,
    emrSetTextAlign = 22,
    emrSetTextColor = 24,
    emrSetBkColor = 25,
    emrOffsetClipRgn = 26,
    emrMoveToEx = 27,
    emrSetMetaRgn = 28,
    emrExcludeClipRect = 29,
    emrIntersectClipRect = 30,
    emrSaveDC = 33,
    emrScaleViewportExtEx = 31,
    emrScaleWindowExtEx = 32,
    emrRestoreDC = 34,
    emrSetWorldTransform = 35,
    emrModifyWorldTransform = 36,
    emrSelectObject = 37,
    emrCreatePen = 38,
    emrCreateBrushIndirect = 39,
    emrDeleteObject = 40,
    emrAngleArc = 41,
    emrEllipse = 42,
    emrRectangle = 43,
    emrRoundRect = 44,
    emrArc = 45,
    emrChord = 46,
    emrPie = 47,
    emrSelectPalette = 48,
    emrCreatePalette = 49,
    emrRealizePalette = 52,
    emrExtFloodFill = 53,
    emrLineTo = 54,
    emrArcTo = 55,
    emrPolyDraw = 56,
    emrSetArcDirection = 57,
    emrSetMiterLimit = 58,
    emrBeginPath = 59,
    emrEndPath = 60,
    emrCloseFigure = 61,
    emrFillPath = 62,
    emrStrokeAndFillPath = 63,
    emrStrokePath = 64,
    emrFlattenPath = 65,
    emrWidenPath = 66,
    emrSelectClipPath = 67,
    emrAbortPath = 68,
    emrGdiComment = 70,
    emrFillRgn = 71,
    emrFrameRgn = 72,
    emrInvertRgn = 73,
    emrPaintRgn = 74,
    emrExtSelectClipRgn = 75,
    emrBitBlt = 76,
    emrStretchBlt = 77,
    emrMaskBlt = 78,
    emrPlgBlt = 79,
    emrSetDIBitsToDevice = 80,
    emrStretchDIBits = 81,
    emrExtCreateFontIndirectW = 82,
    emrExtTextOutA = 83,
    emrExtTextOutW = 84,
    emrPolyBezier16 = 85,
    emrPolygon16 = 86,
    emrPolyline16 = 87,
    emrPolyBezierTo16 = 88,
    emrPolylineTo16 = 89,
    emrPolyPolyline16 = 90,
    emrPolyPolygon16 = 91,
    emrPolyDraw16 = 92,
    emrCreateMonoBrush = 93,
    emrCreateDibPatternBrushPt = 94,
    emrExtCreatePen = 95,
    emrPolyTextOutA = 96,
    emrPolyTextOutW = 97,
    emrSetIcmMode = 98,
    emrAlphaBlend = 114,
    emrSetLayout = 115,
    emrTransparentBlt = 116,
    emrGradientFill = 118,
    emrSetTextJustification = 120
};

// A bitmap coordinate moved on by `by`, held within int; a point moved that far lies off
// any bitmap either way.
int MovedBy(std::int32_t value, std::int64_t by)
{
    return static_cast<int>(std::clamp<std::int64_t>(std::int64_t{value} + by, INT32_MIN, INT32_MAX));
}

constexpr std::size_t kTextBlockBytes = 40;
constexpr std::size_t kVertexBytes = 16;

// Records that draw nothing and change nothing the player draws.
bool IsIgnored(int type)
{
    switch (type) {
    case emrSetMapperFlags: case emrSetStretchBltMode: case emrSetMiterLimit: case emrGdiComment:
    case emrSetIcmMode: case emrSetLayout: case emrSelectPalette: case emrRealizePalette: case emrHeader:
    case emrFlattenPath:
        return true;
    default:
        return false;
    }
}

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
        if (!PlayRecord(type, record)) {
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
        m_state.brush = Brush();
        m_state.brush.colour = ILPixel32(kBrushGreys[index], kBrushGreys[index], kBrushGreys[index], 255);
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
    brush.brushValue.style = static_cast<int>(record.U32(12));
    brush.brushValue.colour = ColourOf(record.U32(16));
    brush.brushValue.hatch = static_cast<int>(record.U32(20));
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
    if (IsIgnored(type)) {
        return true;
    }
    switch (type) {
    case emrSetBrushOrgEx:
        m_state.brushOriginX = x;
        m_state.brushOriginY = y;
        return true;
    case emrSetBkMode: m_state.opaqueBackground = record.U32(8) == 2; return true;
    case emrSetTextAlign: m_state.textAlign = static_cast<int>(record.U32(8)); return true;
    case emrSetTextJustification:
        m_state.breakExtra = record.S32(8);
        m_state.breakCount = record.S32(12);
        return true;
    case emrSetTextColor: m_state.textColour = ColourOf(record.U32(8)); return true;
    case emrSetBkColor: m_state.backgroundColour = ColourOf(record.U32(8)); return true;
    case emrSetArcDirection: m_state.clockwise = record.U32(8) == 2; return true;
    case emrSetMapMode:
        if (record.S32(8) >= mapText && record.S32(8) <= mapAnisotropic) {
            m_state.mapMode = record.S32(8);
        }
        return true;
    case emrSetPolyFillMode: m_state.winding = record.U32(8) == 2; return true;
    case emrSetROP2: SetMix(static_cast<int>(record.U32(8))); return true;
    case emrScaleViewportExtEx: case emrScaleWindowExtEx:
        ScaleExtent(type == emrScaleViewportExtEx, record.S32(8), record.S32(12), record.S32(16), record.S32(20));
        return true;
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
    case emrCreateMonoBrush: case emrCreateDibPatternBrushPt: CreatePatternBrush(record, type == emrCreateMonoBrush); return true;
    case emrExtCreateFontIndirectW: CreateFont(record); return true;
    case emrCreatePalette: {
        GdiObject other;
        other.kind = GdiObject::other;
        SetObject(record.U32(8), other);
        return true;
    }
    default:
        return PlayPathRecord(type, record);
    }
}

bool ILEMFPlayer::PlayPathRecord(int type, const Reader& record)
{
    const auto mode = [&record](std::size_t at) {
        const std::uint32_t value = record.U32(at);
        return value >= 1 && value <= 5 ? static_cast<ILCanvasRegion::Mode>(value) : ILCanvasRegion::Mode::copy;
    };
    switch (type) {
    case emrBeginPath: BeginPath(); return true;
    case emrEndPath: EndPath(); return true;
    case emrAbortPath: AbortPath(); return true;
    case emrCloseFigure: CloseFigure(); return true;
    case emrFillPath: FillPath(false, true); return true;
    case emrStrokeAndFillPath: FillPath(true, true); return true;
    case emrStrokePath: FillPath(true, false); return true;
    case emrSelectClipPath: SelectClipPath(mode(8)); return true;
    case emrWidenPath: WidenPath(); return true;
    case emrSetMetaRgn: SetMetaRegion(); return true;
    case emrIntersectClipRect:
        IntersectClipRectangle(record.S32(8), record.S32(12), record.S32(16), record.S32(20));
        return true;
    case emrExcludeClipRect:
        ExcludeClipRectangle(record.S32(8), record.S32(12), record.S32(16), record.S32(20));
        return true;
    case emrOffsetClipRgn: OffsetClip(record.S32(8), record.S32(12)); return true;
    case emrExtSelectClipRgn: {
        const std::uint32_t size = record.U32(8);
        if (size == 0) {
            CombineClip(nullptr, mode(12));
            return true;
        }
        const ILCanvasRegion region = ReadRegion(record, 16, size);
        CombineClip(&region, mode(12));
        return true;
    }
    case emrFillRgn: case emrPaintRgn: {
        const ILCanvasRegion region = ReadRegion(record, type == emrFillRgn ? 32 : 28, record.U32(24));
        const std::uint32_t brush = record.U32(28);
        if (type == emrPaintRgn) {
            FillRegion(region, m_state.brush);
        } else if (brush < m_objects.size() && m_objects[brush].kind == GdiObject::brush) {
            FillRegion(region, m_objects[brush].brushValue);
        }
        return true;
    }
    case emrFrameRgn: {
        const ILCanvasRegion region = ReadRegion(record, 40, record.U32(24));
        const std::uint32_t brush = record.U32(28);
        if (brush < m_objects.size() && m_objects[brush].kind == GdiObject::brush) {
            FrameRegion(region, m_objects[brush].brushValue, record.S32(32), record.S32(36));
        }
        return true;
    }
    case emrInvertRgn: InvertRegion(ReadRegion(record, 28, record.U32(24))); return true;
    case emrExtTextOutA: case emrExtTextOutW:
        PlayText(record, 36, type == emrExtTextOutW, record.U32(24) != 2);
        return true;
    case emrPolyTextOutA: case emrPolyTextOutW: {
        const std::uint32_t count = record.U32(36);
        for (std::uint32_t i = 0; i < count && record.Has(40 + kTextBlockBytes * i, kTextBlockBytes); ++i) {
            PlayText(record, 40 + kTextBlockBytes * i, type == emrPolyTextOutW, record.U32(24) != 2);
        }
        return true;
    }
    default:
        return PlayShapeRecord(type, record);
    }
}

ILCanvasRegion ILEMFPlayer::ReadRegion(const Reader& record, std::size_t at, std::uint32_t size) const
{
    // A 32-byte header (size, type, rectangle count, ...) and the rectangles.
    const std::uint32_t count = record.U32(at + 8);
    if (!record.Has(at, size) || size < 32 || count > (size - 32) / 16) {
        return {};
    }
    std::vector<std::int32_t> rectangles;
    for (std::uint32_t i = 0; i < 4 * count; ++i) {
        rectangles.push_back(record.S32(at + 32 + 4 * static_cast<std::size_t>(i)));
    }
    return DeviceRectangles(rectangles);
}

void ILEMFPlayer::CreatePatternBrush(const Reader& record, bool monochrome)
{
    GdiObject brush;
    brush.kind = GdiObject::brush;
    brush.brushValue.style = 1;  // nothing, should the bitmap not be usable
    Reader info(nullptr, 0);
    Reader bits(nullptr, 0);
    if (BitmapAt(record, 16, info, bits)) {
        (void)MakePatternBrush(info, bits, monochrome, brush.brushValue);
    }
    SetObject(record.U32(8), brush);
}

void ILEMFPlayer::CreateFont(const Reader& record)
{
    GdiObject font;
    font.kind = GdiObject::font;
    Font& f = font.fontValue;
    f.height = record.S32(12);
    f.width = record.S32(16);
    f.escapement = record.S32(20);
    f.weight = record.S32(28);
    ReadFontStyle(record, 32, f);
    std::u32string face;
    for (std::size_t i = 0; i < 32 && record.Has(40 + 2 * i, 2); ++i) {
        const std::uint16_t unit = record.U16(40 + 2 * i);
        if (unit == 0) {
            break;
        }
        face += static_cast<char32_t>(unit);
    }
    f.face = ToUtf8(face);
    SetObject(record.U32(8), font);
}

void ILEMFPlayer::PlayText(const Reader& record, std::size_t at, bool wide, bool escapementTurns)
{
    // The text block: reference point, character count, string offset, options, rectangle,
    // offsets' offset; the offsets count from the record's start.
    TextRecord text;
    text.escapementTurns = escapementTurns;
    text.x = record.S32(at);
    text.y = record.S32(at + 4);
    const std::uint32_t count = record.U32(at + 8);
    const std::uint32_t stringAt = record.U32(at + 12);
    text.options = static_cast<int>(record.U32(at + 16));
    text.hasRectangle = true;
    for (int i = 0; i < 4; ++i) {
        text.rectangle[i] = record.S32(at + 20 + 4 * static_cast<std::size_t>(i));
    }
    const std::uint32_t advancesAt = record.U32(at + 36);
    const std::size_t unit = wide ? 2 : 1;
    if (count > record.Size() || !record.Has(stringAt, unit * count)) {
        return;
    }
    for (std::uint32_t i = 0; i < count; ++i) {
        text.text += wide ? static_cast<char32_t>(record.U16(stringAt + 2 * i)) : FromWindows1252(*record.At(stringAt + i));
    }
    text.text = JoinSurrogates(text.text);
    // With both offsets per character (option 0x2000) only the horizontal ones are used.
    const std::size_t step = (text.options & 0x2000) != 0 ? 8 : 4;
    if (advancesAt != 0 && count <= record.Size() / step && record.Has(advancesAt, step * count)) {
        for (std::uint32_t i = 0; i < count; ++i) {
            text.advances.push_back(record.S32(advancesAt + step * i));
        }
    }
    DrawText(text);
}

bool ILEMFPlayer::PlayShapeRecord(int type, const Reader& record)
{
    const double left = record.S32(8);
    const double top = record.S32(12);
    const double right = record.S32(16);
    const double bottom = record.S32(20);
    const bool shortPoints = type >= emrPolyBezier16;
    switch (type) {
    case emrRectangle: Rectangle(left, top, right, bottom); return true;
    case emrRoundRect: RoundRect(left, top, right, bottom, record.S32(24), record.S32(28)); return true;
    case emrSetPixelV: SetPixelAt(record.S32(8), record.S32(12), ColourOf(record.U32(16))); return true;
    case emrExtFloodFill:
        FloodFill(record.S32(8), record.S32(12), ColourOf(record.U32(16)), record.U32(20) == 1);
        return true;
    case emrGradientFill: PlayGradientFill(record); return true;
    case emrEllipse: Ellipse(left, top, right, bottom); return true;
    case emrPolygon: case emrPolygon16: Polygons({ReadPoints(record, 28, record.U32(24), shortPoints)}); return true;
    case emrPolyline: case emrPolyline16: Polyline(ReadPoints(record, 28, record.U32(24), shortPoints)); return true;
    case emrPolylineTo: case emrPolylineTo16: PolylineTo(ReadPoints(record, 28, record.U32(24), shortPoints)); return true;
    case emrPolyPolygon: case emrPolyPolygon16: PlayPolyPolygon(record, shortPoints, true); return true;
    case emrPolyPolyline: case emrPolyPolyline16: PlayPolyPolygon(record, shortPoints, false); return true;
    case emrPolyBezier: case emrPolyBezierTo: case emrPolyBezier16: case emrPolyBezierTo16:
        PolyBezier(ReadPoints(record, 28, record.U32(24), type >= emrPolyBezier16),
                   type == emrPolyBezierTo || type == emrPolyBezierTo16);
        return true;
    case emrPolyDraw: case emrPolyDraw16: {
        const std::uint32_t count = record.U32(24);
        const bool small = type == emrPolyDraw16;
        std::vector<ILCanvasPoint> points = ReadPoints(record, 28, count, small);
        const std::size_t typesAt = 28 + (small ? 4 : 8) * static_cast<std::size_t>(points.size());
        if (points.size() != count || !record.Has(typesAt, count)) {
            return true;
        }
        PolyDraw(points, std::vector<std::uint8_t>(record.At(typesAt), record.At(typesAt) + count));
        return true;
    }
    case emrArc: case emrArcTo: case emrChord: case emrPie: {
        const ArcKind kind = type == emrArc ? ArcKind::arc : type == emrArcTo ? ArcKind::arcTo
                           : type == emrChord ? ArcKind::chord : ArcKind::pie;
        Arc(kind, left, top, right, bottom, record.S32(24), record.S32(28), record.S32(32), record.S32(36));
        return true;
    }
    case emrAngleArc:
        AngleArc(record.S32(8), record.S32(12), record.U32(16), record.F32(20), record.F32(24));
        return true;
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
                          record.S32(40), record.S32(44), ILRasterOperation::kSourceCopyCode);
    case emrMaskBlt: return PlayMaskBlt(record);
    case emrPlgBlt: return PlayPlgBlt(record);
    case emrAlphaBlend: case emrTransparentBlt: return PlayBlendedBlt(record, type == emrAlphaBlend);
    default:
        return false;
    }
}

bool ILEMFPlayer::BitmapAt(const Reader& record, std::size_t fields, Reader& info, Reader& bits)
{
    const std::uint32_t infoAt = record.U32(fields);
    const std::uint32_t infoSize = record.U32(fields + 4);
    const std::uint32_t bitsAt = record.U32(fields + 8);
    const std::uint32_t bitsSize = record.U32(fields + 12);
    if (!record.Has(infoAt, infoSize) || !record.Has(bitsAt, bitsSize)) {
        return false;
    }
    info = Reader(record.At(infoAt), infoSize);
    bits = Reader(record.At(bitsAt), bitsSize);
    return true;
}

bool ILEMFPlayer::ReadBlock(const Reader& record, std::size_t fields, int sx, int sy, int sw, int sh, bool alpha,
                            PixelBlock& block) const
{
    Reader info(nullptr, 0);
    Reader bits(nullptr, 0);
    return record.U32(fields + 4) != 0 && BitmapAt(record, fields, info, bits) &&
           ReadPixelBlock(info, bits, sx, sy, sw, sh, alpha, block);
}

bool ILEMFPlayer::MaskBlock(const Reader& record, std::size_t fields, int maskX, int maskY, PixelBlock& block) const
{
    if (record.U32(fields + 4) == 0) {
        return true;  // no mask: every pixel is drawn
    }
    Reader info(nullptr, 0);
    Reader bits(nullptr, 0);
    return BitmapAt(record, fields, info, bits) && ApplyMask(info, bits, maskX, maskY, block);
}

bool ILEMFPlayer::PlayMaskBlt(const Reader& record)
{
    // Where the mask's bit is set the foreground operation applies, elsewhere the
    // background one, which the code keeps in its high byte.
    const std::uint32_t rop = record.U32(40);
    const ILRasterOperation foreground = ILRasterOperation::FromCode(rop);
    const ILRasterOperation background(static_cast<std::uint8_t>(rop >> 24));
    if (record.U32(88) == 0) {
        return PlayMaskBltWithoutSource(record, foreground, background);
    }
    const int sourceX = record.S32(44);
    const int sourceY = record.S32(48);
    PixelBlock block;
    if (!ReadBlock(record, 84, sourceX, sourceY, record.S32(32), record.S32(36), false, block)) {
        return false;
    }
    if (block.pixels.empty()) {
        return true;
    }
    // A source that starts off its bitmap is read from the bitmap's edge: the pixels before
    // it have no source and stay as they are, and the destination and the mask move on by
    // as much as the source did.
    const std::int64_t skipX = std::max<std::int64_t>(0, -std::int64_t{sourceX});
    const std::int64_t skipY = std::max<std::int64_t>(0, -std::int64_t{sourceY});
    if (!MaskBlock(record, 112, MovedBy(record.S32(100), skipX), MovedBy(record.S32(104), skipY), block)) {
        return false;
    }
    // The source is not stretched: its pixels land one to one.
    CombineBlock(block, record.S32(24) + static_cast<double>(skipX), record.S32(28) + static_cast<double>(skipY),
                 block.width, block.height, foreground, background);
    return true;
}

bool ILEMFPlayer::PlayMaskBltWithoutSource(const Reader& record, ILRasterOperation foreground,
                                           ILRasterOperation background)
{
    const double x = record.S32(24);
    const double y = record.S32(28);
    const int width = record.S32(32);
    const int height = record.S32(36);
    if (record.U32(116) == 0) {
        // Without a mask the foreground operation covers the whole rectangle.
        PatternBlt(x, y, x + width, y + height, record.U32(40));
        return true;
    }
    if (foreground.UsesSource() || background.UsesSource()) {
        return false;
    }
    if (width <= 0 || height <= 0) {
        return true;
    }
    PixelBlock block;
    if (!BlankBlock(width, height, block) || !MaskBlock(record, 112, record.S32(100), record.S32(104), block)) {
        return false;
    }
    CombineBlock(block, x, y, block.width, block.height, foreground, background);
    return true;
}

bool ILEMFPlayer::PlayPlgBlt(const Reader& record)
{
    PixelBlock block;
    if (!ReadBlock(record, 96, record.S32(48), record.S32(52), record.S32(56), record.S32(60), false, block) ||
        !MaskBlock(record, 124, record.S32(112), record.S32(116), block)) {
        return false;
    }
    const ILCanvasPoint corners[3] = {{static_cast<double>(record.S32(24)), static_cast<double>(record.S32(28))},
                                      {static_cast<double>(record.S32(32)), static_cast<double>(record.S32(36))},
                                      {static_cast<double>(record.S32(40)), static_cast<double>(record.S32(44))}};
    DrawBlockOnto(block, corners, ILMetafileCanvas::PixelMode::keyed);
    return true;
}

bool ILEMFPlayer::PlayBlendedBlt(const Reader& record, bool alphaBlend)
{
    const std::uint32_t operation = record.U32(40);
    const int sourceWidth = record.S32(100);
    const int sourceHeight = record.S32(104);
    const bool sourceAlpha = alphaBlend && ((operation >> 24) & 0x01) != 0;
    PixelBlock block;
    if (!ReadBlock(record, 84, record.S32(44), record.S32(48), sourceWidth, sourceHeight, sourceAlpha, block)) {
        return false;
    }
    if (alphaBlend) {
        // The source's colours stand premultiplied by its own alpha; the constant alpha
        // scales both.
        const int constant = static_cast<int>((operation >> 16) & 0xFF);
        const auto scale = [constant](int value) { return static_cast<std::uint8_t>((value * constant + 127) / 255); };
        for (ILPixel32& p : block.pixels) {
            p = ILPixel32(scale(p.r), scale(p.g), scale(p.b), scale(sourceAlpha ? p.a : 255));
        }
    } else {
        const ILPixel32 key = ColourOf(operation);
        for (ILPixel32& p : block.pixels) {
            p.a = p.r == key.r && p.g == key.g && p.b == key.b ? 0 : 255;
        }
    }
    DrawBlock(block, record.S32(24), record.S32(28), record.S32(32), record.S32(36),
              alphaBlend ? ILMetafileCanvas::PixelMode::blend : ILMetafileCanvas::PixelMode::keyed);
    return true;
}

void ILEMFPlayer::PlayGradientFill(const Reader& record)
{
    const std::uint32_t vertexCount = record.U32(24);
    const std::uint32_t meshCount = record.U32(28);
    const std::uint32_t mode = record.U32(32);
    const std::size_t perMesh = mode == 2 ? 3 : 2;
    if (mode > 2 || vertexCount > record.Size() / kVertexBytes || meshCount > record.Size() / (4 * perMesh) ||
        !record.Has(36, kVertexBytes * vertexCount + 4 * perMesh * meshCount)) {
        return;
    }
    std::vector<ShadeVertex> vertices;
    for (std::uint32_t i = 0; i < vertexCount; ++i) {
        const std::size_t at = 36 + kVertexBytes * i;
        const auto channel = [&record, at](std::size_t k) { return static_cast<std::uint8_t>(record.U16(at + 8 + 2 * k) >> 8); };
        vertices.push_back({static_cast<double>(record.S32(at)), static_cast<double>(record.S32(at + 4)),
                            ILPixel32(channel(0), channel(1), channel(2), 255)});
    }
    std::vector<std::uint32_t> indices;
    const std::size_t meshAt = 36 + kVertexBytes * vertexCount;
    for (std::size_t i = 0; i < perMesh * meshCount; ++i) {
        indices.push_back(record.U32(meshAt + 4 * i));
    }
    GradientFill(vertices, indices, mode != 2, mode == 0);
}

bool ILEMFPlayer::DrawBitmap(const Reader& record, std::size_t fields, double x, double y, double width,
                             double height, int sx, int sy, int sw, int sh, std::uint32_t rop)
{
    Reader info(nullptr, 0);
    Reader bits(nullptr, 0);
    return BitmapAt(record, fields, info, bits) && StretchBitmap(info, bits, x, y, width, height, sx, sy, sw, sh, rop);
}
