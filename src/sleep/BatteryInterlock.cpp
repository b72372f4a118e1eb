#include "sleep/BatteryInterlock.h"

#include <cstdlib>

namespace vantrel {

int normalizedBatteryInterlockPercent(int value)
{
    int best = batteryInterlockOptions.front();
    for (int option : batteryInterlockOptions) {
        // Strictly closer only, so the lower option keeps a tie.
        if (std::abs(static_cast<long>(option) - value) < std::abs(static_cast<long>(best) - value))
            best = option;
    }
    return best;
}

} // namespace vantrel
