#include "fan/ObservedMacOSFanPoint.h"

#include <array>
#include <limits>
#include <string>

#include "base/FlatJsonLine.h"
#include "base/IsoTimestamp.h"
#include "base/JsonAccess.h"
#include "base/JsonNumberText.h"

namespace vantrel {

namespace {

// A three-day log holds some 26,000 samples; sharing the few sensor names keeps each one small and cheap to copy.
const QString (&knownSensorNames())[4]
{
    static const QString known[]
        = {QStringLiteral("CPU"), QStringLiteral("GPU"), QStringLiteral("Battery"), QStringLiteral("Unknown")};
    return known;
}

QString sharedSensorName(const QString& name)
{
    for (const auto& k : knownSensorNames())
        if (k == name)
            return k;
    return name;
}

// The same from the bytes of a plain ASCII string, without building a string for the known names.
QString sharedSensorName(std::string_view name)
{
    for (const auto& k : knownSensorNames())
        if (k == QLatin1StringView(name.data(), static_cast<qsizetype>(name.size())))
            return k;
    return QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()));
}

bool fitsInt(qint64 v) { return v >= std::numeric_limits<int>::min() && v <= std::numeric_limits<int>::max(); }

// The line toJson() gives for p, as the log writes it (keys in QJsonObject's sorted order).
bool appendEncoding(std::string& out, const ObservedMacOSFanPoint& p)
{
    out += '{';
    if (p.dominantSensor) {
        out += R"("dominantSensor":")";
        // Only text the JSON writer copies unchanged: printable ASCII without quote or backslash.
        for (const QChar c : *p.dominantSensor) {
            if (c.unicode() < 0x20 || c.unicode() > 0x7e || c == u'"' || c == u'\\')
                return false;
            out += static_cast<char>(c.unicode());
        }
        out += "\",";
    }
    out += R"("fanMaxRPM":)";
    out += std::to_string(p.fanMaxRPM);
    out += R"(,"fanPercent":)";
    if (!json::appendCompactDouble(out, p.fanPercent))
        return false;
    out += R"(,"rpm":)";
    out += std::to_string(p.rpm);
    out += R"(,"temperature":)";
    if (!json::appendCompactDouble(out, p.temperature))
        return false;
    out += R"(,"timestamp":")";
    if (!iso::appendWholeSecondUtc(out, p.timestamp))
        return false;
    out += "\"}";
    return true;
}

} // namespace

std::optional<ObservedMacOSFanPoint> ObservedMacOSFanPoint::fromLine(std::string_view line, bool* canonical)
{
    using json::FlatJsonLine;
    static constexpr std::array<std::string_view, 6> keys{"timestamp", "temperature", "fanPercent",
                                                          "rpm",       "fanMaxRPM",   "dominantSensor"};
    if (canonical)
        *canonical = false;
    std::array<FlatJsonLine::Value, 6> v;
    if (!FlatJsonLine::scan(line, keys, v)) {
        const auto object
            = json::parseObject(QByteArray::fromRawData(line.data(), static_cast<qsizetype>(line.size())));
        return object ? fromJson(*object) : std::nullopt;
    }
    const auto temperature = FlatJsonLine::asDouble(v[1]);
    const auto fanPercent = FlatJsonLine::asDouble(v[2]);
    const auto rpm = FlatJsonLine::asInteger(v[3]);
    const auto fanMaxRPM = FlatJsonLine::asInteger(v[4]);
    if (v[0].kind != FlatJsonLine::Kind::String || !temperature || !fanPercent || !rpm || !fanMaxRPM)
        return std::nullopt;
    if (!fitsInt(*rpm) || !fitsInt(*fanMaxRPM))
        return std::nullopt;
    const auto wholeSecond = iso::parseWholeSecondUtc(v[0].text);
    const QDateTime timestamp = wholeSecond ? *wholeSecond : iso::parse(v[0].text);
    if (!timestamp.isValid())
        return std::nullopt;
    ObservedMacOSFanPoint point{
        timestamp, *temperature, *fanPercent, static_cast<int>(*rpm), static_cast<int>(*fanMaxRPM), {}};
    if (v[5].kind == FlatJsonLine::Kind::String)
        point.dominantSensor = sharedSensorName(v[5].text);
    else if (!FlatJsonLine::isMissing(v[5]))
        return std::nullopt;
    if (canonical && wholeSecond) {
        thread_local std::string encoded; // reused: one encoding per line of a large file
        encoded.clear();
        *canonical = appendEncoding(encoded, point) && encoded == line;
    }
    return point;
}

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
    if (!fitsInt(*rpm) || !fitsInt(*fanMaxRPM))
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
