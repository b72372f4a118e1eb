#pragma once
// Runs the simulation against the clock: `speed` simulated seconds per real second, in whole
// steps, catching up after a late tick (up to a cap, so a stalled process does not race ahead).
#include "base/Dispatch.h"
#include "sim/protocol/SimDaemon.h"

namespace vantrel::sim {

class RealTimeStepper {
public:
    static constexpr int kMaxCatchUpSeconds = 600;

    RealTimeStepper(Dispatch& dispatch, SimDaemon& daemon, double speed);
    ~RealTimeStepper();

    void start();
    void stop();

private:
    void tick();

    Dispatch& dispatch_;
    SimDaemon& daemon_;
    double speed_;
    double startUptime_ = 0;
    long long done_ = 0;
    QueuePtr queue_;
    CancelToken timer_;
};

} // namespace vantrel::sim
