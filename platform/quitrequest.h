#pragma once
// CQuitRequest: the process-wide request to end the program. A termination signal sets it
// from its handler, at once, so that work which keeps the event loop waiting (a frame of a
// huge model, a long read, a save) sees it where the loop would not, and gives up: a frame
// ends early, a read or a save is abandoned as cancelled. The loop then closes the program
// as the signal asks.
//
// A process that ends right after a quit and lets its memory go with it (the program's own
// run) says so once (LeaveWorkAtQuit): work given up for a quit then leaves what it made
// where it stands instead of taking it apart piece by piece, which for a large model read
// halfway takes longer than the read itself. Tests leave it off, so that what they give up
// is freed.
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

    // Whether work given up for a quit may leave what it made to the process's end.
    static void LeaveWorkAtQuit(bool leave) noexcept { s_leaveWork.store(leave, std::memory_order_relaxed); }
    // A quit was requested and the process lets what the given-up work made go with it.
    [[nodiscard]] static bool IsLeavingWork() noexcept
    {
        return IsRequested() && s_leaveWork.load(std::memory_order_relaxed);
    }

private:
    static_assert(std::atomic<bool>::is_always_lock_free && std::atomic<int>::is_always_lock_free,
                  "a signal handler may touch only lock-free atomics");
    static inline std::atomic<bool> s_requested{false};
    static inline std::atomic<int> s_signal{0};
    static inline std::atomic<bool> s_leaveWork{false};
};
