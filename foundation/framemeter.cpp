#include "foundation/framemeter.h"

#include "platform/quitrequest.h"

CFrameMeter::CScope::CScope(std::uint64_t budget, bool shared) noexcept
    : m_outerUsed(s_used.load(std::memory_order_relaxed)),
      m_outerBudget(s_budget.load(std::memory_order_relaxed)),
      m_outerActive(s_active.load(std::memory_order_relaxed)),
      m_outerShared(s_shared.load(std::memory_order_relaxed))
{
    s_used.store(0, std::memory_order_relaxed);
    s_budget.store(budget, std::memory_order_relaxed);
    s_active.store(true, std::memory_order_relaxed);
    s_shared.store(shared, std::memory_order_relaxed);
}

CFrameMeter::CScope::~CScope()
{
    s_used.store(m_outerUsed, std::memory_order_relaxed);
    s_budget.store(m_outerBudget, std::memory_order_relaxed);
    s_active.store(m_outerActive, std::memory_order_relaxed);
    s_shared.store(m_outerShared, std::memory_order_relaxed);
}

bool CFrameMeter::CScope::IsExhausted() const noexcept
{
    return CFrameMeter::IsExhausted();
}

std::uint64_t CFrameMeter::CScope::GetUsed() const noexcept
{
    return CFrameMeter::GetUsed();
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
    }
    return !ShouldStop();
}

bool CFrameMeter::ShouldStop() noexcept
{
    return IsExhausted() || CQuitRequest::IsRequested();
}

bool CFrameMeter::IsExhausted() noexcept
{
    return s_active.load(std::memory_order_relaxed) &&
           s_used.load(std::memory_order_relaxed) > s_budget.load(std::memory_order_relaxed);
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
