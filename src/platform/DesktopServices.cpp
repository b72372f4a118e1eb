#include "platform/DesktopServices.h"

#include "platform/linux/LinuxAccessibilityAccess.h"
#include "platform/linux/LinuxLoginItems.h"
#include "platform/linux/LinuxProcessActivity.h"
#include "platform/linux/LinuxUserNotifications.h"
#include "platform/linux/LinuxWorkspace.h"
#include "platform/sim/SimUserNotifications.h"

namespace vantrel {

DesktopServices makeDesktopServices(PlatformKind kind, const Paths& paths, Dispatch& dispatch,
                                    std::shared_ptr<DaemonTransport> transport)
{
    DesktopServices services;
    if (kind == PlatformKind::Sim)
        services.notifications = std::make_shared<SimUserNotifications>(dispatch, std::move(transport));
    else
        services.notifications = std::make_shared<LinuxUserNotifications>();
    services.loginItems = std::make_shared<LinuxLoginItems>(paths.autostartDirectory());
    services.workspace = std::make_shared<LinuxWorkspace>();
    services.processActivity = std::make_shared<LinuxProcessActivity>();
    services.accessibility = std::make_shared<LinuxAccessibilityAccess>();
    return services;
}

} // namespace vantrel
