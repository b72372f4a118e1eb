#pragma once
// The dashboard's activity figures that the application can compute itself when the daemon's
// snapshot lacks them: CPU load, process and thread counts, memory texts, battery activity.
// "-" means no value.
#include <optional>

#include <QString>

#include "platform/HostStatistics.h"

namespace vantrel {

struct LocalActivityFields {
    double cpuSystemPercent = 0;
    double cpuUserPercent = 0;
    double cpuIdlePercent = 0;
    int processCount = 0;
    int threadCount = 0;
    // The last local CPU sample, for the next delta.
    std::optional<CpuLoadTicks> previousCPULoad;
    // Which groups come from this machine rather than the daemon. A local group is computed
    // again on every refresh until the daemon supplies it, so it never freezes at its first
    // local value; a refresh without the snapshot's "cpu" marks the CPU group local.
    bool cpuIsLocal = false;
    bool memoryIsLocal = false;
    bool batteryIsLocal = false;

    QString memoryLevel = QStringLiteral("unknown");
    QString memoryUsedGB = QStringLiteral("-");
    QString appMemoryText = QStringLiteral("-");
    QString wiredMemoryText = QStringLiteral("-");
    QString compressedMemoryText = QStringLiteral("-");
    QString cachedFilesText = QStringLiteral("-");
    QString swapUsedText = QStringLiteral("-");

    QString batteryPowerSource = QStringLiteral("-");
    QString batteryActivityState = QStringLiteral("-");
};

// What the local battery-activity reading gives: the power source text and the activity
// state's localisation key.
struct LocalBatteryActivity {
    QString powerSource;
    QString activityState;
};

} // namespace vantrel
