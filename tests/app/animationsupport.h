#pragma once
// Runs the view's animation to its end at once: every reading of the clock lies far
// after the one before, so a timed transition ends at its next step and a counted one
// is stepped through. Not for a looping slideshow, which never ends.

#include "app/glimraview.h"
#include "drawapi/animation.h"
#include "render/frametimer.h"

namespace apptest {

inline void RunAnimationToEnd(CGlimraView& view)
{
    static double now = 0.0;
    CFrameTimer::SetClock([] { return now += 1000.0; });
    for (int step = 0; step < 10000 && view.GetAnimation() != nullptr; ++step)
        if (!view.GetAnimation()->Step(&view))
            view.SetAnimation(nullptr);
    CFrameTimer::SetClock(nullptr);
}

}  // namespace apptest
