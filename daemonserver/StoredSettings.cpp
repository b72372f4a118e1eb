#include "daemonserver/StoredSettings.h"

#include <algorithm>

#include "base/JsonAccess.h"
#include "daemonserver/FanCurveJson.h"

namespace vantrel::daemonserver {

namespace {

std::optional<FanCurve> storedCurveAt(const QJsonObject& fan, const QString& key)
{
    const auto object = json::object(fan, key);
    auto curve = object ? curveFromJson(object->value(QStringLiteral("points")), CurveForm::Stored) : std::nullopt;
    if (curve)
        for (auto& p : *curve)
            p.fanPercent = std::clamp(p.fanPercent, 0.0, 100.0);
    return curve;
}

int clamped(qint64 value, int low, int high) { return static_cast<int>(std::clamp<qint64>(value, low, high)); }

} // namespace

QJsonObject storedFanSettings(const FanConfig& c, bool customActive)
{
    QJsonObject fan{
        {QStringLiteral("mode"), customActive ? QStringLiteral("manual") : QStringLiteral("auto")},
        {QStringLiteral("unified"), c.unified},
        {QStringLiteral("smart_app_preset"), c.smartAppPreset},
        {QStringLiteral("preset_name"), c.presetName},
    };
    if (!c.left.empty())
        fan.insert(QStringLiteral("left_curve"), storedCurve(c.presetName, c.left));
    const FanCurve& right = c.right.empty() ? c.left : c.right;
    if (!right.empty())
        fan.insert(QStringLiteral("right_curve"), storedCurve(c.presetName, right));
    return fan;
}

FanConfig fanConfigFromStored(const QJsonObject& fan, FanConfig config)
{
    if (const auto mode = json::string(fan, QStringLiteral("mode")))
        config.manual = mode->trimmed().toLower() == QLatin1String("manual");
    if (const auto v = json::strictBool(fan, QStringLiteral("unified")))
        config.unified = *v;
    if (const auto v = json::strictBool(fan, QStringLiteral("smart_app_preset")))
        config.smartAppPreset = *v;
    if (const auto v = json::string(fan, QStringLiteral("preset_name")))
        config.presetName = *v;
    if (const auto curve = storedCurveAt(fan, QStringLiteral("left_curve")))
        config.left = *curve;
    if (const auto curve = storedCurveAt(fan, QStringLiteral("right_curve")))
        config.right = *curve;
    return config;
}

QJsonObject storedBatterySettings(const BatteryConfig& c)
{
    QJsonObject b{
        {QStringLiteral("limit_enabled"), c.limitEnabled},
        {QStringLiteral("target_limit"), c.limit},
        {QStringLiteral("charge_protector_enabled"), c.chargeProtector},
        {QStringLiteral("charge_protector_drop_percent"), c.drop},
        {QStringLiteral("safety_drain_enabled"), c.safetyDrain},
        {QStringLiteral("safety_drain_target_mode"),
         c.drainFixedTarget ? QStringLiteral("fixed") : QStringLiteral("charge_limit")},
        {QStringLiteral("heat_protection_enabled"), c.heatProtect},
        {QStringLiteral("max_battery_temp"), c.maxTemp},
    };
    if (c.drainFixedTarget)
        b.insert(QStringLiteral("safety_drain_target_percent"), *c.drainFixedTarget);
    return b;
}

BatteryConfig batteryConfigFromStored(const QJsonObject& b, BatteryConfig config)
{
    if (const auto v = json::strictBool(b, QStringLiteral("limit_enabled")))
        config.limitEnabled = *v;
    if (const auto v = json::integer(b, QStringLiteral("target_limit")))
        config.limit = clamped(*v, 20, 100);
    if (const auto v = json::strictBool(b, QStringLiteral("charge_protector_enabled")))
        config.chargeProtector = *v;
    if (const auto v = json::integer(b, QStringLiteral("charge_protector_drop_percent")))
        config.drop = clamped(*v, 1, 50);
    if (const auto v = json::strictBool(b, QStringLiteral("safety_drain_enabled")))
        config.safetyDrain = *v;
    // The drain target is stored only in fixed mode; anything else drains to the limit.
    const auto fixed = json::integer(b, QStringLiteral("safety_drain_target_percent"));
    const bool fixedMode
        = json::string(b, QStringLiteral("safety_drain_target_mode")).value_or(QString()) == QLatin1String("fixed");
    config.drainFixedTarget = fixedMode && fixed ? std::optional<int>(clamped(*fixed, 10, 100)) : std::nullopt;
    if (const auto v = json::strictBool(b, QStringLiteral("heat_protection_enabled")))
        config.heatProtect = *v;
    if (const auto v = json::number(b, QStringLiteral("max_battery_temp")))
        config.maxTemp = *v;
    return config;
}

QJsonObject storedSleepSettings(bool systemSleepDisabled, int cutoffPercent)
{
    return QJsonObject{{QStringLiteral("system_sleep_disabled"), systemSleepDisabled},
                       {QStringLiteral("battery_cutoff_percent"), cutoffPercent}};
}

SleepSettings sleepSettingsFromStored(const QJsonObject& s, bool systemSleepDisabled)
{
    SleepSettings settings{json::strictBool(s, QStringLiteral("system_sleep_disabled")).value_or(systemSleepDisabled),
                           std::nullopt};
    if (const auto v = json::integer(s, QStringLiteral("battery_cutoff_percent")); v && *v >= 5 && *v <= 95)
        settings.cutoffPercent = static_cast<int>(*v);
    return settings;
}

} // namespace vantrel::daemonserver
