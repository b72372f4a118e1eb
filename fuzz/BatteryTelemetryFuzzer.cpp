// The battery telemetry log, read back for the power page's chart.
#include <QDateTime>
#include <QTimeZone>

#include "FuzzSupport.h"
#include "base/JsonLines.h"
#include "base/VirtualDispatch.h"
#include "power/BatteryTelemetryLog.h"
#include "power/BatteryTelemetryRecord.h"

using namespace vantrel;

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::quietLogging();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const Paths paths = fuzz::scratchPaths();
    static VirtualDispatch dispatch;
    static const bool clockSet = [] {
        dispatch.clock().setWallTime(QDateTime::fromSecsSinceEpoch(1'780'000'600, QTimeZone::utc()));
        return true;
    }();
    (void)clockSet;
    const QByteArray bytes = fuzz::bytesOf(data, size);
    for (const auto& object : jsonl::parse(bytes)) {
        (void)BatteryTelemetryRecord::fromJson(object);
        (void)OnlyPowerBatteryTelemetrySample::fromJson(object);
    }
    BatteryTelemetryLog log{paths, dispatch};
    // The chart merges the telemetry log with the study log; both get the input.
    fuzz::writeInput(log.logURL(), bytes);
    fuzz::writeInput(log.onlyPowerStudyLogURL(), bytes);
    (void)log.loadRecent(BatteryTelemetryLog::chartHours);
    (void)log.appendAndLoadRecent(64, 31.5, true);
    dispatch.runUntilIdle();
    return 0;
}
