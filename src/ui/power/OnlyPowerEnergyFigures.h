#pragma once
// The twelve figures of the power-only usage sheet, as label keys and texts with units.
#include <vector>

#include <QString>

#include "power/OnlyPowerEnergySnapshot.h"

namespace vantrel {

struct OnlyPowerEnergyFigure {
    QString labelKey; // "power.energy.…"
    QString value; // with its unit; "-" when unknown
};

std::vector<OnlyPowerEnergyFigure> onlyPowerEnergyFigures(const OnlyPowerEnergySnapshot& snapshot);

// Nothing to show yet: the day has no samples.
inline bool onlyPowerEnergyCollecting(const OnlyPowerEnergySnapshot& snapshot) { return snapshot.samples.empty(); }

} // namespace vantrel
