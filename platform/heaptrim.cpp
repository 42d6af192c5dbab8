#include "platform/heaptrim.h"

#include <malloc.h>

void ReturnFreeHeapToSystem()
{
    // Also the free pages inside the heap, not only those at its top.
    (void)::malloc_trim(0);
}
