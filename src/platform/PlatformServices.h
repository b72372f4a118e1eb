#pragma once
// The platform services the application runs on, chosen once at start-up by the composition
// root: the simulated Mac of vantrel-sim, or this Linux machine's own sources.
#include <memory>
#include <optional>

#include <QString>
#include <QStringList>

#include "base/Paths.h"
#include "platform/BatteryRegistry.h"
#include "platform/HostStatistics.h"
#include "platform/PmsetBattery.h"
#include "platform/PowerSources.h"
#include "platform/ProcessRunner.h"
#include "platform/ProcessTable.h"
#include "platform/SmcUserClient.h"
#include "platform/SystemProfiler.h"

namespace vantrel {

enum class PlatformKind { Sim, Linux };

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
};

// Hardware facts from the simulator's state directory (see simStateDirectory()).
PlatformServices makeSimPlatform(const Paths& paths);
// Hardware facts from /sys/class/power_supply, /sys/class/dmi and the device tree; no SMC.
PlatformServices makeLinuxPlatform(const Paths& paths);
PlatformServices makePlatform(PlatformKind kind, const Paths& paths);

// "--platform sim|linux" (or "--platform=…") decides; without it the simulator is chosen when
// its state directory exists. Nothing, with the reason in *error, for an unknown platform name.
std::optional<PlatformKind> choosePlatformKind(const QStringList& arguments, const Paths& paths,
                                               QString* error = nullptr);
QString platformKindName(PlatformKind kind);

} // namespace vantrel
