#pragma once
// The simulated SMC's keys, rendered from the machine's current state with real data types.
#include <string>
#include <vector>

#include "sim/model/SimulatedMac.h"
#include "smc/SmcKeyFile.h"

namespace vantrel::sim {

std::vector<smc::SmcEntry> smcEntries(const SimulatedMac& mac);
// The contents of smc-keys.txt.
std::string smcKeyFileText(const SimulatedMac& mac);

} // namespace vantrel::sim
