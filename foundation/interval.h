#pragma once
// CInterval: a closed range of doubles. The empty interval is (+1e30, -1e30); an
// interval is empty whenever its maximum is below its minimum.

#include "foundation/tolerance.h"

struct CInterval
{
    double min = kUnbounded;
    double max = -kUnbounded;

    // The empty interval.
    CInterval() = default;
    CInterval(double minValue, double maxValue) : min(minValue), max(maxValue) {}

    void SetEmpty();
    [[nodiscard]] bool IsEmpty() const { return max < min; }

    // The common part; empty unless both are non-empty and overlap. Intervals that
    // touch give a one-point interval.
    void Intersect(const CInterval& other, CInterval& result) const;
    // Grows by tol at both ends; an empty interval stays empty.
    void Expand(double tol);

    // Both bounds finite; the empty interval is valid.
    [[nodiscard]] bool IsValid() const;
};

// Both non-empty and overlapping, touching included.
[[nodiscard]] bool IntervalsOverlap(const CInterval& first, const CInterval& second);
