// battery limit / protector / heat and sleep prevent: the battery policy goes as one complete
// "set_battery_config" (the policy in force with one value changed), sleep as the sleep
// screen's "set_system_sleep_disabled".
#include "base/JsonAccess.h"
#include "daemon/DaemonClient.h"
#include "power/BatteryConfiguration.h"
#include "sleep/BatteryInterlock.h"
#include "sleep/SleepSettingsState.h"
#include "tools/vantrelctl/CtlCommands.h"
#include "tools/vantrelctl/CtlTransport.h"

namespace vantrel {
namespace {

// The policy the daemon enforces, read the way the power screen reads it back; a key that is
// missing keeps the application's default.
BatteryConfiguration configurationInForce(const QJsonObject& power)
{
    BatteryConfiguration c;
    c.batteryLimitEnabled
        = json::strictBool(power, QStringLiteral("charge_limit_enabled")).value_or(c.batteryLimitEnabled);
    if (const auto limit = json::integer(power, QStringLiteral("target_charge_limit")))
        c.chargeLimit = BatteryConfiguration::normalizedChargeLimit(static_cast<double>(*limit));
    c.chargeProtectorEnabled
        = json::strictBool(power, QStringLiteral("charge_protector_enabled")).value_or(c.chargeProtectorEnabled);
    c.safetyDrainEnabled
        = json::strictBool(power, QStringLiteral("safety_drain_enabled")).value_or(c.safetyDrainEnabled);
    if (json::string(power, QStringLiteral("safety_drain_target_mode")) == QStringLiteral("fixed"))
        if (const auto target = json::integer(power, QStringLiteral("safety_drain_target_percent")))
            c.safetyDrainTargetPercent = static_cast<int>(*target);
    c.heatProtectionEnabled
        = json::strictBool(power, QStringLiteral("heat_protection_enabled")).value_or(c.heatProtectionEnabled);
    c.maxBatteryTemp = json::number(power, QStringLiteral("max_battery_temp")).value_or(c.maxBatteryTemp);
    return c;
}

QString onOffText(bool on) { return on ? QStringLiteral("on") : QStringLiteral("off"); }

} // namespace

CtlResult runBatteryCommand(const CtlContext& ctx, const CtlCommand& command)
{
    const auto readback = ctx.client.getPowerPolicyState();
    if (!readback || ctx.transport.lastWentUnanswered()) {
        const auto& exchanges = ctx.transport.exchanges();
        const auto reply = exchanges.empty() ? std::nullopt : exchanges.back().reply;
        return exchangeFailure(ctx, reply).value_or(CtlResult::noReply(ctx.socketPath));
    }
    BatteryConfiguration config = configurationInForce(*readback);
    switch (command.kind) {
    case CtlCommand::Kind::BatteryLimit:
        config.batteryLimitEnabled = command.limit.has_value();
        if (command.limit)
            config.chargeLimit = BatteryConfiguration::normalizedChargeLimit(*command.limit);
        break;
    case CtlCommand::Kind::BatteryProtector:
        config.chargeProtectorEnabled = command.on;
        break;
    default:
        config.heatProtectionEnabled = command.on;
        if (command.maxTemp)
            config.maxBatteryTemp = *command.maxTemp;
    }
    const auto reply = ctx.client.send(config.request());
    if (auto failure = exchangeFailure(ctx, reply))
        return *failure;
    CtlResult r;
    r.lines << QStringLiteral("Charge limit: ")
            + (config.batteryLimitEnabled ? QString::number(config.chargeLimit) + QStringLiteral(" %")
                                          : QStringLiteral("off"))
            << QStringLiteral("Charge protector: ") + onOffText(config.chargeProtectorEnabled)
            << QStringLiteral("Heat protection: ") + onOffText(config.heatProtectionEnabled)
            + QStringLiteral(" (at %1 °C)").arg(config.maxBatteryTemp);
    r.fields = {{QStringLiteral("charge_limit_enabled"), config.batteryLimitEnabled},
                {QStringLiteral("charge_limit"), config.chargeLimit},
                {QStringLiteral("charge_protector"), config.chargeProtectorEnabled},
                {QStringLiteral("heat_protection"), config.heatProtectionEnabled},
                {QStringLiteral("max_temp"), config.maxBatteryTemp}};
    return r;
}

CtlResult runSleepCommand(const CtlContext& ctx, const CtlCommand& command)
{
    SleepSettingsState sleepSettings(ctx.appPreferences);
    sleepSettings.restore();
    const int cutoff = command.cutoff ? normalizedBatteryInterlockPercent(*command.cutoff)
                                      : sleepSettings.sleepBatteryCutoffPercent();
    SleepRuntimeApplyResult result = ctx.client.setSystemSleepDisabledResult(command.on, cutoff, true);
    if (ctx.transport.lastWentUnanswered())
        return CtlResult::noReply(ctx.socketPath);
    // An answer about another request is no confirmation of this one.
    if (result.succeeded && result.requestedEnabled != command.on) {
        result.succeeded = false;
        result.code = QStringLiteral("ERR_SLEEP_APPLY_REQUEST_MISMATCH");
    }
    CtlResult r;
    if (!result.succeeded) {
        r.exitCode = CtlResult::DaemonRefused;
        r.code = result.code.value_or(QStringLiteral("error"));
        r.message = QStringLiteral("the daemon refused: ") + r.code;
    }
    r.lines << QStringLiteral("Sleep prevention: requested ") + onOffText(result.requestedEnabled)
            + QStringLiteral(", in effect ") + onOffText(result.effectiveEnabled)
            << QStringLiteral("Battery cut-off: %1 %").arg(cutoff);
    if (result.lowBatteryVanillaActive)
        r.lines << QStringLiteral("The battery is below the cut-off: the Mac sleeps as usual for now.");
    r.fields = {{QStringLiteral("requested_enabled"), result.requestedEnabled},
                {QStringLiteral("effective_enabled"), result.effectiveEnabled},
                {QStringLiteral("low_battery_vanilla_active"), result.lowBatteryVanillaActive},
                {QStringLiteral("battery_cutoff_percent"), cutoff}};
    if (result.succeeded && result.code)
        r.fields.insert(QStringLiteral("daemon_code"), *result.code);
    return r;
}

} // namespace vantrel
