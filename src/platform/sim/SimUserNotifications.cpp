#include "platform/sim/SimUserNotifications.h"

#include <QJsonObject>

#include "base/JsonAccess.h"
#include "base/Log.h"

namespace vantrel {

SimUserNotifications::SimUserNotifications(Dispatch& dispatch, std::shared_ptr<DaemonTransport> transport)
    : dispatch_(dispatch)
    , transport_(std::move(transport))
{ }

void SimUserNotifications::requestAuthorization(AuthorizationHandler handler)
{
    if (handler)
        dispatch_.main()->async([handler] { handler(true, std::nullopt); });
}

QJsonObject SimUserNotifications::simRequest(const UserNotificationRequest& request)
{
    return QJsonObject{
        {QStringLiteral("cmd"), QStringLiteral("sim_platform")},
        {QStringLiteral("action"), QStringLiteral("post_notification")},
        {QStringLiteral("identifier"), request.identifier},
        {QStringLiteral("title"), request.title},
        {QStringLiteral("body"), request.body},
        {QStringLiteral("sound"), request.defaultSound ? QStringLiteral("default") : QString()},
    };
}

void SimUserNotifications::add(const UserNotificationRequest& request, DeliveryHandler handler)
{
    {
        std::lock_guard lock(mutex_);
        posted_.push_back(request);
    }
    QueuePtr main = dispatch_.main();
    dispatch_.global(QoS::Utility)
        ->async([transport = transport_, reported = reportedUnrecorded_, main, message = simRequest(request), handler] {
            const auto reply = transport ? transport->send(message) : std::nullopt;
            if (!(reply && json::isOkStatus(*reply)) && !reported->exchange(true))
                logLine(QStringLiteral(
                    "SimPlatform: the simulator did not record the notification; it is kept in the app only"));
            if (handler)
                main->async([handler] { handler(std::nullopt); });
        });
}

std::vector<UserNotificationRequest> SimUserNotifications::posted() const
{
    std::lock_guard lock(mutex_);
    return posted_;
}

} // namespace vantrel
