#include "node/daemon/SleepHold.h"

namespace vantrel::node {

SleepHold::SleepHold(std::shared_ptr<SleepInhibitors> inhibitors)
    : inhibitors_(std::move(inhibitors))
{ }

void SleepHold::request(bool enabled, std::optional<int> cutoffPercent, const Inputs& inputs)
{
    requested_ = enabled;
    if (cutoffPercent)
        cutoff_ = *cutoffPercent;
    update(inputs);
}

void SleepHold::update(const Inputs& inputs)
{
    lowBattery_ = requested_ && inputs.onBattery && inputs.batteryPercent >= 0 && inputs.batteryPercent < cutoff_;
    const bool want = requested_ && !lowBattery_ && inputs.leaseActive;
    if (want == inhibitors_->held()) {
        refused_ = false;
        return;
    }
    refused_ = !inhibitors_->hold(want) && want;
}

void SleepHold::reset()
{
    requested_ = false;
    lowBattery_ = false;
    refused_ = false;
    inhibitors_->hold(false);
}

} // namespace vantrel::node
