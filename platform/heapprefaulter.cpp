#include "platform/heapprefaulter.h"

#include <malloc.h>
#include <sys/mman.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <system_error>

// The sanitizers' allocators take no memory from the main heap.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define GLIMRA_FOREIGN_ALLOCATOR 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define GLIMRA_FOREIGN_ALLOCATOR 1
#endif
#endif

namespace {

// Older headers lack the advice (Linux 5.14 and later).
constexpr int kPopulateWrite = 23;
// How far the heap grows past each request: the room the helper works in ahead of the
// reader, and the most of it that may be left present but unused afterwards.
constexpr int kWindowBytes = 16 << 20;
// The C library's own padding, given back on leaving.
constexpr int kLibraryTopPad = 128 * 1024;
// Made present a piece at a time, so that a stop is seen soon.
constexpr std::uintptr_t kPieceBytes = 2 << 20;
constexpr std::size_t kLeastRegionBytes = 1 << 20;
constexpr auto kIdle = std::chrono::microseconds(200);

// The end of the main heap, asked of the kernel: the C library's own copy is the reading
// thread's.
std::uintptr_t CurrentBreak()
{
    return static_cast<std::uintptr_t>(syscall(SYS_brk, 0));
}

std::uintptr_t PageDown(std::uintptr_t address)
{
    const auto page = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
    return address / page * page;
}

}  // namespace

std::mutex CHeapPrefaulter::s_mutex;
CHeapPrefaulter* CHeapPrefaulter::s_running = nullptr;

CHeapPrefaulter::CHeapPrefaulter([[maybe_unused]] std::uint64_t expectedBytes)
{
#if !defined(GLIMRA_FOREIGN_ALLOCATOR)
    if (expectedBytes < kLeastBytes || mallopt(M_TOP_PAD, kWindowBytes) == 0) {
        return;
    }
    try {
        m_thread = std::thread(&CHeapPrefaulter::Run, this, PageDown(CurrentBreak()));
    } catch (const std::system_error&) {
        mallopt(M_TOP_PAD, kLibraryTopPad);
        return;
    }
    const std::lock_guard lock(s_mutex);
    s_running = this;
#endif
}

CHeapPrefaulter::~CHeapPrefaulter()
{
    if (!m_thread.joinable()) {
        return;
    }
    {
        const std::lock_guard lock(s_mutex);
        if (s_running == this) {
            s_running = nullptr;
        }
    }
    m_stop.store(true, std::memory_order_relaxed);
    m_thread.join();
    mallopt(M_TOP_PAD, kLibraryTopPad);
}

void CHeapPrefaulter::PrepareRegion(const void* begin, std::size_t bytes)
{
    const auto start = reinterpret_cast<std::uintptr_t>(begin);
    // A smaller block comes from the heap, which the helper serves already.
    if (begin == nullptr || bytes < kLeastRegionBytes) {
        return;
    }
    const std::lock_guard lock(s_mutex);
    if (s_running != nullptr) {
        s_running->m_requested.push_back({PageDown(start), start + bytes});
    }
}

bool CHeapPrefaulter::PrepareNextRequested()
{
    std::uintptr_t begin = 0;
    std::uintptr_t end = 0;
    {
        const std::lock_guard lock(s_mutex);
        if (m_requested.empty()) {
            return false;
        }
        Region& first = m_requested.front();
        begin = first.begin;
        end = first.end - begin < kPieceBytes ? first.end : begin + kPieceBytes;
        first.begin = end;
        if (first.begin >= first.end) {
            m_requested.erase(m_requested.begin());
        }
    }
    // A region given back in the meantime fails here and is left alone.
    static_cast<void>(madvise(reinterpret_cast<void*>(begin), end - begin, kPopulateWrite));
    return true;
}

void CHeapPrefaulter::Run(std::uintptr_t done)
{
    while (!m_stop.load(std::memory_order_relaxed)) {
        if (PrepareNextRequested()) {
            continue;
        }
        const std::uintptr_t top = PageDown(CurrentBreak());
        if (top <= done) {
            // The heap shrank, or has not grown since.
            done = top;
            std::this_thread::sleep_for(kIdle);
            continue;
        }
        const std::uintptr_t piece = top - done < kPieceBytes ? top - done : kPieceBytes;
        if (madvise(reinterpret_cast<void*>(done), piece, kPopulateWrite) != 0) {
            if (errno == EINVAL) {
                return;  // the kernel does not know the advice
            }
            // Given back under us: start again from where the heap ends now.
            done = PageDown(CurrentBreak());
            continue;
        }
        done += piece;
    }
}
