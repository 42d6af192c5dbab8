#pragma once
// The times of page transitions and slides come from model files and may hold any
// double. A page keeps its own times as they were stored, so that saving the model
// again writes them back unchanged; only a time that is not a number or infinite is
// repaired where it is read. Whatever a page or an option holds, the transition and
// the slideshow bound what they play: a huge time would otherwise stall the show or
// overflow the view's timer.
//
// The bounds keep a show usable. A transition steps 25 times a second; stretched past
// two minutes its camera moves too little between steps to be seen, and the show looks
// stuck. A slide held ten minutes still suits a page left up on a stand; a longer hold
// reads as a frozen show.
#include <algorithm>
#include <cmath>

#include "foundation/repairnotes.h"

inline constexpr double kMaxTransitionSeconds = 120.0;
inline constexpr double kMaxSlideSeconds = 600.0;

// An option's time: the default when it is not finite, 0 when it is negative.
[[nodiscard]] inline double RepairedOptionSeconds(double seconds, double fallback)
{
    return std::isfinite(seconds) ? std::max(seconds, 0.0) : fallback;
}

// An option's time that may be negative: the default when it is not finite, every finite
// time as stored. The global slide time is such a time: a negative one, under a page
// without a time of its own, makes a slide reached without a transition hold for the
// transition time instead.
[[nodiscard]] inline double RepairedSignedOptionSeconds(double seconds, double fallback)
{
    return std::isfinite(seconds) ? seconds : fallback;
}

// A page's own time, where a negative one means "none of its own": a time that is not
// finite is none; every other time is kept exactly.
[[nodiscard]] inline double RepairedPageSeconds(double seconds)
{
    return std::isfinite(seconds) ? seconds : -1.0;
}

// RepairedPageSeconds on a time read from a file, saying when it mended it.
inline void MendPageSeconds(double& seconds)
{
    (void)MendNotFinite(seconds, -1.0,
                        "a page's own transition or slide time is not a finite number; the page takes the "
                        "options' time");
}

// The time a transition or a slide plays: within [0, maximum], 0 when not a number.
[[nodiscard]] inline double PlayedSeconds(double seconds, double maximum)
{
    return std::isnan(seconds) ? 0.0 : std::clamp(seconds, 0.0, maximum);
}
