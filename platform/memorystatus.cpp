#include "platform/memorystatus.h"

#include <sys/resource.h>
#include <unistd.h>

#include <fstream>
#include <limits>

namespace {

// The address space the process holds now, from the first field of its statm record.
std::uint64_t HeldAddressSpace(std::uint64_t pageSize)
{
    std::ifstream statm("/proc/self/statm");
    std::uint64_t pages = 0;
    return statm >> pages ? pages * pageSize : 0;
}

}  // namespace

CMemoryStatus GetMemoryStatus()
{
    CMemoryStatus status;
    const long pageSize = sysconf(_SC_PAGESIZE);
    const long pages = sysconf(_SC_PHYS_PAGES);
    if (pageSize > 0 && pages > 0) {
        status.totalPhysical = static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(pageSize);
    }
    rlimit limit{};
    if (getrlimit(RLIMIT_AS, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) {
        status.availableVirtual = std::numeric_limits<std::uint64_t>::max();
        return status;
    }
    const std::uint64_t held = HeldAddressSpace(pageSize > 0 ? static_cast<std::uint64_t>(pageSize) : 4096);
    const auto cap = static_cast<std::uint64_t>(limit.rlim_cur);
    status.availableVirtual = cap > held ? cap - held : 0;
    return status;
}
