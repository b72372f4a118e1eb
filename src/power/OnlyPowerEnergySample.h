#pragma once
// One line of the power-only study log, written by the study logger outside the application.
#include <optional>

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
    QJsonObject toJson() const;

    bool operator==(const OnlyPowerEnergySample&) const = default;
};

} // namespace vantrel
