#pragma once
// CQuitRequest: the process-wide request to end the program. A termination signal sets it
// from its handler, at once, so that work which keeps the event loop waiting (a frame of a
// huge model, a long read, a save) sees it where the loop would not, and gives up: a frame
// ends early, a read or a save is abandoned as cancelled. The loop then closes the program
// as the signal asks.
//
// Lock-free and async-signal-safe to set; cheap enough to poll once per drawn instance.

#include <atomic>

class CQuitRequest
{
public:
    CQuitRequest() = delete;

    // Asks the program to end; signal: the signal that asked, 0 for another cause (the
    // main window closed). Callable from a signal handler.
    static void Request(int signal = 0) noexcept;
    [[nodiscard]] static bool IsRequested() noexcept
    {
        return s_requested.load(std::memory_order_relaxed);
    }
    // The signal of the first request that came from one; 0 when none did.
    [[nodiscard]] static int GetSignal() noexcept { return s_signal.load(std::memory_order_relaxed); }
    // Forgets the request: a program object that starts anew (tests run several in turn).
    static void Clear() noexcept;

private:
    static_assert(std::atomic<bool>::is_always_lock_free && std::atomic<int>::is_always_lock_free,
                  "a signal handler may touch only lock-free atomics");
    static inline std::atomic<bool> s_requested{false};
    static inline std::atomic<int> s_signal{0};
};
