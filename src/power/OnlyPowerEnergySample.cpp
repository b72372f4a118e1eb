#include "power/OnlyPowerEnergySample.h"

#include "base/JsonAccess.h"
#include "power/OptionalJsonField.h"

namespace vantrel {
namespace {

template <class T> void writeOptional(QJsonObject& o, const QString& key, const std::optional<T>& v)
{
    if (v)
        o.insert(key, *v);
}

} // namespace

std::optional<OnlyPowerEnergySample> OnlyPowerEnergySample::fromJson(const QJsonObject& o)
{
    static const QString kTimestamp
        = QStringLiteral("timestamp"),
        kEpoch = QStringLiteral("epoch_seconds"), kPhase = QStringLiteral("phase"),
        kCycle = QStringLiteral("cycle_count"), kCapacity = QStringLiteral("raw_max_capacity_mAh"),
        kAmperage = QStringLiteral("instant_amperage_mA"), kExternal = QStringLiteral("external_connected"),
        kCharging = QStringLiteral("is_charging"), kBatteryPower = QStringLiteral("battery_power_watts"),
        kSystemPower = QStringLiteral("system_power_watts"), kVerified = QStringLiteral("policy_verified");
    auto timestamp = json::string(o, kTimestamp);
    auto epoch = json::number(o, kEpoch);
    auto phase = json::string(o, kPhase);
    if (!timestamp || !epoch || !phase)
        return std::nullopt;
    OnlyPowerEnergySample s;
    s.timestamp = *timestamp;
    s.epochSeconds = *epoch;
    s.phase = *phase;
    const bool ok = readOptionalField(o, kCycle, s.cycleCount, json::asInteger)
        && readOptionalField(o, kCapacity, s.rawMaxCapacityMAh, json::asInteger)
        && readOptionalField(o, kAmperage, s.instantAmperageMA, json::asInteger)
        && readOptionalField(o, kExternal, s.externalConnected, json::asStrictBool)
        && readOptionalField(o, kCharging, s.isCharging, json::asStrictBool)
        && readOptionalField(o, kBatteryPower, s.batteryPowerWatts, json::asDouble)
        && readOptionalField(o, kSystemPower, s.systemPowerWatts, json::asDouble)
        && readOptionalField(o, kVerified, s.policyVerified, json::asStrictBool);
    if (!ok)
        return std::nullopt;
    return s;
}

QJsonObject OnlyPowerEnergySample::toJson() const
{
    QJsonObject o{{QStringLiteral("timestamp"), timestamp},
                  {QStringLiteral("epoch_seconds"), epochSeconds},
                  {QStringLiteral("phase"), phase}};
    writeOptional(o, QStringLiteral("cycle_count"), cycleCount);
    writeOptional(o, QStringLiteral("raw_max_capacity_mAh"), rawMaxCapacityMAh);
    writeOptional(o, QStringLiteral("instant_amperage_mA"), instantAmperageMA);
    writeOptional(o, QStringLiteral("external_connected"), externalConnected);
    writeOptional(o, QStringLiteral("is_charging"), isCharging);
    writeOptional(o, QStringLiteral("battery_power_watts"), batteryPowerWatts);
    writeOptional(o, QStringLiteral("system_power_watts"), systemPowerWatts);
    writeOptional(o, QStringLiteral("policy_verified"), policyVerified);
    return o;
}

} // namespace vantrel
