// The usage-telemetry queue file, loaded at start and saved back.
#include "FuzzSupport.h"
#include "telemetry/ActivityQueueFile.h"

using namespace vantrel;

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::quietLogging();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const QString path = fuzz::scratchDirectory() + QLatin1Char('/') + ActivityQueueFile::fileName;
    static const ActivityQueueFile file{path};
    fuzz::writeInput(path, fuzz::bytesOf(data, size));
    const auto events = file.load();
    if (!events.isEmpty() && file.save(events))
        (void)file.load();
    return 0;
}
