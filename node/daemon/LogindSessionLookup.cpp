#include "node/daemon/LogindSessionLookup.h"

#include <QDBusArgument>
#include <QDBusObjectPath>
#include <QDBusVariant>

#include "platform/linux/LinuxDBusCall.h"

namespace vantrel::node {

namespace {

const QString kLogind = QStringLiteral("org.freedesktop.login1");

std::optional<QVariant> property(const QString& address, const QString& path, const QString& interface,
                                 const QString& name)
{
    QString error;
    const auto reply = linuxdbus::call(linuxdbus::bus(QDBusConnection::SystemBus, address), kLogind, path,
                                       QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"),
                                       {interface, name}, &error);
    if (!reply || reply->arguments().isEmpty())
        return std::nullopt;
    return qvariant_cast<QDBusVariant>(reply->arguments().constFirst()).variant();
}

// logind's (so) and (uo) structures: an id or user number and an object path.
template <typename First> std::optional<std::pair<First, QDBusObjectPath>> structure(const QVariant& value)
{
    if (!value.canConvert<QDBusArgument>())
        return std::nullopt;
    const auto argument = qvariant_cast<QDBusArgument>(value);
    First first{};
    QDBusObjectPath path;
    argument.beginStructure();
    argument >> first >> path;
    argument.endStructure();
    return std::pair{first, path};
}

} // namespace

LogindSessionLookup::LogindSessionLookup(QString busAddress)
    : busAddress_(std::move(busAddress))
{ }

std::optional<uid_t> LogindSessionLookup::activeLocalSessionUid() const
{
    const auto active = property(busAddress_, QStringLiteral("/org/freedesktop/login1/seat/seat0"),
                                 QStringLiteral("org.freedesktop.login1.Seat"), QStringLiteral("ActiveSession"));
    const auto session = active ? structure<QString>(*active) : std::nullopt;
    if (!session || session->first.isEmpty() || session->second.path().isEmpty())
        return std::nullopt;
    const QString path = session->second.path();
    const QString interface = QStringLiteral("org.freedesktop.login1.Session");
    const auto remote = property(busAddress_, path, interface, QStringLiteral("Remote"));
    if (!remote || remote->toBool())
        return std::nullopt;
    const auto user = property(busAddress_, path, interface, QStringLiteral("User"));
    const auto owner = user ? structure<uint>(*user) : std::nullopt;
    if (!owner)
        return std::nullopt;
    return static_cast<uid_t>(owner->first);
}

} // namespace vantrel::node
