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

double CFrameCost::GetExpectedSeconds(int level, std::uint64_t counted) const
{
    return static_cast<double>(GetExpectedUnits(level, counted)) * GetSecondsPerUnit();
}

bool CFrameCost::IsTooSlowToMove(int lowest, std::uint64_t counted) const
{
    return GetExpectedSeconds(lowest, counted) > kMovingFrameSeconds;
}
