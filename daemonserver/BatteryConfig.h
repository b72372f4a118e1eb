#pragma once
// The battery policy a daemon runs, as "set_battery_config" sets it and the user settings store it.
#include <optional>

namespace vantrel::daemonserver {

struct BatteryConfig {
    bool limitEnabled = false;
    int limit = 80;
    bool chargeProtector = false;
    int drop = 5;
    bool heatProtect = false;
    double maxTemp = 35.0;
    bool safetyDrain = false;
    std::optional<int> drainFixedTarget; // none: drain to the charge limit
    bool operator==(const BatteryConfig&) const = default;
};

} // namespace vantrel::daemonserver
