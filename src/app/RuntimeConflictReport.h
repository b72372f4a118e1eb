#pragma once
// Tells the user why this start was refused: one line on standard output and one
// notification, posted whatever the "showNotifications" preference says.
#include "app/RuntimeAdmission.h"
#include "platform/UserNotifications.h"

namespace vantrel {

// done (optional) runs on the main thread once the notification was handed over or failed.
void reportRuntimeConflict(UserNotifications& notifications, const RuntimeConflict& conflict,
                           UserNotifications::DeliveryHandler done = {});

} // namespace vantrel
