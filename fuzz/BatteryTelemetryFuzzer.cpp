// The battery telemetry log, read back for the power page's chart.
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
    const QByteArray bytes = fuzz::bytesOf(data, size);
    for (const auto& object : jsonl::parse(bytes)) {
        (void)BatteryTelemetryRecord::fromJson(object);
        (void)OnlyPowerBatteryTelemetrySample::fromJson(object);
    }
    BatteryTelemetryLog log{paths, dispatch};
    fuzz::writeInput(log.logURL(), bytes);
    (void)log.loadRecent(BatteryTelemetryLog::chartHours);
    return 0;
}
