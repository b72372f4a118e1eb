// The fan observation log, read back as the fan page's summary reads it.
#include <QDateTime>
#include <QTimeZone>

#include "FuzzSupport.h"
#include "base/VirtualDispatch.h"
#include "fan/MacOSFanCurveLog.h"

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
    // A fresh log each run: the log keeps an image of the file it read last.
    MacOSFanCurveLog log{paths, dispatch};
    fuzz::writeInput(log.fileURL(), fuzz::bytesOf(data, size));
    (void)log.loadRecent(MacOSFanCurveLog::retentionHours);
    // Keeping a new sample rewrites or extends what was read.
    ObservedMacOSFanPoint point{dispatch.clock().now(), 61.5, 42.0, 2400, 5000, QStringLiteral("CPU")};
    (void)log.appendAndLoadRecent(point);
    dispatch.runUntilIdle();
    (void)log.loadRecent(MacOSFanCurveLog::retentionHours);
    return 0;
}
