#include "platform/linux/LinuxDBusCall.h"

#include <QDBusError>

namespace vantrel::linuxdbus {

QDBusConnection bus(QDBusConnection::BusType type, const QString& address)
{
    if (address.isEmpty())
        return type == QDBusConnection::SystemBus ? QDBusConnection::systemBus() : QDBusConnection::sessionBus();
    return QDBusConnection::connectToBus(address, QStringLiteral("vantrel-power ") + address);
}

std::optional<QDBusMessage> call(const QDBusConnection& connection, const QString& service, const QString& path,
                                 const QString& interface, const QString& method, const QVariantList& arguments,
                                 QString* error)
{
    if (!connection.isConnected()) {
        if (error)
            *error = QStringLiteral("no D-Bus connection: ") + connection.lastError().message();
        return std::nullopt;
    }
    QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, method);
    message.setArguments(arguments);
    const QDBusMessage reply = connection.call(message, QDBus::Block, callTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage) {
        if (error)
            *error = reply.errorName() + QStringLiteral(": ") + reply.errorMessage();
        return std::nullopt;
    }
    return reply;
}

} // namespace vantrel::linuxdbus
