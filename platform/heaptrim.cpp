#include "platform/heaptrim.h"

#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>

void ReturnFreeHeapToSystem()
{
    // Also the free pages inside the heap, not only those at its top.
    (void)::malloc_trim(0);
}

void ReturnPagesToSystem(void* block, std::size_t bytes)
{
    static const long pageSize = ::sysconf(_SC_PAGESIZE);
    if (pageSize <= 0) {
        return;
    }
    const auto page = static_cast<std::uintptr_t>(pageSize);
    const auto start = reinterpret_cast<std::uintptr_t>(block);
    const std::uintptr_t first = (start + page - 1) / page * page;
    const std::uintptr_t end = (start + bytes) / page * page;
    if (end > first) {
        (void)::madvise(reinterpret_cast<void*>(first), end - first, MADV_DONTNEED);
    }
}
