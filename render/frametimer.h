#pragma once
// CFrameTimer: a stopwatch for frames, camera transitions and walking. It reads a
// monotonic clock; tests put a clock of their own in its place to make frames slow
// or fast at will. User-interface thread only.

class CFrameTimer
{
public:
    // Seconds on some fixed scale; only differences count.
    using Clock = double (*)();

    // Replaces the clock of every timer (null restores the monotonic clock).
    static void SetClock(Clock clock);
    [[nodiscard]] static double Now();

    void Start() { m_start = Now(); }
    [[nodiscard]] double GetElapsedSeconds() const { return Now() - m_start; }

private:
    double m_start = 0.0;
};
