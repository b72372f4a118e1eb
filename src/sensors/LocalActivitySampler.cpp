#include "sensors/LocalActivitySampler.h"

#include <algorithm>

namespace vantrel {
namespace {

const QString kNoValue = QStringLiteral("-");

} // namespace

QString formatBytes(std::optional<double> bytes)
{
    if (!bytes || !(*bytes >= 0))
        return kNoValue;
    const double gigabytes = *bytes / 1073741824.0;
    if (gigabytes >= 1)
        return QString::asprintf("%.1fGB", gigabytes);
    return QString::asprintf("%.0fMB", *bytes / 1048576.0);
}

LocalActivitySampler::LocalActivitySampler(std::shared_ptr<HostStatistics> host,
                                           std::shared_ptr<ProcessTable> processes,
                                           std::function<LocalBatteryActivity()> batteryActivity)
    : host_(host)
    , processes_(std::move(processes))
    , monitor_(std::move(host))
    , batteryActivity_(std::move(batteryActivity))
{ }

void LocalActivitySampler::applyCpuDelta(LocalActivityFields& fields, const CpuLoadTicks& current)
{
    if (fields.previousCPULoad) {
        const CpuLoadTicks& previous = *fields.previousCPULoad;
        // Unsigned subtraction: a counter that wrapped past 2^32 still gives its small forward step.
        const double user = static_cast<std::uint32_t>(current.user - previous.user);
        const double system = static_cast<std::uint32_t>(current.system - previous.system);
        const double idle = static_cast<std::uint32_t>(current.idle - previous.idle);
        const double nice = static_cast<std::uint32_t>(current.nice - previous.nice);
        const double total = std::max(user + system + idle + nice, 1.0);
        fields.cpuSystemPercent = system / total * 100.0;
        fields.cpuUserPercent = (user + nice) / total * 100.0;
        fields.cpuIdlePercent = idle / total * 100.0;
    }
    fields.previousCPULoad = current;
}

void LocalActivitySampler::refreshLocalCPULoad(LocalActivityFields& fields) const
{
    if (const auto ticks = host_->cpuLoad())
        applyCpuDelta(fields, *ticks);
    const ProcessThreadCounts counts = localProcessThreadCounts();
    fields.processCount = counts.processes;
    fields.threadCount = counts.threads;
    fields.cpuIsLocal = true;
}

ProcessThreadCounts LocalActivitySampler::localProcessThreadCounts() const
{
    // The listing gives one ID per process, so its length is the process count the dashboard shows.
    const std::vector<int> pids = processes_->processIDs(maximumProcesses);
    if (pids.empty())
        return {};
    ProcessThreadCounts counts;
    counts.processes = static_cast<int>(pids.size());
    for (const int pid : pids) {
        if (pid <= 0)
            continue;
        if (const auto threads = processes_->threadCount(pid))
            counts.threads += *threads;
    }
    return counts;
}

void LocalActivitySampler::refreshLocalMemoryDetails(LocalActivityFields& fields) const
{
    const MemoryPressureInfo info = monitor_.readMemoryPressure();
    if (info.totalBytes == 0)
        return;
    constexpr std::uint64_t gib = 1ull << 30;
    fields.memoryLevel = memoryPressureLevelText(info.level);
    fields.memoryUsedGB = QStringLiteral("%1 / %2 GB").arg(info.usedBytes / gib).arg(info.totalBytes / gib);
    fields.appMemoryText = formatBytes(static_cast<double>(info.appBytes));
    fields.wiredMemoryText = formatBytes(static_cast<double>(info.wiredBytes));
    fields.compressedMemoryText = formatBytes(static_cast<double>(info.compressedBytes));
    fields.cachedFilesText = formatBytes(static_cast<double>(info.cachedBytes));
    fields.swapUsedText = info.swapUnavailable ? kNoValue : formatBytes(static_cast<double>(info.swapUsedBytes));
    fields.memoryIsLocal = true;
}

void LocalActivitySampler::applyLocalActivityFallback(LocalActivityFields& fields) const
{
    // A snapshot of 0 % system, 0 % user and (nearly) all idle is an empty one, not a reading.
    const bool cpuMissing = fields.cpuIsLocal || fields.processCount == 0 || fields.threadCount == 0
        || (fields.cpuSystemPercent == 0 && fields.cpuUserPercent == 0 && fields.cpuIdlePercent >= 99);
    if (cpuMissing)
        refreshLocalCPULoad(fields);

    const bool memoryMissing = fields.memoryIsLocal || fields.memoryLevel == QStringLiteral("unknown")
        || fields.memoryUsedGB == kNoValue || fields.appMemoryText == kNoValue || fields.wiredMemoryText == kNoValue
        || fields.compressedMemoryText == kNoValue || fields.cachedFilesText == kNoValue
        || fields.swapUsedText == kNoValue;
    if (memoryMissing)
        refreshLocalMemoryDetails(fields);

    const bool batteryMissing
        = fields.batteryIsLocal || fields.batteryPowerSource == kNoValue || fields.batteryActivityState == kNoValue;
    if (batteryMissing && batteryActivity_) {
        const LocalBatteryActivity activity = batteryActivity_();
        fields.batteryPowerSource = activity.powerSource;
        fields.batteryActivityState = activity.activityState;
        fields.batteryIsLocal = true;
    }
}

} // namespace vantrel
