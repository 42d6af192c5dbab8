#pragma once
// CFrameCost: what the frames of the open model cost on this machine, as measured. A
// frame of the view draws whole at its drawing level; only a moving frame that would
// still keep the user waiting at the lowest level the level rule can reach stops, once
// it has drawn for kMovingFrameSeconds. Whether it would comes from whole frames of this
// model: the seconds a unit took, and the units a whole frame took at each drawing level
// (a lower level draws no more than a higher one). Plain state, no GL; user-interface
// thread only.

#include <array>
#include <cstdint>

#include "drawapi/modelview.h"

class CFrameCost
{
public:
    // A moving frame expected to take longer than this at its lowest level stops after it.
    static constexpr double kMovingFrameSeconds = 0.5;
    // Before any whole frame was measured: what a unit takes on a quiet machine under the
    // software rasteriser (0.035-0.06 s per million).
    static constexpr double kNominalSecondsPerUnit = 5e-8;
    // Whole frames whose seconds per unit are averaged.
    static constexpr int kMeasuredFrames = 4;

    // A frame drawn to its end at the level, with the units it charged and the seconds
    // it took.
    void RecordWhole(int level, std::uint64_t units, double seconds);
    // Another model: nothing measured.
    void Forget();

    // The seconds a unit took over the last whole frames; the nominal figure before any.
    [[nodiscard]] double GetSecondsPerUnit() const;
    // The units a whole frame at the level takes at most, as measured: the fewest of the
    // last whole frames at that level or above; counted (the count made at opening) when
    // none was measured.
    [[nodiscard]] std::uint64_t GetExpectedUnits(int level, std::uint64_t counted) const;
    // The seconds those units take at the measured rate.
    [[nodiscard]] double GetExpectedSeconds(int level, std::uint64_t counted) const;
    // Whether a moving frame whose lowest reachable level is lowest would take longer
    // than kMovingFrameSeconds there, by what was measured (the count at opening, at the
    // nominal rate, before anything was).
    [[nodiscard]] bool IsTooSlowToMove(int lowest, std::uint64_t counted) const;

private:
    // Levels 0 to full quality.
    static constexpr int kLevels = IModelView::kFullDrawingLevel + 1;
    // Units of the last whole frame at each level; 0 for none.
    std::array<std::uint64_t, kLevels> m_levelUnits{};
    struct Sample
    {
        std::uint64_t units = 0;
        double seconds = 0.0;
    };
    std::array<Sample, kMeasuredFrames> m_samples{};
    int m_next = 0;
};
