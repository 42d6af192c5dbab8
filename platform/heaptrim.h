#pragma once
// Gives the heap's free pages back to the system. Memory the program frees otherwise
// stays with the process: a closed model of millions of entities would leave gigabytes
// resident for an empty document. It walks the whole heap, so it is for the end of
// letting go of a model, not for each free. Nothing happens where the C library cannot
// do it; it never fails.
void ReturnFreeHeapToSystem();
