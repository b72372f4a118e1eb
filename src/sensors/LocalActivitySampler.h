#pragma once
// Computes the dashboard's activity figures from this machine when the daemon gives none:
// CPU load as the difference of two tick samples, the process and thread counts, the memory
// texts, and the rule deciding which of these replace the daemon's values.
#include <functional>
#include <memory>
#include <optional>

#include <QString>

#include "platform/HostStatistics.h"
#include "platform/ProcessTable.h"
#include "sensors/LocalActivityFields.h"
#include "sensors/SystemMonitor.h"

namespace vantrel {

struct ProcessThreadCounts {
    int processes = 0;
    int threads = 0;
    bool operator==(const ProcessThreadCounts&) const = default;
};

class LocalActivitySampler {
public:
    // At most this many processes are inspected per count.
    static constexpr std::size_t maximumProcesses = 4096;

    LocalActivitySampler(std::shared_ptr<HostStatistics> host, std::shared_ptr<ProcessTable> processes,
                         std::function<LocalBatteryActivity()> batteryActivity);

    // New CPU percentages from the difference to previousCPULoad (counters taken modulo 2^32),
    // the sample stored for next time, then the process and thread counts.
    void refreshLocalCPULoad(LocalActivityFields& fields) const;
    ProcessThreadCounts localProcessThreadCounts() const;
    // The memory level and texts; left as they were when the statistics fail.
    void refreshLocalMemoryDetails(LocalActivityFields& fields) const;
    // Runs each local computation whose daemon values are missing or plainly empty, or that
    // was computed locally last time (the daemon clears those marks when it supplies a group).
    void applyLocalActivityFallback(LocalActivityFields& fields) const;

    // Percentages from two samples; nothing is changed when previous is absent.
    static void applyCpuDelta(LocalActivityFields& fields, const CpuLoadTicks& current);

private:
    std::shared_ptr<HostStatistics> host_;
    std::shared_ptr<ProcessTable> processes_;
    SystemMonitor monitor_;
    std::function<LocalBatteryActivity()> batteryActivity_;
};

// "1.0GB" from 1 GiB up, else whole MiB ("512MB"); "-" for no value or a negative one.
QString formatBytes(std::optional<double> bytes);

} // namespace vantrel
