#pragma once
// One battery reading of the application's own telemetry log ("battery-telemetry.jsonl").
#include <optional>
#include <string_view>

#include <QDateTime>
#include <QJsonObject>

namespace vantrel {

struct BatteryTelemetryRecord {
    QDateTime timestamp;
    int percent = 0; // 0…100
    std::optional<double> temperature; // °C; absent when unknown
    bool isCharging = false;

    // Keys are the field names; the time is ISO 8601 in whole seconds, the temperature
    // left out when unknown.
    QJsonObject toJson() const;
    // Nothing when a key is missing or of the wrong type; the percent is clamped to 0…100.
    static std::optional<BatteryTelemetryRecord> fromJson(const QJsonObject& o);
    // The same decoding straight from one line of the log (nothing when it is not a JSON object).
    // canonical, when given, is set to whether the line is byte for byte the encoding of the
    // decoded record, so the log can write the line again instead of encoding the record.
    static std::optional<BatteryTelemetryRecord> fromLine(std::string_view line, bool* canonical = nullptr);

    bool operator==(const BatteryTelemetryRecord&) const = default;
};

// A charge reading taken from the power-only study log (only these keys are read).
struct OnlyPowerBatteryTelemetrySample {
    double epochSeconds = 0;
    std::optional<qint64> stateOfChargePercent;
    std::optional<bool> isCharging;

    static std::optional<OnlyPowerBatteryTelemetrySample> fromJson(const QJsonObject& o);
    // The same straight from one line of the study log (nothing when it is not a JSON object).
    static std::optional<OnlyPowerBatteryTelemetrySample> fromLine(std::string_view line);

    bool operator==(const OnlyPowerBatteryTelemetrySample&) const = default;
};

} // namespace vantrel
