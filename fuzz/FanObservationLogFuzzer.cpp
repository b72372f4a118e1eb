// The fan observation log, read back as the fan page's summary reads it.
#include "FuzzSupport.h"
#include "fan/MacOSFanCurveLog.h"

using namespace vantrel;

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::quietLogging();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    auto& harness = fuzz::FileHarness::shared();
    // A fresh log each run: the log keeps an image of the file it read last.
    MacOSFanCurveLog log{harness.paths(), harness.dispatch()};
    harness.place(fuzz::bytesOf(data, size), {log.fileURL()});
    (void)log.loadRecent(MacOSFanCurveLog::retentionHours);
    // Keeping a new sample rewrites or extends what was read.
    ObservedMacOSFanPoint point{harness.now(), 61.5, 42.0, 2400, 5000, QStringLiteral("CPU")};
    (void)log.appendAndLoadRecent(point);
    harness.dispatch().runUntilIdle();
    (void)log.loadRecent(MacOSFanCurveLog::retentionHours);
    return 0;
}
