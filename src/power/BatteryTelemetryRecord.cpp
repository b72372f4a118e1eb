#include "power/BatteryTelemetryRecord.h"

#include <algorithm>
#include <array>

#include <string>

#include "base/FlatJsonLine.h"
#include "base/IsoTimestamp.h"
#include "base/JsonAccess.h"
#include "base/JsonNumberText.h"
#include "power/OptionalJsonField.h"

namespace vantrel {
namespace {

// The line toJson() gives for r (keys in QJsonObject's sorted order).
bool appendEncoding(std::string& out, const BatteryTelemetryRecord& r)
{
    out += r.isCharging ? R"({"isCharging":true,"percent":)" : R"({"isCharging":false,"percent":)";
    out += std::to_string(r.percent);
    if (r.temperature) {
        out += R"(,"temperature":)";
        if (!json::appendCompactDouble(out, *r.temperature))
            return false;
    }
    out += R"(,"timestamp":")";
    if (!iso::appendWholeSecondUtc(out, r.timestamp))
        return false;
    out += "\"}";
    return true;
}

} // namespace

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

std::optional<BatteryTelemetryRecord> BatteryTelemetryRecord::fromLine(std::string_view line, bool* canonical)
{
    using json::FlatJsonLine;
    static constexpr std::array<std::string_view, 4> keys{"timestamp", "percent", "isCharging", "temperature"};
    if (canonical)
        *canonical = false;
    std::array<FlatJsonLine::Value, 4> v;
    if (!FlatJsonLine::scan(line, keys, v)) {
        const auto object
            = json::parseObject(QByteArray::fromRawData(line.data(), static_cast<qsizetype>(line.size())));
        return object ? fromJson(*object) : std::nullopt;
    }
    const auto percent = FlatJsonLine::asInteger(v[1]);
    const auto charging = FlatJsonLine::asStrictBool(v[2]);
    if (v[0].kind != FlatJsonLine::Kind::String || !percent || !charging)
        return std::nullopt;
    const auto wholeSecond = iso::parseWholeSecondUtc(v[0].text);
    BatteryTelemetryRecord r;
    r.timestamp = wholeSecond ? *wholeSecond : iso::parse(v[0].text);
    if (!r.timestamp.isValid())
        return std::nullopt;
    r.percent = static_cast<int>(std::clamp<qint64>(*percent, 0, 100));
    r.isCharging = *charging;
    if (!FlatJsonLine::isMissing(v[3]) && !(r.temperature = FlatJsonLine::asDouble(v[3])))
        return std::nullopt;
    if (canonical && wholeSecond) {
        thread_local std::string encoded; // reused: one encoding per line of a large file
        encoded.clear();
        *canonical = appendEncoding(encoded, r) && encoded == line;
    }
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

std::optional<OnlyPowerBatteryTelemetrySample> OnlyPowerBatteryTelemetrySample::fromLine(std::string_view line)
{
    using json::FlatJsonLine;
    static constexpr std::array<std::string_view, 3> keys{"epoch_seconds", "state_of_charge_percent", "is_charging"};
    std::array<FlatJsonLine::Value, 3> v;
    if (!FlatJsonLine::scan(line, keys, v)) {
        const auto object
            = json::parseObject(QByteArray::fromRawData(line.data(), static_cast<qsizetype>(line.size())));
        return object ? fromJson(*object) : std::nullopt;
    }
    const auto epoch = FlatJsonLine::asDouble(v[0]);
    if (!epoch)
        return std::nullopt;
    OnlyPowerBatteryTelemetrySample s;
    s.epochSeconds = *epoch;
    if (!FlatJsonLine::isMissing(v[1]) && !(s.stateOfChargePercent = FlatJsonLine::asInteger(v[1])))
        return std::nullopt;
    if (!FlatJsonLine::isMissing(v[2]) && !(s.isCharging = FlatJsonLine::asStrictBool(v[2])))
        return std::nullopt;
    return s;
}

} // namespace vantrel
