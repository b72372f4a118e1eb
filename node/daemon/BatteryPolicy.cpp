#include "node/daemon/BatteryPolicy.h"

#include <algorithm>
#include <cmath>

#include "base/Log.h"

namespace vantrel::node {

namespace {

void logWrite(const QString& what, const SysfsWriteResult& r)
{
    logLine(QStringLiteral("vantrel-node: %1 -> %2%3%4")
                .arg(what, r.ok ? QStringLiteral("ok") : r.code,
                     r.applied >= 0 ? QStringLiteral(" (now %1)").arg(r.applied) : QString(),
                     r.detail.isEmpty() ? QString() : QStringLiteral(": ") + r.detail));
}

} // namespace

BatteryPolicy::BatteryPolicy(ChargeControl& charge)
    : charge_(charge)
{ }

SysfsWriteResult BatteryPolicy::writeLimit()
{
    SysfsWriteResult r;
    if (oneTimeFull_ || !config_.limitEnabled) {
        r = charge_.clearLimit();
        logWrite(QStringLiteral("charge limit cleared"), r);
        return r;
    }
    const ChargeCapabilities caps = charge_.capabilities();
    // With the protector charging resumes only below limit − drop; without it a start threshold
    // of 0 lets the battery charge whenever it is below the limit, and a start left over from
    // the protector can no longer hold charging back or block a lower limit.
    std::optional<int> start;
    if (caps.startThreshold)
        start = config_.chargeProtector ? std::max(0, config_.limit - config_.drop) : 0;
    r = charge_.setLimit(config_.limit, start);
    logWrite(QStringLiteral("charge limit %1%").arg(config_.limit), r);
    return r;
}

BatteryApplyOutcome BatteryPolicy::configure(const daemonserver::BatteryConfig& requested,
                                             const BatteryReading* battery)
{
    config_ = requested;
    const ChargeCapabilities caps = charge_.capabilities();
    BatteryApplyOutcome out;
    const auto part = [&out](const QString& name, bool ok, const QString& code) {
        out.lastApply.insert(name + QStringLiteral("_ok"), ok);
        if (!ok) {
            out.lastApply.insert(name + QStringLiteral("_code"), code);
            out.failed << name;
        }
    };
    const SysfsWriteResult limit = writeLimit();
    part(QStringLiteral("charge_limit"), limit.ok, limit.code);
    if (limit.ok && limit.applied >= 0)
        out.lastApply.insert(QStringLiteral("charge_limit_applied"), limit.applied);
    // The protector is the start threshold: charging resumes only below limit − drop.
    part(QStringLiteral("charge_protector"), !requested.chargeProtector || caps.startThreshold,
         QStringLiteral("unsupported"));
    const bool temperatureKnown = battery && std::isfinite(battery->temperatureC);
    part(QStringLiteral("heat_protection"), !requested.heatProtect || (caps.inhibitCharge && temperatureKnown),
         caps.inhibitCharge ? QStringLiteral("no_battery_temperature") : QStringLiteral("unsupported"));
    part(QStringLiteral("safety_drain"), !requested.safetyDrain || caps.forceDischarge, QStringLiteral("unsupported"));
    if (!requested.heatProtect)
        heatActive_ = false;
    if (!requested.safetyDrain)
        drainActive_ = false;
    return out;
}

SysfsWriteResult BatteryPolicy::setLimit(int limit)
{
    config_.limitEnabled = true;
    config_.limit = limit;
    return writeLimit();
}

SysfsWriteResult BatteryPolicy::startOneTimeFullCharge(std::optional<int> restoreLimit)
{
    oneTimeFull_ = true;
    restoreLimit_ = restoreLimit;
    return writeLimit();
}

void BatteryPolicy::reset()
{
    config_ = daemonserver::BatteryConfig{};
    oneTimeFull_ = false;
    restoreLimit_.reset();
    heatActive_ = false;
    drainActive_ = false;
    logWrite(QStringLiteral("charge limit cleared (reset)"), charge_.clearLimit());
    setBehaviour(ChargeBehaviour::Auto);
}

void BatteryPolicy::setBehaviour(ChargeBehaviour behaviour)
{
    // The first pass learns what the tree holds, so a machine already in that state is not written.
    if (!behaviour_)
        behaviour_ = charge_.currentBehaviour();
    if (behaviour_ == behaviour)
        return;
    const SysfsWriteResult r = charge_.setBehaviour(behaviour);
    // Remember only what was taken, so a refused write is tried again on the next pass.
    if (r.ok || r.code == QLatin1String("unsupported"))
        behaviour_ = behaviour;
    if (r.code != QLatin1String("unsupported"))
        logWrite(QStringLiteral("charge behaviour ") + ChargeControl::behaviourName(behaviour), r);
}

void BatteryPolicy::tick(std::chrono::steady_clock::time_point now, const std::optional<BatteryReading>& battery,
                         const AdapterReading& adapter)
{
    if (!battery || !battery->present)
        return;
    const int percent = battery->percent;
    if (oneTimeFull_ && (percent >= 100 || battery->status == QLatin1String("Full"))) {
        oneTimeFull_ = false;
        if (restoreLimit_) {
            config_.limitEnabled = true;
            config_.limit = *restoreLimit_;
        }
        restoreLimit_.reset();
        writeLimit();
    }
    const double temperature = battery->temperatureC;
    if (config_.heatProtect && std::isfinite(temperature)) {
        if (temperature > config_.maxTemp)
            heatActive_ = true;
        else if (temperature <= config_.maxTemp - kHeatHysteresis)
            heatActive_ = false;
    } else {
        heatActive_ = false;
    }
    if (config_.safetyDrain && adapter.connected && percent >= 0 && !oneTimeFull_)
        drainActive_ = drainActive_ ? percent > effectiveDrainTarget() : percent > effectiveDrainTarget() + 1;
    else
        drainActive_ = false;

    const ChargeCapabilities caps = charge_.capabilities();
    if (drainActive_ && caps.forceDischarge)
        setBehaviour(ChargeBehaviour::ForceDischarge);
    else if (heatActive_ && caps.inhibitCharge)
        setBehaviour(ChargeBehaviour::InhibitCharge);
    else
        setBehaviour(ChargeBehaviour::Auto);

    const int watched = config_.limitEnabled && !oneTimeFull_ ? config_.limit : 100;
    watch_.observe(now, adapter.connected, percent, battery->status, watched);
}

QString BatteryPolicy::state(const std::optional<BatteryReading>& battery, const AdapterReading& adapter) const
{
    if (!battery || !battery->present || (!config_.limitEnabled && !oneTimeFull_ && !config_.safetyDrain))
        return QStringLiteral("unmanaged");
    if (!adapter.connected)
        return QStringLiteral("on_battery");
    if (oneTimeFull_)
        return QStringLiteral("temporary_full_charge");
    if (drainActive_)
        return QStringLiteral("safety_drain_active");
    if (heatActive_)
        return QStringLiteral("heat_protection");
    const int target = config_.safetyDrain ? std::min(config_.limit, effectiveDrainTarget()) : config_.limit;
    const int percent = battery->percent;
    if (percent < 0)
        return QStringLiteral("charging_to_target");
    // Between the protector's floor and the limit the start threshold keeps the battery waiting.
    if (config_.chargeProtector && percent < target && percent >= target - config_.drop
        && battery->status != QStringLiteral("Charging"))
        return QStringLiteral("charge_protector_hold_until_drop_floor");
    if (percent > target)
        return QStringLiteral("power_only_hold_until_drop_floor");
    return percent < target ? QStringLiteral("charging_to_target") : QStringLiteral("power_only_at_target");
}

} // namespace vantrel::node
