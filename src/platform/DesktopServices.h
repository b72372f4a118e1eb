#pragma once
// The desktop-facing platform services of the application (notifications, login items,
// workspace, App Nap activities, accessibility), chosen with the hardware platform.
#include <memory>

#include "base/Dispatch.h"
#include "base/Paths.h"
#include "daemon/DaemonTransport.h"
#include "platform/AccessibilityAccess.h"
#include "platform/LoginItems.h"
#include "platform/PlatformServices.h"
#include "platform/ProcessActivity.h"
#include "platform/UserNotifications.h"
#include "platform/Workspace.h"

namespace vantrel {

struct DesktopServices {
    std::shared_ptr<UserNotifications> notifications;
    std::shared_ptr<LoginItems> loginItems;
    std::shared_ptr<Workspace> workspace;
    std::shared_ptr<ProcessActivity> processActivity;
    std::shared_ptr<AccessibilityAccess> accessibility;
};

// With the simulated Mac, notifications go to the simulator; everything else is this
// desktop's own in both cases. Made on the main thread.
DesktopServices makeDesktopServices(PlatformKind kind, const Paths& paths, Dispatch& dispatch,
                                    std::shared_ptr<DaemonTransport> transport);

} // namespace vantrel
