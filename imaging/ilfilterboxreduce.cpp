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

    void Add(const ILPixel32& p)
    {
        r += p.r;
        g += p.g;
        b += p.b;
        a += p.a;
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

// A source row of 8, 24 or 32 bits as 32-bit pixels.
void ExpandRow(const ILBmp& bmp, const std::uint8_t* row, std::vector<ILPixel32>& out)
{
    const int width = bmp.GetWidth();
    const ILPixel32* palette = bmp.GetPalette();
    switch (bmp.GetBitsPerPixel()) {
    case 8:
        for (int x = 0; x < width; ++x) {
            out[static_cast<std::size_t>(x)] = palette[row[x]];
        }
        break;
    case 24:
        for (int x = 0; x < width; ++x) {
            const auto& p = reinterpret_cast<const ILPixel24*>(row)[x];
            out[static_cast<std::size_t>(x)] = ILPixel32(p.r, p.g, p.b, 255);
        }
        break;
    default:
        std::copy_n(reinterpret_cast<const ILPixel32*>(row), width, out.begin());
        break;
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
    std::vector<int> column(static_cast<std::size_t>(width));
    for (int tx = 0; tx < newWidth; ++tx) {
        std::fill(column.begin() + BoxStart(tx, width, newWidth), column.begin() + BoxStart(tx + 1, width, newWidth),
                  tx);
    }
    std::vector<Sum> sums(static_cast<std::size_t>(newWidth));
    std::vector<std::uint64_t> ones(static_cast<std::size_t>(newWidth));
    std::vector<ILPixel32> expanded(static_cast<std::size_t>(width));
    const std::uint8_t* const* rows = source.GetLineArray();
    for (int ty = 0; ty < newHeight; ++ty) {
        std::fill(sums.begin(), sums.end(), Sum{});
        std::fill(ones.begin(), ones.end(), 0);
        const int top = BoxStart(ty, height, newHeight);
        const int bottom = BoxStart(ty + 1, height, newHeight);
        for (int y = top; y < bottom; ++y) {
            if (depth == 1) {
                CountOnes(rows[y], width, column, ones);
                continue;
            }
            ExpandRow(source, rows[y], expanded);
            for (int x = 0; x < width; ++x) {
                sums[static_cast<std::size_t>(column[static_cast<std::size_t>(x)])].Add(
                    expanded[static_cast<std::size_t>(x)]);
            }
        }
        auto* out = reinterpret_cast<ILPixel32*>(destination.GetLineArray()[ty]);
        for (int tx = 0; tx < newWidth; ++tx) {
            const auto boxWidth =
                static_cast<std::uint64_t>(BoxStart(tx + 1, width, newWidth) - BoxStart(tx, width, newWidth));
            const std::uint64_t count = static_cast<std::uint64_t>(bottom - top) * boxWidth;
            Sum& sum = sums[static_cast<std::size_t>(tx)];
            if (depth == 1) {
                const std::uint64_t set = ones[static_cast<std::size_t>(tx)];
                sum.AddTimes(source.GetPalette()[1], set);
                sum.AddTimes(source.GetPalette()[0], count - set);
            }
            out[tx] = sum.Mean(count);
        }
    }
}
