#pragma once
// The choice of platform backends, made once at start-up: the simulated Mac of vantrel-sim or
// this Linux machine's own sources. The only product code that names a backend's classes.
#include <memory>
#include <optional>

#include <QString>
#include <QStringList>

#include "base/Dispatch.h"
#include "base/Paths.h"
#include "daemon/DaemonTransport.h"
#include "platform/DesktopServices.h"
#include "platform/PlatformServices.h"

namespace vantrel {

// Hardware facts from the simulator's state directory (see simStateDirectory()).
PlatformServices makeSimPlatform(const Paths& paths);
// Hardware facts from <root>/sys/class/power_supply, the DMI fields and the device tree; no SMC.
PlatformServices makeLinuxPlatform(const Paths& paths);
PlatformServices makePlatform(PlatformKind kind, const Paths& paths);

// With the simulated Mac, notifications, displays, power assertions, screen lock, lid and shield
// windows are the simulator's; everything else is this desktop's own in both cases (the shield
// windows of this desktop are left to the windowed application). Made on the main thread.
DesktopServices makeDesktopServices(PlatformKind kind, const Paths& paths, Dispatch& dispatch,
                                    std::shared_ptr<DaemonTransport> transport);

// "--platform sim|linux" (or "--platform=…") decides; without it the simulator is chosen when
// its state directory exists. Nothing, with the reason in *error, for an unknown platform name.
std::optional<PlatformKind> choosePlatformKind(const QStringList& arguments, const Paths& paths,
                                               QString* error = nullptr);

} // namespace vantrel
