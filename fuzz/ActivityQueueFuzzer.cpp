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
    auto& harness = fuzz::FileHarness::shared();
    static const QString path = fuzz::scratchDirectory() + QLatin1Char('/') + ActivityQueueFile::fileName;
    static const ActivityQueueFile file{path};
    harness.place(fuzz::bytesOf(data, size), {path});
    const auto events = file.load();
    if (!events.isEmpty() && file.save(events))
        (void)file.load();
    return 0;
}
