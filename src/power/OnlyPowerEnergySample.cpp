#include "power/OnlyPowerEnergySample.h"

#include <array>

#include "base/FlatJsonLine.h"
#include "base/JsonAccess.h"
#include "power/OptionalJsonField.h"

namespace vantrel {
namespace {

template <class T> void writeOptional(QJsonObject& o, const QString& key, const std::optional<T>& v)
{
    if (v)
        o.insert(key, *v);
}

using json::FlatJsonLine;

enum Field : size_t {
    Timestamp,
    Epoch,
    Phase,
    Cycle,
    Capacity,
    Amperage,
    External,
    Charging,
    BatteryPower,
    SystemPower,
    Verified,
    FieldCount
};

constexpr std::array<std::string_view, FieldCount> fieldKeys{
    "timestamp",           "epoch_seconds",      "phase",       "cycle_count",         "raw_max_capacity_mAh",
    "instant_amperage_mA", "external_connected", "is_charging", "battery_power_watts", "system_power_watts",
    "policy_verified"};

template <class T, class Convert>
bool readOptionalValue(const FlatJsonLine::Value& v, std::optional<T>& out, Convert convert)
{
    if (FlatJsonLine::isMissing(v))
        return true;
    out = convert(v);
    return out.has_value();
}

// Nearly every line carries the same phase; sharing its text saves an allocation per sample.
QString sharedPhase(const QString& phase)
{
    static const QString onlyPower = QStringLiteral("only_power");
    return phase == onlyPower ? onlyPower : phase;
}

std::optional<OnlyPowerEnergySample> fromScannedValues(const std::array<FlatJsonLine::Value, FieldCount>& v)
{
    auto timestamp = FlatJsonLine::asString(v[Timestamp]);
    auto epoch = FlatJsonLine::asDouble(v[Epoch]);
    auto phase = FlatJsonLine::asString(v[Phase]);
    if (!timestamp || !epoch || !phase)
        return std::nullopt;
    OnlyPowerEnergySample s;
    s.timestamp = std::move(*timestamp);
    s.epochSeconds = *epoch;
    s.phase = sharedPhase(*phase);
    const bool ok = readOptionalValue(v[Cycle], s.cycleCount, FlatJsonLine::asInteger)
        && readOptionalValue(v[Capacity], s.rawMaxCapacityMAh, FlatJsonLine::asInteger)
        && readOptionalValue(v[Amperage], s.instantAmperageMA, FlatJsonLine::asInteger)
        && readOptionalValue(v[External], s.externalConnected, FlatJsonLine::asStrictBool)
        && readOptionalValue(v[Charging], s.isCharging, FlatJsonLine::asStrictBool)
        && readOptionalValue(v[BatteryPower], s.batteryPowerWatts, FlatJsonLine::asDouble)
        && readOptionalValue(v[SystemPower], s.systemPowerWatts, FlatJsonLine::asDouble)
        && readOptionalValue(v[Verified], s.policyVerified, FlatJsonLine::asStrictBool);
    if (!ok)
        return std::nullopt;
    return s;
}

} // namespace

std::optional<OnlyPowerEnergySample> OnlyPowerEnergySample::fromLine(std::string_view line)
{
    std::array<FlatJsonLine::Value, FieldCount> values;
    if (FlatJsonLine::scan(line, fieldKeys, values))
        return fromScannedValues(values);
    const auto object = json::parseObject(QByteArray::fromRawData(line.data(), static_cast<qsizetype>(line.size())));
    return object ? fromJson(*object) : std::nullopt;
}

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
