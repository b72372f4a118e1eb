#pragma once
// The battery and adapter as one reading: the full read adds battery health and the SMC power
// figures to the charge snapshot. Stored records use the field names as keys; optional fields
// are written only when present.
#include <optional>

#include <QJsonObject>
#include <QString>

namespace vantrel {

struct PowerSourceInfo {
    bool isCharging = false;
    int batteryPercent = 0;
    int cycleCount = 0;
    int designCapacity = 0; // mAh
    int currentCapacity = 0; // mAh, the present full-charge capacity
    std::optional<double> batteryMaximumCapacityPercent;
    std::optional<QString> powerSourceState; // "AC Power", "Battery Power"
    std::optional<int> adapterWatts;
    std::optional<QString> adapterType;
    std::optional<double> voltage;
    std::optional<double> systemPowerWatts;
    std::optional<double> cpuPackagePowerWatts;
    std::optional<double> adapterCurrent;
    std::optional<double> temperature; // °C
    std::optional<int> timeToFull; // minutes
    std::optional<int> timeToEmpty; // minutes
    QString condition = QStringLiteral("Unknown");

    QJsonObject toJson() const;
    // Nothing when a field is missing or of the wrong type (absent or null optionals are fine).
    static std::optional<PowerSourceInfo> fromJson(const QJsonObject& object);
    bool operator==(const PowerSourceInfo&) const = default;
};

} // namespace vantrel
