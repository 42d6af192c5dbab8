#include "imaging/ilfilterboxreduce.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <vector>

#include "imaging/ilbmp.h"
#include "imaging/ilpixel24.h"
#include "imaging/iltextexception.h"

namespace {

struct Sum
{
    std::uint64_t r = 0;
    std::uint64_t g = 0;
    std::uint64_t b = 0;
    std::uint64_t a = 0;

    void Add(std::uint64_t red, std::uint64_t green, std::uint64_t blue, std::uint64_t alpha)
    {
        r += red;
        g += green;
        b += blue;
        a += alpha;
    }

    void AddTimes(const ILPixel32& p, std::uint64_t times)
    {
        r += p.r * times;
        g += p.g * times;
        b += p.b * times;
        a += p.a * times;
    }

    // The rounded mean of `count` pixels.
    [[nodiscard]] ILPixel32 Mean(std::uint64_t count) const
    {
        const std::uint64_t half = count / 2;
        return ILPixel32(static_cast<std::uint8_t>((r + half) / count), static_cast<std::uint8_t>((g + half) / count),
                         static_cast<std::uint8_t>((b + half) / count), static_cast<std::uint8_t>((a + half) / count));
    }
};

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
template <int Depth>
void AddRow(const std::uint8_t* row, const std::vector<int>& starts, const ILPixel32* palette, std::vector<Sum>& sums)
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
        sums[box].Add(r, g, b, a);
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

}  // namespace

void ILFilterBoxReduce::Apply(const ILBmp& source, ILBmp& destination) const
{
    const int depth = source.GetBitsPerPixel();
    if (depth != 1 && depth != 8 && depth != 24 && depth != 32) {
        throw ILTextException(ILTextException::notSupported, "Only 1-, 8-, 24- and 32-bit images can be reduced.");
    }
    if (&source == &destination) {
        ApplyInPlace(destination);
        return;
    }
    const int width = source.GetWidth();
    const int height = source.GetHeight();
    const int newWidth = std::clamp(m_newWidth, 1, std::max(width, 1));
    const int newHeight = std::clamp(m_newHeight, 1, std::max(height, 1));
    destination.CreateFromData(newWidth, newHeight, 32, source.HasAlpha(), false, nullptr, 0, source.GetResolution());
    if (width < 1 || height < 1) {
        return;
    }
    std::vector<int> starts(static_cast<std::size_t>(newWidth) + 1);
    std::vector<int> column(static_cast<std::size_t>(width));
    for (int tx = 0; tx <= newWidth; ++tx) {
        starts[static_cast<std::size_t>(tx)] = BoxStart(tx, width, newWidth);
    }
    for (int tx = 0; tx < newWidth; ++tx) {
        std::fill(column.begin() + starts[static_cast<std::size_t>(tx)],
                  column.begin() + starts[static_cast<std::size_t>(tx) + 1], tx);
    }
    std::vector<Sum> sums(static_cast<std::size_t>(newWidth));
    std::vector<std::uint64_t> ones(static_cast<std::size_t>(newWidth));
    const std::uint8_t* const* rows = source.GetLineArray();
    const ILPixel32* palette = source.GetPalette();
    for (int ty = 0; ty < newHeight; ++ty) {
        std::fill(sums.begin(), sums.end(), Sum{});
        std::fill(ones.begin(), ones.end(), 0);
        const int top = BoxStart(ty, height, newHeight);
        const int bottom = BoxStart(ty + 1, height, newHeight);
        for (int y = top; y < bottom; ++y) {
            switch (depth) {
            case 1:
                CountOnes(rows[y], width, column, ones);
                break;
            case 8:
                AddRow<8>(rows[y], starts, palette, sums);
                break;
            case 24:
                AddRow<24>(rows[y], starts, palette, sums);
                break;
            default:
                AddRow<32>(rows[y], starts, palette, sums);
                break;
            }
        }
        auto* out = reinterpret_cast<ILPixel32*>(destination.GetLineArray()[ty]);
        for (int tx = 0; tx < newWidth; ++tx) {
            const auto box = static_cast<std::size_t>(tx);
            const auto boxWidth = static_cast<std::uint64_t>(starts[box + 1] - starts[box]);
            const std::uint64_t count = static_cast<std::uint64_t>(bottom - top) * boxWidth;
            Sum& sum = sums[box];
            if (depth == 1) {
                sum.AddTimes(palette[1], ones[box]);
                sum.AddTimes(palette[0], count - ones[box]);
            }
            out[tx] = sum.Mean(count);
        }
    }
}
