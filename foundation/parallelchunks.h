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
};
