#include "node/daemon/SleepInhibitors.h"

#include "base/Log.h"
#include "platform/PowerAssertions.h"
#include "platform/linux/LinuxDBusCall.h"
#include "platform/linux/LinuxPowerAssertions.h"

namespace vantrel::node {

LogindSleepInhibitors::LogindSleepInhibitors(QString busAddress)
    : busAddress_(std::move(busAddress))
    , assertions_(std::make_unique<LinuxPowerAssertions>(busAddress_, QString()))
{ }

LogindSleepInhibitors::~LogindSleepInhibitors() { hold(false); }

bool LogindSleepInhibitors::hold(bool held)
{
    if (!held) {
        if (sleepId_)
            assertions_->release(*sleepId_);
        sleepId_.reset();
        assertions_->holdLidSwitch(false);
        return true;
    }
    if (!sleepId_)
        sleepId_ = assertions_->create(QLatin1String(assertion_type::preventSystemSleep),
                                       QStringLiteral("Vantrel: system sleep disabled"));
    if (!sleepId_)
        return false;
    // The lid inhibitor is best effort: without it the machine still stays awake with the lid open.
    if (!assertions_->holdLidSwitch(true))
        logLine(QStringLiteral("vantrel-node: logind did not grant the lid-switch inhibitor"));
    return true;
}

bool LogindSleepInhibitors::available() const
{
    QString error;
    return linuxdbus::call(linuxdbus::bus(QDBusConnection::SystemBus, busAddress_),
                           QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
                           QStringLiteral("org.freedesktop.DBus.Peer"), QStringLiteral("Ping"), {}, &error)
        .has_value();
}

} // namespace vantrel::node
