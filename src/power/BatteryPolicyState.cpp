#include "power/BatteryPolicyState.h"

#include <cmath>
#include <limits>

#include "base/Preferences.h"

namespace vantrel {

const QString BatteryPolicyState::batteryLimitEnabledKey = QStringLiteral("batteryLimitEnabled");
const QString BatteryPolicyState::chargeLimitKey = QStringLiteral("chargeLimit");
const QString BatteryPolicyState::chargeProtectorEnabledKey = QStringLiteral("chargeProtectorEnabled");
const QString BatteryPolicyState::safetyDrainEnabledKey = QStringLiteral("safetyDrainEnabled");
const QString BatteryPolicyState::safetyDrainTargetPercentKey = QStringLiteral("safetyDrainTargetPercent");
const QString BatteryPolicyState::heatProtectionEnabledKey = QStringLiteral("heatProtectionEnabled");
const QString BatteryPolicyState::maxBatteryTempKey = QStringLiteral("maxBatteryTemp");

namespace {

// Older releases called the charge protector "sailing mode" and safety drain "force discharge".
const QString legacySailingModeKey = QStringLiteral("sailingModeEnabled");
const QString legacyForceDischargeKey = QStringLiteral("forceDischargeEnabled");

std::optional<int> asInt(std::optional<qint64> v)
{
    if (!v || *v < std::numeric_limits<int>::min() || *v > std::numeric_limits<int>::max())
        return std::nullopt;
    return static_cast<int>(*v);
}

} // namespace

BatteryPolicyState::BatteryPolicyState(Preferences& preferences, QObject* parent)
    : QObject(parent)
    , preferences_(preferences)
{
    restore();
}

void BatteryPolicyState::restore()
{
    if (auto v = preferences_.optionalBool(batteryLimitEnabledKey))
        setBatteryLimitEnabled(*v);
    if (auto v = asInt(preferences_.optionalInt(chargeLimitKey)))
        setChargeLimit(*v);
    if (auto v = preferences_.optionalBool(chargeProtectorEnabledKey))
        setChargeProtectorEnabled(*v);
    else if (auto legacy = preferences_.optionalBool(legacySailingModeKey))
        setChargeProtectorEnabled(*legacy);
    // The stored drop ("chargeProtectorDropPercent" or the older "sailingDropPercent") is
    // deliberately not read: the drop is fixed.
    if (auto v = preferences_.optionalBool(safetyDrainEnabledKey))
        setSafetyDrainEnabled(*v);
    else if (auto legacy = preferences_.optionalBool(legacyForceDischargeKey))
        setSafetyDrainEnabled(*legacy);
    if (preferences_.exists(safetyDrainTargetPercentKey))
        setSafetyDrainTargetPercent(asInt(preferences_.optionalInt(safetyDrainTargetPercentKey)));
    if (auto v = preferences_.optionalBool(heatProtectionEnabledKey))
        setHeatProtectionEnabled(*v);
    if (auto v = preferences_.optionalDouble(maxBatteryTempKey))
        setMaxBatteryTemp(*v);
}

void BatteryPolicyState::setBatteryLimitEnabled(bool on)
{
    preferences_.setValue(batteryLimitEnabledKey, on);
    if (config_.batteryLimitEnabled == on)
        return;
    config_.batteryLimitEnabled = on;
    Q_EMIT batteryLimitEnabledChanged();
}

void BatteryPolicyState::setChargeLimit(int percent)
{
    preferences_.setValue(chargeLimitKey, percent);
    if (config_.chargeLimit == percent)
        return;
    config_.chargeLimit = percent;
    Q_EMIT chargeLimitChanged();
}

void BatteryPolicyState::setChargeProtectorEnabled(bool on)
{
    preferences_.setValue(chargeProtectorEnabledKey, on);
    if (config_.chargeProtectorEnabled == on)
        return;
    config_.chargeProtectorEnabled = on;
    Q_EMIT chargeProtectorEnabledChanged();
}

void BatteryPolicyState::setChargeProtectorDropPercent(int percent)
{
    // Observers still hear of the write, so a control that showed another value snaps back.
    if (percent != BatteryConfiguration::fixedDropPercent)
        Q_EMIT chargeProtectorDropPercentChanged();
}

void BatteryPolicyState::setSafetyDrainEnabled(bool on)
{
    preferences_.setValue(safetyDrainEnabledKey, on);
    if (config_.safetyDrainEnabled == on)
        return;
    config_.safetyDrainEnabled = on;
    Q_EMIT safetyDrainEnabledChanged();
}

void BatteryPolicyState::setSafetyDrainTargetPercent(std::optional<int> percent)
{
    if (percent)
        preferences_.setValue(safetyDrainTargetPercentKey, *percent);
    else
        preferences_.remove(safetyDrainTargetPercentKey);
    if (config_.safetyDrainTargetPercent == percent)
        return;
    config_.safetyDrainTargetPercent = percent;
    Q_EMIT safetyDrainTargetPercentChanged();
}

void BatteryPolicyState::setHeatProtectionEnabled(bool on)
{
    preferences_.setValue(heatProtectionEnabledKey, on);
    if (config_.heatProtectionEnabled == on)
        return;
    config_.heatProtectionEnabled = on;
    Q_EMIT heatProtectionEnabledChanged();
}

void BatteryPolicyState::setMaxBatteryTemp(double celsius)
{
    if (!std::isfinite(celsius))
        return;
    preferences_.setValue(maxBatteryTempKey, celsius);
    if (config_.maxBatteryTemp == celsius)
        return;
    config_.maxBatteryTemp = celsius;
    Q_EMIT maxBatteryTempChanged();
}

void BatteryPolicyState::setLastBatteryConfigSignature(std::optional<QString> signature)
{
    if (lastSignature_ == signature)
        return;
    lastSignature_ = std::move(signature);
    Q_EMIT lastBatteryConfigSignatureChanged();
}

void BatteryPolicyState::setConfiguration(const BatteryConfiguration& config)
{
    setBatteryLimitEnabled(config.batteryLimitEnabled);
    setChargeLimit(config.chargeLimit);
    setChargeProtectorEnabled(config.chargeProtectorEnabled);
    setSafetyDrainEnabled(config.safetyDrainEnabled);
    setSafetyDrainTargetPercent(config.safetyDrainTargetPercent);
    setHeatProtectionEnabled(config.heatProtectionEnabled);
    setMaxBatteryTemp(config.maxBatteryTemp);
}

} // namespace vantrel
