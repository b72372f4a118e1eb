#pragma once
// Kernel statistics of the whole machine: CPU tick counters, memory page counts and swap.
#include <cstdint>
#include <optional>

namespace vantrel {

// Cumulative CPU ticks of all processors, kept as 32-bit counters that wrap around.
struct CpuLoadTicks {
    std::uint32_t user = 0;
    std::uint32_t system = 0;
    std::uint32_t idle = 0;
    std::uint32_t nice = 0;
    bool operator==(const CpuLoadTicks&) const = default;
};

// Memory by kind, in pages of pageSize() bytes.
struct VmPageCounts {
    std::uint64_t free = 0;
    std::uint64_t active = 0; // in use by applications
    std::uint64_t inactive = 0; // file cache that can be reclaimed
    std::uint64_t wire = 0; // held by the kernel, never reclaimed
    std::uint64_t speculative = 0; // read ahead, not yet used
    std::uint64_t compressor = 0; // occupied by compressed memory
};

struct SwapUsage {
    std::uint64_t totalBytes = 0;
    std::uint64_t availableBytes = 0;
    std::uint64_t usedBytes = 0;
};

class HostStatistics {
public:
    virtual ~HostStatistics() = default;
    virtual std::optional<CpuLoadTicks> cpuLoad() const = 0;
    virtual std::optional<VmPageCounts> vmStatistics() const = 0;
    virtual std::uint64_t pageSize() const = 0;
    // Nothing when the swap figures cannot be read.
    virtual std::optional<SwapUsage> swapUsage() const = 0;
};

} // namespace vantrel
