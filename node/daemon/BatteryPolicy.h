#pragma once
// The battery policy on this machine's charge controls: the limit and the protector's start
// threshold through ChargeControl, heat protection and the safety drain through the charge
// behaviour, a one-time full charge, and the watch for firmware that ignores the limit.
// What the kernel does not offer is reported per part, never pretended.
#include <chrono>
#include <optional>

#include <QJsonObject>
#include <QStringList>

#include "daemonserver/BatteryConfig.h"
#include "node/power/ChargeControl.h"
#include "node/power/PowerSupplies.h"
#include "node/power/ThresholdWatch.h"

namespace vantrel::node {

struct BatteryApplyOutcome {
    QJsonObject lastApply; // "<part>_ok" for each part, "<part>_code" for a part that failed
    QStringList failed;
};

class BatteryPolicy {
public:
    // Degrees under the threshold the battery must cool to before charging resumes.
    static constexpr double kHeatHysteresis = 2.0;

    explicit BatteryPolicy(ChargeControl& charge);

    BatteryApplyOutcome configure(const daemonserver::BatteryConfig& requested, const BatteryReading* battery);
    // Only the limit, from "set_charge_limit"; the result of the write.
    SysfsWriteResult setLimit(int limit);
    // Charges to full once, then puts back restoreLimit (or the configured limit).
    SysfsWriteResult startOneTimeFullCharge(std::optional<int> restoreLimit);
    // Hands charging back to the hardware's default (no limit, automatic behaviour).
    void reset();

    // One pass of the policy with fresh readings.
    void tick(std::chrono::steady_clock::time_point now, const std::optional<BatteryReading>& battery,
              const AdapterReading& adapter);

    const daemonserver::BatteryConfig& config() const { return config_; }
    bool heatProtectionActive() const { return heatActive_; }
    bool safetyDrainActive() const { return drainActive_; }
    bool oneTimeFullChargeActive() const { return oneTimeFull_; }
    std::optional<int> restoreLimit() const { return restoreLimit_; }
    int effectiveDrainTarget() const { return config_.drainFixedTarget.value_or(config_.limit); }
    bool limitInEffect() const { return watch_.limitInEffect(); }
    // The power-only state in the protocol's words, as the application names them on screen:
    // "unmanaged", "on_battery", "temporary_full_charge", "safety_drain_active", "heat_protection",
    // "charge_protector_hold_until_drop_floor", "power_only_hold_until_drop_floor",
    // "power_only_at_target" or "charging_to_target".
    QString state(const std::optional<BatteryReading>& battery, const AdapterReading& adapter) const;

private:
    SysfsWriteResult writeLimit();
    void setBehaviour(ChargeBehaviour behaviour);

    ChargeControl& charge_;
    daemonserver::BatteryConfig config_;
    ThresholdWatch watch_;
    bool heatActive_ = false;
    bool drainActive_ = false;
    bool oneTimeFull_ = false;
    std::optional<int> restoreLimit_;
    std::optional<ChargeBehaviour> behaviour_;
};

} // namespace vantrel::node
