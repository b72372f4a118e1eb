#pragma once
// Notifications through the desktop's freedesktop notification service on the session bus.
#include <memory>

#include <QDBusConnection>
#include <QObject>

#include "platform/UserNotifications.h"

namespace vantrel {

class LinuxUserNotifications final : public UserNotifications {
public:
    // Must be made on the main thread: bus replies are delivered there. busAddress picks a bus
    // other than the session bus (tests run their own).
    explicit LinuxUserNotifications(QString appName = QStringLiteral("Vantrel"), QString busAddress = {});
    ~LinuxUserNotifications() override;

    void requestAuthorization(AuthorizationHandler handler) override;
    void add(const UserNotificationRequest& request, DeliveryHandler handler) override;

    // The "Notify" arguments for a request, in call order (exposed for tests).
    QVariantList notifyArguments(const UserNotificationRequest& request) const;

private:
    QDBusConnection bus() const;

    QString appName_;
    QString busAddress_;
    std::unique_ptr<QObject> context_;
};

} // namespace vantrel
