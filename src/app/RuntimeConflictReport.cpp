#include "app/RuntimeConflictReport.h"

#include <QUuid>

#include "base/Log.h"

namespace vantrel {

void reportRuntimeConflict(UserNotifications& notifications, const RuntimeConflict& conflict,
                           UserNotifications::DeliveryHandler done)
{
    logLine(QStringLiteral("Vantrel runtime admission denied: ") + conflict.message + QLatin1Char(' ')
            + conflict.detail);
    UserNotificationRequest request;
    request.identifier
        = QStringLiteral("vantrel-runtime-admission-") + QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
    request.title = conflict.message;
    request.body = conflict.detail;
    request.defaultSound = true;
    notifications.add(request, [done](const std::optional<QString>& error) {
        if (error)
            logLine(QStringLiteral("Failed to send notification: ") + *error);
        if (done)
            done(error);
    });
}

} // namespace vantrel
