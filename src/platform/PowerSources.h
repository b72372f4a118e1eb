#pragma once
// The operating system's list of power sources (internal battery, UPS), read by polling.
#include <optional>

#include <QJsonObject>

namespace vantrel {

class PowerSources {
public:
    virtual ~PowerSources() = default;
    // The description dictionary of the first power source, with the power-source keys
    // ("Current Capacity", "Is Charging", "Power Source State", …); nothing when the
    // machine reports no power source (a desktop, or no battery found).
    virtual std::optional<QJsonObject> firstPowerSourceDescription() const = 0;
};

} // namespace vantrel
