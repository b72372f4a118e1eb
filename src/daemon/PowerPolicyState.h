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
    // False when the firmware charges past the limit it accepted; daemons that never
    // notice that leave the key out.
    std::optional<bool> chargeLimitInEffect;
    // The daemon's own (English) words for that case, when it sends a non-empty text.
    std::optional<QString> chargeLimitWarningMessage;

    // The limit is on and the daemon says it does not hold. A missing or mistyped
    // "charge_limit_in_effect" counts as in effect.
    bool chargeLimitIgnored() const { return chargeLimitInEffect == false && chargeLimitEnabled != false; }

    static PowerPolicyState fromReply(const QJsonObject& reply);
    bool operator==(const PowerPolicyState&) const = default;
};

} // namespace vantrel
