#include "daemon/PowerPolicyState.h"

#include "base/JsonAccess.h"

namespace vantrel {

PowerPolicyState PowerPolicyState::fromReply(const QJsonObject& reply)
{
    PowerPolicyState state;
    state.batteryPercent = json::integer(reply, QStringLiteral("battery_percent"));
    state.batteryPresent = json::strictBool(reply, QStringLiteral("battery_present"));
    state.targetChargeLimit = json::integer(reply, QStringLiteral("target_charge_limit"));
    state.powerOnlyState = json::string(reply, QStringLiteral("power_only_state"));
    state.chargeLimitEnabled = json::strictBool(reply, QStringLiteral("charge_limit_enabled"));
    state.chargeProtectorEnabled = json::strictBool(reply, QStringLiteral("charge_protector_enabled"));
    state.safetyDrainEnabled = json::strictBool(reply, QStringLiteral("safety_drain_enabled"));
    state.heatProtectionEnabled = json::strictBool(reply, QStringLiteral("heat_protection_enabled"));
    state.oneTimeFullChargeActive = json::strictBool(reply, QStringLiteral("one_time_full_charge_active"));
    state.systemSleepDisabledByVantrel = json::strictBool(reply, QStringLiteral("system_sleep_disabled_by_vantrel"));
    state.fanPolicyEnabled = json::strictBool(reply, QStringLiteral("fan_policy_enabled"));
    state.fanPresetName = json::string(reply, QStringLiteral("fan_preset_name"));
    state.chargeLimitInEffect = json::strictBool(reply, QStringLiteral("charge_limit_in_effect"));
    if (auto message = json::string(reply, QStringLiteral("charge_limit_warning_message"));
        message && !message->isEmpty())
        state.chargeLimitWarningMessage = message;
    return state;
}

} // namespace vantrel
