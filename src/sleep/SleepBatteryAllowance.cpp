#include "sleep/SleepBatteryAllowance.h"

namespace vantrel {

SleepBatteryAllowance SleepBatteryAllowance::evaluate(bool onPower, std::optional<int> batteryPercent,
                                                      int cutoffPercent, bool wasLowBatteryVanillaActive)
{
    if (onPower)
        return {true, false};
    if (!batteryPercent)
        return {false, true};
    const int battery = *batteryPercent;
    if (battery > cutoffPercent + 1)
        return {true, false};
    if (wasLowBatteryVanillaActive)
        return {false, true};
    if (battery < cutoffPercent - 1)
        return {false, true};
    return {true, false};
}

} // namespace vantrel
