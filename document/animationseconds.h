#pragma once
// The times of page transitions and slides come from model files. A time that is not a
// number, infinite or huge would stop the slideshow for good or overflow the steps of a
// transition, so every such time is bounded before it is used.
//
// The bounds keep a show usable. A transition steps 25 times a second; stretched past
// two minutes its camera moves too little between steps to be seen, and the show looks
// stuck. A slide held ten minutes still suits a page left up on a stand; a longer hold
// reads as a frozen show.
#include <algorithm>
#include <cmath>

inline constexpr double kMaxTransitionSeconds = 120.0;
inline constexpr double kMaxSlideSeconds = 600.0;

// An option's time: within [0, maximum]; the default when it is not finite.
[[nodiscard]] inline double BoundedOptionSeconds(double seconds, double fallback, double maximum)
{
    return std::isfinite(seconds) ? std::clamp(seconds, 0.0, maximum) : fallback;
}

// A page's own time, where a negative one means "none of its own": a time that is not
// finite is none, a huge one is cut to the maximum.
[[nodiscard]] inline double BoundedPageSeconds(double seconds, double maximum)
{
    return std::isfinite(seconds) ? std::min(seconds, maximum) : -1.0;
}
