#include "imaging/ilfilterquantize.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

#include "imaging/ilanybmp.h"
#include "imaging/iltextexception.h"

namespace {

constexpr int kCells = 32768;
constexpr unsigned kMaxCount = 65535;

// 5-bit components, red, green, blue.
using Colour5 = std::array<int, 3>;

// The eight corners of the colour cube start both palette methods.
constexpr Colour5 kCorners[8] = {{0, 0, 0},   {31, 0, 0},   {0, 31, 0},  {0, 0, 31},
                                 {31, 31, 0}, {0, 31, 31},  {31, 0, 31}, {31, 31, 31}};

// Added twice to each component, at row (width - 1 - x) mod 4 and column y mod 4.
constexpr int kOrderedMatrix[4][4] = {{-7, 1, -5, 3}, {5, -3, 7, -1}, {-4, 4, -6, 2}, {8, 0, 6, -2}};

int CellOf(const Colour5& c)
{
    return (c[0] << 10) | (c[1] << 5) | c[2];
}

int CellOf(int red, int green, int blue)
{
    return CellOf({red >> 3, green >> 3, blue >> 3});
}

std::array<ILPixel32, ILFilterQuantize::kColours> MakeDefaultPalette()
{
    std::array<ILPixel32, ILFilterQuantize::kColours> p;
    const std::uint8_t first[16][3] = {{0, 0, 0},       {0, 0, 191},     {0, 191, 0},   {0, 191, 191},
                                       {191, 0, 0},     {191, 0, 191},   {191, 191, 0}, {192, 192, 192},
                                       {192, 220, 192}, {240, 202, 166}, {0, 0, 128},   {0, 128, 0},
                                       {0, 128, 128},   {128, 0, 0},     {128, 0, 128}, {128, 128, 0}};
    int i = 0;
    for (const auto& c : first) {
        p[i++] = ILPixel32(c[0], c[1], c[2], 0);
    }
    // The six-level cube without its first six colours and without white.
    const std::uint8_t levels[6] = {0, 81, 133, 177, 217, 255};
    for (int k = 6; k < 215; ++k) {
        p[i++] = ILPixel32(levels[k / 36], levels[k / 6 % 6], levels[k % 6], 0);
    }
    p[63] = ILPixel32(81, 133, 55, 0);
    for (int grey = 196; grey <= 253; grey += 3) {
        p[i++] = ILPixel32(grey, grey, grey, 0);
    }
    const std::uint8_t last[11][3] = {{207, 207, 155}, {240, 251, 255}, {164, 160, 160}, {128, 128, 128},
                                      {0, 0, 255},     {0, 255, 0},     {0, 255, 255},   {255, 0, 0},
                                      {255, 0, 255},   {255, 255, 0},   {255, 255, 255}};
    for (const auto& c : last) {
        p[i++] = ILPixel32(c[0], c[1], c[2], 0);
    }
    return p;
}

std::uint8_t Clamp(int value)
{
    return static_cast<std::uint8_t>(std::clamp(value, 0, 255));
}

ILPixel32 SourcePixel(const ILBmp& source, int x, int y)
{
    ILPixel32 pixel;
    std::memcpy(&pixel, source.GetLineArray()[y] + 4 * x, 4);
    return pixel;
}

// One application: the cell histogram, the palette methods and the cached mapping.
class Quantizer
{
public:
    Quantizer() : m_counts(kCells, 0), m_index(kCells, -1) {}

    void CountCells(const ILBmp& source);
    void MedianCut(ILPixel32* palette) const;
    void Popularity(ILPixel32* palette) const;
    std::uint8_t Map(const ILPixel32* palette, int red, int green, int blue);

private:
    struct Box
    {
        Colour5 min{};
        Colour5 max{};
        Colour5 average{};
        unsigned count = 0;
    };

    void Shrink(Box& box) const;
    static void Split(Box& chosen, Box& added);

    std::vector<std::uint16_t> m_counts;
    std::vector<std::int16_t> m_index;
};

void Quantizer::CountCells(const ILBmp& source)
{
    for (int y = 0; y < source.GetHeight(); ++y) {
        for (int x = 0; x < source.GetWidth(); ++x) {
            const ILPixel32 p = SourcePixel(source, x, y);
            std::uint16_t& count = m_counts[static_cast<std::size_t>(CellOf(p.r, p.g, p.b))];
            if (count < kMaxCount) {
                ++count;
            }
        }
    }
}

void Quantizer::Shrink(Box& box) const
{
    Colour5 low = {31, 31, 31};
    Colour5 high = {0, 0, 0};
    std::uint64_t sum[3] = {0, 0, 0};
    std::uint64_t total = 0;
    Colour5 c;
    for (c[0] = box.min[0]; c[0] <= box.max[0]; ++c[0]) {
        for (c[1] = box.min[1]; c[1] <= box.max[1]; ++c[1]) {
            for (c[2] = box.min[2]; c[2] <= box.max[2]; ++c[2]) {
                const unsigned count = m_counts[static_cast<std::size_t>(CellOf(c))];
                if (count == 0) {
                    continue;
                }
                for (int k = 0; k < 3; ++k) {
                    low[k] = std::min(low[k], c[k]);
                    high[k] = std::max(high[k], c[k]);
                    sum[k] += static_cast<std::uint64_t>(c[k]) * count;
                }
                total += count;
            }
        }
    }
    box.min = low;
    box.max = high;
    box.average = {0, 0, 0};
    if (total > 0) {
        for (int k = 0; k < 3; ++k) {
            box.average[k] = static_cast<int>(sum[k] / total);
        }
    }
    box.count = static_cast<unsigned>(std::min<std::uint64_t>(total, kMaxCount));
    if (low == high) {
        box.count = 1;
    }
}

void Quantizer::Split(Box& chosen, Box& added)
{
    const int red = chosen.max[0] - chosen.min[0];
    const int green = chosen.max[1] - chosen.min[1];
    const int blue = chosen.max[2] - chosen.min[2];
    const int axis = (red >= green && red >= blue) ? 0 : (green < blue ? 2 : 1);
    if (chosen.max[axis] - chosen.min[axis] == 2) {
        // The middle value goes to neither box.
        added.max[axis] = added.min[axis];
        chosen.min[axis] = chosen.max[axis];
        return;
    }
    int v = chosen.average[axis];
    if (v == chosen.max[axis]) {
        --v;
    }
    chosen.max[axis] = v;
    added.min[axis] = v + 1;
}

void Quantizer::MedianCut(ILPixel32* palette) const
{
    std::vector<Box> boxes(ILFilterQuantize::kColours);
    for (int i = 0; i < 8; ++i) {
        boxes[i].min = boxes[i].max = boxes[i].average = kCorners[i];
        boxes[i].count = 1;
    }
    boxes[8].max = {31, 31, 31};
    Shrink(boxes[8]);
    for (int n = 9; n < ILFilterQuantize::kColours; ++n) {
        int chosen = 8;
        for (int i = 9; i < n; ++i) {
            if (boxes[i].count > boxes[chosen].count) {
                chosen = i;
            }
        }
        if (boxes[chosen].count < 2) {
            break;  // boxes n and later stay empty
        }
        boxes[n] = boxes[chosen];
        Split(boxes[chosen], boxes[n]);
        Shrink(boxes[chosen]);
        Shrink(boxes[n]);
    }
    for (int i = 0; i < ILFilterQuantize::kColours; ++i) {
        const Box& b = boxes[i];
        palette[i] = ILPixel32(static_cast<std::uint8_t>((b.min[0] + b.max[0]) * 255 / 62),
                               static_cast<std::uint8_t>((b.min[1] + b.max[1]) * 255 / 62),
                               static_cast<std::uint8_t>((b.min[2] + b.max[2]) * 255 / 62), 0);
    }
}

void Quantizer::Popularity(ILPixel32* palette) const
{
    // Entries 8 and later hold the most frequent cells in falling order; entries that no
    // cell fills stay black, a duplicate of entry 0 that the nearest search never prefers.
    std::array<Colour5, ILFilterQuantize::kColours> colours{};
    std::array<unsigned, ILFilterQuantize::kColours> counts{};
    std::copy(std::begin(kCorners), std::end(kCorners), colours.begin());
    Colour5 c;
    for (c[0] = 0; c[0] < 32; ++c[0]) {
        for (c[1] = 0; c[1] < 32; ++c[1]) {
            for (c[2] = 0; c[2] < 32; ++c[2]) {
                const unsigned count = m_counts[static_cast<std::size_t>(CellOf(c))];
                if (count <= counts[255]) {
                    continue;
                }
                colours[255] = c;
                counts[255] = count;
                for (int i = 255; i >= 9 && counts[i] > counts[i - 1]; --i) {
                    std::swap(colours[i], colours[i - 1]);
                    std::swap(counts[i], counts[i - 1]);
                }
            }
        }
    }
    for (int i = 0; i < ILFilterQuantize::kColours; ++i) {
        palette[i] = ILPixel32(static_cast<std::uint8_t>(colours[i][0] * 255 / 31),
                               static_cast<std::uint8_t>(colours[i][1] * 255 / 31),
                               static_cast<std::uint8_t>(colours[i][2] * 255 / 31), 0);
    }
}

std::uint8_t Quantizer::Map(const ILPixel32* palette, int red, int green, int blue)
{
    std::int16_t& cached = m_index[static_cast<std::size_t>(CellOf(red, green, blue))];
    if (cached >= 0) {
        return static_cast<std::uint8_t>(cached);
    }
    int best = 0;
    int bestDistance = 0;
    for (int i = 0; i < ILFilterQuantize::kColours; ++i) {
        const int dr = red - palette[i].r;
        const int dg = green - palette[i].g;
        const int db = blue - palette[i].b;
        const int distance = dr * dr + dg * dg + db * db;
        if (i == 0 || distance < bestDistance) {
            best = i;
            bestDistance = distance;
        }
    }
    cached = static_cast<std::int16_t>(best);
    return static_cast<std::uint8_t>(best);
}

void MapPlain(const ILBmp& source, ILBmp& destination, Quantizer& quantizer)
{
    const ILPixel32* palette = destination.GetPalette();
    for (int y = 0; y < source.GetHeight(); ++y) {
        std::uint8_t* row = destination.GetLineArray()[y];
        for (int x = 0; x < source.GetWidth(); ++x) {
            const ILPixel32 p = SourcePixel(source, x, y);
            row[x] = quantizer.Map(palette, p.r, p.g, p.b);
        }
    }
}

void MapOrdered(const ILBmp& source, ILBmp& destination, Quantizer& quantizer)
{
    const ILPixel32* palette = destination.GetPalette();
    const int width = source.GetWidth();
    for (int y = 0; y < source.GetHeight(); ++y) {
        std::uint8_t* row = destination.GetLineArray()[y];
        for (int x = 0; x < width; ++x) {
            const int offset = 2 * kOrderedMatrix[(width - 1 - x) % 4][y % 4];
            const ILPixel32 p = SourcePixel(source, x, y);
            row[x] = quantizer.Map(palette, Clamp(p.r + offset), Clamp(p.g + offset), Clamp(p.b + offset));
        }
    }
}

// Serpentine error diffusion: even rows run left to right, odd rows right to left. The
// error rows have a spare cell at each end so that no pixel needs a border test.
void MapFloydSteinberg(const ILBmp& source, ILBmp& destination, Quantizer& quantizer)
{
    const ILPixel32* palette = destination.GetPalette();
    const int width = source.GetWidth();
    std::vector<double> current(static_cast<std::size_t>(width + 2) * 3, 0.0);
    std::vector<double> next(current.size(), 0.0);
    auto at = [](std::vector<double>& errors, int cell, int k) -> double& {
        return errors[static_cast<std::size_t>(cell) * 3 + static_cast<std::size_t>(k)];
    };
    for (int y = 0; y < source.GetHeight(); ++y) {
        std::fill(next.begin(), next.end(), 0.0);
        std::uint8_t* row = destination.GetLineArray()[y];
        const int step = y % 2 == 0 ? 1 : -1;
        for (int i = 0; i < width; ++i) {
            const int x = step > 0 ? i : width - 1 - i;
            const int cell = x + 1;
            const ILPixel32 p = SourcePixel(source, x, y);
            const int components[3] = {p.r, p.g, p.b};
            double value[3];
            for (int k = 0; k < 3; ++k) {
                value[k] = std::clamp(components[k] + at(current, cell, k), 0.0, 255.0);
            }
            const std::uint8_t index = quantizer.Map(palette, static_cast<int>(value[0]), static_cast<int>(value[1]),
                                                     static_cast<int>(value[2]));
            row[x] = index;
            const int chosen[3] = {palette[index].r, palette[index].g, palette[index].b};
            for (int k = 0; k < 3; ++k) {
                const double e = (value[k] - chosen[k]) / 16.0;
                at(current, cell + step, k) += 7 * e;
                at(next, cell - step, k) += 3 * e;
                at(next, cell, k) += 5 * e;
                at(next, cell + step, k) = e;
            }
        }
        std::swap(current, next);
    }
}

}  // namespace

ILFilterQuantize::ILFilterQuantize(int ditherPaletteType, int ditherType)
    : m_ditherPaletteType(ditherPaletteType), m_ditherType(ditherType)
{
}

ILFilterQuantize::~ILFilterQuantize() = default;

void ILFilterQuantize::SetUserPalette(const ILPixel32* entries)
{
    if (entries == nullptr) {
        m_userPalette.reset();
        return;
    }
    m_userPalette = std::make_unique<ILPixel32[]>(kColours);
    std::copy(entries, entries + kColours, m_userPalette.get());
}

const ILPixel32* ILFilterQuantize::GetDefaultPalette()
{
    static const std::array<ILPixel32, kColours> palette = MakeDefaultPalette();
    return palette.data();
}

void ILFilterQuantize::Apply(const ILBmp& source, ILBmp& destination) const
{
    if (source.GetBitsPerPixel() != 32) {
        throw ILTextException(ILTextException::notSupported, "Only 32-bit images can be quantized.");
    }
    if (m_ditherPaletteType < paletteMedianCut || m_ditherPaletteType > paletteUser ||
        m_ditherType < ditherNone || m_ditherType > ditherFloydSteinberg) {
        throw ILTextException(ILTextException::notSupported, "Unknown quantization method.");
    }
    if (&source == &destination) {
        const ILAnyBmp original(source);
        Apply(original, destination);
        return;
    }
    destination.CreateFromData(source.GetWidth(), source.GetHeight(), 8, false, false, nullptr, 0,
                               source.GetResolution());
    ILPixel32* palette = destination.GetPalette();
    Quantizer quantizer;
    switch (m_ditherPaletteType) {
    case paletteMedianCut:
        quantizer.CountCells(source);
        quantizer.MedianCut(palette);
        break;
    case palettePopularity:
        quantizer.CountCells(source);
        quantizer.Popularity(palette);
        break;
    default: {
        const ILPixel32* chosen = m_ditherPaletteType == paletteUser && m_userPalette ? m_userPalette.get()
                                                                                       : GetDefaultPalette();
        std::copy(chosen, chosen + kColours, palette);
        break;
    }
    }
    switch (m_ditherType) {
    case ditherNone:
        MapPlain(source, destination, quantizer);
        break;
    case ditherOrdered:
        MapOrdered(source, destination, quantizer);
        break;
    default:
        MapFloydSteinberg(source, destination, quantizer);
        break;
    }
}
