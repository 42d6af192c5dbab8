#pragma once
// What the system can give the program in memory, asked before a large allocation is
// planned (the off-screen pictures of printing).

#include <cstdint>

struct CMemoryStatus
{
    // The machine's physical memory in bytes.
    std::uint64_t totalPhysical = 0;
    // The address space the process may still take: its limit (unlimited unless one
    // is set) less what it holds.
    std::uint64_t availableVirtual = 0;
};

// Fields the system does not report stay 0.
[[nodiscard]] CMemoryStatus GetMemoryStatus();
