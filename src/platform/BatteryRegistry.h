#pragma once
// The battery's registry entry ("AppleSmartBattery") with its health figures.
#include <optional>

#include <QJsonObject>

namespace vantrel {

class BatteryRegistry {
public:
    virtual ~BatteryRegistry() = default;
    // All properties of the first "AppleSmartBattery" service ("CycleCount",
    // "DesignCapacity", "AppleRawMaxCapacity" in mAh, …); nothing when there is no such service.
    virtual std::optional<QJsonObject> smartBatteryProperties() const = 0;
};

} // namespace vantrel
