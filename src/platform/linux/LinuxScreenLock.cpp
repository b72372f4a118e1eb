#include "platform/linux/LinuxScreenLock.h"

#include <QDBusObjectPath>

#include <unistd.h>

#include "platform/linux/LinuxDBusCall.h"

namespace vantrel {
namespace {

const QString kLogind = QStringLiteral("org.freedesktop.login1");

} // namespace

LinuxScreenLock::LinuxScreenLock(QString systemBusAddress)
    : systemBusAddress_(std::move(systemBusAddress))
{ }

ScreenLockResult LinuxScreenLock::lockScreen()
{
    const QDBusConnection bus = linuxdbus::bus(QDBusConnection::SystemBus, systemBusAddress_);
    QString error;
    QString session = QStringLiteral("/org/freedesktop/login1/session/auto");
    const auto owner = linuxdbus::call(bus, kLogind, QStringLiteral("/org/freedesktop/login1"),
                                       QStringLiteral("org.freedesktop.login1.Manager"),
                                       QStringLiteral("GetSessionByPID"), {static_cast<quint32>(::getpid())}, &error);
    if (owner && !owner->arguments().isEmpty()) {
        const QString path = qvariant_cast<QDBusObjectPath>(owner->arguments().constFirst()).path();
        if (!path.isEmpty())
            session = path;
    }
    if (linuxdbus::call(bus, kLogind, session, QStringLiteral("org.freedesktop.login1.Session"), QStringLiteral("Lock"),
                        {}, &error))
        return {ScreenLockResult::Status::Requested, {}};
    if (error.startsWith(QLatin1String("org.freedesktop.DBus.Error.UnknownMethod")))
        return {ScreenLockResult::Status::LockCallMissing, error};
    return {ScreenLockResult::Status::ServiceUnavailable, error};
}

} // namespace vantrel
