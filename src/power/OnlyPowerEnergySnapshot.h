#pragma once
// The day's power-only figures integrated from the study log.
#include <optional>
#include <vector>

#include "power/OnlyPowerEnergySample.h"

namespace vantrel {

struct OnlyPowerEnergySnapshot {
    std::vector<OnlyPowerEnergySample> samples; // today's, ascending by time
    std::optional<double> currentPowerWatts; // latest system power when at most 180 s old
    std::optional<double> averagePowerWatts;
    std::optional<double> peakPowerWatts;
    std::optional<double> batteryMaximumCapacityPercent;
    double systemEnergyWh = 0;
    double adapterOnlyHours = 0;
    double batteryUseHours = 0;
    double batteryDischargeWh = 0;
    double observedEFC = 0;
    std::optional<qint64> cycleCount;
    double coveredHours = 0;
    double policyVerifiedHours = 0;
    double elapsedHours = 0;
};

} // namespace vantrel
