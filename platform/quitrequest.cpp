#include "platform/quitrequest.h"

void CQuitRequest::Request(int signal) noexcept
{
    if (signal != 0) {
        int none = 0;
        s_signal.compare_exchange_strong(none, signal, std::memory_order_relaxed);
    }
    s_requested.store(true, std::memory_order_relaxed);
}

void CQuitRequest::Clear() noexcept
{
    s_requested.store(false, std::memory_order_relaxed);
    s_signal.store(0, std::memory_order_relaxed);
}
