#include "telemetry/LogindSleepSignals.h"

#include <QDBusConnection>

#include "base/NotificationCenter.h"
#include "telemetry/VantrelActivityTelemetry.h"

namespace vantrel {

LogindSleepSignals::LogindSleepSignals(NotificationCenter& center, QObject* parent)
    : QObject(parent)
    , center_(center)
{
    QDBusConnection bus = QDBusConnection::systemBus();
    if (bus.isConnected())
        connected_ = bus.connect(QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
                                 QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PrepareForSleep"),
                                 this, SLOT(prepareForSleep(bool)));
}

void LogindSleepSignals::prepareForSleep(bool sleeping)
{
    center_.post(sleeping ? VantrelActivityTelemetry::workspaceWillSleep : VantrelActivityTelemetry::workspaceDidWake);
}

} // namespace vantrel
