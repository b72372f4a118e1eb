#pragma once
// One observation of the operating system's own fan control: how fast at which temperature.
#include <optional>

#include <QDateTime>
#include <QJsonObject>
#include <QString>

namespace vantrel {

struct ObservedMacOSFanPoint {
    QDateTime timestamp;
    double temperature = 0;
    double fanPercent = 0;
    int rpm = 0;
    int fanMaxRPM = 1;
    // "CPU", "GPU", "Battery" or "Unknown"; the key is left out when absent.
    std::optional<QString> dominantSensor;

    // ISO 8601 time stamp (whole seconds, UTC).
    QJsonObject toJson() const;
    // Every key but "dominantSensor" is required.
    static std::optional<ObservedMacOSFanPoint> fromJson(const QJsonObject& o);

    bool operator==(const ObservedMacOSFanPoint&) const = default;
};

} // namespace vantrel
