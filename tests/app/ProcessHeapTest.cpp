#include "app/ProcessHeap.h"

#include <cstdlib>

#include <gtest/gtest.h>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace vantrel {
namespace {

#if defined(__GLIBC__) && !defined(VANTREL_SANITIZED_BUILD)
// After a large buffer has been freed, a mid-sized one still gets a mapping of its own (and so
// goes back to the system when freed) instead of glibc raising its threshold and taking it from
// the heap.
TEST(ProcessHeap, LargeBuffersKeepTheirOwnMappingsAfterABigOneWasFreed)
{
    keepTheHeapCompact();
    void* big = std::malloc(8 << 20);
    ASSERT_NE(big, nullptr);
    static_cast<char*>(big)[0] = 1;
    std::free(big);
    const auto mappedBefore = mallinfo2().hblks;
    void* mid = std::malloc(512 << 10);
    ASSERT_NE(mid, nullptr);
    EXPECT_EQ(mallinfo2().hblks, mappedBefore + 1);
    std::free(mid);
    EXPECT_EQ(mallinfo2().hblks, mappedBefore);
}
#endif

} // namespace
} // namespace vantrel
