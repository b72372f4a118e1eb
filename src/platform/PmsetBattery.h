#pragma once
// "/usr/bin/pmset -g batt": the power-management tool's battery summary as text.
#include "platform/ProcessRunner.h"

namespace vantrel {

class PmsetBattery {
public:
    virtual ~PmsetBattery() = default;
    // Runs (or renders) "pmset -g batt", standard error discarded, and waits for it to end.
    // The text looks like: "Now drawing from 'AC Power'\n -InternalBattery-0 (id=…)\t87%; charging; …".
    virtual ProcessResult batteryStatus() const = 0;
};

} // namespace vantrel
