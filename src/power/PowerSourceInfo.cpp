#include "power/PowerSourceInfo.h"

#include <limits>

#include "base/JsonAccess.h"
#include "power/OptionalJsonField.h"

namespace vantrel {
namespace {

std::optional<int> asInt(const QJsonValue& v)
{
    const auto i = json::asInteger(v);
    if (!i || *i < std::numeric_limits<int>::min() || *i > std::numeric_limits<int>::max())
        return std::nullopt;
    return static_cast<int>(*i);
}

template <class T> void putOptional(QJsonObject& o, const char* key, const std::optional<T>& value)
{
    if (value)
        o.insert(QLatin1String(key), *value);
}

template <class T, class Convert>
bool readOptional(const QJsonObject& o, const char* key, std::optional<T>& out, Convert convert)
{
    return readOptionalField(o, QLatin1String(key), out, convert);
}

template <class T, class Convert> bool readRequired(const QJsonObject& o, const char* key, T& out, Convert convert)
{
    const auto value = convert(o.value(QLatin1String(key)));
    if (!value)
        return false;
    out = *value;
    return true;
}

} // namespace

QJsonObject PowerSourceInfo::toJson() const
{
    QJsonObject o;
    o.insert(QStringLiteral("isCharging"), isCharging);
    o.insert(QStringLiteral("batteryPercent"), batteryPercent);
    o.insert(QStringLiteral("cycleCount"), cycleCount);
    o.insert(QStringLiteral("designCapacity"), designCapacity);
    o.insert(QStringLiteral("currentCapacity"), currentCapacity);
    putOptional(o, "batteryMaximumCapacityPercent", batteryMaximumCapacityPercent);
    putOptional(o, "powerSourceState", powerSourceState);
    putOptional(o, "adapterWatts", adapterWatts);
    putOptional(o, "adapterType", adapterType);
    putOptional(o, "voltage", voltage);
    putOptional(o, "systemPowerWatts", systemPowerWatts);
    putOptional(o, "cpuPackagePowerWatts", cpuPackagePowerWatts);
    putOptional(o, "adapterCurrent", adapterCurrent);
    putOptional(o, "temperature", temperature);
    putOptional(o, "timeToFull", timeToFull);
    putOptional(o, "timeToEmpty", timeToEmpty);
    o.insert(QStringLiteral("condition"), condition);
    return o;
}

std::optional<PowerSourceInfo> PowerSourceInfo::fromJson(const QJsonObject& o)
{
    PowerSourceInfo p;
    const bool ok = readRequired(o, "isCharging", p.isCharging, json::asStrictBool)
        && readRequired(o, "batteryPercent", p.batteryPercent, asInt)
        && readRequired(o, "cycleCount", p.cycleCount, asInt)
        && readRequired(o, "designCapacity", p.designCapacity, asInt)
        && readRequired(o, "currentCapacity", p.currentCapacity, asInt)
        && readOptional(o, "batteryMaximumCapacityPercent", p.batteryMaximumCapacityPercent, json::asDouble)
        && readOptional(o, "powerSourceState", p.powerSourceState, json::asString)
        && readOptional(o, "adapterWatts", p.adapterWatts, asInt)
        && readOptional(o, "adapterType", p.adapterType, json::asString)
        && readOptional(o, "voltage", p.voltage, json::asDouble)
        && readOptional(o, "systemPowerWatts", p.systemPowerWatts, json::asDouble)
        && readOptional(o, "cpuPackagePowerWatts", p.cpuPackagePowerWatts, json::asDouble)
        && readOptional(o, "adapterCurrent", p.adapterCurrent, json::asDouble)
        && readOptional(o, "temperature", p.temperature, json::asDouble)
        && readOptional(o, "timeToFull", p.timeToFull, asInt) && readOptional(o, "timeToEmpty", p.timeToEmpty, asInt)
        && readRequired(o, "condition", p.condition, json::asString);
    if (!ok)
        return std::nullopt;
    return p;
}

} // namespace vantrel
