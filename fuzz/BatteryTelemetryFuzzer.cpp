// The battery telemetry log, read back for the power page's chart.
#include "FuzzSupport.h"
#include "base/JsonLines.h"
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
    auto& harness = fuzz::FileHarness::shared();
    const QByteArray bytes = fuzz::bytesOf(data, size);
    for (const auto& object : jsonl::parse(bytes)) {
        (void)BatteryTelemetryRecord::fromJson(object);
        (void)OnlyPowerBatteryTelemetrySample::fromJson(object);
    }
    BatteryTelemetryLog log{harness.paths(), harness.dispatch()};
    // The chart merges the telemetry log with the study log; both get the input.
    harness.place(bytes, {log.logURL(), log.onlyPowerStudyLogURL()});
    (void)log.loadRecent(BatteryTelemetryLog::chartHours);
    (void)log.appendAndLoadRecent(64, 31.5, true);
    harness.dispatch().runUntilIdle();
    return 0;
}
