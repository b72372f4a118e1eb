#pragma once
// The "get_power_policy_state" reply: the battery and fan policy the daemon is enforcing.
// A key that is missing or of another type is absent; readers choose their own fallbacks.
#include <optional>

#include <QJsonObject>
#include <QString>

namespace vantrel {

struct PowerPolicyState {
    std::optional<qint64> batteryPercent;
    std::optional<bool> batteryPresent;
    std::optional<qint64> targetChargeLimit;
    std::optional<QString> powerOnlyState;
    std::optional<bool> chargeLimitEnabled;
    std::optional<bool> chargeProtectorEnabled;
    std::optional<bool> safetyDrainEnabled;
    std::optional<bool> heatProtectionEnabled;
    std::optional<bool> oneTimeFullChargeActive;
    std::optional<bool> systemSleepDisabledByVantrel;
    std::optional<bool> fanPolicyEnabled;
    std::optional<QString> fanPresetName;

    static PowerPolicyState fromReply(const QJsonObject& reply);
    bool operator==(const PowerPolicyState&) const = default;
};

} // namespace vantrel
