#include "render/framecost.h"

#include <algorithm>

void CFrameCost::RecordWhole(int level, std::uint64_t units, double seconds)
{
    if (units == 0 || !(seconds >= 0.0)) {
        return;
    }
    m_levelUnits[static_cast<std::size_t>(std::clamp(level, 0, kLevels - 1))] = units;
    m_samples[static_cast<std::size_t>(m_next)] = {units, seconds};
    m_next = (m_next + 1) % kMeasuredFrames;
}

void CFrameCost::RecordCut(int level, std::uint64_t units, double seconds)
{
    if (units == 0 || !(seconds > 0.0)) {
        return;
    }
    m_cutSecondsPerUnit[static_cast<std::size_t>(std::clamp(level, 0, kLevels - 1))] =
        seconds / static_cast<double>(units);
}

void CFrameCost::Forget()
{
    *this = CFrameCost();
}

double CFrameCost::GetSecondsPerUnit() const
{
    std::uint64_t units = 0;
    double seconds = 0.0;
    for (const Sample& sample : m_samples) {
        units += sample.units;
        seconds += sample.seconds;
    }
    return units == 0 ? kNominalSecondsPerUnit : seconds / static_cast<double>(units);
}

std::uint64_t CFrameCost::GetExpectedUnits(int level, std::uint64_t counted) const
{
    std::uint64_t fewest = 0;
    for (int at = std::clamp(level, 0, kLevels - 1); at < kLevels; ++at) {
        const std::uint64_t units = m_levelUnits[static_cast<std::size_t>(at)];
        if (units != 0 && (fewest == 0 || units < fewest)) {
            fewest = units;
        }
    }
    return fewest != 0 ? fewest : counted;
}

std::uint64_t CFrameCost::GetMovingBudget(int level, int lowest, std::uint64_t counted,
                                          std::uint64_t stillBudget) const
{
    const double perUnit = GetSecondsPerUnit();
    const double expected = static_cast<double>(GetExpectedUnits(lowest, counted)) * perUnit;
    if (expected <= kMovingFrameSeconds || perUnit <= 0.0) {
        return stillBudget;
    }
    const double cut = m_cutSecondsPerUnit[static_cast<std::size_t>(std::clamp(level, 0, kLevels - 1))];
    const double units = kMovingFrameSeconds / (cut > 0.0 ? cut : perUnit);
    if (units >= static_cast<double>(stillBudget)) {
        return stillBudget;
    }
    return std::max<std::uint64_t>(static_cast<std::uint64_t>(units), 1);
}
