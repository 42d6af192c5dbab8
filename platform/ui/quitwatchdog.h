#pragma once
// CQuitWatchdog: ends the process when a termination signal came while the interface thread
// is stuck where it cannot hear it (a read of a pipe, of a file on a mount that stopped
// answering). The signal's handler wakes it (Wake); from then on a watcher thread samples
// the interface thread's processor time and the bytes it has read and written, and when
// none of them moved for the stall limit it ends the process as the signal would have, by
// the signal's default action. Work that keeps moving (a read, a save, a frame) is never
// cut, and a program that ends after the request stops the watchdog before then. Ending a
// save midway harms no file: a save writes a new file beside its target and renames it over
// the target only once it is whole.
//
// One watchdog at a time is woken: the one started last. Start and Stop on the interface
// thread.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <ctime>
#include <string>
#include <thread>

class CQuitWatchdog
{
public:
    struct COptions
    {
        // How long the interface thread may stand still after a request.
        std::chrono::milliseconds stallLimit{3000};
        // How often the watcher looks once woken.
        std::chrono::milliseconds sampleInterval{250};
    };

    CQuitWatchdog() : CQuitWatchdog(COptions{}) {}
    explicit CQuitWatchdog(COptions options) : m_options(options) {}
    // Stops the watcher.
    ~CQuitWatchdog();
    CQuitWatchdog(const CQuitWatchdog&) = delete;
    CQuitWatchdog& operator=(const CQuitWatchdog&) = delete;

    // Watches the calling thread from the next Wake on. False, and nothing watches, when
    // the system gives no watcher thread, pipe or clock of the thread's processor time.
    bool Start();
    // Ends the watcher and waits for it: it ends nothing after. Does nothing when not started.
    void Stop();

    // The watcher starts sampling; signal: the one whose default action ends the process.
    // Async-signal-safe, for the signal's handler; does nothing while no watchdog runs.
    static void Wake(int signal) noexcept;

    // The samples the watcher judged since it was woken: past the stall limit's worth, a
    // thread that went on working was not cut.
    [[nodiscard]] int GetSamplesJudged() const noexcept { return m_samples.load(std::memory_order_relaxed); }

private:
    // What moves while the thread works.
    struct CProgress
    {
        std::int64_t cpuNanoseconds = 0;
        std::uint64_t bytesMoved = 0;
        bool operator==(const CProgress&) const = default;
    };

    void Watch();
    // The signal that woke the watcher; 0 when it was stopped first.
    [[nodiscard]] int WaitForWake();
    // Waits up to the timeout (-1: for ever) for the pipe; the first signal it brought, else 0.
    int TakeWake(int timeoutMilliseconds);
    [[nodiscard]] CProgress Sample() const;
    [[nodiscard]] std::uint64_t BytesMoved() const;
    [[noreturn]] static void EndProcess(int signal);

    COptions m_options;
    clockid_t m_cpuClock{};
    // The thread's own counts of bytes read and written.
    std::string m_ioPath;
    int m_pipe[2] = {-1, -1};
    std::atomic<bool> m_stopping{false};
    std::atomic<int> m_samples{0};
    std::thread m_watcher;
};
