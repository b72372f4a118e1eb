#pragma once
// The daemon's battery policy: charge limit, charge protector (sail down to the drop floor,
// then recharge), safety drain to a target on the adapter, 180-second heat-protection episodes
// and the one-time full charge. step() with dt 0 re-evaluates after a configuration change.
#include <optional>
#include <vector>

#include <QString>

#include "daemonserver/BatteryConfig.h"

namespace vantrel::sim {

using daemonserver::BatteryConfig;

struct PolicyInputs {
    bool hasBattery = true;
    bool adapterConnected = false;
    int percent = 0;
    double temperature = 30.0;
};

struct PolicyDecision {
    bool chargeAllowed = true;
    bool adapterInputEnabled = true; // false: the system runs from the battery although plugged in
    bool fansMax = false;
};

// One evidence-worthy change of the policy.
struct PolicyEvent {
    QString policyId;
    QString action;
    QString summary;
    QString trigger;
    QString resultState;
};

class BatteryPolicy {
public:
    static constexpr double kHeatEpisodeSeconds = 180.0;
    static constexpr double kDrainWaitSeconds = 60.0;
    static constexpr double kHeatWarningMargin = 2.0;

    const BatteryConfig& config() const { return config_; }
    void configure(const BatteryConfig& config);
    // "set_charge_limit": a new limit, limiting switched on.
    void setChargeLimit(int limit);
    void requestOneTimeFullCharge(std::optional<int> restoreLimit);
    void resetToVanilla();

    PolicyDecision step(const PolicyInputs& in, double dt, std::vector<PolicyEvent>& events);
    PolicyDecision decision() const { return decision_; }

    QString state() const { return state_; }
    bool heatProtectionActive() const { return heatRemaining_ > 0; }
    int heatRemainingSeconds() const;
    std::optional<QString> heatWarning() const { return heatWarning_; }
    bool safetyDrainActive() const { return drainActive_; }
    // Seconds until a pending drain starts; 0 when none is pending.
    int safetyDrainWaitSeconds() const;
    int effectiveDrainTarget() const { return config_.drainFixedTarget.value_or(config_.limit); }
    bool oneTimeFullChargeActive() const { return fullCharge_; }
    std::optional<int> restoreLimit() const { return restoreLimit_; }
    bool protectorHolding() const { return protectorHolding_; }

private:
    void stepHeat(const PolicyInputs& in, double dt, std::vector<PolicyEvent>& events);
    void stepDrain(const PolicyInputs& in, double dt, std::vector<PolicyEvent>& events);
    QString computeState(const PolicyInputs& in) const;
    // The level charging stops at: the limit, or the drain target when that is lower.
    int chargeCeiling() const;

    BatteryConfig config_;
    bool fullCharge_ = false;
    std::optional<int> restoreLimit_;
    double heatRemaining_ = 0;
    std::optional<QString> heatWarning_;
    bool drainActive_ = false;
    std::optional<double> drainWait_;
    bool protectorHolding_ = false;
    QString state_ = QStringLiteral("unmanaged");
    PolicyDecision decision_;
};

} // namespace vantrel::sim
