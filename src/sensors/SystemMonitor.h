#pragma once
// The machine's memory reading from the host statistics: use by kind, pressure level and swap.
// Keeps no state between calls; callable from any thread.
#include <memory>

#include "platform/HostStatistics.h"
#include "sensors/MemoryPressureInfo.h"

namespace vantrel {

class SystemMonitor {
public:
    explicit SystemMonitor(std::shared_ptr<HostStatistics> host);

    // Never fails: a failed or overflowing statistics read gives level unknown and zero bytes.
    MemoryPressureInfo readMemoryPressure() const;
    // used/total bands: [0, 0.7) low, [0.7, 0.85) medium, [0.85, 0.95) high, else critical.
    static MemoryPressureLevel levelForRatio(double ratio);

private:
    std::shared_ptr<HostStatistics> host_;
};

} // namespace vantrel
