#pragma once
// Short blocking D-Bus calls for the power-management backends: a bus chosen by address (the
// system or session bus when empty), a bounded time-out, and errors as text instead of hangs.
#include <optional>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QString>
#include <QVariantList>

namespace vantrel::linuxdbus {

inline constexpr int callTimeoutMs = 2000;

// address "" picks the standard bus of that type; connections are shared per address.
QDBusConnection bus(QDBusConnection::BusType type, const QString& address);

// The reply, or nothing with "<error name>: <message>" in *error.
std::optional<QDBusMessage> call(const QDBusConnection& connection, const QString& service, const QString& path,
                                 const QString& interface, const QString& method, const QVariantList& arguments,
                                 QString* error);

} // namespace vantrel::linuxdbus
