#pragma once
// The times of page transitions and slides come from model files. A time that is not a
// number, infinite or huge would stop the slideshow for good or overflow the steps of a
// transition, so every such time is bounded before it is used.
#include <algorithm>
#include <cmath>

inline constexpr double kMaxAnimationSeconds = 3600.0;

// An option's time: within [0, kMaxAnimationSeconds]; the default when it is not finite.
[[nodiscard]] inline double BoundedOptionSeconds(double seconds, double fallback)
{
    return std::isfinite(seconds) ? std::clamp(seconds, 0.0, kMaxAnimationSeconds) : fallback;
}

// A page's own time, where a negative one means "none of its own": a time that is not
// finite is none, a huge one is cut to the maximum.
[[nodiscard]] inline double BoundedPageSeconds(double seconds)
{
    return std::isfinite(seconds) ? std::min(seconds, kMaxAnimationSeconds) : -1.0;
}
