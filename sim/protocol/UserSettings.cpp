#include "sim/protocol/UserSettings.h"

#include <QJsonArray>

#include "base/JsonAccess.h"
#include "daemonserver/StoredSettings.h"

namespace vantrel::sim {

namespace {

void restoreFan(const QJsonObject& fan, SimulatedMac& mac, QStringList& unavailable)
{
    FanController& fans = mac.fans();
    const FanConfig config = daemonserver::fanConfigFromStored(fan, fans.config());
    if (fans.count() == 0) {
        if (config.manual)
            unavailable << QStringLiteral("ERR_FAN_RUNTIME_UNAVAILABLE");
        return;
    }
    fans.applyConfig(config);
    // The simulated fans also keep their fixed speeds across a restart.
    const QJsonArray fixed = fan.value(QStringLiteral("fixed_rpm")).toArray();
    for (int i = 0; i < fixed.size() && i < fans.count(); ++i)
        if (const auto rpm = json::asInteger(fixed.at(i)))
            fans.setFixedRpm(i, static_cast<int>(*rpm));
}

void restoreBattery(const QJsonObject& b, SimulatedMac& mac, QStringList& unavailable)
{
    if (!mac.battery()) {
        unavailable << QStringLiteral("ERR_BATTERY_RUNTIME_UNAVAILABLE");
        return;
    }
    mac.policy().configure(daemonserver::batteryConfigFromStored(b, mac.policy().config()));
}

void restoreSleep(const QJsonObject& s, SimulatedMac& mac)
{
    const auto stored = daemonserver::sleepSettingsFromStored(s, mac.sleep().requested());
    std::vector<PolicyEvent> events;
    mac.sleep().request(stored.systemSleepDisabled, stored.cutoffPercent, mac.sleepInputs(), events);
    for (const auto& e : events)
        mac.recordEvent(e);
}

} // namespace

QJsonObject fanSettings(const FanController& fans)
{
    QJsonObject fan = daemonserver::storedFanSettings(fans.config(), fans.customPolicyActive());
    QJsonArray fixed;
    for (int i = 0; i < fans.count(); ++i)
        fixed.append(fans.fan(i).fixedRpm ? QJsonValue(*fans.fan(i).fixedRpm) : QJsonValue(QJsonValue::Null));
    fan.insert(QStringLiteral("fixed_rpm"), fixed);
    return fan;
}

QJsonObject batterySettings(const BatteryConfig& c) { return daemonserver::storedBatterySettings(c); }

QJsonObject sleepSettings(const SleepControl& sleep)
{
    return daemonserver::storedSleepSettings(sleep.requested(), sleep.cutoffPercent());
}

QStringList restoreSettings(const QJsonObject& settings, SimulatedMac& mac)
{
    QStringList unavailable;
    if (const auto fan = json::object(settings, QStringLiteral("fan")))
        restoreFan(*fan, mac, unavailable);
    if (const auto battery = json::object(settings, QStringLiteral("battery")))
        restoreBattery(*battery, mac, unavailable);
    if (const auto sleep = json::object(settings, QStringLiteral("sleep")))
        restoreSleep(*sleep, mac);
    mac.settle();
    return unavailable;
}

} // namespace vantrel::sim
