#pragma once
// CHeapPrefaulter: while a large model is read, a helper thread makes the pages the
// heap grows by present before the reading thread writes its objects into them. The
// first write to a fresh page otherwise stops the reader while the kernel finds and
// clears one, and half a gigabyte of topology is a hundred thousand such stops; the
// helper takes them in bulk on another core. The heap is asked to grow a window at a
// time, so that the helper has room ahead of the reader; afterwards it grows as before.
//
// Pages are made present as a write would, never written: what the heap holds does not
// change. Only the C library's main heap on Linux is served; with another allocator (the
// sanitizers'), on another thread's arena or on a kernel without the advice, nothing is
// made present and the reader takes its stops as before.
//
// A table the reader fills that lies outside the heap (a large reservation is mapped on
// its own) can be handed to the helper too, a stretch at a time ahead of the writes.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

class CHeapPrefaulter
{
public:
    // Starts the helper when the caller expects to allocate at least kLeastBytes; a
    // thread costs more than the stops of a smaller read. Without a thread the heap is
    // left as it is.
    explicit CHeapPrefaulter(std::uint64_t expectedBytes);
    // Stops the helper and gives the heap its own growth back.
    ~CHeapPrefaulter();
    CHeapPrefaulter(const CHeapPrefaulter&) = delete;
    CHeapPrefaulter& operator=(const CHeapPrefaulter&) = delete;

    static constexpr std::uint64_t kLeastBytes = 64ULL << 20;

    // Asks the helper that runs now, on any thread's behalf, to make the region's pages
    // present before the heap's next ones; without a helper nothing happens. The caller
    // may give the region back at any time: then its pages are simply not made present.
    static void PrepareRegion(const void* begin, std::size_t bytes);

private:
    void Run(std::uintptr_t done);
    // False when nothing was asked for; otherwise makes the next piece of it present.
    bool PrepareNextRequested();

    struct Region
    {
        std::uintptr_t begin;
        std::uintptr_t end;
    };

    std::atomic<bool> m_stop{false};
    std::thread m_thread;
    std::vector<Region> m_requested;  // under s_mutex

    static std::mutex s_mutex;
    static CHeapPrefaulter* s_running;  // under s_mutex
};
