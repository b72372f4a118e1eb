#include "base/Paths.h"

#include <QDir>
#include <QProcessEnvironment>

namespace vantrel {

Paths::Paths(QString root, QString home, QString dataHome, QString socketOverride)
    : root_(std::move(root))
    , home_(std::move(home))
    , dataHome_(std::move(dataHome))
    , socketOverride_(std::move(socketOverride))
{
    while (root_.endsWith(QLatin1Char('/')))
        root_.chop(1);
    if (dataHome_.isEmpty())
        dataHome_ = home_ + QStringLiteral("/.local/share");
}

Paths Paths::fromEnvironment()
{
    const auto env = QProcessEnvironment::systemEnvironment();
    const QString root = env.value(QStringLiteral("VANTREL_ROOT"));
    const QString socket = env.value(QStringLiteral("VANTREL_DAEMON_SOCKET"));
    if (!root.isEmpty())
        return Paths(root, root + QStringLiteral("/home"), {}, socket);
    QString home = env.value(QStringLiteral("HOME"), QDir::homePath());
    return Paths({}, home, env.value(QStringLiteral("XDG_DATA_HOME")), socket);
}

Paths Paths::underRoot(const QString& dir) { return Paths(dir, dir + QStringLiteral("/home")); }

QString Paths::rooted(const QString& absolutePath) const { return root_ + absolutePath; }

QString Paths::daemonSocket() const
{
    return socketOverride_.isEmpty() ? rooted(QStringLiteral("/tmp/vantrel_daemon.sock")) : socketOverride_;
}
QString Paths::updateStatusFile() const
{
    return rooted(QStringLiteral("/Library/Application Support/Vantrel/UpdateStatus/status.json"));
}
QString Paths::helperDirectory() const { return rooted(QStringLiteral("/usr/local/vantrel")); }
QString Paths::smcTool() const { return rooted(QStringLiteral("/usr/local/vantrel/smc")); }
QString Paths::batteryTool() const { return rooted(QStringLiteral("/usr/local/vantrel/battery")); }
QString Paths::sudoersBatteryFile() const { return rooted(QStringLiteral("/private/etc/sudoers.d/battery")); }
QString Paths::tmpDirectory() const { return rooted(QStringLiteral("/tmp")); }
QString Paths::safetyLogFile() const { return rooted(QStringLiteral("/tmp/vantrel_safety.log")); }
QString Paths::appLogFile() const { return rooted(QStringLiteral("/tmp/vantrel_app.log")); }
QString Paths::shieldReleaseSignal() const { return rooted(QStringLiteral("/tmp/vantrel_release_safety_shield")); }
QString Paths::applicationBundle() const { return rooted(QStringLiteral("/Applications/Vantrel.app")); }

QString Paths::applicationSupport() const { return dataHome_; }
QString Paths::appSupportFolder() const { return dataHome_ + QStringLiteral("/Vantrel"); }
QString Paths::appSupportFile(const QString& relative) const
{
    return appSupportFolder() + QLatin1Char('/') + relative;
}
QString Paths::preferencesFile() const { return home_ + QStringLiteral("/.config/Vantrel/Vantrel.conf"); }
QString Paths::autostartDirectory() const { return home_ + QStringLiteral("/.config/autostart"); }
QString Paths::launchAgentsDirectory() const { return home_ + QStringLiteral("/Library/LaunchAgents"); }
QString Paths::simStateDirectory() const { return rooted(QStringLiteral("/tmp/vantrel-sim")); }
QString Paths::sysfsDirectory() const { return rooted(QStringLiteral("/sys")); }
QString Paths::powerSupplyDirectory() const { return rooted(QStringLiteral("/sys/class/power_supply")); }

} // namespace vantrel
