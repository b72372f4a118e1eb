#pragma once
// The SMC keys a Linux machine can answer, built from its hwmon chips, thermal zones and
// batteries and encoded with the SMC's own types, so that the smc tool prints the same line
// for them as for the simulated Mac. Which sysfs source feeds which key is listed in README.md.
#include <optional>
#include <string>
#include <vector>

#include "smc/LinuxSensorTree.h"
#include "smc/SmcKeyFile.h"

namespace vantrel::smc {

// System fans in hwmon order, at most ten (the fan keys carry one digit); a graphics card's own
// fan is not one of them. The pointers stay valid as long as the tree's chip list does.
std::vector<const SensorChannel*> systemFans(LinuxSensorTree& tree);

class LinuxSmcKeys {
public:
    explicit LinuxSmcKeys(LinuxSensorTree& tree)
        : tree_(tree)
    { }

    // One key, reading only the files it needs; nothing when this machine has no reading for it.
    std::optional<smc::SmcEntry> read(const std::string& key);
    // Every key with a reading: the temperature keys in catalogue order and the power key, the
    // fan keys, then the keys an Apple SMC driver names itself.
    std::vector<smc::SmcEntry> readAll();

private:
    LinuxSensorTree& tree_;
};

} // namespace vantrel::smc
