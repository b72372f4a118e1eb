#include "sim/protocol/SimContext.h"

#include <QDateTime>

#include "base/JsonAccess.h"
#include "sim/protocol/UserSettings.h"

namespace vantrel::sim {

namespace {

constexpr const char* kDaemonSettingsFileName = "daemon-settings.json";
constexpr const char* kDaemonSettingsSchema = "vantrel_sim_daemon_settings.v1";

double startEpoch(double configured)
{
    return configured > 0 ? configured : QDateTime::currentMSecsSinceEpoch() / 1000.0;
}

} // namespace

std::optional<RuntimeOwnership> ownershipNamed(const QString& name)
{
    if (name == QLatin1String("production"))
        return RuntimeOwnership::Production;
    if (name == QLatin1String("debug"))
        return RuntimeOwnership::Debug;
    if (name == QLatin1String("fenced"))
        return RuntimeOwnership::Fenced;
    return std::nullopt;
}

SimContext::SimContext(SimDaemonConfig cfg, FaultInjector& faultInjector, std::shared_ptr<SystemFigures> systemFigures)
    : config(std::move(cfg))
    , faults(faultInjector)
    , mac(config.profile, startEpoch(config.startEpochSeconds), config.batteryPercent)
    , userSettings(config.stateDirectory + QLatin1Char('/') + QLatin1String(kUserSettingsFileName),
                   QLatin1String(kUserSettingsSchema))
    , daemonSettings(config.stateDirectory + QLatin1Char('/') + QLatin1String(kDaemonSettingsFileName),
                     QLatin1String(kDaemonSettingsSchema))
    , updates(config.updateStatusPath)
    , study(config.studyLogPath, config.studyIntervalSeconds)
    , system(std::move(systemFigures))
    , ownership(config.ownership)
{
    // What the daemon stored before a restart is in force again, as on a Mac after boot.
    const auto user = userSettings.load();
    if (user.status == SettingsFile::LoadStatus::Loaded) {
        const QStringList unavailable = restoreSettings(user.settings, mac);
        diagnostic(QStringLiteral("info"), QStringLiteral("settings"),
                   unavailable.isEmpty()
                       ? QStringLiteral("User settings restored")
                       : QStringLiteral("User settings restored in part: ") + unavailable.join(QStringLiteral(", ")));
    }
    const auto daemon = daemonSettings.load();
    if (daemon.status == SettingsFile::LoadStatus::Loaded) {
        cloudAlerts = daemon.settings.value(QStringLiteral("cloud_alerts")).toObject();
        const QJsonObject targets = daemon.settings.value(QStringLiteral("smart_targets")).toObject();
        SmartTargets smart;
        smart.cpu = json::number(targets, QStringLiteral("cpu"));
        smart.gpu = json::number(targets, QStringLiteral("gpu"));
        smart.memory = json::number(targets, QStringLiteral("memory"));
        mac.fans().setSmartTargets(smart);
        const QJsonObject survival = daemon.settings.value(QStringLiteral("survival_throttling")).toObject();
        SurvivalThrottling& s = mac.survivalThrottling();
        s.enabled = json::strictBool(survival, QStringLiteral("enabled")).value_or(false);
        s.threshold = json::number(survival, QStringLiteral("threshold")).value_or(s.threshold);
        s.cooldownTarget = json::number(survival, QStringLiteral("cooldown_target")).value_or(s.cooldownTarget);
    }
    updates.restore();
    diagnostic(QStringLiteral("info"), QStringLiteral("daemon"),
               QStringLiteral("vantrel-sim started as %1 (%2)").arg(config.profile.name, config.profile.marketingName));
    ready = true;
}

void SimContext::advance(int seconds)
{
    for (int i = 0; i < seconds; ++i) {
        mac.step(1);
        updates.step(1.0, mac.epochSeconds());
        study.step(mac);
    }
}

void SimContext::diagnostic(const QString& level, const QString& component, const QString& message)
{
    diagnostics.record(mac.epochSeconds(), level, component, message);
}

void SimContext::persistFan()
{
    if (ready && !userSettings.storeSection(QStringLiteral("fan"), fanSettings(mac.fans()), mac.epochSeconds()))
        diagnostic(QStringLiteral("error"), QStringLiteral("settings"),
                   QStringLiteral("Cannot write ") + userSettings.path());
}

void SimContext::persistBattery(const std::optional<BatteryConfig>& requested)
{
    const QJsonObject section = batterySettings(requested.value_or(mac.policy().config()));
    if (ready && !userSettings.storeSection(QStringLiteral("battery"), section, mac.epochSeconds()))
        diagnostic(QStringLiteral("error"), QStringLiteral("settings"),
                   QStringLiteral("Cannot write ") + userSettings.path());
}

void SimContext::persistSleep()
{
    if (ready && !userSettings.storeSection(QStringLiteral("sleep"), sleepSettings(mac.sleep()), mac.epochSeconds()))
        diagnostic(QStringLiteral("error"), QStringLiteral("settings"),
                   QStringLiteral("Cannot write ") + userSettings.path());
}

void SimContext::persistDaemonSetting(const QString& section, const QJsonValue& value)
{
    if (ready && !daemonSettings.storeSection(section, value, mac.epochSeconds()))
        diagnostic(QStringLiteral("error"), QStringLiteral("settings"),
                   QStringLiteral("Cannot write ") + daemonSettings.path());
}

} // namespace vantrel::sim
