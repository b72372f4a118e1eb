#include "power/BatteryTelemetryRecord.h"

#include <algorithm>

#include "base/JsonAccess.h"
#include "power/OptionalJsonField.h"

namespace vantrel {
QJsonObject BatteryTelemetryRecord::toJson() const
{
    QJsonObject o{{QStringLiteral("timestamp"), timestamp.toUTC().toString(Qt::ISODate)},
                  {QStringLiteral("percent"), percent},
                  {QStringLiteral("isCharging"), isCharging}};
    if (temperature)
        o.insert(QStringLiteral("temperature"), *temperature);
    return o;
}

std::optional<BatteryTelemetryRecord> BatteryTelemetryRecord::fromJson(const QJsonObject& o)
{
    const auto stamp = json::string(o, QStringLiteral("timestamp"));
    const auto percent = json::integer(o, QStringLiteral("percent"));
    const auto charging = json::strictBool(o, QStringLiteral("isCharging"));
    if (!stamp || !percent || !charging)
        return std::nullopt;
    BatteryTelemetryRecord r;
    r.timestamp = QDateTime::fromString(*stamp, Qt::ISODate);
    if (!r.timestamp.isValid())
        return std::nullopt;
    r.percent = static_cast<int>(std::clamp<qint64>(*percent, 0, 100));
    r.isCharging = *charging;
    if (!readOptionalField(o, QStringLiteral("temperature"), r.temperature, json::asDouble))
        return std::nullopt;
    return r;
}

std::optional<OnlyPowerBatteryTelemetrySample> OnlyPowerBatteryTelemetrySample::fromJson(const QJsonObject& o)
{
    const auto epoch = json::number(o, QStringLiteral("epoch_seconds"));
    if (!epoch)
        return std::nullopt;
    OnlyPowerBatteryTelemetrySample s;
    s.epochSeconds = *epoch;
    if (!readOptionalField(o, QStringLiteral("state_of_charge_percent"), s.stateOfChargePercent, json::asInteger)
        || !readOptionalField(o, QStringLiteral("is_charging"), s.isCharging, json::asStrictBool))
        return std::nullopt;
    return s;
}

} // namespace vantrel
