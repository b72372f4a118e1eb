#pragma once
// The desktop-facing platform services of the application (notifications, login items,
// workspace, App Nap activities, accessibility, displays), chosen with the hardware platform.
#include <memory>

#include "platform/AccessibilityAccess.h"
#include "platform/Displays.h"
#include "platform/LoginItems.h"
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
    std::shared_ptr<Displays> displays;
};

} // namespace vantrel
