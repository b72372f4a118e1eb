#include "node/daemon/SleepHold.h"

#include <algorithm>

namespace vantrel::node {

SleepHold::SleepHold(std::shared_ptr<SleepInhibitors> inhibitors)
    : inhibitors_(std::move(inhibitors))
{ }

void SleepHold::request(bool enabled, std::optional<int> cutoffPercent, const Inputs& inputs)
{
    requested_ = enabled;
    if (cutoffPercent)
        cutoff_ = *cutoffPercent;
    // A request from the user is worth an attempt at once.
    passesUntilRetry_ = 0;
    retryBackoff_ = 0;
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
    if (want && refused_ && passesUntilRetry_ > 0) {
        --passesUntilRetry_;
        return;
    }
    refused_ = !inhibitors_->hold(want) && want;
    if (refused_) {
        retryBackoff_ = std::min(std::max(retryBackoff_ * 2, 1), kMaxRetryPasses);
        passesUntilRetry_ = retryBackoff_;
    } else {
        retryBackoff_ = 0;
    }
}

void SleepHold::reset()
{
    requested_ = false;
    lowBattery_ = false;
    refused_ = false;
    retryBackoff_ = 0;
    passesUntilRetry_ = 0;
    inhibitors_->hold(false);
}

} // namespace vantrel::node
