#include "app/ProcessHeap.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace vantrel {

void keepLargeBuffersOutOfTheHeap()
{
#if defined(__GLIBC__)
    // Setting the threshold also turns off its sliding adjustment.
    constexpr int largeBufferBytes = 256 * 1024;
    mallopt(M_MMAP_THRESHOLD, largeBufferBytes);
#endif
}

} // namespace vantrel
