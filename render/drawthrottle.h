#pragma once
// CDrawThrottle: keeps the driver at most two windows of draws behind the view while a
// frame is drawn. A driver that bins a frame's draws before its threads fill the pixels
// takes draws far faster than it fills them; a model of many instances, each a few draws
// with a state of its own, would have it hold every draw of the frame, with a copy of
// that state each, until its threads catch up. Waiting on a fence one window back leaves
// the order of the draws and so every pixel as it was, and costs no time where filling is
// the slower part anyway.
//
// A window also closes once the frame meter has weighed so much work since it opened: a
// few draws of thousands of screen-filling triangles each would otherwise queue more
// filling than the driver's threads do in many seconds, and a quit would wait for all of
// it when the context goes.
//
// Without sync objects in the context the throttle does nothing. User-interface thread
// only, with the view's context current from Begin to End.

#include <GL/gl.h>
#include <GL/glext.h>

#include <cstdint>

class CDrawThrottle
{
public:
    // Draws in one window: a fence after so few costs the driver a flush each, one after
    // many lets it gather that many draws' states.
    static constexpr int kDrawsPerWindow = 256;
    // Frame-meter units in one window: a hundredth of a second of work or so. The driver's
    // threads start filling soon after the frame starts sending, and what it keeps of
    // the windows queued stays small: with four times as much the first frame of a
    // million-triangle mesh came later and held some 80 MB more.
    static constexpr std::uint64_t kUnitsPerWindow = std::uint64_t{1} << 18;

    CDrawThrottle() = default;
    CDrawThrottle(const CDrawThrottle&) = delete;
    CDrawThrottle& operator=(const CDrawThrottle&) = delete;

    // Counts the draws from now on, in the current context.
    void Begin();
    // One more draw sent to GL: at the end of a window (by draws, or by the units the
    // frame meter counted since it opened) a fence is set and the fence of the window
    // before is waited for (a while at most, so that a driver that never signals slows
    // the frame instead of stopping it; no longer once a quit is asked for).
    void NoteDraw();
    // Stops counting and lets go of the fence; the frame's own flush sends what is left.
    void End();

private:
    void Forget();

    bool m_counting = false;
    int m_draws = 0;
    std::uint64_t m_windowStart = 0;
    GLsync m_fence = nullptr;
};
