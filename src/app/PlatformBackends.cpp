#include "app/PlatformBackends.h"

#include <QFileInfo>

#include "platform/linux/LinuxAccessibilityAccess.h"
#include "platform/linux/LinuxDisplays.h"
#include "platform/linux/LinuxHostStatistics.h"
#include "platform/linux/LinuxLidState.h"
#include "platform/linux/LinuxLoginItems.h"
#include "platform/linux/LinuxPowerAssertions.h"
#include "platform/linux/LinuxPowerSupply.h"
#include "platform/linux/LinuxProcessActivity.h"
#include "platform/linux/LinuxProcessRunner.h"
#include "platform/linux/LinuxProcessTable.h"
#include "platform/linux/LinuxScreenLock.h"
#include "platform/linux/LinuxSystemProfiler.h"
#include "platform/linux/LinuxUserNotifications.h"
#include "platform/linux/LinuxWorkspace.h"
#include "platform/linux/NoSmcUserClient.h"
#include "platform/sim/SimAccessibilityAccess.h"
#include "platform/sim/SimDisplays.h"
#include "platform/sim/SimHardwareState.h"
#include "platform/sim/SimLidState.h"
#include "platform/sim/SimPowerAssertions.h"
#include "platform/sim/SimScreenLock.h"
#include "platform/sim/SimShieldWindows.h"
#include "platform/sim/SimSmcUserClient.h"
#include "platform/sim/SimStateDirectory.h"
#include "platform/sim/SimUserNotifications.h"

namespace vantrel {
namespace {

// Processes, CPU load and memory are this machine's in both configurations.
PlatformServices withLinuxOperatingSystem(PlatformKind kind)
{
    PlatformServices services;
    services.kind = kind;
    services.processRunner = std::make_shared<LinuxProcessRunner>();
    services.hostStatistics = std::make_shared<LinuxHostStatistics>();
    services.processTable = std::make_shared<LinuxProcessTable>();
    return services;
}

} // namespace

PlatformServices makeSimPlatform(const Paths& paths)
{
    const QString stateDirectory = simStateDirectory(paths);
    PlatformServices services = withLinuxOperatingSystem(PlatformKind::Sim);
    services.smcUserClient = std::make_shared<SimSmcUserClient>(stateDirectory);
    auto hardware = std::make_shared<SimHardwareState>(stateDirectory);
    services.powerSources = hardware;
    services.batteryRegistry = hardware;
    services.pmset = hardware;
    services.systemProfiler = hardware;
    services.operatingSystemVersion = hardware;
    return services;
}

PlatformServices makeLinuxPlatform(const Paths& paths)
{
    PlatformServices services = withLinuxOperatingSystem(PlatformKind::Linux);
    services.smcUserClient = std::make_shared<NoSmcUserClient>();
    // Under VANTREL_ROOT, as the smc tool, so a re-rooted run reads one tree.
    auto supply = std::make_shared<LinuxPowerSupply>(paths.powerSupplyDirectory());
    services.powerSources = supply;
    services.batteryRegistry = supply;
    services.pmset = supply;
    services.systemProfiler = std::make_shared<LinuxSystemProfiler>(paths.sysfsDirectory());
    return services;
}

PlatformServices makePlatform(PlatformKind kind, const Paths& paths)
{
    return kind == PlatformKind::Sim ? makeSimPlatform(paths) : makeLinuxPlatform(paths);
}

DesktopServices makeDesktopServices(PlatformKind kind, const Paths& paths, Dispatch& dispatch,
                                    std::shared_ptr<DaemonTransport> transport)
{
    DesktopServices services;
    if (kind == PlatformKind::Sim) {
        const QString stateDirectory = simStateDirectory(paths);
        services.notifications = std::make_shared<SimUserNotifications>(dispatch, transport);
        services.displays = std::make_shared<SimDisplays>(stateDirectory, transport);
        services.powerAssertions = std::make_shared<SimPowerAssertions>(transport);
        services.screenLock = std::make_shared<SimScreenLock>(transport);
        services.lid = std::make_shared<SimLidState>(stateDirectory);
        services.accessibility = std::make_shared<SimAccessibilityAccess>(stateDirectory);
        services.shieldWindows = std::make_shared<SimShieldWindows>(dispatch, std::move(transport), stateDirectory);
    } else {
        services.notifications = std::make_shared<LinuxUserNotifications>();
        services.displays = std::make_shared<LinuxDisplays>(paths.sysfsDirectory());
        services.powerAssertions = std::make_shared<LinuxPowerAssertions>();
        services.screenLock = std::make_shared<LinuxScreenLock>();
        services.lid = std::make_shared<LinuxLidState>(paths.rooted(QStringLiteral("/proc/acpi/button/lid")));
    }
    services.loginItems = std::make_shared<LinuxLoginItems>(paths.autostartDirectory());
    services.workspace = std::make_shared<LinuxWorkspace>();
    services.processActivity = std::make_shared<LinuxProcessActivity>();
    if (!services.accessibility)
        services.accessibility = std::make_shared<LinuxAccessibilityAccess>();
    return services;
}

std::optional<PlatformKind> choosePlatformKind(const QStringList& arguments, const Paths& paths, QString* error)
{
    std::optional<QString> requested;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        if (a == QStringLiteral("--platform")) {
            requested = i + 1 < arguments.size() ? arguments[i + 1] : QString();
            ++i;
        } else if (a.startsWith(QStringLiteral("--platform="))) {
            requested = a.mid(static_cast<qsizetype>(sizeof("--platform=") - 1));
        }
    }
    if (requested) {
        if (*requested == QStringLiteral("sim"))
            return PlatformKind::Sim;
        if (*requested == QStringLiteral("linux"))
            return PlatformKind::Linux;
        if (error)
            *error = QStringLiteral("Unknown platform \"%1\": use --platform sim or --platform linux.").arg(*requested);
        return std::nullopt;
    }
    return QFileInfo(simStateDirectory(paths)).isDir() ? PlatformKind::Sim : PlatformKind::Linux;
}

} // namespace vantrel
