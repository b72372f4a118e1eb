#include "app/ProcessHeap.h"

#include <cstdlib> // defines __GLIBC__ on glibc

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace vantrel {

void keepTheHeapCompact()
{
#if defined(__GLIBC__)
    // Setting the threshold also turns off its sliding adjustment.
    constexpr int largeBufferBytes = 256 * 1024;
    mallopt(M_MMAP_THRESHOLD, largeBufferBytes);
    constexpr int heaps = 2;
    mallopt(M_ARENA_MAX, heaps);
#endif
}

} // namespace vantrel
