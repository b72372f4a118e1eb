#include "sim/protocol/UserSettings.h"

#include <algorithm>

#include <QJsonArray>

#include "base/JsonAccess.h"

namespace vantrel::sim {

namespace {

QJsonObject curveObject(const QString& name, const FanCurve& curve)
{
    QJsonArray points;
    for (const auto& p : curve)
        points.append(
            QJsonObject{{QStringLiteral("temperature"), p.temperature}, {QStringLiteral("fan_percent"), p.fanPercent}});
    return QJsonObject{{QStringLiteral("name"), name}, {QStringLiteral("points"), points}};
}

void restoreFan(const QJsonObject& fan, SimulatedMac& mac, QStringList& unavailable)
{
    FanController& fans = mac.fans();
    FanConfig config = fans.config();
    if (const auto mode = json::string(fan, QStringLiteral("mode")))
        config.manual = mode->trimmed().toLower() == QLatin1String("manual");
    if (const auto v = json::strictBool(fan, QStringLiteral("unified")))
        config.unified = *v;
    if (const auto v = json::strictBool(fan, QStringLiteral("smart_app_preset")))
        config.smartAppPreset = *v;
    if (const auto v = json::string(fan, QStringLiteral("preset_name")))
        config.presetName = *v;
    if (const auto left = json::object(fan, QStringLiteral("left_curve")))
        if (const auto curve = curveFromWire(left->value(QStringLiteral("points")), true))
            config.left = *curve;
    if (const auto right = json::object(fan, QStringLiteral("right_curve")))
        if (const auto curve = curveFromWire(right->value(QStringLiteral("points")), true))
            config.right = *curve;
    if (fans.count() == 0) {
        if (config.manual)
            unavailable << QStringLiteral("ERR_FAN_RUNTIME_UNAVAILABLE");
        return;
    }
    fans.applyConfig(config);
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
    BatteryConfig config = mac.policy().config();
    if (const auto v = json::strictBool(b, QStringLiteral("limit_enabled")))
        config.limitEnabled = *v;
    if (const auto v = json::integer(b, QStringLiteral("target_limit")))
        config.limit = static_cast<int>(std::clamp<qint64>(*v, 20, 100));
    if (const auto v = json::strictBool(b, QStringLiteral("charge_protector_enabled")))
        config.chargeProtector = *v;
    if (const auto v = json::integer(b, QStringLiteral("charge_protector_drop_percent")))
        config.drop = static_cast<int>(std::clamp<qint64>(*v, 1, 50));
    if (const auto v = json::strictBool(b, QStringLiteral("safety_drain_enabled")))
        config.safetyDrain = *v;
    const auto fixed = json::integer(b, QStringLiteral("safety_drain_target_percent"));
    const bool fixedMode
        = json::string(b, QStringLiteral("safety_drain_target_mode")).value_or(QString()) == QLatin1String("fixed");
    config.drainFixedTarget = fixedMode && fixed ? std::optional<int>(static_cast<int>(*fixed)) : std::nullopt;
    if (const auto v = json::strictBool(b, QStringLiteral("heat_protection_enabled")))
        config.heatProtect = *v;
    if (const auto v = json::number(b, QStringLiteral("max_battery_temp")))
        config.maxTemp = *v;
    mac.policy().configure(config);
}

void restoreSleep(const QJsonObject& s, SimulatedMac& mac)
{
    const bool enabled = json::strictBool(s, QStringLiteral("system_sleep_disabled")).value_or(mac.sleep().requested());
    std::optional<int> cutoff;
    if (const auto v = json::integer(s, QStringLiteral("battery_cutoff_percent")))
        cutoff = static_cast<int>(*v);
    std::vector<PolicyEvent> events;
    mac.sleep().request(enabled, cutoff, mac.sleepInputs(), events);
    for (const auto& e : events)
        mac.recordEvent(e);
}

} // namespace

QJsonObject fanSettings(const FanController& fans)
{
    const FanConfig& c = fans.config();
    QJsonObject fan{
        {QStringLiteral("mode"), fans.customPolicyActive() ? QStringLiteral("manual") : QStringLiteral("auto")},
        {QStringLiteral("unified"), c.unified},
        {QStringLiteral("smart_app_preset"), c.smartAppPreset},
        {QStringLiteral("preset_name"), c.presetName},
    };
    if (!c.left.empty())
        fan.insert(QStringLiteral("left_curve"), curveObject(c.presetName, c.left));
    const FanCurve& right = c.right.empty() ? c.left : c.right;
    if (!right.empty())
        fan.insert(QStringLiteral("right_curve"), curveObject(c.presetName, right));
    QJsonArray fixed;
    for (int i = 0; i < fans.count(); ++i)
        fixed.append(fans.fan(i).fixedRpm ? QJsonValue(*fans.fan(i).fixedRpm) : QJsonValue(QJsonValue::Null));
    fan.insert(QStringLiteral("fixed_rpm"), fixed);
    return fan;
}

QJsonObject batterySettings(const BatteryConfig& c)
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

QJsonObject sleepSettings(const SleepControl& sleep)
{
    return QJsonObject{{QStringLiteral("system_sleep_disabled"), sleep.requested()},
                       {QStringLiteral("battery_cutoff_percent"), sleep.cutoffPercent()}};
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

std::optional<FanCurve> curveFromWire(const QJsonValue& points, bool storedForm)
{
    if (!points.isArray())
        return std::nullopt;
    const QString tempKey = storedForm ? QStringLiteral("temperature") : QStringLiteral("temp");
    const QString fanKey = storedForm ? QStringLiteral("fan_percent") : QStringLiteral("fan");
    FanCurve curve;
    for (const auto& v : points.toArray()) {
        const auto temp = json::asDouble(v.toObject().value(tempKey));
        const auto fan = json::asDouble(v.toObject().value(fanKey));
        if (!v.isObject() || !temp || !fan)
            return std::nullopt;
        curve.push_back(CurvePoint{*temp, *fan});
    }
    return curve;
}

} // namespace vantrel::sim
