#include "sim/protocol/Readbacks.h"

#include <cmath>

#include <QJsonArray>

#include "sim/protocol/CommandTable.h"

namespace vantrel::sim {

double rounded(double value) { return std::round(value * 100.0) / 100.0; }

QJsonObject statusReadback(const SimContext& ctx)
{
    const SimulatedMac& mac = ctx.mac;
    QJsonObject reply = okReply({{QStringLiteral("cpu_temp"), rounded(mac.cpuTemperature())}});
    const FanController& fans = mac.fans();
    for (int i = 0; i < fans.count() && i < 2; ++i)
        reply.insert(QStringLiteral("fan%1").arg(i), static_cast<int>(std::lround(fans.fan(i).actualRpm)));
    if (const Battery* b = mac.battery())
        reply.insert(QStringLiteral("battery_percent"), b->percent());
    return reply;
}

QJsonObject powerPolicyReadback(const SimContext& ctx)
{
    const SimulatedMac& mac = ctx.mac;
    const BatteryPolicy& policy = mac.policy();
    const BatteryConfig& c = policy.config();
    const Battery* b = mac.battery();
    QJsonObject r = okReply({
        {QStringLiteral("battery_present"), b != nullptr},
        {QStringLiteral("external_power_connected"), mac.adapterConnected()},
        {QStringLiteral("power_only_state"), policy.state()},
        {QStringLiteral("charge_limit_enabled"), b && c.limitEnabled},
        {QStringLiteral("target_charge_limit"), c.limit},
        {QStringLiteral("charge_protector_enabled"), b && c.chargeProtector},
        {QStringLiteral("charge_protector_drop_percent"), c.drop},
        {QStringLiteral("charge_protector_floor_percent"), c.limit - c.drop},
        {QStringLiteral("safety_drain_enabled"), b && c.safetyDrain},
        {QStringLiteral("safety_drain_active"), policy.safetyDrainActive()},
        {QStringLiteral("safety_drain_target_mode"),
         c.drainFixedTarget ? QStringLiteral("fixed") : QStringLiteral("charge_limit")},
        {QStringLiteral("safety_drain_effective_target_percent"), policy.effectiveDrainTarget()},
        {QStringLiteral("safety_drain_auto_wait_seconds"), policy.safetyDrainWaitSeconds()},
        {QStringLiteral("heat_protection_enabled"), b && c.heatProtect},
        {QStringLiteral("heat_protection_active"), policy.heatProtectionActive()},
        {QStringLiteral("heat_protection_remaining_seconds"), policy.heatRemainingSeconds()},
        {QStringLiteral("max_battery_temp"), c.maxTemp},
        {QStringLiteral("one_time_full_charge_active"), policy.oneTimeFullChargeActive()},
        {QStringLiteral("system_sleep_disabled_by_vantrel"), mac.sleep().effective()},
        {QStringLiteral("sleep_battery_cutoff_percent"), mac.sleep().cutoffPercent()},
        {QStringLiteral("low_battery_vanilla_active"), mac.sleep().lowBatteryVanilla()},
        {QStringLiteral("fan_policy_enabled"), mac.fans().customPolicyActive()},
        {QStringLiteral("fan_preset_name"), mac.fans().config().presetName},
        {QStringLiteral("app_lease_active"), mac.appLeaseActive()},
        // The sim's charge control never falls back to a hardware default on its own.
        {QStringLiteral("hardware_fallback_active"), false},
        {QStringLiteral("survival_throttling_enabled"), mac.survivalThrottling().enabled},
        {QStringLiteral("survival_throttling_active"), mac.survivalThrottleActive()},
        {QStringLiteral("cloud_alerts_enabled"), ctx.cloudAlerts.value(QStringLiteral("enabled")).toBool()},
    });
    if (b) {
        r.insert(QStringLiteral("battery_percent"), b->percent());
        r.insert(QStringLiteral("battery_temperature"), rounded(b->temperature()));
        r.insert(QStringLiteral("is_charging"), mac.isCharging());
    }
    if (c.drainFixedTarget)
        r.insert(QStringLiteral("safety_drain_target_percent"), *c.drainFixedTarget);
    if (const auto warning = policy.heatWarning())
        r.insert(QStringLiteral("heat_protection_warning_message"), *warning);
    if (const auto restore = policy.restoreLimit())
        r.insert(QStringLiteral("one_time_full_charge_restore_limit"), *restore);
    return r;
}

QJsonObject hardwareProfileReadback(const SimContext& ctx)
{
    const MachineProfile& p = ctx.mac.profile();
    QJsonArray maxima;
    for (const auto& f : p.fans)
        maxima.append(f.maxRpm);
    return okReply({
        {QStringLiteral("model_identifier"), p.modelIdentifier},
        {QStringLiteral("model_name"), p.modelName},
        {QStringLiteral("marketing_name"), p.marketingName},
        {QStringLiteral("architecture"), p.architecture},
        {QStringLiteral("fan_count"), static_cast<int>(p.fans.size())},
        {QStringLiteral("fan_max_rpm"), maxima},
        {QStringLiteral("has_battery"), p.hasBattery},
        {QStringLiteral("supports_clamshell"), p.supportsClamshell},
        {QStringLiteral("supports_smc_fan_control"), p.supportsSmcFanControl},
        {QStringLiteral("supports_safe_fan_control"), p.supportsSafeFanControl},
        {QStringLiteral("supports_battery_smc_control"), p.supportsBatterySmcControl},
        {QStringLiteral("desktop_class"), p.desktopClass},
    });
}

QJsonObject systemSnapshotReadback(SimContext& ctx)
{
    const SimulatedMac& mac = ctx.mac;
    QString state = QStringLiteral("no_battery");
    if (const Battery* b = mac.battery()) {
        if (mac.isCharging())
            state = QStringLiteral("charging");
        else if (b->currentMa() < 0)
            state = QStringLiteral("discharging");
        else if (b->full())
            state = QStringLiteral("full");
        else
            state = QStringLiteral("ac_power");
    }
    return okReply({
        {QStringLiteral("cpu"), ctx.system->cpu()},
        {QStringLiteral("memory"), ctx.system->memory()},
        {QStringLiteral("battery_activity"),
         QJsonObject{{QStringLiteral("state"), state},
                     {QStringLiteral("power_source"),
                      mac.adapterConnected() ? QStringLiteral("AC Power") : QStringLiteral("Battery Power")}}},
        {QStringLiteral("ssd"), QJsonObject{{QStringLiteral("temperature_celsius"), rounded(mac.sensors().ssd[0])}}},
    });
}

} // namespace vantrel::sim
