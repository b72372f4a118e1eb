#include "sim/model/BatteryPolicy.h"

#include <algorithm>
#include <cmath>

namespace vantrel::sim {

namespace {
QString percentText(int percent) { return QString::number(percent) + QLatin1Char('%'); }
} // namespace

void BatteryPolicy::configure(const BatteryConfig& config)
{
    config_ = config;
    if (!config_.limitEnabled || !config_.chargeProtector)
        protectorHolding_ = false;
}

void BatteryPolicy::setChargeLimit(int limit)
{
    config_.limitEnabled = true;
    config_.limit = limit;
}

void BatteryPolicy::requestOneTimeFullCharge(std::optional<int> restoreLimit)
{
    fullCharge_ = true;
    restoreLimit_ = restoreLimit;
    protectorHolding_ = false;
}

void BatteryPolicy::resetToVanilla()
{
    config_ = BatteryConfig{};
    fullCharge_ = false;
    restoreLimit_.reset();
    heatRemaining_ = 0;
    heatWarning_.reset();
    drainActive_ = false;
    drainWait_.reset();
    protectorHolding_ = false;
}

int BatteryPolicy::heatRemainingSeconds() const { return static_cast<int>(std::ceil(heatRemaining_)); }

int BatteryPolicy::safetyDrainWaitSeconds() const
{
    return drainWait_ ? std::max(0, static_cast<int>(std::ceil(*drainWait_))) : 0;
}

void BatteryPolicy::stepHeat(const PolicyInputs& in, double dt, std::vector<PolicyEvent>& events)
{
    const QString temp = QString::number(in.temperature, 'f', 1);
    const QString limit = QString::number(config_.maxTemp, 'f', 1);
    if (heatRemaining_ > 0) {
        heatRemaining_ = config_.heatProtect ? heatRemaining_ - dt : 0;
        if (heatRemaining_ <= 0) {
            heatRemaining_ = 0;
            events.push_back(
                {QStringLiteral("battery.heat_protection"), QStringLiteral("episode_ended"),
                 QStringLiteral("Heat protection ended at %1 °C; charging and fan preset restored").arg(temp),
                 config_.heatProtect ? QStringLiteral("episode_elapsed") : QStringLiteral("heat_protection_disabled"),
                 QStringLiteral("idle")});
        }
    }
    // A new episode starts whenever the cells are still too hot once the last one is over.
    if (config_.heatProtect && heatRemaining_ <= 0 && in.temperature > config_.maxTemp) {
        heatRemaining_ = kHeatEpisodeSeconds;
        events.push_back(
            {QStringLiteral("battery.heat_protection"), QStringLiteral("episode_started"),
             QStringLiteral("Battery at %1 °C above %2 °C: power cut and fans at maximum for 180 s").arg(temp, limit),
             QStringLiteral("battery_temperature"), QStringLiteral("active")});
    }
    heatWarning_.reset();
    if (config_.heatProtect && heatRemaining_ <= 0 && in.temperature >= config_.maxTemp - kHeatWarningMargin)
        heatWarning_ = QStringLiteral("배터리 온도가 %1°C로 열 보호 기준 %2°C에 가깝습니다.").arg(temp, limit);
}

void BatteryPolicy::stepDrain(const PolicyInputs& in, double dt, std::vector<PolicyEvent>& events)
{
    const int target = effectiveDrainTarget();
    if (!config_.safetyDrain || !in.adapterConnected || fullCharge_) {
        if (drainActive_)
            events.push_back(
                {QStringLiteral("battery.safety_drain"), QStringLiteral("drain_stopped"),
                 QStringLiteral("Safety drain stopped at %1").arg(percentText(in.percent)),
                 config_.safetyDrain ? QStringLiteral("adapter_disconnected") : QStringLiteral("safety_drain_disabled"),
                 QStringLiteral("idle")});
        drainActive_ = false;
        drainWait_.reset();
        return;
    }
    if (drainActive_) {
        if (in.percent <= target) {
            drainActive_ = false;
            events.push_back({QStringLiteral("battery.safety_drain"), QStringLiteral("drain_completed"),
                              QStringLiteral("Safety drain reached its target of %1").arg(percentText(target)),
                              QStringLiteral("target_reached"), QStringLiteral("idle")});
        }
        return;
    }
    if (in.percent <= target) {
        drainWait_.reset();
        return;
    }
    // A short wait keeps a brief plug-in from starting a drain.
    if (!drainWait_) {
        drainWait_ = kDrainWaitSeconds;
        return;
    }
    *drainWait_ -= dt;
    if (*drainWait_ <= 0) {
        drainWait_.reset();
        drainActive_ = true;
        events.push_back({QStringLiteral("battery.safety_drain"), QStringLiteral("drain_started"),
                          QStringLiteral("Safety drain from %1 to %2 on the adapter")
                              .arg(percentText(in.percent), percentText(target)),
                          QStringLiteral("above_target"), QStringLiteral("active")});
    }
}

int BatteryPolicy::chargeCeiling() const
{
    int ceiling = config_.limitEnabled ? config_.limit : 100;
    // With safety drain on, the drain target is also the level the battery is held at.
    if (config_.safetyDrain)
        ceiling = std::min(ceiling, effectiveDrainTarget());
    return ceiling;
}

QString BatteryPolicy::computeState(const PolicyInputs& in) const
{
    if (!in.hasBattery || (!config_.limitEnabled && !fullCharge_ && !config_.safetyDrain))
        return QStringLiteral("unmanaged");
    if (!in.adapterConnected)
        return QStringLiteral("on_battery");
    if (fullCharge_)
        return QStringLiteral("temporary_full_charge");
    if (drainActive_)
        return QStringLiteral("safety_drain_active");
    if (protectorHolding_)
        return QStringLiteral("charge_protector_hold_until_drop_floor");
    // Above the target the adapter runs the Mac and charging waits until the level has fallen to it.
    const int ceiling = chargeCeiling();
    if (in.percent > ceiling)
        return QStringLiteral("power_only_hold_until_drop_floor");
    return in.percent < ceiling ? QStringLiteral("charging_to_target") : QStringLiteral("power_only_at_target");
}

PolicyDecision BatteryPolicy::step(const PolicyInputs& in, double dt, std::vector<PolicyEvent>& events)
{
    if (!in.hasBattery) {
        state_ = QStringLiteral("unmanaged");
        decision_ = PolicyDecision{false, true, false};
        return decision_;
    }
    stepHeat(in, dt, events);

    if (fullCharge_ && in.adapterConnected && in.percent >= 100) {
        fullCharge_ = false;
        if (restoreLimit_)
            config_.limit = *restoreLimit_;
        events.push_back(
            {QStringLiteral("battery.one_time_full_charge"), QStringLiteral("completed"),
             QStringLiteral("One-time full charge complete; charge limit %1 restored").arg(percentText(config_.limit)),
             QStringLiteral("battery_full"), QStringLiteral("completed")});
        restoreLimit_.reset();
    }
    stepDrain(in, dt, events);

    if (config_.limitEnabled && config_.chargeProtector && !fullCharge_) {
        if (in.percent >= config_.limit && !protectorHolding_) {
            protectorHolding_ = true;
        } else if (protectorHolding_ && in.percent <= config_.limit - config_.drop) {
            protectorHolding_ = false;
            events.push_back({QStringLiteral("battery.charge_protector"), QStringLiteral("recharge"),
                              QStringLiteral("Drop floor %1 reached; charging back to %2")
                                  .arg(percentText(config_.limit - config_.drop), percentText(config_.limit)),
                              QStringLiteral("drop_floor_reached"), QStringLiteral("charging_to_target")});
        }
    } else {
        protectorHolding_ = false;
    }

    PolicyDecision d;
    if (fullCharge_)
        d.chargeAllowed = true;
    else if (config_.limitEnabled || config_.safetyDrain)
        d.chargeAllowed = in.percent < chargeCeiling() && !protectorHolding_;
    const bool heat = heatRemaining_ > 0;
    // Sailing down to the drop floor, draining and a heat episode all run the Mac from the battery.
    d.adapterInputEnabled = !(heat || drainActive_ || (protectorHolding_ && in.adapterConnected));
    if (heat)
        d.chargeAllowed = false;
    d.fansMax = heat;
    decision_ = d;

    const QString next = computeState(in);
    if (next != state_)
        events.push_back(
            {QStringLiteral("battery.power_only"), QStringLiteral("state_changed"),
             QStringLiteral("%1 -> %2 at %3").arg(state_, next, percentText(in.percent)),
             in.adapterConnected ? QStringLiteral("adapter_connected") : QStringLiteral("adapter_disconnected"), next});
    state_ = next;
    return decision_;
}

} // namespace vantrel::sim
