// Request bytes as the simulator's socket delivers them, answered by one long-lived simulator
// whose state lives in the scratch folder.
#include "FuzzSupport.h"
#include "sim/protocol/SimDaemon.h"

using namespace vantrel;

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::quietLogging();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static sim::SimDaemon* daemon = [] {
        const QString dir = fuzz::scratchDirectory();
        sim::SimDaemonConfig config;
        config.stateDirectory = dir + QStringLiteral("/sim-state");
        config.updateStatusPath = dir + QStringLiteral("/update-status.json");
        config.studyLogPath = dir + QStringLiteral("/study.jsonl");
        config.startEpochSeconds = 1'780'000'000;
        config.manualClock = true;
        return new sim::SimDaemon(config);
    }();
    (void)daemon->respond(fuzz::bytesOf(data, size));
    return 0;
}
