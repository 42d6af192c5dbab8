#include "platform/ui/quitwatchdog.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <system_error>
#include <unistd.h>

namespace {

// The write end of the started watchdog's pipe, for the signal handler; -1: none.
std::atomic<int> g_wakeDescriptor{-1};
static_assert(std::atomic<int>::is_always_lock_free, "a signal handler may touch only lock-free atomics");

// The byte Stop writes; a wake writes its signal's number, never 0.
constexpr char kStopByte = 0;

// The number after "name:" in /proc's io text; 0 when it is not there.
std::uint64_t IoCount(const char* text, const char* name)
{
    const char* at = std::strstr(text, name);
    return at != nullptr ? std::strtoull(at + std::strlen(name), nullptr, 10) : 0;
}

}  // namespace

CQuitWatchdog::~CQuitWatchdog()
{
    Stop();
}

bool CQuitWatchdog::Start()
{
    if (m_watcher.joinable())
        return true;
    if (::pthread_getcpuclockid(::pthread_self(), &m_cpuClock) != 0)
        return false;
    m_ioPath = "/proc/self/task/" + std::to_string(::gettid()) + "/io";
    // Neither end may block: the handler's write, nor the watcher's draining.
    if (::pipe2(m_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return false;
    m_stopping.store(false);
    m_samples.store(0);
    try
    {
        m_watcher = std::thread(&CQuitWatchdog::Watch, this);
    }
    catch (const std::system_error&)
    {
        ::close(m_pipe[0]);
        ::close(m_pipe[1]);
        m_pipe[0] = m_pipe[1] = -1;
        return false;
    }
    g_wakeDescriptor.store(m_pipe[1]);
    return true;
}

void CQuitWatchdog::Stop()
{
    if (!m_watcher.joinable())
        return;
    int own = m_pipe[1];
    g_wakeDescriptor.compare_exchange_strong(own, -1);
    m_stopping.store(true);
    // Should the pipe be full, the watcher is woken already and sees the flag.
    (void)!::write(m_pipe[1], &kStopByte, 1);
    m_watcher.join();
    ::close(m_pipe[0]);
    ::close(m_pipe[1]);
    m_pipe[0] = m_pipe[1] = -1;
}

void CQuitWatchdog::Wake(int signal) noexcept
{
    const int descriptor = g_wakeDescriptor.load();
    const char byte = static_cast<char>(signal);
    if (descriptor >= 0 && byte != kStopByte)
        (void)!::write(descriptor, &byte, 1);
}

void CQuitWatchdog::Watch()
{
    const int signal = WaitForWake();
    if (signal == 0)
        return;
    CProgress last = Sample();
    auto lastMoved = std::chrono::steady_clock::now();
    const int interval = static_cast<int>(m_options.sampleInterval.count());
    while (!m_stopping.load())
    {
        (void)TakeWake(interval);
        if (m_stopping.load())
            return;
        const CProgress now = Sample();
        const auto at = std::chrono::steady_clock::now();
        // Measured from the last sample that moved, so that a watcher kept from running
        // meanwhile does not take its own delay for the thread's.
        if (now != last)
        {
            last = now;
            lastMoved = at;
        }
        else if (at - lastMoved >= m_options.stallLimit)
        {
            EndProcess(signal);
        }
        m_samples.fetch_add(1, std::memory_order_relaxed);
    }
}

int CQuitWatchdog::WaitForWake()
{
    int signal = 0;
    while (signal == 0 && !m_stopping.load())
        signal = TakeWake(-1);
    return m_stopping.load() ? 0 : signal;
}

int CQuitWatchdog::TakeWake(int timeoutMilliseconds)
{
    pollfd wait{m_pipe[0], POLLIN, 0};
    if (::poll(&wait, 1, timeoutMilliseconds) <= 0)
        return 0;
    int signal = 0;
    char bytes[16];
    for (ssize_t count = 0; (count = ::read(m_pipe[0], bytes, sizeof bytes)) > 0;)
        for (ssize_t i = 0; i < count && signal == 0; ++i)
            signal = static_cast<unsigned char>(bytes[i]);
    return signal;
}

CQuitWatchdog::CProgress CQuitWatchdog::Sample() const
{
    CProgress progress;
    timespec cpu{};
    if (::clock_gettime(m_cpuClock, &cpu) == 0)
        progress.cpuNanoseconds = static_cast<std::int64_t>(cpu.tv_sec) * 1'000'000'000 + cpu.tv_nsec;
    progress.bytesMoved = BytesMoved();
    return progress;
}

std::uint64_t CQuitWatchdog::BytesMoved() const
{
    // A read or write that moves data without the processor (a slow disk, a network
    // mount) still counts as progress. Where the system keeps no such counts, the time alone judges.
    const int fd = ::open(m_ioPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return 0;
    char text[512];
    const ssize_t count = ::read(fd, text, sizeof text - 1);
    ::close(fd);
    if (count <= 0)
        return 0;
    text[count] = '\0';
    return IoCount(text, "rchar:") + IoCount(text, "wchar:");
}

void CQuitWatchdog::EndProcess(int signal)
{
    struct sigaction action{};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    ::sigaction(signal, &action, nullptr);
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, signal);
    ::pthread_sigmask(SIG_UNBLOCK, &only, nullptr);
    ::raise(signal);
    // A signal whose default is not to end the process ends it the way a shell reports one.
    ::_exit(128 + signal);
}
