#include "fan/ObservedMacOSFanPoint.h"

#include <limits>

#include "base/JsonAccess.h"

namespace vantrel {

namespace {

// A three-day log holds some 26,000 samples; sharing the few sensor names keeps each one small and cheap to copy.
QString sharedSensorName(const QString& name)
{
    static const QString known[]
        = {QStringLiteral("CPU"), QStringLiteral("GPU"), QStringLiteral("Battery"), QStringLiteral("Unknown")};
    for (const auto& k : known)
        if (k == name)
            return k;
    return name;
}

} // namespace

QJsonObject ObservedMacOSFanPoint::toJson() const
{
    QJsonObject o{{QStringLiteral("timestamp"), timestamp.toUTC().toString(Qt::ISODate)},
                  {QStringLiteral("temperature"), temperature},
                  {QStringLiteral("fanPercent"), fanPercent},
                  {QStringLiteral("rpm"), rpm},
                  {QStringLiteral("fanMaxRPM"), fanMaxRPM}};
    if (dominantSensor)
        o.insert(QStringLiteral("dominantSensor"), *dominantSensor);
    return o;
}

std::optional<ObservedMacOSFanPoint> ObservedMacOSFanPoint::fromJson(const QJsonObject& o)
{
    const auto stamp = json::string(o, QStringLiteral("timestamp"));
    const auto temperature = json::number(o, QStringLiteral("temperature"));
    const auto fanPercent = json::number(o, QStringLiteral("fanPercent"));
    const auto rpm = json::integer(o, QStringLiteral("rpm"));
    const auto fanMaxRPM = json::integer(o, QStringLiteral("fanMaxRPM"));
    if (!stamp || !temperature || !fanPercent || !rpm || !fanMaxRPM)
        return std::nullopt;
    constexpr qint64 intMin = std::numeric_limits<int>::min();
    constexpr qint64 intMax = std::numeric_limits<int>::max();
    if (*rpm < intMin || *rpm > intMax || *fanMaxRPM < intMin || *fanMaxRPM > intMax)
        return std::nullopt;
    const QDateTime timestamp = QDateTime::fromString(*stamp, Qt::ISODate);
    if (!timestamp.isValid())
        return std::nullopt;
    ObservedMacOSFanPoint point{
        timestamp, *temperature, *fanPercent, static_cast<int>(*rpm), static_cast<int>(*fanMaxRPM), {}};
    const QJsonValue sensor = o.value(QStringLiteral("dominantSensor"));
    if (sensor.isString())
        point.dominantSensor = sharedSensorName(sensor.toString());
    else if (!sensor.isUndefined() && !sensor.isNull())
        return std::nullopt;
    return point;
}

} // namespace vantrel
