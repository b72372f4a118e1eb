#pragma once
// How the monitoring tick turns the CPU temperature into a throttle level, and when a
// sustained critical temperature triggers survival mode.
#include <optional>

#include "core/ThrottleLevel.h"

namespace vantrel {

struct ThrottleDecision {
    // Nothing for the 65–70 °C gap: the level stays as it is.
    std::optional<ThrottleLevel> level;
    bool triggerSurvival = false;
};

class ThrottleLevelRule {
public:
    static constexpr double survivalTemperature = 90.0;

    // Updates the count of consecutive hot ticks and decides this tick's level.
    ThrottleDecision evaluate(double cpuTemperature);
    int highTempDuration() const { return highTempDuration_; }

private:
    int highTempDuration_ = 0;
};

} // namespace vantrel
