#pragma once
// CTransitionClock: the clock a transition runs by. Time spent paused does not count,
// so that a transition held for a while goes on where it stopped rather than jump
// ahead. User-interface thread only, like the frame timer it reads.

#include "render/frametimer.h"

class CTransitionClock
{
public:
    // Runs from now, with nothing paused.
    void Start();
    // Holds or resumes the clock; holding it again while it is held changes nothing.
    void Pause(bool paused);
    // Seconds since Start, less the pauses ended since.
    [[nodiscard]] double GetElapsedSeconds() const;

private:
    CFrameTimer m_clock;
    CFrameTimer m_pause;
    double m_pausedSeconds = 0.0;
    bool m_paused = false;
};
