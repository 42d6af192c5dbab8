#include "imaging/2passscale.h"

#include <cmath>
#include <cstring>

#include "imaging/ilcontribdef.h"

namespace {

// One 4-byte pixel summed byte by byte with integer weights.
struct CDataRGBA_UBYTE
{
    std::uint32_t sum[4] = {0, 0, 0, 0};

    void Add(const std::uint8_t* pixel, int weight)
    {
        const auto w = static_cast<std::uint32_t>(weight);
        sum[0] += pixel[0] * w;
        sum[1] += pixel[1] * w;
        sum[2] += pixel[2] * w;
        sum[3] += pixel[3] * w;
    }
    void Store(std::uint8_t* pixel) const
    {
        for (int i = 0; i < 4; ++i) {
            pixel[i] = static_cast<std::uint8_t>((sum[i] + 128) / 256);
        }
    }
};

}  // namespace

std::vector<C2PassScale::Contribution> C2PassScale::CalcContributions(int sourceSize, int destSize) const
{
    std::vector<Contribution> table(static_cast<std::size_t>(destSize > 0 ? destSize : 0));
    if (sourceSize <= 0) {
        return table;
    }
    const double scale = static_cast<double>(destSize) / static_cast<double>(sourceSize);
    const bool shrinking = scale < 1.0;
    const double width = shrinking ? m_contrib.GetWidth() / scale : m_contrib.GetWidth();
    const double factor = shrinking ? scale : 1.0;
    const int window = 2 * static_cast<int>(std::ceil(width)) + 1;
    for (int i = 0; i < destSize; ++i) {
        const double center = (i + 0.5) / scale - 0.5;
        Contribution& entry = table[static_cast<std::size_t>(i)];
        entry.left = static_cast<int>(std::floor(center - width));
        if (entry.left < 0) {
            entry.left = 0;
        }
        entry.right = static_cast<int>(std::ceil(center + width));
        if (entry.right >= sourceSize - 1) {
            entry.right = sourceSize - 1;
        }
        if (entry.right - entry.left + 1 > window) {
            ++entry.left;
        }
        int total = 0;
        for (int j = entry.left; j <= entry.right; ++j) {
            const auto weight = static_cast<int>(m_contrib.Filter((center - j) * factor) * factor * 256.0);
            entry.weights.push_back(weight);
            total += weight;
        }
        if (total > 0) {
            int sum = 0;
            for (std::size_t k = 0; k + 1 < entry.weights.size(); ++k) {
                entry.weights[k] = entry.weights[k] * 256 / total;
                sum += entry.weights[k];
            }
            entry.weights.back() = 256 - sum;
        }
    }
    return table;
}

std::uint8_t* const* C2PassScale::Scale(const std::uint8_t* const* source, int sourceWidth, int sourceHeight,
                                        std::uint8_t* const* destination, int destWidth, int destHeight)
{
    m_cancelled = false;
    if (destWidth <= 0 || destHeight <= 0) {
        return destination;
    }
    if (sourceWidth <= 0 || sourceHeight <= 0) {
        for (int y = 0; y < destHeight; ++y) {
            std::memset(destination[y], 0, static_cast<std::size_t>(destWidth) * 4);
        }
        return destination;
    }
    const std::size_t rowBytes = static_cast<std::size_t>(destWidth) * 4;
    std::vector<std::uint8_t> block(rowBytes * static_cast<std::size_t>(sourceHeight));
    std::vector<std::uint8_t*> narrowed(static_cast<std::size_t>(sourceHeight));
    for (std::size_t y = 0; y < narrowed.size(); ++y) {
        narrowed[y] = block.data() + y * rowBytes;
    }
    ScaleRows(source, sourceWidth, sourceHeight, narrowed.data(), destWidth);
    if (!m_cancelled) {
        ScaleColumns(narrowed.data(), sourceHeight, destination, destHeight, destWidth);
    }
    return m_cancelled ? nullptr : destination;
}

void C2PassScale::ScaleRows(const std::uint8_t* const* source, int sourceWidth, int height,
                            std::uint8_t* const* destination, int destWidth)
{
    const std::vector<Contribution> table = CalcContributions(sourceWidth, destWidth);
    for (int y = 0; y < height; ++y) {
        if (!ReportProgress(y, height, 0)) {
            return;
        }
        if (sourceWidth == destWidth) {
            std::memcpy(destination[y], source[y], static_cast<std::size_t>(destWidth) * 4);
            continue;
        }
        for (int x = 0; x < destWidth; ++x) {
            const Contribution& entry = table[static_cast<std::size_t>(x)];
            CDataRGBA_UBYTE pixel;
            for (int j = entry.left; j <= entry.right; ++j) {
                pixel.Add(source[y] + 4 * j, entry.weights[static_cast<std::size_t>(j - entry.left)]);
            }
            pixel.Store(destination[y] + 4 * x);
        }
    }
}

void C2PassScale::ScaleColumns(const std::uint8_t* const* source, int sourceHeight, std::uint8_t* const* destination,
                               int destHeight, int width)
{
    const std::vector<Contribution> table = CalcContributions(sourceHeight, destHeight);
    std::vector<CDataRGBA_UBYTE> row(static_cast<std::size_t>(width));
    for (int y = 0; y < destHeight; ++y) {
        if (!ReportProgress(y, destHeight, 50)) {
            return;
        }
        if (sourceHeight == destHeight) {
            std::memcpy(destination[y], source[y], static_cast<std::size_t>(width) * 4);
            continue;
        }
        std::fill(row.begin(), row.end(), CDataRGBA_UBYTE{});
        const Contribution& entry = table[static_cast<std::size_t>(y)];
        for (int j = entry.left; j <= entry.right; ++j) {
            const int weight = entry.weights[static_cast<std::size_t>(j - entry.left)];
            const std::uint8_t* from = source[j];
            for (int x = 0; x < width; ++x) {
                row[static_cast<std::size_t>(x)].Add(from + 4 * x, weight);
            }
        }
        for (int x = 0; x < width; ++x) {
            row[static_cast<std::size_t>(x)].Store(destination[y] + 4 * x);
        }
    }
}

bool C2PassScale::ReportProgress(int done, int total, int base)
{
    if (m_progress == nullptr) {
        return true;
    }
    const auto percent = static_cast<std::uint8_t>(static_cast<double>(done) / total * 50.0 + base);
    if (!m_progress(percent)) {
        m_cancelled = true;
    }
    return !m_cancelled;
}
