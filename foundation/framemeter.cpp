#include "foundation/framemeter.h"

#include <algorithm>
#include <cmath>

#include "platform/quitrequest.h"

CFrameMeter::CScope::CScope(std::uint64_t budget, bool shared, EInput input) noexcept
    : m_outerUsed(s_used.load(std::memory_order_relaxed)),
      m_outerBudget(s_budget.load(std::memory_order_relaxed)),
      m_outerActive(s_active.load(std::memory_order_relaxed)),
      m_outerShared(s_shared.load(std::memory_order_relaxed)),
      m_outerStopsForInput(s_stopsForInput.load(std::memory_order_relaxed)),
      m_outerInterrupted(s_interrupted.load(std::memory_order_relaxed)),
      m_outerNextInputCheck(s_nextInputCheck.load(std::memory_order_relaxed)),
      m_outerClock(s_clock.load(std::memory_order_relaxed)),
      m_outerDeadline(s_deadline.load(std::memory_order_relaxed))
{
    s_used.store(0, std::memory_order_relaxed);
    s_budget.store(budget, std::memory_order_relaxed);
    s_active.store(true, std::memory_order_relaxed);
    s_shared.store(shared, std::memory_order_relaxed);
    s_stopsForInput.store(input == EInput::kStops, std::memory_order_relaxed);
    s_interrupted.store(false, std::memory_order_relaxed);
    s_nextInputCheck.store(kInputCheckUnits, std::memory_order_relaxed);
    s_clock.store(nullptr, std::memory_order_relaxed);
}

CFrameMeter::CScope::~CScope()
{
    s_used.store(m_outerUsed, std::memory_order_relaxed);
    s_budget.store(m_outerBudget, std::memory_order_relaxed);
    s_active.store(m_outerActive, std::memory_order_relaxed);
    s_shared.store(m_outerShared, std::memory_order_relaxed);
    s_stopsForInput.store(m_outerStopsForInput, std::memory_order_relaxed);
    s_interrupted.store(m_outerInterrupted, std::memory_order_relaxed);
    s_nextInputCheck.store(m_outerNextInputCheck, std::memory_order_relaxed);
    s_clock.store(m_outerClock, std::memory_order_relaxed);
    s_deadline.store(m_outerDeadline, std::memory_order_relaxed);
}

bool CFrameMeter::CScope::IsExhausted() const noexcept
{
    return CFrameMeter::IsExhausted();
}

bool CFrameMeter::CScope::WasInterrupted() const noexcept
{
    return CFrameMeter::WasInterrupted();
}

std::uint64_t CFrameMeter::CScope::GetUsed() const noexcept
{
    return CFrameMeter::GetUsed();
}

void CFrameMeter::SetInputProbe(InputProbe probe) noexcept
{
    s_inputProbe.store(probe, std::memory_order_relaxed);
}

void CFrameMeter::SetDeadline(Clock clock, double at) noexcept
{
    s_deadline.store(at, std::memory_order_relaxed);
    s_clock.store(clock, std::memory_order_relaxed);
}

void CFrameMeter::SetRasterThreads(unsigned threads) noexcept
{
    // Past eight threads the gain was not measured; the rasteriser's memory traffic
    // grows with them too.
    constexpr unsigned kMeasuredThreads = 8;
    const double used = std::clamp(threads, 1U, kMeasuredThreads);
    // Measured with two and eight threads: the speed grows about as the threads' count
    // to the power 0.8.
    s_rasterSpeed.store(std::pow(used / 2.0, 0.8), std::memory_order_relaxed);
}

double CFrameMeter::GetRasterSpeed() noexcept
{
    return s_rasterSpeed.load(std::memory_order_relaxed);
}

std::uint64_t CFrameMeter::RasterUnits(double pixels, std::uint64_t perUnit) noexcept
{
    const double shared = pixels / GetRasterSpeed();
    if (!(shared > 0.0)) {
        return 0;
    }
    // Past the largest count a frame may charge, saturate rather than wrap.
    constexpr double kMost = 1.8e19;
    return PixelUnits(shared < kMost ? static_cast<std::uint64_t>(shared) : UINT64_MAX / 2, perUnit);
}

bool CFrameMeter::Charge(std::uint64_t units) noexcept
{
    if (s_active.load(std::memory_order_relaxed)) {
        // Saturating, so that a huge charge cannot wrap round to a small total.
        std::uint64_t used = s_used.load(std::memory_order_relaxed);
        std::uint64_t next = 0;
        do {
            next = used + units < used ? UINT64_MAX : used + units;
        } while (!s_used.compare_exchange_weak(used, next, std::memory_order_relaxed));
        if (s_stopsForInput.load(std::memory_order_relaxed) && next >= s_nextInputCheck.load(std::memory_order_relaxed)) {
            LookForInput(next);
        }
    }
    return !ShouldStop();
}

void CFrameMeter::LookForInput(std::uint64_t used) noexcept
{
    // One caller at a time moves the mark on; the others go on drawing.
    std::uint64_t mark = s_nextInputCheck.load(std::memory_order_relaxed);
    const std::uint64_t nextMark = used > UINT64_MAX - kInputCheckUnits ? UINT64_MAX : used + kInputCheckUnits;
    if (mark > used || !s_nextInputCheck.compare_exchange_strong(mark, nextMark, std::memory_order_relaxed)) {
        return;
    }
    AskProbe();
    // Out of time, the frame has drawn what its budget held.
    const Clock clock = s_clock.load(std::memory_order_relaxed);
    if (clock != nullptr && clock() >= s_deadline.load(std::memory_order_relaxed)) {
        s_budget.store(used - 1, std::memory_order_relaxed);
    }
}

void CFrameMeter::AskProbe() noexcept
{
    const InputProbe probe = s_inputProbe.load(std::memory_order_relaxed);
    if (probe != nullptr && probe()) {
        s_interrupted.store(true, std::memory_order_relaxed);
    }
}

void CFrameMeter::LookForInputNow() noexcept
{
    if (s_active.load(std::memory_order_relaxed) && s_stopsForInput.load(std::memory_order_relaxed)) {
        AskProbe();
    }
}

bool CFrameMeter::ShouldStop() noexcept
{
    return IsExhausted() || WasInterrupted() || CQuitRequest::IsRequested();
}

bool CFrameMeter::IsExhausted() noexcept
{
    return s_active.load(std::memory_order_relaxed) &&
           s_used.load(std::memory_order_relaxed) > s_budget.load(std::memory_order_relaxed);
}

bool CFrameMeter::WasInterrupted() noexcept
{
    return s_active.load(std::memory_order_relaxed) && s_interrupted.load(std::memory_order_relaxed);
}

bool CFrameMeter::IsMetering() noexcept
{
    return s_active.load(std::memory_order_relaxed);
}

bool CFrameMeter::IsShared() noexcept
{
    return s_shared.load(std::memory_order_relaxed);
}

std::uint64_t CFrameMeter::GetUsed() noexcept
{
    return s_active.load(std::memory_order_relaxed) ? s_used.load(std::memory_order_relaxed) : 0;
}
