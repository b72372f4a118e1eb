#pragma once

namespace vantrel {

// Keeps the C library's heap from holding on to memory the application no longer uses.
// Daemon replies have no size limit, so a faulty daemon can send one of many megabytes. glibc
// raises its mmap threshold after freeing such a buffer, and from then on large buffers are
// carved from the heaps of whichever threads read them and their pages are kept: resident memory
// climbed by megabytes an hour under a stream of such replies. A fixed threshold keeps every
// large buffer in its own mapping. glibc also gives each new thread that allocates a heap of its
// own (up to eight per core), each keeping its freed pages; two are plenty for an application
// whose work runs on a few dispatch queues. Call once, first thing in main().
void keepTheHeapCompact();

} // namespace vantrel
