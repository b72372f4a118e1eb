#pragma once
// One line of the power-only study log, written by the study logger outside the application.
#include <optional>
#include <string_view>

#include <QJsonObject>
#include <QString>

namespace vantrel {

struct OnlyPowerEnergySample {
    QString timestamp; // wall-clock text, not interpreted
    double epochSeconds = 0;
    QString phase; // "only_power" marks power-only operation
    std::optional<qint64> cycleCount;
    std::optional<qint64> rawMaxCapacityMAh;
    std::optional<qint64> instantAmperageMA; // negative while discharging
    std::optional<bool> externalConnected;
    std::optional<bool> isCharging;
    std::optional<double> batteryPowerWatts; // negative while discharging
    std::optional<double> systemPowerWatts;
    std::optional<bool> policyVerified;

    // Nothing when a required key is missing or any key holds a value of the wrong type
    // (an optional key may be absent or null).
    static std::optional<OnlyPowerEnergySample> fromJson(const QJsonObject& o);
    // The same decoding straight from one line of the log: nothing when the line is not a
    // JSON object or fromJson would refuse it.
    static std::optional<OnlyPowerEnergySample> fromLine(std::string_view line);
    QJsonObject toJson() const;

    bool operator==(const OnlyPowerEnergySample&) const = default;
};

} // namespace vantrel
