#pragma once

namespace vantrel {

// Makes the C library give large buffers back to the system as soon as they are freed.
// Daemon replies have no size limit, so a faulty daemon can send one of many megabytes. glibc
// raises its mmap threshold after freeing such a buffer, and from then on large buffers are
// carved from the heaps of whichever threads read them and their pages are kept: resident memory
// climbed by megabytes an hour under a stream of such replies. A fixed threshold keeps every
// large buffer in its own mapping. Call once, first thing in main().
void keepLargeBuffersOutOfTheHeap();

} // namespace vantrel
