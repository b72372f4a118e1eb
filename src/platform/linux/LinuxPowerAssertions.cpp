#include "platform/linux/LinuxPowerAssertions.h"

#include "base/Log.h"
#include "platform/linux/LinuxDBusCall.h"

namespace vantrel {
namespace {

const QString kLogind = QStringLiteral("org.freedesktop.login1");
const QString kLogindPath = QStringLiteral("/org/freedesktop/login1");
const QString kLogindManager = QStringLiteral("org.freedesktop.login1.Manager");
const QString kScreenSaver = QStringLiteral("org.freedesktop.ScreenSaver");
const QString kScreenSaverPath = QStringLiteral("/org/freedesktop/ScreenSaver");
const QString kWho = QStringLiteral("Vantrel");

} // namespace

LinuxPowerAssertions::LinuxPowerAssertions(QString systemBusAddress, QString sessionBusAddress)
    : systemBusAddress_(std::move(systemBusAddress))
    , sessionBusAddress_(std::move(sessionBusAddress))
{ }

QString LinuxPowerAssertions::inhibitorFor(const QString& type)
{
    if (type == QLatin1String(assertion_type::preventSystemSleep))
        return QStringLiteral("sleep");
    if (type == QLatin1String(assertion_type::preventUserIdleSystemSleep))
        return QStringLiteral("idle");
    return {};
}

std::optional<QDBusUnixFileDescriptor> LinuxPowerAssertions::inhibit(const QString& what, const QString& why) const
{
    QString error;
    const auto reply = linuxdbus::call(linuxdbus::bus(QDBusConnection::SystemBus, systemBusAddress_), kLogind,
                                       kLogindPath, kLogindManager, QStringLiteral("Inhibit"),
                                       {what, kWho, why, QStringLiteral("block")}, &error);
    if (!reply || reply->arguments().isEmpty()) {
        logLine(QStringLiteral("LinuxPowerAssertions: logind refused the %1 inhibitor: %2").arg(what, error));
        return std::nullopt;
    }
    const auto fd = qvariant_cast<QDBusUnixFileDescriptor>(reply->arguments().constFirst());
    if (!fd.isValid())
        return std::nullopt;
    return fd;
}

std::optional<quint32> LinuxPowerAssertions::inhibitScreenSaver(const QString& why) const
{
    QString error;
    const auto reply = linuxdbus::call(linuxdbus::bus(QDBusConnection::SessionBus, sessionBusAddress_), kScreenSaver,
                                       kScreenSaverPath, kScreenSaver, QStringLiteral("Inhibit"), {kWho, why}, &error);
    if (!reply || reply->arguments().isEmpty()) {
        logLine(QStringLiteral("LinuxPowerAssertions: the screen saver refused the inhibit: ") + error);
        return std::nullopt;
    }
    bool ok = false;
    const quint32 cookie = reply->arguments().constFirst().toUInt(&ok);
    if (!ok)
        return std::nullopt;
    return cookie;
}

std::optional<PowerAssertionId> LinuxPowerAssertions::create(const QString& type, const QString& name)
{
    Held held;
    if (type == QLatin1String(assertion_type::noDisplaySleep)) {
        const auto cookie = inhibitScreenSaver(name);
        if (!cookie)
            return std::nullopt;
        held = ScreenSaverCookie{*cookie};
    } else {
        const QString what = inhibitorFor(type);
        if (what.isEmpty())
            return std::nullopt;
        auto fd = inhibit(what, name);
        if (!fd)
            return std::nullopt;
        held = std::move(*fd);
    }
    std::lock_guard lock(mutex_);
    const PowerAssertionId id = nextId_++;
    held_.emplace(id, std::move(held));
    return id;
}

bool LinuxPowerAssertions::release(PowerAssertionId id)
{
    Held held;
    {
        std::lock_guard lock(mutex_);
        const auto it = held_.find(id);
        if (it == held_.end())
            return false;
        held = std::move(it->second);
        held_.erase(it);
    }
    // An inhibitor ends when its descriptor closes, which happens as held goes out of scope.
    if (const auto* cookie = std::get_if<ScreenSaverCookie>(&held)) {
        QString error;
        if (!linuxdbus::call(linuxdbus::bus(QDBusConnection::SessionBus, sessionBusAddress_), kScreenSaver,
                             kScreenSaverPath, kScreenSaver, QStringLiteral("UnInhibit"), {cookie->cookie}, &error))
            logLine(QStringLiteral("LinuxPowerAssertions: the screen saver did not take the release: ") + error);
    }
    return true;
}

bool LinuxPowerAssertions::holdLidSwitch(bool held)
{
    std::lock_guard lock(mutex_);
    if (!held) {
        lidSwitch_.reset();
        return true;
    }
    if (lidSwitch_)
        return true;
    lidSwitch_ = inhibit(QStringLiteral("handle-lid-switch"), QStringLiteral("Vantrel Virtual Clamshell"));
    return lidSwitch_.has_value();
}

} // namespace vantrel
