#include "imaging/ilboxreducer.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

#include "imaging/ilanybmp.h"
#include "imaging/ilbmp.h"
#include "imaging/ilpixel24.h"
#include "imaging/iltextexception.h"

namespace {

// The pixel x of a row of 8, 24 or 32 bits.
template <int Depth>
ILPixel32 PixelAt(const std::uint8_t* row, int x, const ILPixel32* palette)
{
    if constexpr (Depth == 8) {
        return palette[row[x]];
    } else if constexpr (Depth == 24) {
        const auto& p = reinterpret_cast<const ILPixel24*>(row)[x];
        return ILPixel32(p.r, p.g, p.b, 255);
    } else {
        return reinterpret_cast<const ILPixel32*>(row)[x];
    }
}

// Adds a row's pixels to the sums of their boxes; each box is summed apart first, so that
// the running sums stay out of the inner loop.
template <int Depth, class Sum>
void AddBoxes(const std::uint8_t* row, const std::vector<int>& starts, const ILPixel32* palette, std::vector<Sum>& sums)
{
    for (std::size_t box = 0; box + 1 < starts.size(); ++box) {
        std::uint64_t r = 0;
        std::uint64_t g = 0;
        std::uint64_t b = 0;
        std::uint64_t a = 0;
        for (int x = starts[box]; x < starts[box + 1]; ++x) {
            const ILPixel32 p = PixelAt<Depth>(row, x, palette);
            r += p.r;
            g += p.g;
            b += p.b;
            a += p.a;
        }
        sums[box].r += r;
        sums[box].g += g;
        sums[box].b += b;
        sums[box].a += a;
    }
}

// Adds the set pixels of a 1-bit row to the counts of their boxes, a byte at a time where
// all eight pixels of the byte fall in one box: a fax page is mostly such bytes.
void CountOnes(const std::uint8_t* row, int width, const std::vector<int>& column, std::vector<std::uint64_t>& ones)
{
    const int wholeBytes = width / 8;
    for (int i = 0; i < wholeBytes; ++i) {
        // Runs of unset pixels add nothing; they are passed over eight bytes at a time.
        if (i % 8 == 0 && i + 8 <= wholeBytes) {
            std::uint64_t word = 0;
            std::memcpy(&word, row + i, sizeof word);
            if (word == 0) {
                i += 7;
                continue;
            }
        }
        const int first = column[static_cast<std::size_t>(8 * i)];
        if (first == column[static_cast<std::size_t>(8 * i + 7)]) {
            ones[static_cast<std::size_t>(first)] += static_cast<std::uint64_t>(std::popcount(row[i]));
            continue;
        }
        for (int x = 8 * i; x < 8 * i + 8; ++x) {
            ones[static_cast<std::size_t>(column[static_cast<std::size_t>(x)])] += (row[i] >> (7 - (x & 7))) & 1;
        }
    }
    for (int x = 8 * wholeBytes; x < width; ++x) {
        ones[static_cast<std::size_t>(column[static_cast<std::size_t>(x)])] += (row[x >> 3] >> (7 - (x & 7))) & 1;
    }
}

// Where box i of `count` boxes over `size` source pixels begins.
int BoxStart(int i, int size, int count)
{
    return static_cast<int>(static_cast<std::int64_t>(i) * size / count);
}

std::uint8_t RoundedMean(std::uint64_t sum, std::uint64_t count)
{
    return static_cast<std::uint8_t>((sum + count / 2) / count);
}

}  // namespace

ILBoxReducer::ILBoxReducer(const ILBmpInfo& source, int newWidth, int newHeight, ILBmp& destination)
    : m_destination(destination),
      m_width(source.GetWidth()),
      m_height(source.GetHeight()),
      m_depth(source.GetBitsPerPixel())
{
    if (!TakesDepth(m_depth)) {
        throw ILTextException(ILTextException::notSupported, "Only 1-, 8-, 24- and 32-bit images can be reduced.");
    }
    m_newWidth = std::clamp(newWidth, 1, std::max(m_width, 1));
    m_newHeight = std::clamp(newHeight, 1, std::max(m_height, 1));
    destination.CreateFromData(m_newWidth, m_newHeight, 32, source.HasAlpha(), false, nullptr, 0,
                               source.GetResolution());
    const int colours = GetNumColors();
    for (int i = 0; i < colours; ++i) {
        const auto grey = static_cast<std::uint8_t>(i * 255 / (colours - 1));
        m_palette[static_cast<std::size_t>(i)] = ILPixel32(grey, grey, grey, 255);
    }
    LayBoxes();
}

bool ILBoxReducer::SetSourceSize(int width, int height)
{
    if (m_row > 0 || width < m_newWidth || height < m_newHeight) {
        return false;
    }
    m_width = width;
    m_height = height;
    LayBoxes();
    return true;
}

int ILBoxReducer::GetRowBytes() const
{
    return ILAnyBmp::BytesPerLineFor(m_width, m_depth);
}

void ILBoxReducer::LayBoxes()
{
    if (m_width < 1 || m_height < 1) {
        return;
    }
    m_starts.assign(static_cast<std::size_t>(m_newWidth) + 1, 0);
    m_column.assign(static_cast<std::size_t>(m_width), 0);
    for (int tx = 0; tx <= m_newWidth; ++tx) {
        m_starts[static_cast<std::size_t>(tx)] = BoxStart(tx, m_width, m_newWidth);
    }
    for (int tx = 0; tx < m_newWidth; ++tx) {
        std::fill(m_column.begin() + m_starts[static_cast<std::size_t>(tx)],
                  m_column.begin() + m_starts[static_cast<std::size_t>(tx) + 1], tx);
    }
    m_sums.assign(static_cast<std::size_t>(m_newWidth), Sum{});
    m_ones.assign(static_cast<std::size_t>(m_newWidth), 0);
    m_boxBottom = BoxStart(1, m_height, m_newHeight);
}

bool ILBoxReducer::TakesDepth(int bitsPerPixel)
{
    return bitsPerPixel == 1 || bitsPerPixel == 8 || bitsPerPixel == 24 || bitsPerPixel == 32;
}

void ILBoxReducer::FitSize(int& width, int& height, int maxSide)
{
    const int longest = std::max(width, height);
    if (width < 1 || height < 1 || longest <= maxSide) {
        return;
    }
    const double scale = static_cast<double>(maxSide) / longest;
    width = std::max(1, static_cast<int>(std::lround(width * scale)));
    height = std::max(1, static_cast<int>(std::lround(height * scale)));
}

void ILBoxReducer::SetPaletteEntry(int index, std::uint8_t red, std::uint8_t green, std::uint8_t blue,
                                   std::uint8_t alpha)
{
    if (index >= 0 && index < GetNumColors()) {
        m_palette[static_cast<std::size_t>(index)] = ILPixel32(red, green, blue, alpha);
    }
}

void ILBoxReducer::SetPalette(const ILPixel32* entries)
{
    std::copy(entries, entries + GetNumColors(), m_palette.begin());
}

void ILBoxReducer::AddRow(const std::uint8_t* row)
{
    if (IsComplete() || m_starts.empty()) {
        return;
    }
    AddPixels(row);
    ++m_row;
    if (m_row == m_boxBottom) {
        WriteDestinationRow();
    }
}

void ILBoxReducer::AddPixels(const std::uint8_t* row)
{
    switch (m_depth) {
    case 1:
        CountOnes(row, m_width, m_column, m_ones);
        break;
    case 8:
        AddBoxes<8>(row, m_starts, m_palette.data(), m_sums);
        break;
    case 24:
        AddBoxes<24>(row, m_starts, m_palette.data(), m_sums);
        break;
    default:
        AddBoxes<32>(row, m_starts, m_palette.data(), m_sums);
        break;
    }
}

void ILBoxReducer::WriteDestinationRow()
{
    const int top = BoxStart(m_destinationRow, m_height, m_newHeight);
    auto* out = reinterpret_cast<ILPixel32*>(m_destination.GetLineArray()[m_destinationRow]);
    for (int tx = 0; tx < m_newWidth; ++tx) {
        const auto box = static_cast<std::size_t>(tx);
        const auto boxWidth = static_cast<std::uint64_t>(m_starts[box + 1] - m_starts[box]);
        const std::uint64_t count = static_cast<std::uint64_t>(m_boxBottom - top) * boxWidth;
        Sum& sum = m_sums[box];
        if (m_depth == 1) {
            // Pixels not set take entry 0, the set ones entry 1.
            const auto addTimes = [&sum](const ILPixel32& entry, std::uint64_t times) {
                sum.r += entry.r * times;
                sum.g += entry.g * times;
                sum.b += entry.b * times;
                sum.a += entry.a * times;
            };
            addTimes(m_palette[1], m_ones[box]);
            addTimes(m_palette[0], count - m_ones[box]);
        }
        out[tx] = ILPixel32(RoundedMean(sum.r, count), RoundedMean(sum.g, count), RoundedMean(sum.b, count),
                            RoundedMean(sum.a, count));
        sum = Sum{};
        m_ones[box] = 0;
    }
    ++m_destinationRow;
    m_boxBottom = BoxStart(m_destinationRow + 1, m_height, m_newHeight);
}
