#pragma once
// Whether a battery-limited sleep feature may run, with hysteresis around its cut-off: it is
// suspended below cut-off - 1 and resumes only above cut-off + 1. External power (or its
// recent memory) always allows it; an unknown battery level on battery power never does.
#include <optional>

namespace vantrel {

struct SleepBatteryAllowance {
    bool allowed = false;
    // The feature is held at the macOS default ("vanilla") because of the battery.
    bool lowBatteryVanillaActive = false;

    static SleepBatteryAllowance evaluate(bool onPower, std::optional<int> batteryPercent, int cutoffPercent,
                                          bool wasLowBatteryVanillaActive);
};

} // namespace vantrel
