#pragma once
#include <cstddef>

// Gives the heap's free pages back to the system. Memory the program frees otherwise
// stays with the process: a closed model of millions of entities would leave gigabytes
// resident for an empty document. It walks the whole heap, so it is for the end of
// letting go of a model, not for each free. Nothing happens where the C library cannot
// do it; it never fails.
void ReturnFreeHeapToSystem();
// Gives the whole pages inside the block back to the system, for a large block about to
// be freed: they read as zeros if used again. Nothing happens where the system cannot do
// it; it never fails.
void ReturnPagesToSystem(void* block, std::size_t bytes);
