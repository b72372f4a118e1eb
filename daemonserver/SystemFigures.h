#pragma once
// Operating-system figures for the system snapshot, from this machine's own sources (the
// Linux platform backend, or fakes in tests): CPU shares since the previous reading,
// process and thread counts, memory by kind and its pressure level.
#include <memory>
#include <optional>

#include <QJsonObject>
#include <QStringList>

#include "platform/HostStatistics.h"
#include "platform/ProcessTable.h"

namespace vantrel::daemonserver {

class SystemFigures {
public:
    SystemFigures(std::shared_ptr<HostStatistics> host, std::shared_ptr<ProcessTable> processes);
    // The Linux backends over /proc.
    static std::shared_ptr<SystemFigures> fromThisMachine();

    // "system_percent", "user_percent", "idle_percent" (since the previous call), "process_count", "thread_count".
    QJsonObject cpu();
    // "level", "used_bytes", "total_bytes", "app_memory_bytes", "wired_bytes",
    // "compressed_bytes", "cached_files_bytes", "swap_used_bytes".
    QJsonObject memory() const;
    // Short names of the running processes, sorted (for diagnostic bundles that ask for them).
    QStringList processNames(int maxCount) const;

private:
    std::shared_ptr<HostStatistics> host_;
    std::shared_ptr<ProcessTable> processes_;
    std::optional<CpuLoadTicks> previous_;
};

} // namespace vantrel::daemonserver
