#pragma once
// User notifications: permission to post them, and delivering one now (no trigger).
#include <functional>
#include <optional>

#include <QString>

namespace vantrel {

struct UserNotificationRequest {
    QString identifier;
    QString title;
    QString body;
    bool defaultSound = true;
};

class UserNotifications {
public:
    // granted, or the error text when the request failed.
    using AuthorizationHandler = std::function<void(bool granted, const std::optional<QString>& error)>;
    // Nothing when the notification was handed to the system, else the error text.
    using DeliveryHandler = std::function<void(const std::optional<QString>& error)>;

    virtual ~UserNotifications() = default;
    // Asks for alert, sound and badge permission; the handler runs on the main thread.
    virtual void requestAuthorization(AuthorizationHandler handler) = 0;
    // Delivers the notification at once; the handler (optional) runs on the main thread.
    virtual void add(const UserNotificationRequest& request, DeliveryHandler handler = {}) = 0;
};

} // namespace vantrel
