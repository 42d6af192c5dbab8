#pragma once
// The bytes the process's heap hands out now, the GL driver's included, for tests that
// pin what an operation keeps. Under AddressSanitizer its own allocator answers.

#include <malloc.h>

#include <cstddef>

#include "foundation/slaballocator.h"  // GLIMRA_ADDRESS_SANITIZER

#if defined(GLIMRA_ADDRESS_SANITIZER)
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#endif

inline std::size_t HeapBytesInUse()
{
#if defined(GLIMRA_ADDRESS_SANITIZER)
    return __sanitizer_get_current_allocated_bytes();
#else
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
#endif
}
