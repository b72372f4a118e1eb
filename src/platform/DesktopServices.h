#pragma once
// The desktop-facing platform services of the application (notifications, login items,
// workspace, App Nap activities, accessibility, displays, power assertions, screen lock, lid,
// shield windows), chosen with the hardware platform.
#include <memory>

#include "platform/AccessibilityAccess.h"
#include "platform/Displays.h"
#include "platform/LidState.h"
#include "platform/LoginItems.h"
#include "platform/PowerAssertions.h"
#include "platform/ProcessActivity.h"
#include "platform/ScreenLock.h"
#include "platform/ShieldWindows.h"
#include "platform/UserNotifications.h"
#include "platform/Workspace.h"

namespace vantrel {

struct DesktopServices {
    std::shared_ptr<UserNotifications> notifications;
    std::shared_ptr<LoginItems> loginItems;
    std::shared_ptr<Workspace> workspace;
    std::shared_ptr<ProcessActivity> processActivity;
    std::shared_ptr<AccessibilityAccess> accessibility;
    std::shared_ptr<Displays> displays;
    std::shared_ptr<PowerAssertions> powerAssertions;
    std::shared_ptr<ScreenLock> screenLock;
    std::shared_ptr<LidState> lid;
    // The simulator's; on this desktop the windowed half of the application supplies Qt windows.
    std::shared_ptr<ShieldWindows> shieldWindows;
};

} // namespace vantrel
