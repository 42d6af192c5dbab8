#include "imaging/ilwmfplayer.h"

#include <algorithm>

namespace {

constexpr std::size_t kHeaderBytes = 18;

enum Function
{
    fnEof = 0x0000,
    fnSaveDC = 0x001E,
    fnRealizePalette = 0x0035,
    fnCreatePalette = 0x00F7,
    fnSetBkMode = 0x0102,
    fnSetMapMode = 0x0103,
    fnSetROP2 = 0x0104,
    fnSetPolyFillMode = 0x0106,
    fnSetStretchBltMode = 0x0107,
    fnSetTextCharExtra = 0x0108,
    fnRestoreDC = 0x0127,
    fnSelectObject = 0x012D,
    fnSetTextAlign = 0x012E,
    fnDibCreatePatternBrush = 0x0142,
    fnDeleteObject = 0x01F0,
    fnCreatePatternBrush = 0x01F9,
    fnSetBkColor = 0x0201,
    fnSetTextColor = 0x0209,
    fnSetTextJustification = 0x020A,
    fnSetWindowOrg = 0x020B,
    fnSetWindowExt = 0x020C,
    fnSetViewportOrg = 0x020D,
    fnSetViewportExt = 0x020E,
    fnLineTo = 0x0213,
    fnMoveTo = 0x0214,
    fnSelectPalette = 0x0234,
    fnCreatePenIndirect = 0x02FA,
    fnCreateFontIndirect = 0x02FB,
    fnCreateBrushIndirect = 0x02FC,
    fnPolygon = 0x0324,
    fnPolyline = 0x0325,
    fnEllipse = 0x0418,
    fnRectangle = 0x041B,
    fnPolyPolygon = 0x0538,
    fnRoundRect = 0x061C,
    fnPatBlt = 0x061D,
    fnEscape = 0x0626,
    fnCreateRegion = 0x06FF,
    fnDibBitBlt = 0x0940,
    fnDibStretchBlt = 0x0B41,
    fnSetDibToDev = 0x0D33,
    fnStretchDib = 0x0F43,
    fnPaintRegion = 0x012B,
    fnSelectClipRegion = 0x012C,
    fnOffsetClipRgn = 0x0220,
    fnFillRegion = 0x0228,
    fnExcludeClipRect = 0x0415,
    fnIntersectClipRect = 0x0416,
    fnTextOut = 0x0521,
    fnArc = 0x0817,
    fnPie = 0x081A,
    fnChord = 0x0830,
    fnExtTextOut = 0x0A32,
    fnOffsetWindowOrg = 0x020F,
    fnOffsetViewportOrg = 0x0211,
    fnScaleWindowExt = 0x0410,
    fnScaleViewportExt = 0x0412,
    fnFloodFill = 0x0419,
    fnSetPixel = 0x041F,
    fnExtFloodFill = 0x0548,
    fnInvertRegion = 0x012A,
    fnFrameRegion = 0x0429,
    fnBitBlt = 0x0922,
    fnStretchBlt = 0x0B23
};

constexpr int kMaxPatternSide = 256;

}  // namespace

ILWMFPlayer::ILWMFPlayer(ILMetafileCanvas& canvas, double left, double top, double width, double height)
    : ILMetafilePlayer(canvas)
{
    m_state.mapMode = mapAnisotropic;
    m_state.windowX = left;
    m_state.windowY = top;
    m_state.windowWidth = width != 0 ? width : 1;
    m_state.windowHeight = height != 0 ? height : 1;
    m_state.viewportWidth = canvas.GetWidth();
    m_state.viewportHeight = canvas.GetHeight();
}

bool ILWMFPlayer::HasHeader(const std::uint8_t* data, std::size_t size)
{
    const Reader header(data, size);
    const int type = header.U16(0);
    const int version = header.U16(4);
    return size >= kHeaderBytes && (type == 1 || type == 2) && header.U16(2) == 9 &&
           (version == 0x0100 || version == 0x0300);
}

template <typename Visit>
ILMetafilePlayer::RecordsEnd ILWMFPlayer::WalkRecords(const std::uint8_t* data, std::size_t size, Visit visit)
{
    const Reader all(data, size);
    std::size_t at = kHeaderBytes;
    while (all.Has(at, 6)) {
        const std::uint32_t words = all.U32(at);
        const int function = all.U16(at + 4);
        if (words < 3) {
            return RecordsEnd::badSize;
        }
        if (words > (size - at) / 2) {
            return RecordsEnd::cutShort;
        }
        if (function == fnEof) {
            return RecordsEnd::endRecord;
        }
        if (!visit(function, Reader(data + at + 6, 2 * static_cast<std::size_t>(words) - 6))) {
            return RecordsEnd::stopped;
        }
        at += 2 * static_cast<std::size_t>(words);
    }
    return RecordsEnd::cutShort;
}

std::size_t ILWMFPlayer::DeclaredSize(const std::uint8_t* data, std::size_t size)
{
    return 2 * static_cast<std::size_t>(Reader(data, size).U32(6));  // stored in 16-bit words
}

ILMetafilePlayer::RecordsEnd ILWMFPlayer::FollowRecords(const std::uint8_t* data, std::size_t size)
{
    return WalkRecords(data, size, [](int, const Reader&) { return true; });
}

bool ILWMFPlayer::FindWindowExtent(const std::uint8_t* data, std::size_t size, int& width, int& height)
{
    bool found = false;
    (void)WalkRecords(data, size, [&](int function, const Reader& params) {
        if (function == fnSetWindowExt && params.Size() >= 4) {
            height = params.S16(0);
            width = params.S16(2);
            found = true;
        }
        return !found;
    });
    return found;
}

void ILWMFPlayer::Play(const std::uint8_t* data, std::size_t size)
{
    m_objects.assign(Reader(data, size).U16(10), GdiObject());
    (void)WalkRecords(data, size, [this](int function, const Reader& params) {
        if (IsExhausted()) {
            return false;
        }
        if (!PlayRecord(function, params)) {
            Skipped();
        }
        return true;
    });
}

std::vector<ILCanvasPoint> ILWMFPlayer::ReadPoints(const Reader& params, std::size_t offset, int count)
{
    std::vector<ILCanvasPoint> points;
    if (!params.Has(offset, 4 * static_cast<std::size_t>(count))) {
        return points;
    }
    for (int i = 0; i < count; ++i) {
        points.push_back({static_cast<double>(params.S16(offset + 4 * i)), static_cast<double>(params.S16(offset + 4 * i + 2))});
    }
    return points;
}

void ILWMFPlayer::CreateObject(const GdiObject& object)
{
    for (std::size_t i = 0; i < m_objects.size(); ++i) {
        if (m_objects[i].kind == GdiObject::empty) {
            SetObject(i, object);
            return;
        }
    }
}

void ILWMFPlayer::SetWindow(const Reader& params, bool extent)
{
    const double y = params.S16(0);
    const double x = params.S16(2);
    if (!extent) {
        m_state.windowX = x;
        m_state.windowY = y;
    } else if (x != 0 && y != 0) {
        m_state.windowWidth = x;
        m_state.windowHeight = y;
    }
}

void ILWMFPlayer::PlayPolyPolygon(const Reader& params)
{
    const int polygons = params.U16(0);
    std::size_t at = 2 + 2 * static_cast<std::size_t>(polygons);
    if (!params.Has(0, at)) {
        return;
    }
    std::vector<std::vector<ILCanvasPoint>> all;
    for (int i = 0; i < polygons; ++i) {
        const int count = params.U16(2 + 2 * i);
        all.push_back(ReadPoints(params, at, count));
        at += 4 * static_cast<std::size_t>(count);
    }
    Polygons(all);
}

bool ILWMFPlayer::PlayRecord(int function, const Reader& params)
{
    // Rectangles are stored bottom, right, top, left; points y before x.
    const double r0 = params.S16(0), r1 = params.S16(2), r2 = params.S16(4), r3 = params.S16(6);
    switch (function) {
    // The placeable header's box fills the canvas whatever viewport the records set.
    case fnSetMapMode: case fnSetStretchBltMode: case fnSetViewportOrg: case fnSetViewportExt:
    case fnOffsetViewportOrg: case fnScaleViewportExt: case fnSelectPalette: case fnRealizePalette: case fnEscape:
        return true;  // nothing the player draws depends on them
    case fnSetROP2: SetMix(params.U16(0)); return true;
    case fnOffsetWindowOrg:
        m_state.windowX += r1;
        m_state.windowY += r0;
        return true;
    case fnScaleWindowExt: ScaleExtent(false, r3, r2, r1, r0); return true;
    case fnSetPixel: SetPixelAt(params.S16(6), params.S16(4), ColourOf(params.U32(0))); return true;
    case fnFloodFill: FloodFill(params.S16(6), params.S16(4), ColourOf(params.U32(0)), false); return true;
    case fnExtFloodFill:
        FloodFill(params.S16(8), params.S16(6), ColourOf(params.U32(2)), params.U16(0) == 1);
        return true;
    case fnSetBkMode: m_state.opaqueBackground = params.U16(0) == 2; return true;
    case fnSetTextAlign: m_state.textAlign = params.U16(0); return true;
    case fnSetTextCharExtra: m_state.characterExtra = params.S16(0); return true;
    case fnSetTextJustification:
        m_state.breakCount = params.U16(0);
        m_state.breakExtra = params.S16(2);
        return true;
    case fnSetTextColor: m_state.textColour = ColourOf(params.U32(0)); return true;
    case fnSetBkColor: m_state.backgroundColour = ColourOf(params.U32(0)); return true;
    case fnSetPolyFillMode: m_state.winding = params.U16(0) == 2; return true;
    case fnSetWindowOrg: SetWindow(params, false); return true;
    case fnSetWindowExt: SetWindow(params, true); return true;
    case fnMoveTo: MoveTo(r1, r0); return true;
    case fnLineTo: LineTo(r1, r0); return true;
    case fnRectangle: Rectangle(r3, r2, r1, r0); return true;
    case fnRoundRect: RoundRect(params.S16(10), params.S16(8), params.S16(6), params.S16(4), r1, r0); return true;
    case fnEllipse: Ellipse(r3, r2, r1, r0); return true;
    case fnPolygon: Polygons({ReadPoints(params, 2, params.U16(0))}); return true;
    case fnPolyline: Polyline(ReadPoints(params, 2, params.U16(0))); return true;
    case fnPolyPolygon: PlayPolyPolygon(params); return true;
    case fnSaveDC: SaveState(); return true;
    case fnRestoreDC: RestoreState(params.S16(0)); return true;
    case fnSelectObject: {
        // Selecting a region sets the clip region.
        const std::size_t index = params.U16(0);
        if (index < m_objects.size() && m_objects[index].kind == GdiObject::region) {
            CombineClip(m_objects[index].regionValue.get(), ILCanvasRegion::Mode::copy);
        } else {
            SelectObject(index);
        }
        return true;
    }
    case fnDeleteObject: DeleteObject(params.U16(0)); return true;
    case fnCreatePenIndirect: {
        GdiObject pen;
        pen.kind = GdiObject::pen;
        pen.penValue = Pen{params.U16(0) & 0x0F, static_cast<double>(params.S16(2)), ColourOf(params.U32(6))};
        CreateObject(pen);
        return true;
    }
    case fnCreateBrushIndirect: {
        GdiObject brush;
        brush.kind = GdiObject::brush;
        brush.brushValue.style = params.U16(0);
        brush.brushValue.colour = ColourOf(params.U32(2));
        brush.brushValue.hatch = params.U16(6);
        CreateObject(brush);
        return true;
    }
    case fnCreatePatternBrush: case fnDibCreatePatternBrush: {
        GdiObject pattern;
        pattern.kind = GdiObject::brush;
        pattern.brushValue.style = 1;  // nothing, should the bitmap not be usable
        MakePattern(function == fnCreatePatternBrush, params, pattern.brushValue);
        CreateObject(pattern);
        return true;
    }
    case fnCreateFontIndirect: CreateFont(params); return true;
    case fnCreateRegion: {
        GdiObject region;
        region.kind = GdiObject::region;
        region.regionValue = std::make_shared<const ILCanvasRegion>(ReadRegion(params));
        CreateObject(region);
        return true;
    }
    case fnCreatePalette: {
        GdiObject other;
        other.kind = GdiObject::other;
        CreateObject(other);
        return true;
    }
    default:
        return PlayClipAndTextRecord(function, params);
    }
}

bool ILWMFPlayer::PlayClipAndTextRecord(int function, const Reader& params)
{
    const double r0 = params.S16(0), r1 = params.S16(2), r2 = params.S16(4), r3 = params.S16(6);
    const auto region = [this, &params](std::size_t at) -> const ILCanvasRegion* {
        const std::size_t index = params.U16(at);
        return index < m_objects.size() && m_objects[index].kind == GdiObject::region ? m_objects[index].regionValue.get()
                                                                                       : nullptr;
    };
    switch (function) {
    case fnIntersectClipRect: IntersectClipRectangle(r3, r2, r1, r0); return true;
    case fnExcludeClipRect: ExcludeClipRectangle(r3, r2, r1, r0); return true;
    case fnOffsetClipRgn: OffsetClip(r1, r0); return true;
    case fnSelectClipRegion: CombineClip(region(0), ILCanvasRegion::Mode::copy); return true;
    case fnPaintRegion:
        if (region(0) != nullptr) {
            FillRegion(*region(0), m_state.brush);
        }
        return true;
    case fnInvertRegion:
        if (region(0) != nullptr) {
            InvertRegion(*region(0));
        }
        return true;
    case fnFrameRegion: {
        const std::size_t brush = params.U16(2);
        if (region(0) != nullptr && brush < m_objects.size() && m_objects[brush].kind == GdiObject::brush) {
            FrameRegion(*region(0), m_objects[brush].brushValue, params.S16(6), params.S16(4));
        }
        return true;
    }
    case fnFillRegion: {
        const std::size_t brush = params.U16(2);
        if (region(0) != nullptr && brush < m_objects.size() && m_objects[brush].kind == GdiObject::brush) {
            FillRegion(*region(0), m_objects[brush].brushValue);
        }
        return true;
    }
    case fnArc: case fnPie: case fnChord: {
        const ArcKind kind = function == fnArc ? ArcKind::arc : function == fnPie ? ArcKind::pie : ArcKind::chord;
        Arc(kind, params.S16(14), params.S16(12), params.S16(10), params.S16(8), params.S16(6), params.S16(4), r1, r0);
        return true;
    }
    case fnTextOut: {
        // The string's length, the string padded to whole words, then y and x.
        const std::size_t length = params.U16(0);
        const std::size_t after = 2 + (length + 1) / 2 * 2;
        if (!params.Has(2, length) || !params.Has(after, 4)) {
            return true;
        }
        TextRecord text;
        text.text = Ansi(params, 2, length);
        text.y = params.S16(after);
        text.x = params.S16(after + 2);
        DrawText(text);
        return true;
    }
    case fnExtTextOut: PlayExtTextOut(params); return true;
    default:
        return PlayBitmapRecord(function, params);
    }
}

std::u32string ILWMFPlayer::Ansi(const Reader& params, std::size_t at, std::size_t length)
{
    std::u32string text;
    for (std::size_t i = 0; i < length && params.Has(at + i, 1); ++i) {
        text += FromWindows1252(*params.At(at + i));
    }
    return text;
}

void ILWMFPlayer::PlayExtTextOut(const Reader& params)
{
    TextRecord text;
    text.y = params.S16(0);
    text.x = params.S16(2);
    const std::size_t length = params.U16(4);
    text.options = params.U16(6);
    std::size_t at = 8;
    if ((text.options & (textOpaque | textClipped)) != 0) {
        text.hasRectangle = true;
        for (int i = 0; i < 4; ++i) {
            text.rectangle[i] = params.S16(8 + 2 * static_cast<std::size_t>(i));
        }
        at = 16;
    }
    if (!params.Has(at, length)) {
        return;
    }
    text.text = Ansi(params, at, length);
    const std::size_t advancesAt = at + (length + 1) / 2 * 2;
    if (params.Has(advancesAt, 2 * length)) {
        for (std::size_t i = 0; i < length; ++i) {
            text.advances.push_back(params.S16(advancesAt + 2 * i));
        }
    }
    DrawText(text);
}

void ILWMFPlayer::CreateFont(const Reader& params)
{
    GdiObject font;
    font.kind = GdiObject::font;
    Font& f = font.fontValue;
    f.height = params.S16(0);
    f.width = params.S16(2);
    f.escapement = params.S16(4);
    f.weight = params.S16(8);
    ReadFontStyle(params, 10, f);
    std::u32string face;
    for (std::size_t i = 18; i < 18 + 32 && params.Has(i, 1) && *params.At(i) != 0; ++i) {
        face += FromWindows1252(*params.At(i));
    }
    f.face = ToUtf8(face);
    CreateObject(font);
}

ILCanvasRegion ILWMFPlayer::ReadRegion(const Reader& params) const
{
    // A 22-byte header ending in the bounding rectangle, then the scans: a count of
    // coordinates, top, bottom, the left and right of each span, the count again.
    const int scans = params.U16(10);
    std::vector<double> rectangles;
    const auto add = [&](double left, double top, double right, double bottom) {
        const ILCanvasPoint a = ToCanvas(left, top);
        const ILCanvasPoint b = ToCanvas(right, bottom);
        rectangles.insert(rectangles.end(), {a.x, a.y, b.x, b.y});
    };
    if (scans == 0) {
        add(params.S16(14), params.S16(16), params.S16(18), params.S16(20));
    }
    std::size_t at = 22;
    for (int i = 0; i < scans && params.Has(at, 6); ++i) {
        const std::size_t count = params.U16(at);
        const double top = params.S16(at + 2);
        const double bottom = params.S16(at + 4);
        if (!params.Has(at + 6, 2 * count + 2) ||
            rectangles.size() / 4 + count / 2 > ILCanvasRegion::kMaxRectangles) {
            break;
        }
        for (std::size_t k = 0; k + 1 < count; k += 2) {
            add(params.S16(at + 6 + 2 * k), top, params.S16(at + 8 + 2 * k), bottom);
        }
        at += 6 + 2 * count + 2;
    }
    return ILCanvasRegion::FromRectangles(rectangles, RegionWork());
}

void ILWMFPlayer::MakePattern(bool deviceBitmap, const Reader& params, Brush& brush) const
{
    if (!deviceBitmap && params.U16(0) != 3) {
        // Style and colour use, then a packed device-independent bitmap.
        if (!params.Has(4, 0)) {
            return;
        }
        const Reader dib(params.At(4), params.Size() - 4);
        const std::size_t bitsAt = PackedBitsOffset(dib);
        if (bitsAt != 0 && dib.Has(bitsAt, 0)) {
            (void)MakePatternBrush(dib, Reader(dib.At(bitsAt), dib.Size() - bitsAt), false, brush);
        }
        return;
    }
    // A monochrome device bitmap; the older record keeps its header after a word of style
    // and its rows after a pointer, the pattern brush's after the reserved bytes.
    const std::size_t headerAt = deviceBitmap ? 0 : 4;
    if (!params.Has(headerAt, 10)) {
        return;
    }
    const Reader bitmap(params.At(headerAt), params.Size() - headerAt);
    const int width = bitmap.S16(2);
    const int height = bitmap.S16(4);
    PixelBlock block;
    if (width > kMaxPatternSide || height > kMaxPatternSide || *bitmap.At(9) != 1 ||
        !ReadDeviceBitmap(bitmap, deviceBitmap ? 32 : 14, 0, 0, width, height, block)) {
        return;
    }
    brush.style = 3;
    brush.pattern = std::make_shared<const std::vector<ILPixel32>>(std::move(block.pixels));
    brush.patternWidth = block.width;
    brush.patternHeight = block.height;
}

bool ILWMFPlayer::PlayBitmapRecord(int function, const Reader& params)
{
    auto s = [&params](std::size_t i) { return static_cast<double>(params.S16(i)); };
    const std::uint32_t rop = params.U32(0);
    // Where each record keeps its fields, as byte offsets into the parameters: source
    // x, y, width, height; destination x, y, width, height (-1: the source's); the bitmap.
    struct Layout
    {
        int function;
        std::size_t withoutBitmap;  // the parameter size of the form without a bitmap, or 0
        int sx, sy, sw, sh, dx, dy, dw, dh;
        std::size_t dib;
    };
    static const Layout kLayouts[] = {
        {fnDibBitBlt, 18, 6, 4, 10, 8, 14, 12, -1, -1, 16},
        {fnBitBlt, 18, 6, 4, 10, 8, 14, 12, -1, -1, 16},
        {fnDibStretchBlt, 22, 10, 8, 6, 4, 18, 16, 14, 12, 20},
        {fnStretchBlt, 22, 10, 8, 6, 4, 18, 16, 14, 12, 20},
        {fnStretchDib, 0, 12, 10, 8, 6, 20, 18, 16, 14, 22},
        {fnSetDibToDev, 0, 8, 6, 12, 10, 16, 14, -1, -1, 18},
    };
    if (function == fnPatBlt) {
        PatternBlt(s(10), s(8), s(10) + s(6), s(8) + s(4), rop);
        return true;
    }
    const Layout* layout = nullptr;
    for (const Layout& l : kLayouts) {
        if (l.function == function) {
            layout = &l;
        }
    }
    if (layout == nullptr) {
        return false;
    }
    if (layout->withoutBitmap != 0 && params.Size() == layout->withoutBitmap) {
        // No bitmap: a pattern fill of the destination, which lies two bytes further on.
        const double x = s(layout->dx + 2);
        const double y = s(layout->dy + 2);
        const double width = layout->dw < 0 ? s(layout->sw + 2) : s(layout->dw + 2);
        const double height = layout->dh < 0 ? s(layout->sh + 2) : s(layout->dh + 2);
        PatternBlt(x, y, x + width, y + height, rop);
        return true;
    }
    const int sw = params.S16(layout->sw);
    const int sh = params.S16(layout->sh);
    const double width = layout->dw < 0 ? sw : s(layout->dw);
    const double height = layout->dh < 0 ? sh : s(layout->dh);
    if (!params.Has(layout->dib, 0)) {
        return false;
    }
    if (function == fnBitBlt || function == fnStretchBlt) {
        PixelBlock block;
        // The old records' bitmap keeps its rows right after its header.
        if (!ReadDeviceBitmap(Reader(params.At(layout->dib), params.Size() - layout->dib), 10, params.S16(layout->sx),
                              params.S16(layout->sy), sw, sh, block)) {
            return false;
        }
        const ILRasterOperation operation = ILRasterOperation::FromCode(rop);
        CombineBlock(block, s(layout->dx), s(layout->dy), width, height, operation, operation);
        return true;
    }
    const Reader dib(params.At(layout->dib), params.Size() - layout->dib);
    const std::size_t bitsAt = PackedBitsOffset(dib);
    if (bitsAt == 0 || !dib.Has(bitsAt, 0)) {
        return false;
    }
    const Reader bits(dib.At(bitsAt), dib.Size() - bitsAt);
    const std::uint32_t operation = function == fnSetDibToDev ? ILRasterOperation::kSourceCopyCode : rop;
    return StretchBitmap(dib, bits, s(layout->dx), s(layout->dy), width, height, params.S16(layout->sx),
                         params.S16(layout->sy), sw, sh, operation);
}

bool ILWMFPlayer::ReadDeviceBitmap(const Reader& bitmap, std::size_t bitsAt, int sx, int sy, int sw, int sh,
                                   PixelBlock& block) const
{
    // Type, width, height, bytes a row, planes, bits a pixel; the rows, top row first, at `bitsAt`.
    const int width = bitmap.S16(2);
    const int height = bitmap.S16(4);
    const int rowBytes = bitmap.S16(6);
    const int planes = bitmap.Has(8, 2) ? *bitmap.At(8) : 0;
    const int depth = bitmap.Has(8, 2) ? *bitmap.At(9) : 0;
    if (width <= 0 || height <= 0 || planes != 1 || (depth != 1 && depth != 24 && depth != 32) ||
        std::int64_t{rowBytes} * 8 < std::int64_t{width} * depth ||
        !bitmap.Has(bitsAt, static_cast<std::size_t>(rowBytes) * static_cast<std::size_t>(height))) {
        return false;
    }
    const int x0 = std::clamp(sx, 0, width);
    const int x1 = static_cast<int>(std::clamp<std::int64_t>(std::int64_t{sx} + sw, x0, width));
    const int y0 = std::clamp(sy, 0, height);
    const int y1 = static_cast<int>(std::clamp<std::int64_t>(std::int64_t{sy} + sh, y0, height));
    block = PixelBlock();
    block.width = x1 - x0;
    block.height = y1 - y0;
    block.pixels.reserve(static_cast<std::size_t>(block.width) * static_cast<std::size_t>(block.height));
    for (int y = y0; y < y1; ++y) {
        const std::uint8_t* row = bitmap.At(bitsAt + static_cast<std::size_t>(y) * rowBytes);
        for (int x = x0; x < x1; ++x) {
            if (depth == 1) {
                // A monochrome bitmap draws its 0 bits in the text colour, its 1 bits in the background's.
                const bool set = (row[x / 8] & (0x80 >> (x % 8))) != 0;
                block.pixels.push_back(set ? m_state.backgroundColour : m_state.textColour);
            } else {
                const std::uint8_t* p = row + static_cast<std::size_t>(x) * (depth / 8);
                block.pixels.emplace_back(p[2], p[1], p[0], 255);
            }
        }
    }
    return true;
}
