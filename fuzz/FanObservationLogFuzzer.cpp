// The fan observation log, read back as the fan page's summary reads it.
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
    // A fresh log each run: the log keeps an image of the file it read last.
    MacOSFanCurveLog log{paths, dispatch};
    fuzz::writeInput(log.fileURL(), fuzz::bytesOf(data, size));
    (void)log.loadRecent(MacOSFanCurveLog::retentionHours);
    return 0;
}
