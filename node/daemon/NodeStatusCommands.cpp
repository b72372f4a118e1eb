// Read-backs from this machine, runtime ownership and the application's heartbeat.
#include <cmath>

#include "daemonserver/Replies.h"
#include "node/daemon/NodeCommands.h"

namespace vantrel::node {

using daemonserver::okReply;

namespace {

double rounded(double value) { return std::round(value * 100.0) / 100.0; }

QJsonObject status(NodeContext& ctx, const QJsonObject&)
{
    QJsonObject reply = okReply();
    if (const auto t = ctx.cpuTemperature())
        reply.insert(QStringLiteral("cpu_temp"), rounded(*t));
    for (const FanReading& f : ctx.fanReadings())
        if (f.index < 2 && f.rpm >= 0)
            reply.insert(QStringLiteral("fan%1").arg(f.index), f.rpm);
    if (const auto b = ctx.battery(); b && b->present && b->percent >= 0)
        reply.insert(QStringLiteral("battery_percent"), b->percent);
    return reply;
}

QString batteryActivity(const std::optional<BatteryReading>& b, const AdapterReading& adapter)
{
    if (!b || !b->present)
        return QStringLiteral("no_battery");
    if (b->status == QLatin1String("Charging"))
        return QStringLiteral("charging");
    if (b->status == QLatin1String("Discharging"))
        return QStringLiteral("discharging");
    if (b->status == QLatin1String("Full"))
        return QStringLiteral("full");
    return adapter.connected ? QStringLiteral("ac_power") : QStringLiteral("discharging");
}

QJsonObject systemSnapshot(NodeContext& ctx, const QJsonObject&)
{
    ctx.refreshPower();
    const auto battery = ctx.battery();
    const AdapterReading adapter = ctx.adapter();
    QJsonObject reply = okReply({
        {QStringLiteral("cpu"), ctx.system->cpu()},
        {QStringLiteral("memory"), ctx.system->memory()},
        {QStringLiteral("battery_activity"),
         QJsonObject{{QStringLiteral("state"), batteryActivity(battery, adapter)},
                     {QStringLiteral("power_source"),
                      adapter.connected || !battery ? QStringLiteral("AC Power") : QStringLiteral("Battery Power")}}},
    });
    if (const auto t = ctx.storageTemperature())
        reply.insert(QStringLiteral("ssd"), QJsonObject{{QStringLiteral("temperature_celsius"), rounded(*t)}});
    return reply;
}

QJsonObject powerPolicy(NodeContext& ctx, const QJsonObject&)
{
    ctx.refreshPower();
    const auto b = ctx.battery();
    const bool present = b && b->present;
    const AdapterReading adapter = ctx.adapter();
    const BatteryPolicy& policy = ctx.batteryPolicy;
    const daemonserver::BatteryConfig& c = policy.config();
    const bool inEffect = policy.limitInEffect();
    QJsonObject r = okReply({
        {QStringLiteral("battery_present"), present},
        {QStringLiteral("external_power_connected"), adapter.connected},
        {QStringLiteral("power_only_state"), policy.state(b, adapter)},
        {QStringLiteral("charge_limit_enabled"), present && c.limitEnabled},
        {QStringLiteral("target_charge_limit"), c.limit},
        {QStringLiteral("charge_limit_in_effect"), inEffect},
        {QStringLiteral("charge_protector_enabled"), present && c.chargeProtector},
        {QStringLiteral("charge_protector_drop_percent"), c.drop},
        {QStringLiteral("charge_protector_floor_percent"), c.limit - c.drop},
        {QStringLiteral("safety_drain_enabled"), present && c.safetyDrain},
        {QStringLiteral("safety_drain_active"), policy.safetyDrainActive()},
        {QStringLiteral("safety_drain_target_mode"),
         c.drainFixedTarget ? QStringLiteral("fixed") : QStringLiteral("charge_limit")},
        {QStringLiteral("safety_drain_effective_target_percent"), policy.effectiveDrainTarget()},
        {QStringLiteral("safety_drain_auto_wait_seconds"), 0},
        {QStringLiteral("heat_protection_enabled"), present && c.heatProtect},
        {QStringLiteral("heat_protection_active"), policy.heatProtectionActive()},
        {QStringLiteral("heat_protection_remaining_seconds"), 0},
        {QStringLiteral("max_battery_temp"), c.maxTemp},
        {QStringLiteral("one_time_full_charge_active"), policy.oneTimeFullChargeActive()},
        {QStringLiteral("system_sleep_disabled_by_vantrel"), ctx.sleep.effective()},
        {QStringLiteral("sleep_battery_cutoff_percent"), ctx.sleep.cutoffPercent()},
        {QStringLiteral("low_battery_vanilla_active"), ctx.sleep.lowBatteryVanilla()},
        {QStringLiteral("fan_policy_enabled"), ctx.fanPolicy.customPolicyActive()},
        {QStringLiteral("fan_preset_name"), ctx.fanPolicy.settings().presetName},
        {QStringLiteral("app_lease_active"), ctx.leaseActive()},
        // The firmware charges past the limit it accepted: the hardware's own behaviour rules.
        {QStringLiteral("hardware_fallback_active"), present && c.limitEnabled && !inEffect},
        {QStringLiteral("survival_throttling_enabled"),
         ctx.survivalThrottling.value(QStringLiteral("enabled")).toBool()},
        {QStringLiteral("survival_throttling_active"), false},
        {QStringLiteral("cloud_alerts_enabled"), ctx.cloudAlerts.value(QStringLiteral("enabled")).toBool()},
    });
    if (present) {
        if (b->percent >= 0)
            r.insert(QStringLiteral("battery_percent"), b->percent);
        if (std::isfinite(b->temperatureC))
            r.insert(QStringLiteral("battery_temperature"), rounded(b->temperatureC));
        r.insert(QStringLiteral("is_charging"), b->status == QLatin1String("Charging"));
    }
    if (c.drainFixedTarget)
        r.insert(QStringLiteral("safety_drain_target_percent"), *c.drainFixedTarget);
    if (const auto restore = policy.restoreLimit())
        r.insert(QStringLiteral("one_time_full_charge_restore_limit"), *restore);
    if (present && c.limitEnabled && !inEffect)
        r.insert(
            QStringLiteral("charge_limit_warning_message"),
            QStringLiteral("The battery keeps charging past the %1% limit: the firmware ignores it.").arg(c.limit));
    return r;
}

QJsonObject powerSourceInfo(NodeContext& ctx, const QJsonObject&)
{
    ctx.refreshPower();
    const auto b = ctx.battery();
    const AdapterReading adapter = ctx.adapter();
    QJsonObject source{{QStringLiteral("power_source_state"),
                        adapter.connected || !b ? QStringLiteral("AC Power") : QStringLiteral("Battery Power")}};
    if (adapter.connected && std::isfinite(adapter.watts))
        source.insert(QStringLiteral("adapter_watts"), rounded(adapter.watts));
    QJsonObject registry;
    if (b && b->present) {
        source.insert(QStringLiteral("current_capacity"), b->percent);
        source.insert(QStringLiteral("is_charging"), b->status == QLatin1String("Charging"));
        registry.insert(QStringLiteral("name"), b->name);
        if (b->cycleCount >= 0)
            registry.insert(QStringLiteral("cycle_count"), b->cycleCount);
        if (std::isfinite(b->voltageV))
            registry.insert(QStringLiteral("voltage_v"), rounded(b->voltageV));
        if (std::isfinite(b->currentA))
            registry.insert(QStringLiteral("current_a"), rounded(b->currentA));
        if (std::isfinite(b->temperatureC))
            registry.insert(QStringLiteral("temperature_celsius"), rounded(b->temperatureC));
        if (b->designCapacityMah >= 0)
            registry.insert(QStringLiteral("design_capacity_mah"), b->designCapacityMah);
        if (b->fullChargeCapacityMah >= 0)
            registry.insert(QStringLiteral("full_charge_capacity_mah"), b->fullChargeCapacityMah);
    }
    return okReply({{QStringLiteral("power_source"), source},
                    {QStringLiteral("battery_registry"), registry},
                    {QStringLiteral("external_power_connected"), adapter.connected}});
}

} // namespace

void addNodeStatusCommands(NodeCommandTable& table)
{
    constexpr bool readOnly = false;
    constexpr bool quiet = true;
    table.add(QStringLiteral("get_status"), status, readOnly, quiet);
    table.add(QStringLiteral("get_system_snapshot"), systemSnapshot, readOnly, quiet);
    table.add(QStringLiteral("get_power_policy_state"), powerPolicy, readOnly, quiet);
    table.add(
        QStringLiteral("get_hardware_profile"),
        [](NodeContext& ctx, const QJsonObject&) { return okReply(ctx.facts().toProfile()); }, readOnly, quiet);
    table.add(QStringLiteral("get_power_source_info"), powerSourceInfo, readOnly, quiet);
    // A production daemon: one owner, never in a hand-over.
    table.add(
        QStringLiteral("get_runtime_ownership"),
        [](NodeContext&, const QJsonObject&) {
        return okReply(
            {{QStringLiteral("channel"), QStringLiteral("production")}, {QStringLiteral("transition_fenced"), false}});
        },
        readOnly, quiet);
    table.add(
        QStringLiteral("release_debug_runtime"),
        [](NodeContext&, const QJsonObject&) {
        return okReply(
            {{QStringLiteral("released"), false}, {QStringLiteral("channel"), QStringLiteral("production")}});
        },
        readOnly);
    table.add(
        QStringLiteral("app_heartbeat"),
        [](NodeContext& ctx, const QJsonObject&) {
        ctx.renewLease();
        return okReply({{QStringLiteral("lease_seconds"), HeartbeatLease::kSeconds}});
        },
        readOnly, quiet);
}

} // namespace vantrel::node
