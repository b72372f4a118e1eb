#include "platform/linux/LinuxUserNotifications.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QStringList>
#include <QVariantMap>

namespace vantrel {
namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
constexpr int kCallTimeoutMs = 5000;

// Calls method on the notification service and hands the error text (or nothing) to done,
// on the context's thread. A missing bus answers at once instead of waiting for a time-out.
void callService(QDBusConnection bus, QObject* context, const QString& method, const QVariantList& arguments,
                 std::function<void(const std::optional<QString>&)> done)
{
    if (!bus.isConnected()) {
        const QString reason = QStringLiteral("no D-Bus connection: ") + bus.lastError().message();
        QMetaObject::invokeMethod(
            context, [done, reason] { done(reason); }, Qt::QueuedConnection);
        return;
    }
    QDBusMessage message = QDBusMessage::createMethodCall(kService, kPath, kService, method);
    message.setArguments(arguments);
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(message, kCallTimeoutMs), context);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, context, [done](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        if (w->isError())
            done(w->error().name() + QStringLiteral(": ") + w->error().message());
        else
            done(std::nullopt);
    });
}

} // namespace

LinuxUserNotifications::LinuxUserNotifications(QString appName, QString busAddress)
    : appName_(std::move(appName))
    , busAddress_(std::move(busAddress))
    , context_(std::make_unique<QObject>())
{ }

QDBusConnection LinuxUserNotifications::bus() const
{
    if (busAddress_.isEmpty())
        return QDBusConnection::sessionBus();
    return QDBusConnection::connectToBus(busAddress_, QStringLiteral("vantrel-notifications ") + busAddress_);
}

LinuxUserNotifications::~LinuxUserNotifications() = default;

void LinuxUserNotifications::requestAuthorization(AuthorizationHandler handler)
{
    // The desktop has no per-application permission: a reachable service is the grant.
    QObject* context = context_.get();
    QMetaObject::invokeMethod(
        context,
        [bus = bus(), context, handler] {
        callService(bus, context, QStringLiteral("GetCapabilities"), {},
                    [handler](const std::optional<QString>& error) {
            if (handler)
                handler(!error.has_value(), error);
        });
        },
        Qt::AutoConnection);
}

void LinuxUserNotifications::add(const UserNotificationRequest& request, DeliveryHandler handler)
{
    QObject* context = context_.get();
    const QVariantList arguments = notifyArguments(request);
    QMetaObject::invokeMethod(
        context,
        [bus = bus(), context, arguments, handler] {
        callService(bus, context, QStringLiteral("Notify"), arguments, [handler](const std::optional<QString>& error) {
            if (handler)
                handler(error);
        });
        },
        Qt::AutoConnection);
}

QVariantList LinuxUserNotifications::notifyArguments(const UserNotificationRequest& request) const
{
    QVariantMap hints;
    // The freedesktop hint has no string identifier; a vendor hint carries ours for the record.
    hints.insert(QStringLiteral("x-vantrel-identifier"), request.identifier);
    hints.insert(QStringLiteral("desktop-entry"), QStringLiteral("vantrel"));
    if (request.defaultSound)
        hints.insert(QStringLiteral("sound-name"), QStringLiteral("message-new-instant"));
    return {appName_, 0u, QString(), request.title, request.body, QStringList(), hints, -1};
}

} // namespace vantrel
