#pragma once
// Small writers of Windows and enhanced metafile records for the metafile tests: each
// call appends one record; Bytes() frames them with the headers and the end record.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "imaging/ilpixel32.h"

namespace metafiletest {

// Colours as the records keep them, and as the picture holds them; the stock object of no pen.
inline constexpr std::uint32_t kRed = 0x0000FF;
inline constexpr std::uint32_t kBlue = 0xFF0000;
inline constexpr std::int64_t kNoPen = 0x80000008;
inline const ILPixel32 kWhite(255, 255, 255, 255);
inline const ILPixel32 kRedPixel(255, 0, 0, 255);
inline const ILPixel32 kBluePixel(0, 0, 255, 255);

inline std::string Le16(int v)
{
    return {static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF)};
}

inline std::string Le32(std::int64_t v)
{
    return Le16(static_cast<int>(v & 0xFFFF)) + Le16(static_cast<int>((v >> 16) & 0xFFFF));
}

inline std::uint32_t Rgb(int r, int g, int b)
{
    return static_cast<std::uint32_t>(r | (g << 8) | (b << 16));
}

// Enhanced metafile region data of the rectangles (left, top, right, bottom each); its
// bounds are left 0, as the player does not read them.
inline std::string RegionData(const std::vector<std::int64_t>& leftTopRightBottom)
{
    const auto count = static_cast<std::int64_t>(leftTopRightBottom.size() / 4);
    std::string s = Le32(32) + Le32(1) + Le32(count) + Le32(16 * count) + std::string(16, '\0');
    for (const std::int64_t v : leftTopRightBottom) {
        s += Le32(v);
    }
    return s;
}

// Windows metafile region data: a header whose bounds the player reads only when there
// are no scans, then each scan as top, bottom and the left and right of its spans.
inline std::string WmfRegionData(const std::vector<std::vector<int>>& scans)
{
    std::string s = Le16(0) + Le16(6) + Le16(0) + Le16(0) + Le16(0) + Le16(static_cast<int>(scans.size())) + Le16(0) +
                    Le16(0) + Le16(0) + Le16(0) + Le16(0);
    for (const std::vector<int>& scan : scans) {
        const int count = static_cast<int>(scan.size()) - 2;
        s += Le16(count);
        for (const int v : scan) {
            s += Le16(v);
        }
        s += Le16(count);
    }
    return s;
}

using Points = std::vector<std::pair<int, int>>;

// The points as 16-bit x, y pairs, as both metafile kinds store polygons.
inline std::string Pairs(const Points& points)
{
    std::string s;
    for (const auto& [x, y] : points) {
        s += Le16(x) + Le16(y);
    }
    return s;
}

// A bottom-up 24-bit device-independent bitmap: its 40-byte header and its rows.
inline std::pair<std::string, std::string> Dib24(int width, const std::vector<std::uint32_t>& topDownRgb)
{
    const int height = static_cast<int>(topDownRgb.size()) / width;
    const int stride = (width * 3 + 3) / 4 * 4;
    std::string header = Le32(40) + Le32(width) + Le32(height) + Le16(1) + Le16(24) + Le32(0) + Le32(0) +
                         std::string(16, '\0');
    std::string rows;
    for (int y = height - 1; y >= 0; --y) {
        for (int x = 0; x < width; ++x) {
            const std::uint32_t c = topDownRgb[static_cast<std::size_t>(y * width + x)];
            rows += {static_cast<char>(c >> 16), static_cast<char>(c >> 8), static_cast<char>(c)};
        }
        rows += std::string(static_cast<std::size_t>(stride - width * 3), '\0');
    }
    return {header, rows};
}

class WmfWriter
{
public:
    // Parameters are 16-bit words in the order they are stored.
    WmfWriter& Record(int function, std::initializer_list<int> words, const std::string& extra = {})
    {
        std::string params;
        for (const int w : words) {
            params += Le16(w);
        }
        params += extra;
        if (params.size() % 2) {
            params += '\0';
        }
        m_records += Le32(static_cast<std::int64_t>(3 + params.size() / 2)) + Le16(function) + params;
        return *this;
    }
    WmfWriter& Raw(const std::string& bytes)
    {
        m_records += bytes;
        return *this;
    }
    WmfWriter& Pen(int style, int width, std::uint32_t colour)
    {
        return Record(0x02FA, {style, width, 0, static_cast<int>(colour & 0xFFFF), static_cast<int>(colour >> 16)});
    }
    WmfWriter& Brush(int style, std::uint32_t colour)
    {
        return Record(0x02FC, {style, static_cast<int>(colour & 0xFFFF), static_cast<int>(colour >> 16), 0});
    }
    WmfWriter& Select(int index) { return Record(0x012D, {index}); }
    WmfWriter& Region(const std::vector<std::vector<int>>& scans) { return Record(0x06FF, {}, WmfRegionData(scans)); }
    WmfWriter& Delete(int index) { return Record(0x01F0, {index}); }
    WmfWriter& WindowOrg(int x, int y) { return Record(0x020B, {y, x}); }
    WmfWriter& WindowExt(int x, int y) { return Record(0x020C, {y, x}); }
    WmfWriter& Rectangle(int l, int t, int r, int b) { return Record(0x041B, {b, r, t, l}); }
    WmfWriter& Ellipse(int l, int t, int r, int b) { return Record(0x0418, {b, r, t, l}); }
    WmfWriter& MoveTo(int x, int y) { return Record(0x0214, {y, x}); }
    WmfWriter& LineTo(int x, int y) { return Record(0x0213, {y, x}); }
    WmfWriter& Polygon(const Points& points) { return Record(0x0324, {static_cast<int>(points.size())}, Pairs(points)); }
    WmfWriter& Polyline(const Points& points)
    {
        return Record(0x0325, {static_cast<int>(points.size())}, Pairs(points));
    }
    WmfWriter& StretchDib(int x, int y, int w, int h, int sw, int sh, const std::pair<std::string, std::string>& dib,
                          std::uint32_t rop = 0x00CC0020)
    {
        return Record(0x0F43, {static_cast<int>(rop & 0xFFFF), static_cast<int>(rop >> 16), 0, sh, sw, 0, 0, h, w, y, x},
                      dib.first + dib.second);
    }

    // objects: the size of the object table.
    [[nodiscard]] std::string Bytes(int objects = 4) const
    {
        const std::string records = m_records + Le32(3) + Le16(0);
        return Le16(1) + Le16(9) + Le16(0x0300) + Le32(static_cast<std::int64_t>(9 + records.size() / 2)) +
               Le16(objects) + Le32(0) + Le16(0) + records;
    }
    [[nodiscard]] std::string Placeable(int left, int top, int right, int bottom, int unitsPerInch,
                                        int objects = 4) const
    {
        return Le32(0x9AC6CDD7) + Le16(0) + Le16(left) + Le16(top) + Le16(right) + Le16(bottom) + Le16(unitsPerInch) +
               Le32(0) + Le16(0) + Bytes(objects);
    }

private:
    std::string m_records;
};

class EmfWriter
{
public:
    EmfWriter& Record(int type, std::initializer_list<std::int64_t> values, const std::string& extra = {})
    {
        std::string body;
        for (const std::int64_t v : values) {
            body += Le32(v);
        }
        body += extra;
        m_records += Le32(type) + Le32(static_cast<std::int64_t>(8 + body.size())) + body;
        ++m_count;
        return *this;
    }
    EmfWriter& Raw(const std::string& bytes)
    {
        m_records += bytes;
        return *this;
    }
    EmfWriter& Pen(int handle, int style, int width, std::uint32_t colour)
    {
        return Record(38, {handle, style, width, 0, colour});
    }
    EmfWriter& Brush(int handle, int style, std::uint32_t colour) { return Record(39, {handle, style, colour, 0}); }
    EmfWriter& Select(std::int64_t handle) { return Record(37, {handle}); }
    EmfWriter& MapMode(int mode) { return Record(17, {mode}); }
    EmfWriter& WindowExt(int x, int y) { return Record(9, {x, y}); }
    EmfWriter& ViewportExt(int x, int y) { return Record(11, {x, y}); }
    EmfWriter& Rectangle(int l, int t, int r, int b) { return Record(43, {l, t, r, b}); }
    EmfWriter& Ellipse(int l, int t, int r, int b) { return Record(42, {l, t, r, b}); }
    EmfWriter& MoveTo(int x, int y) { return Record(27, {x, y}); }
    EmfWriter& LineTo(int x, int y) { return Record(54, {x, y}); }
    EmfWriter& Polygon16(const Points& points) { return Record(86, {0, 0, 0, 0, static_cast<int>(points.size())}, Pairs(points)); }
    EmfWriter& StretchDIBits(int x, int y, int w, int h, int sw, int sh, const std::pair<std::string, std::string>& dib,
                             std::uint32_t rop = 0x00CC0020)
    {
        const std::int64_t infoAt = 80;
        const auto infoSize = static_cast<std::int64_t>(dib.first.size());
        return Record(81,
                      {0, 0, 0, 0, x, y, 0, 0, sw, sh, infoAt, infoSize, infoAt + infoSize,
                       static_cast<std::int64_t>(dib.second.size()), 0, rop, w, h},
                      dib.first + dib.second);
    }

    // frame in hundredths of a millimetre on a 96-dpi reference device of 1920 × 1440 pixels.
    [[nodiscard]] std::string Bytes(int frameRight, int frameBottom, const std::vector<std::uint32_t>& palette = {},
                                    int handles = 4) const
    {
        std::string eofBody = Le32(static_cast<std::int64_t>(palette.size())) + Le32(16);
        for (const std::uint32_t c : palette) {
            eofBody += Le32(c);
        }
        eofBody += Le32(static_cast<std::int64_t>(20 + 4 * palette.size()));
        const std::string eof = Le32(14) + Le32(static_cast<std::int64_t>(8 + eofBody.size())) + eofBody;
        const std::int64_t total = 88 + static_cast<std::int64_t>(m_records.size() + eof.size());
        const std::int64_t pixelsRight = std::int64_t{frameRight} * 1920 / 50800;
        const std::int64_t pixelsBottom = std::int64_t{frameBottom} * 1440 / 38100;
        const std::string header = Le32(1) + Le32(88) + Le32(0) + Le32(0) + Le32(pixelsRight - 1) +
                                   Le32(pixelsBottom - 1) + Le32(0) + Le32(0) + Le32(frameRight) + Le32(frameBottom) +
                                   Le32(0x464D4520) + Le32(0x10000) + Le32(total) + Le32(m_count + 2) +
                                   Le16(handles) + Le16(0) + Le32(0) + Le32(0) +
                                   Le32(static_cast<std::int64_t>(palette.size())) + Le32(1920) + Le32(1440) +
                                   Le32(508) + Le32(381);
        return header + m_records + eof;
    }

private:
    std::string m_records;
    int m_count = 0;
};

// Text as UTF-16 words, padded to whole 32-bit words.
inline std::string Utf16(const std::u16string& text)
{
    std::string s;
    for (const char16_t c : text) {
        s += Le16(c);
    }
    if (s.size() % 4) {
        s += Le16(0);
    }
    return s;
}

// An EMF logical font: height, width, escapement, weight, italic and the face name.
inline EmfWriter& Font(EmfWriter& e, int handle, int height, int escapement, const std::u16string& face = u"DejaVu Sans")
{
    std::string name = Utf16(face);
    name.resize(64, '\0');
    return e.Record(82, {handle, height, 0, escapement, escapement, 400, 0, 0}, name);
}

}  // namespace metafiletest
