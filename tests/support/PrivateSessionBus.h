#pragma once
// A private D-Bus session bus for the length of a test: its own dbus-daemon, so the services a
// test stands up never meet the user's desktop. Without dbus-daemon the address stays empty and
// the test skips.
#include <QDBusConnection>
#include <QProcess>
#include <QString>

namespace vantrel::test {

class PrivateSessionBus {
public:
    PrivateSessionBus();
    ~PrivateSessionBus();
    PrivateSessionBus(const PrivateSessionBus&) = delete;
    PrivateSessionBus& operator=(const PrivateSessionBus&) = delete;

    // Empty when dbus-daemon is missing or did not start.
    QString address() const { return address_; }
    // A named connection to this bus; QDBusConnection::disconnectFromBus(name) closes it.
    QDBusConnection connect(const QString& name) const;

private:
    QProcess daemon_;
    QString address_;
};

} // namespace vantrel::test
