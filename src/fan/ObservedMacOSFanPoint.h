#pragma once
// One observation of the operating system's own fan control: how fast at which temperature.
#include <optional>
#include <string_view>

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
    // The same decoding straight from one line of the log (nothing when it is not a JSON object).
    // canonical, when given, is set to whether the line is byte for byte what the log would
    // write for the decoded point, so the log can keep the bytes instead of encoding again.
    static std::optional<ObservedMacOSFanPoint> fromLine(std::string_view line, bool* canonical = nullptr);

    bool operator==(const ObservedMacOSFanPoint&) const = default;
};

} // namespace vantrel
