#pragma once
// The simulated Mac's lid from the simulator's "hardware.json" ("lid_closed"); unknown while
// the file cannot be read or does not say.
#include "platform/LidState.h"
#include "platform/sim/SimHardwareState.h"

namespace vantrel {

class SimLidState final : public LidState {
public:
    explicit SimLidState(QString stateDirectory);
    std::optional<bool> lidClosed() const override;

private:
    SimHardwareState hardware_;
};

} // namespace vantrel
