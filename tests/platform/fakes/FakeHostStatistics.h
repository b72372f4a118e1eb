#pragma once
// Host statistics for tests: the figures a test sets, failures by leaving them empty.
#include <deque>

#include "platform/HostStatistics.h"

namespace vantrel::test {

class FakeHostStatistics final : public HostStatistics {
public:
    std::optional<VmPageCounts> pages;
    std::uint64_t bytesPerPage = 16384;
    std::optional<SwapUsage> swap;
    // Successive cpuLoad() answers; the last one repeats.
    mutable std::deque<std::optional<CpuLoadTicks>> cpuSamples;

    std::optional<CpuLoadTicks> cpuLoad() const override
    {
        if (cpuSamples.empty())
            return std::nullopt;
        auto sample = cpuSamples.front();
        if (cpuSamples.size() > 1)
            cpuSamples.pop_front();
        return sample;
    }
    std::optional<VmPageCounts> vmStatistics() const override { return pages; }
    std::uint64_t pageSize() const override { return bytesPerPage; }
    std::optional<SwapUsage> swapUsage() const override { return swap; }
};

} // namespace vantrel::test
