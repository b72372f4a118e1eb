#pragma once
// Where vantrel-sim publishes the simulated Mac's hardware for its tools and for the sim
// platform backend. Each file is replaced atomically after every simulation step.
#include <QString>

#include "base/Paths.h"

namespace vantrel {

namespace simstate {
inline constexpr char smcKeysFile[] = "smc-keys.txt"; // one SMC key per line: KEY TYPE HEX
inline constexpr char hardwareFile[]
    = "hardware.json"; // model, adapter, lid, power source, battery registry, pmset text
} // namespace simstate

// VANTREL_SIM_STATE_DIR when set, otherwise Paths::simStateDirectory().
QString simStateDirectory(const Paths& paths);

} // namespace vantrel
