#include "foundation/parallelchunks.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <system_error>
#include <thread>
#include <vector>

#include "platform/sysinfo.h"

void CParallelChunks::Run(std::size_t count, const std::function<void(std::size_t)>& work)
{
    if (count == 0) {
        return;
    }
    std::vector<std::exception_ptr> failures(count);
    std::atomic<std::size_t> next{0};
    const auto take = [&] {
        for (std::size_t chunk = next++; chunk < count; chunk = next++) {
            try {
                work(chunk);
            } catch (...) {
                failures[chunk] = std::current_exception();
            }
        }
    };
    const auto helpers = static_cast<std::size_t>(std::min(GetUsableProcessorCount(), kMaxThreads)) - 1;
    std::vector<std::thread> threads;
    threads.reserve(std::min(helpers, count - 1));
    for (std::size_t i = 0; i < helpers && i + 1 < count; ++i) {
        try {
            threads.emplace_back(take);
        } catch (const std::system_error&) {
            break;
        }
    }
    take();
    for (std::thread& thread : threads) {
        thread.join();
    }
    for (const std::exception_ptr& failure : failures) {
        if (failure) {
            std::rethrow_exception(failure);
        }
    }
}

void CParallelChunks::RunOverList(std::size_t length,
                                  const std::function<void(std::size_t chunk, std::size_t first, std::size_t end)>& work)
{
    Run(ChunksOf(length), [&](std::size_t chunk) {
        const std::size_t first = chunk * kListChunk;
        work(chunk, first, std::min(length, first + kListChunk));
    });
}
