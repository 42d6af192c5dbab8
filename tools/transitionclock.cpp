#include "tools/transitionclock.h"

void CTransitionClock::Start()
{
    m_clock.Start();
    m_pausedSeconds = 0.0;
    m_paused = false;
}

void CTransitionClock::Pause(bool paused)
{
    if (paused && !m_paused) {
        m_pause.Start();
    } else if (!paused && m_paused) {
        m_pausedSeconds += m_pause.GetElapsedSeconds();
    }
    m_paused = paused;
}

double CTransitionClock::GetElapsedSeconds() const
{
    return m_clock.GetElapsedSeconds() - m_pausedSeconds;
}
