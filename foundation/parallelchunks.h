#pragma once
// CParallelChunks: runs the chunks 0 .. count-1 of a piece of work on the processors the
// program may run on, each chunk whole on one thread, and returns once every chunk is
// done. A caller that keeps one result per chunk and merges them in chunk order gets the
// same answer on any number of processors. The calling thread takes chunks too; where no
// further thread can be started it does them all. The exception of the first chunk that
// threw (in chunk order) is thrown again once every thread has ended.

#include <cstddef>
#include <functional>

class CParallelChunks
{
public:
    CParallelChunks() = delete;

    // Threads at most, the calling one included.
    static constexpr unsigned kMaxThreads = 8;

    static void Run(std::size_t count, const std::function<void(std::size_t)>& work);

    // A long list of a model (a mesh's millions of elements) is split in chunks of this many
    // elements, once it holds at least two of them.
    static constexpr std::size_t kListChunk = std::size_t{1} << 15;
    [[nodiscard]] static constexpr bool IsWorthSplitting(std::size_t length) { return length >= 2 * kListChunk; }
    [[nodiscard]] static constexpr std::size_t ChunksOf(std::size_t length)
    {
        return (length + kListChunk - 1) / kListChunk;
    }
    // Runs work(chunk, first, end) over the chunks of a list of that length, [first, end)
    // being the chunk's positions in the list.
    static void RunOverList(std::size_t length,
                            const std::function<void(std::size_t chunk, std::size_t first, std::size_t end)>& work);
};
