#include "sim/server/RealTimeStepper.h"

#include <algorithm>
#include <cmath>

namespace vantrel::sim {

RealTimeStepper::RealTimeStepper(Dispatch& dispatch, SimDaemon& daemon, double speed)
    : dispatch_(dispatch)
    , daemon_(daemon)
    , speed_(std::max(speed, 0.01))
{ }

RealTimeStepper::~RealTimeStepper() { stop(); }

void RealTimeStepper::start()
{
    stop();
    startUptime_ = dispatch_.clock().uptimeSeconds();
    done_ = 0;
    // Tick about once per simulated second, but not more than 20 times a real second.
    const Duration interval = std::clamp(seconds(1.0 / speed_), Duration(50), Duration(1000));
    // A serial queue: a tick held up by a slow disk never overlaps the next one.
    if (!queue_)
        queue_ = dispatch_.makeSerialQueue(QStringLiteral("vantrel-sim.clock"), QoS::Utility);
    timer_ = dispatch_.every(queue_, interval, Duration(interval.count() / 10), [this] { tick(); });
}

void RealTimeStepper::stop()
{
    if (timer_)
        timer_->cancel();
    timer_.reset();
    // Let a tick that is already running finish before the stepper may go away.
    if (queue_)
        queue_->sync([] {});
}

void RealTimeStepper::tick()
{
    const double elapsed = dispatch_.clock().uptimeSeconds() - startUptime_;
    const auto due = static_cast<long long>(std::floor(elapsed * speed_ + 1e-9)) - done_;
    if (due <= 0)
        return;
    const int now = static_cast<int>(std::min<long long>(due, kMaxCatchUpSeconds));
    daemon_.advance(now);
    // Anything beyond the cap is dropped rather than replayed later.
    done_ += due;
}

} // namespace vantrel::sim
