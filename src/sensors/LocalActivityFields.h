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
