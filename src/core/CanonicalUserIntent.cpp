#include "core/CanonicalUserIntent.h"

#include <algorithm>
#include <limits>

#include "base/JsonAccess.h"
#include "fan/DaemonFanCurve.h"
#include "fan/FanControlState.h"
#include "power/BatteryPolicyState.h"
#include "sleep/BatteryInterlock.h"
#include "sleep/SleepSettingsState.h"

namespace vantrel {
namespace {

int toInt(qint64 v)
{
    return static_cast<int>(std::clamp<qint64>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

FanMode fanModeFromDaemonText(const QString& text)
{
    const QString mode = text.trimmed().toLower();
    if (mode == QStringLiteral("manual") || mode == QStringLiteral("manual curve") || mode == QStringLiteral("curve"))
        return FanMode::Manual;
    return FanMode::Auto;
}

void syncFan(const QJsonObject& fan, FanControlState& state)
{
    if (auto mode = json::string(fan, QStringLiteral("mode")))
        state.setFanMode(fanModeFromDaemonText(*mode));
    if (auto unified = json::strictBool(fan, QStringLiteral("unified")))
        state.setUnifiedFanControl(*unified);
    if (auto smart = json::strictBool(fan, QStringLiteral("smart_app_preset")))
        state.setSmartAppPresetEnabled(*smart);
    if (auto name = json::string(fan, QStringLiteral("preset_name")))
        state.setCurrentProfile(*name);
    if (auto left = json::object(fan, QStringLiteral("left_curve")))
        if (auto curve = fanCurveFromDaemonSettings(*left))
            state.setCurrentCurve(*curve);
    if (auto right = json::object(fan, QStringLiteral("right_curve")))
        if (auto curve = fanCurveFromDaemonSettings(*right))
            state.setCurrentCurveRight(*curve);
}

void syncBattery(const QJsonObject& battery, BatteryPolicyState& state)
{
    if (auto enabled = json::strictBool(battery, QStringLiteral("limit_enabled")))
        state.setBatteryLimitEnabled(*enabled);
    if (auto limit = json::integer(battery, QStringLiteral("target_limit")))
        state.setChargeLimit(static_cast<int>(std::clamp<qint64>(*limit, 50, 100)));
    if (auto protector = json::strictBool(battery, QStringLiteral("charge_protector_enabled")))
        state.setChargeProtectorEnabled(*protector);
    state.setChargeProtectorDropPercent(5);
    if (auto drain = json::strictBool(battery, QStringLiteral("safety_drain_enabled")))
        state.setSafetyDrainEnabled(*drain);
    const std::optional<qint64> target = json::integer(battery, QStringLiteral("safety_drain_target_percent"));
    state.setSafetyDrainTargetPercent(target ? std::optional<int>(toInt(*target)) : std::nullopt);
    if (auto heat = json::strictBool(battery, QStringLiteral("heat_protection_enabled")))
        state.setHeatProtectionEnabled(*heat);
    if (auto temp = json::number(battery, QStringLiteral("max_battery_temp")))
        state.setMaxBatteryTemp(*temp);
}

void syncSleep(const QJsonObject& sleep, SleepSettingsState& state)
{
    if (auto disabled = json::strictBool(sleep, QStringLiteral("system_sleep_disabled"))) {
        state.setUserIntendedDarkKeepAliveEnabled(*disabled);
        state.setDarkKeepAliveEnabled(*disabled);
    }
    if (auto cutoff = json::integer(sleep, QStringLiteral("battery_cutoff_percent"))) {
        const int normalised = normalizedBatteryInterlockPercent(toInt(*cutoff));
        state.setSleepBatteryCutoffPercent(normalised);
        state.setVirtualClamshellBatteryCutoffPercent(normalised);
    }
}

} // namespace

void syncUserIntentFromDaemonSettings(const QJsonObject& settings, FanControlState& fan, BatteryPolicyState& battery,
                                      SleepSettingsState& sleep)
{
    if (auto section = json::object(settings, QStringLiteral("fan")))
        syncFan(*section, fan);
    if (auto section = json::object(settings, QStringLiteral("battery")))
        syncBattery(*section, battery);
    if (auto section = json::object(settings, QStringLiteral("sleep")))
        syncSleep(*section, sleep);
}

} // namespace vantrel
