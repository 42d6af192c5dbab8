#pragma once
// C2PassScale: a separable scaler for rows of 4-byte pixels. It scales every row to the
// new width first, then every column of the narrowed image to the new height. Weights are
// integers scaled by 256, precomputed once per pass.

#include <cstdint>
#include <vector>

class ILContribDef;

class C2PassScale
{
public:
    // Receives 0..100 before each row; returning false cancels the scaling.
    using ProgressFunc = bool (*)(std::uint8_t percent);

    // The contribution definition is borrowed and must outlive the scaler.
    explicit C2PassScale(const ILContribDef& contrib, ProgressFunc progress = nullptr)
        : m_contrib(contrib), m_progress(progress)
    {
    }
    virtual ~C2PassScale() = default;

    // Scales the source rows (4 bytes a pixel) into the destination rows, which must hold
    // destWidth × destHeight pixels. Returns the destination rows, or null when cancelled.
    std::uint8_t* const* Scale(const std::uint8_t* const* source, int sourceWidth, int sourceHeight,
                               std::uint8_t* const* destination, int destWidth, int destHeight);

    // For each destination index, the source span and its integer weights (summing to 256
    // unless every weight truncated to 0).
    struct Contribution
    {
        int left = 0;
        int right = -1;
        std::vector<int> weights;
    };
    [[nodiscard]] std::vector<Contribution> CalcContributions(int sourceSize, int destSize) const;

private:
    void ScaleRows(const std::uint8_t* const* source, int sourceWidth, int height, std::uint8_t* const* destination,
                   int destWidth);
    // Walks the destination row by row so that both images are read along their rows.
    void ScaleColumns(const std::uint8_t* const* source, int sourceHeight, std::uint8_t* const* destination,
                      int destHeight, int width);
    [[nodiscard]] bool ReportProgress(int done, int total, int base);

    const ILContribDef& m_contrib;
    ProgressFunc m_progress;
    bool m_cancelled = false;
};
