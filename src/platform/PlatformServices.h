#pragma once
// The platform services the application runs on: the simulated Mac of vantrel-sim, or this
// Linux machine's own sources. The application chooses the backends (app/PlatformBackends.h).
#include <memory>

#include "platform/BatteryRegistry.h"
#include "platform/HostStatistics.h"
#include "platform/OperatingSystemVersion.h"
#include "platform/PmsetBattery.h"
#include "platform/PowerSources.h"
#include "platform/ProcessRunner.h"
#include "platform/ProcessTable.h"
#include "platform/SmcUserClient.h"
#include "platform/SystemProfiler.h"

namespace vantrel {

enum class PlatformKind {
    Sim,
    Linux
};

struct PlatformServices {
    PlatformKind kind = PlatformKind::Linux;
    std::shared_ptr<ProcessRunner> processRunner;
    std::shared_ptr<SmcUserClient> smcUserClient;
    std::shared_ptr<PowerSources> powerSources;
    std::shared_ptr<BatteryRegistry> batteryRegistry;
    std::shared_ptr<PmsetBattery> pmset;
    // Operating-system facts come from this machine even when the hardware is simulated.
    std::shared_ptr<HostStatistics> hostStatistics;
    std::shared_ptr<ProcessTable> processTable;
    std::shared_ptr<SystemProfiler> systemProfiler;
    // The simulated Mac reports its macOS version; Linux runs none, so this stays empty there.
    std::shared_ptr<OperatingSystemVersion> operatingSystemVersion;
};

} // namespace vantrel
