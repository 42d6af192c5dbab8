#include "imaging/ilpictdecoder.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "imaging/ilbmp.h"
#include "imaging/ilbmplock.h"
#include "imaging/ildatasource.h"
#include "imaging/iljpegdecoder.h"
#include "imaging/ilpackbits.h"
#include "imaging/iltextexception.h"

namespace {

constexpr int kPreamble = 512;
constexpr int kLengthWord = -1;  // the data's length precedes it as a 16-bit word
constexpr int kSpecial = -2;     // the opcode reads its own data

// Fixed data lengths of the opcodes 0x00 to 0x2F.
constexpr int kLowLengths[0x30] = {
    0, kSpecial, 8, 2, 1, 2, 4, 4, 2, 8, 8, 4, 4, 2, 4, 4,                                   // 0x00
    8, 1, kSpecial, kSpecial, kSpecial, 2, 2, 0, 0, 0, 6, 6, 0, 6, 0, 6,                      // 0x10
    8, 4, 6, 2, kLengthWord, kLengthWord, kLengthWord, kLengthWord,                           // 0x20
    kSpecial, kSpecial, kSpecial, kSpecial, kLengthWord, kLengthWord, kLengthWord, kLengthWord};

constexpr const char* kLowNames[0x30] = {
    "NOP", "Clip", "BkPat", "TxFont", "TxFace", "TxMode", "SpExtra", "PnSize", "PnMode", "PnPat", "FillPat",
    "OvSize", "Origin", "TxSize", "FgColor", "BkColor", "TxRatio", "Version", "BkPixPat", "PnPixPat", "FillPixPat",
    "PnLocHFrac", "ChExtra", nullptr, nullptr, nullptr, "RGBFgCol", "RGBBkCol", "HiliteMode", "HiliteColor",
    "DefHilite", "OpColor", "Line", "LineFrom", "ShortLine", "ShortLineFrom", nullptr, nullptr, nullptr, nullptr,
    "LongText", "DHText", "DVText", "DHDVText", nullptr, nullptr, nullptr, nullptr};

// Data length of an opcode from 0x00 to 0xA1.
int LengthOf(int opcode)
{
    if (opcode < 0x30) {
        return kLowLengths[opcode];
    }
    if (opcode < 0x70) {
        // Rectangles, rounded rectangles and ovals carry a rectangle, arcs also two angles;
        // the "same" forms (low nibble 8 and above) carry nothing more but the arcs' angles.
        const bool same = (opcode & 0x0F) >= 8;
        if (opcode >= 0x60) {
            return same ? 4 : 12;
        }
        return same ? 0 : 8;
    }
    if (opcode < 0x90) {
        return (opcode & 0x0F) >= 8 ? 0 : kSpecial;  // polygons and regions are sized
    }
    switch (opcode) {
    case 0x90: case 0x91: case 0x98: case 0x99: case 0x9A: case 0xA1: return kSpecial;
    case 0xA0: return 2;
    default: return kLengthWord;
    }
}

std::string NameOf(int opcode)
{
    if (opcode < 0x30) {
        return kLowNames[opcode] != nullptr ? kLowNames[opcode] : std::string();
    }
    static const char* const kVerbs[] = {"frame", "paint", "erase", "invert", "fill"};
    static const char* const kShapes[] = {"Rect", "RRect", "Oval", "Arc", "Poly", "Rgn"};
    if (opcode < 0x90) {
        const int verb = opcode & 0x07;
        if (verb > 4) {
            return {};
        }
        const char* shape = kShapes[(opcode >> 4) - 3];
        return (opcode & 0x08) ? std::string(kVerbs[verb]) + "Same" + shape : std::string(kVerbs[verb]) + shape;
    }
    switch (opcode) {
    case 0x90: return "BitsRect";
    case 0x91: return "BitsRgn";
    case 0x98: return "PackBitsRect";
    case 0x99: return "PackBitsRgn";
    case 0x9A: return "Opcode_9A";
    case 0xA0: return "ShortComment";
    case 0xA1: return "LongComment";
    default: return {};
    }
}

void TraceOpcode(int opcode)
{
    const std::string name = NameOf(opcode);
    char text[64];
    if (name.empty()) {
        std::snprintf(text, sizeof text, "Opcode: reserved=0x%x\n", opcode);
    } else {
        std::snprintf(text, sizeof text, "Opcode: %s\n", name.c_str());
    }
    ILPicDecoder::Trace(2, text);
}

void Fail(const char* text)
{
    ILPicDecoder::RaiseError(ILTextException::badFormat, text);
}

}  // namespace

ILPictDecoder::~ILPictDecoder() = default;

bool ILPictDecoder::IsPict(const std::uint8_t* data, std::int64_t size)
{
    if (data == nullptr || size <= 540) {
        return false;
    }
    const std::uint8_t* d = data + kPreamble + 10;
    return (d[0] == 0x00 && d[1] == 0x11 && d[2] == 0x02 && d[3] == 0xFF) ||
           (d[0] == 0x00 && d[1] == 0x11 && d[2] == 0x01) ||
           (d[0] == 0x11 && d[1] == 0x01 && d[2] == 0x01 && d[3] == 0x00);
}

void ILPictDecoder::Close()
{
    if (m_jpegOpen) {
        m_jpegOpen = false;
        m_jpeg->Close();
    }
    m_jpegSource.Close();
    m_kind = kindNone;
    ILPicDecoder::Close();
}

void ILPictDecoder::Open(ILDataSource& source)
{
    Trace(2, "Decoding mac pict.\n");
    m_kind = kindNone;
    m_start = source.GetBytesRead();
    source.Skip(kPreamble);
    ReadHeader(source);
    InterpretOpcodes(source);
}

void ILPictDecoder::ReadHeader(ILDataSource& source)
{
    source.Skip(2 + 8);  // picture size and frame
    int byte = 0;
    while ((byte = ReadByte(source)) == 0) {
    }
    if (byte != 0x11) {
        RaiseError(ILTextException::wrongSignature, "Error decoding pict: Version number missing.");
    }
    m_version = ReadByte(source);
    if (m_version != 1 && (m_version != 2 || ReadByte(source) != 0xFF)) {
        RaiseError(ILTextException::wrongSignature, "Illegal version number.");
    }
    Trace(2, ("PICT version " + std::to_string(m_version) + " found.\n").c_str());
}

int ILPictDecoder::ReadOpcode(ILDataSource& source)
{
    if (m_version == 1) {
        return ReadByte(source);
    }
    // Version-2 opcodes start at even offsets of the picture.
    if ((source.GetBytesRead() - m_start) & 1) {
        source.Skip(1);
    }
    return ReadBEWord(source);
}

void ILPictDecoder::InterpretOpcodes(ILDataSource& source)
{
    // Every opcode reads at least one byte, so the walk ends at the end of the data.
    while (!InterpretOpcode(source, ReadOpcode(source))) {
    }
}

bool ILPictDecoder::InterpretOpcode(ILDataSource& source, int opcode)
{
    char text[64];
    if (opcode == 0xFF || opcode == 0xFFFF) {
        Trace(2, "Opcode: End of pict.\n");
        RaiseError(ILTextException::notSupported, "PICT contained only vector data!\n");
    }
    if (opcode <= 0xA1) {
        TraceOpcode(opcode);
        switch (opcode) {
        case 0x90: case 0x91: case 0x98: case 0x99: ReadBits(source, opcode); return true;
        case 0x9A: ReadDirectBits(source); return true;
        default: InterpretTableOpcode(source, opcode); return false;
        }
    }
    if (opcode == 0x0C00) {
        Trace(2, "Opcode: Header.\n");
        // Version, resolution or bounds, source rectangle and a reserved word; the last four
        // bytes of the header are read as two NOP opcodes.
        source.Skip(2 + 8 + 8 + 2);
        return false;
    }
    if (opcode == 0x8200) {
        Trace(2, "Opcode: JPEG.\n");
        ReadJpeg(source);
        return true;
    }
    std::snprintf(text, sizeof text, "Opcode: reserved 0x%x.\n", opcode);
    Trace(2, text);
    if (opcode <= 0xAF) {
        source.Skip(ReadBEWord(source));
    } else if (opcode <= 0xCF || (opcode >= 0x8000 && opcode <= 0x80FF)) {
        // no data
    } else if (opcode <= 0xFE || opcode >= 0x8100) {
        source.Skip(ReadBELong(source));
    } else if (opcode <= 0x7FFF) {
        source.Skip((opcode >> 7) & 0xFF);
    } else {
        std::snprintf(text, sizeof text, "Can't handle Opcode %x.\n", opcode);
        RaiseError(ILTextException::badFormat, text);
    }
    return false;
}

void ILPictDecoder::InterpretTableOpcode(ILDataSource& source, int opcode)
{
    const int length = LengthOf(opcode);
    if (length >= 0) {
        source.Skip(length);
        return;
    }
    if (length == kLengthWord) {
        source.Skip(ReadBEWord(source));
        return;
    }
    switch (opcode) {
    case 0x01: {
        const int size = ReadBEWord(source);
        if (size < 2) {
            Fail("Region size too small.");
        }
        source.Skip(size - 2);
        break;
    }
    case 0x12: case 0x13: case 0x14: SkipPixPattern(source); break;
    // Text carries its characters after a count byte: LongText a point before it, DHText
    // and DVText one offset byte, DHDVText two.
    case 0x28: source.Skip(4); source.Skip(ReadByte(source)); break;
    case 0x29: case 0x2A: source.Skip(1); source.Skip(ReadByte(source)); break;
    case 0x2B: source.Skip(2); source.Skip(ReadByte(source)); break;
    case 0xA1: source.Skip(2); source.Skip(ReadBEWord(source)); break;
    default:
        Trace(3, "Skipping polygon or region.\n");
        SkipSizedData(source);
        break;
    }
}

void ILPictDecoder::SkipSizedData(ILDataSource& source)
{
    const int size = ReadBEWord(source);
    if (size < 2) {
        Fail("Polygon or region size too small.");
    }
    source.Skip(size - 2);
}

void ILPictDecoder::SkipPixPattern(ILDataSource& source)
{
    const int type = ReadBEWord(source);
    if (type == 2) {
        source.Skip(8 + 5);
        return;
    }
    if (type != 1) {
        Fail("Unknown pattern type in pixPat.");
    }
    source.Skip(8);
    const int rowBytes = ReadBEWord(source) & 0x7FFF;
    m_pixMap.bounds = ReadRect(source);
    ReadPixMap(source);
    ILPixel32 palette[256];
    ReadColorTable(source, palette);
    const int rows = m_pixMap.bounds.bottom - m_pixMap.bounds.top;
    if (rows < 0) {
        Fail("Pattern with negative height.");
    }
    SkipRows(source, rowBytes, rows);
}

void ILPictDecoder::SkipRows(ILDataSource& source, int rowBytes, int rows)
{
    for (int y = 0; y < rows; ++y) {
        if (rowBytes < 8) {
            source.Skip(rowBytes);
        } else {
            source.Skip(rowBytes > 250 ? ReadBEWord(source) : ReadByte(source));
        }
    }
}

ILPictDecoder::Rect ILPictDecoder::ReadRect(ILDataSource& source)
{
    Rect r;
    r.top = static_cast<std::int16_t>(ReadBEWord(source));
    r.left = static_cast<std::int16_t>(ReadBEWord(source));
    r.bottom = static_cast<std::int16_t>(ReadBEWord(source));
    r.right = static_cast<std::int16_t>(ReadBEWord(source));
    return r;
}

void ILPictDecoder::ReadPixMap(ILDataSource& source)
{
    PixMap& p = m_pixMap;
    p.version = ReadBEWord(source);
    p.packType = ReadBEWord(source);
    p.packSize = ReadBELong(source);
    p.hRes = ReadBEWord(source);
    source.Skip(2);  // fraction
    p.vRes = ReadBEWord(source);
    source.Skip(2);
    p.pixelType = ReadBEWord(source);
    p.pixelSize = ReadBEWord(source);
    p.cmpCount = ReadBEWord(source);
    p.cmpSize = ReadBEWord(source);
    source.Skip(12);  // planeBytes, pmTable, pmReserved
    char text[160];
    std::snprintf(text, sizeof text,
                  "PixMap header info:\n  Bounds (%d,%d) (%d,%d).\n  version: 0x%x\n  packType: %d\n  pixelSize: %d\n"
                  "  cmpCount: %d\n  cmpSize: %d.\n",
                  p.bounds.left, p.bounds.top, p.bounds.right, p.bounds.bottom, p.version, p.packType, p.pixelSize,
                  p.cmpCount, p.cmpSize);
    Trace(2, text);
}

void ILPictDecoder::ReadBits(ILDataSource& source, int opcode)
{
    m_region = (opcode & 0x01) != 0;
    // BitsRect and BitsRgn store their rows as they are; only the PackBits forms pack them.
    m_packed = (opcode & 0x08) != 0;
    const int rowBytes = ReadBEWord(source);
    m_rowBytes = rowBytes & 0x7FFF;
    m_pixMap.bounds = ReadRect(source);
    if (rowBytes & 0x8000) {
        ReadPixMap(source);
        m_kind = kindPixMap;
        SetPixMapInfo(source);
        return;
    }
    Trace(2, "Reading version 1 bitmap.\n");
    source.Skip(16);  // source and destination rectangles
    m_pixMap.pixelSize = 1;
    m_pixMap.cmpCount = 1;
    m_kind = kindBitmap;
    const Rect& b = m_pixMap.bounds;
    DescribeImage(source, b.right - b.left, b.bottom - b.top, 8, ILPoint(0, 0), false);
}

void ILPictDecoder::ReadDirectBits(ILDataSource& source)
{
    source.Skip(4);  // base address
    m_rowBytes = ReadBEWord(source) & 0x7FFF;
    m_pixMap.bounds = ReadRect(source);
    ReadPixMap(source);
    source.Skip(16 + 2);  // source and destination rectangles, mode
    m_packed = true;
    m_region = false;
    m_kind = kindDirectBits;
    if (m_pixMap.pixelSize <= 8) {
        Fail("Direct pixels of a palette depth.");
    }
    SetPixMapInfo(source);
}

void ILPictDecoder::ReadJpeg(ILDataSource& source)
{
    const std::int64_t length = std::min<std::int64_t>(ReadBELong(source), source.GetBytesLeft());
    const std::uint8_t* data = source.GetBufferPtr(length);
    std::int64_t at = 0;
    while (at + 3 <= length && !(data[at] == 0xFF && data[at + 1] == 0xD8 && data[at + 2] == 0xFF)) {
        ++at;
    }
    if (at + 3 > length) {
        RaiseError(ILTextException::notSupported, "PICT file contains unrecognized quicktime data.\n");
    }
    if (m_jpeg == nullptr) {
        RaiseError(ILTextException::notSupported, "Library not compiled for PICT/JPEG.");
    }
    // The JPEG decoder sees the JPEG data alone, not the rest of the picture.
    (void)m_jpegSource.Open(data + at, length - at);
    m_jpeg->Open(m_jpegSource);
    m_jpegOpen = true;
    SetBmpInfo(*m_jpeg);
    m_kind = kindJpeg;
}

void ILPictDecoder::SetPixMapInfo(const ILDataSource& source)
{
    const PixMap& p = m_pixMap;
    const int size = p.pixelSize;
    if (size != 1 && size != 2 && size != 4 && size != 8 && size != 16 && size != 32) {
        char text[64];
        std::snprintf(text, sizeof text, "Illegal bpp value in unpackbits: %d\n", size);
        Fail(text);
    }
    if (size == 32 && p.cmpCount != 3 && p.cmpCount != 4) {
        Fail("Unsupported number of components.");
    }
    DescribeImage(source, p.bounds.right - p.bounds.left, p.bounds.bottom - p.bounds.top, size <= 8 ? 8 : 32,
                  ILPoint(p.hRes, p.vRes), size == 32 && p.cmpCount == 4);
}

void ILPictDecoder::DescribeImage(const ILDataSource& source, int width, int height, int bitsPerPixel, const ILPoint& resolution, bool alpha)
{
    if (width <= 0 || height <= 0) {
        Fail("Empty image.");
    }
    if (static_cast<std::int64_t>(width) * height > ILBmp::GetMaxPixels()) {
        RaiseError(ILTextException::noMemory, "PICT image too large.");
    }
    SetBmpInfo(ILPoint(width, height), bitsPerPixel, resolution, alpha, false);
    const int size = m_pixMap.pixelSize;
    if (m_rowBytes == 0) {
        m_rowBytes = (width * size + 7) / 8;
    }
    // The rows must hold the image's width; 32-bit rows may hold three components.
    const int needed = size == 32 ? width * 3 : (width * size + 7) / 8;
    if (m_rowBytes < needed) {
        Fail("Row length shorter than the image.");
    }
    // Each row, packed or not, takes at least one byte.
    if (height > source.GetBytesLeft()) {
        RaiseError(ILTextException::endOfData, "PICT data shorter than the image.");
    }
}

void ILPictDecoder::ReadColorTable(ILDataSource& source, ILPixel32* palette) const
{
    Trace(3, "Getting color table info.\n");
    source.Skip(4);  // seed
    const int flags = ReadBEWord(source);
    const int size = ReadBEWord(source) + 1;
    Trace(3, ("Palette Size:  " + std::to_string(size) + "\n").c_str());
    if (size > 256) {
        Fail("Colour table too large.");
    }
    Trace(3, "Reading Palette.\n");
    std::fill(palette, palette + 256, ILPixel32(0, 0, 0, 0));
    for (int i = 0; i < size; ++i) {
        int index = ReadBEWord(source);
        if (flags & 0x8000) {
            index = i;
        }
        if (index >= size) {
            Fail("pixel value greater than colour table size.");
        }
        const std::uint8_t* rgb = source.ReadNBytes(6);
        palette[index] = ILPixel32(rgb[0], rgb[2], rgb[4], 255);
    }
}

void ILPictDecoder::GetImage(ILBmp& bmp)
{
    ILDataSource& source = *GetDataSource();
    const Kind kind = m_kind;
    m_kind = kindNone;
    if (kind == kindJpeg) {
        m_jpeg->GetImage(bmp);
        return;
    }
    if (kind == kindPixMap) {
        ILPixel32 palette[256];
        ReadColorTable(source, palette);
        if (bmp.GetBitsPerPixel() == 8) {
            bmp.SetPalette(palette);
        }
        source.Skip(16);  // source and destination rectangles
    } else if (kind == kindBitmap) {
        // A set bit is drawn in the foreground colour: black.
        bmp.SetPaletteEntry(0, 255, 255, 255, 255);
        bmp.SetPaletteEntry(1, 0, 0, 0, 255);
    }
    if (kind != kindDirectBits) {
        source.Skip(2);  // mode
        if (m_region) {
            SkipSizedData(source);
        }
    }
    ILBmpLock lock(bmp, false, true);
    if (m_pixMap.pixelSize <= 8) {
        ReadIndexedRows(source, bmp, m_pixMap.pixelSize);
    } else if (m_pixMap.pixelSize == 16) {
        ReadWordRows(source, bmp);
    } else {
        ReadDirectRows(source, bmp);
    }
}

int ILPictDecoder::PackedCount(ILDataSource& source) const
{
    return m_rowBytes > 250 ? ReadBEWord(source) : ReadByte(source);
}

void ILPictDecoder::ReadRow(ILDataSource& source, std::uint8_t* row, int capacity, int unit)
{
    if (!m_packed || m_rowBytes < 8) {
        std::memcpy(row, source.ReadNBytes(m_rowBytes), static_cast<std::size_t>(m_rowBytes));
        return;
    }
    const int count = PackedCount(source);
    std::memset(row, 0, static_cast<std::size_t>(capacity));
    if (ILUnpackBits(source.ReadNBytes(count), count, row, capacity, unit) < 0) {
        Fail("Packed row overruns its length.");
    }
}

void ILPictDecoder::ReadIndexedRows(ILDataSource& source, ILBmp& bmp, int pixelSize)
{
    std::vector<std::uint8_t> row(static_cast<std::size_t>(m_rowBytes));
    const int width = GetWidth();
    const int perByte = 8 / pixelSize;
    const int mask = (1 << pixelSize) - 1;
    for (int y = 0; y < GetHeight(); ++y) {
        ReadRow(source, row.data(), m_rowBytes, 1);
        std::uint8_t* out = bmp.GetLineArray()[y];
        for (int x = 0; x < width; ++x) {
            const int shift = 8 - pixelSize * (x % perByte + 1);
            out[x] = static_cast<std::uint8_t>((row[x / perByte] >> shift) & mask);
        }
    }
}

void ILPictDecoder::ReadWordRows(ILDataSource& source, ILBmp& bmp)
{
    std::vector<std::uint8_t> row(static_cast<std::size_t>(m_rowBytes));
    for (int y = 0; y < GetHeight(); ++y) {
        ReadRow(source, row.data(), m_rowBytes, 2);
        auto* out = reinterpret_cast<ILPixel32*>(bmp.GetLineArray()[y]);
        for (int x = 0; x < GetWidth(); ++x) {
            const int value = (row[2 * x] << 8) | row[2 * x + 1];
            out[x] = ILPixel32(static_cast<std::uint8_t>(((value >> 10) & 31) * 8),
                               static_cast<std::uint8_t>(((value >> 5) & 31) * 8),
                               static_cast<std::uint8_t>((value & 31) * 8), 255);
        }
    }
}

void ILPictDecoder::ReadDirectRows(ILDataSource& source, ILBmp& bmp)
{
    const int width = GetWidth();
    const int packType = m_pixMap.packType;
    // Pack types 1 and 2 keep chunky pixels (with and without the pad byte); the others
    // hold one plane per component.
    const bool chunky = packType == 1 || packType == 2;
    const int components = packType == 2 ? 3 : (chunky ? 4 : m_pixMap.cmpCount);
    if (chunky) {
        m_packed = false;
        if (packType == 2) {
            m_rowBytes = 3 * width;
        } else if (m_rowBytes < 4 * width) {
            Fail("Row length shorter than the image.");
        }
    }
    const int capacity = std::max(m_rowBytes, components * width);
    std::vector<std::uint8_t> row(static_cast<std::size_t>(capacity));
    const bool alpha = HasAlpha();
    for (int y = 0; y < GetHeight(); ++y) {
        ReadRow(source, row.data(), capacity, 1);
        auto* out = reinterpret_cast<ILPixel32*>(bmp.GetLineArray()[y]);
        for (int x = 0; x < width; ++x) {
            // Component c of pixel x: planar rows put it at c × width + x, chunky ones at
            // x × components + c; four components begin with alpha.
            auto component = [&](int c) {
                return chunky ? row[static_cast<std::size_t>(x) * components + c]
                              : row[static_cast<std::size_t>(c) * width + x];
            };
            const int first = components == 4 ? 1 : 0;
            out[x] = ILPixel32(component(first), component(first + 1), component(first + 2),
                               alpha ? component(0) : 255);
        }
    }
}
