#pragma once
// "set_system_sleep_disabled": the user's request, the daemon's own battery cut-off and the
// inhibitors that carry it out. On battery below the cut-off sleep goes back to the system's
// default until the battery is above it again or external power returns.
#include <memory>
#include <optional>

#include "node/daemon/SleepInhibitors.h"

namespace vantrel::node {

class SleepHold {
public:
    static constexpr int kDefaultCutoffPercent = 20;

    explicit SleepHold(std::shared_ptr<SleepInhibitors> inhibitors);

    struct Inputs {
        bool onBattery = false;
        int batteryPercent = -1; // -1: no battery
        bool leaseActive = true;
    };
    // A new request; applies it at once.
    void request(bool enabled, std::optional<int> cutoffPercent, const Inputs& inputs);
    // Re-evaluates with fresh readings (the policy tick and the lease lapse call this).
    void update(const Inputs& inputs);
    void reset();

    bool requested() const { return requested_; }
    bool effective() const { return inhibitors_->held(); }
    bool lowBatteryVanilla() const { return lowBattery_; }
    int cutoffPercent() const { return cutoff_; }
    // The inhibitor could not be taken (logind refused or is missing).
    bool inhibitorRefused() const { return refused_; }

    // After a refusal the policy loop tries again after 1, 2, 4 … up to this many passes.
    static constexpr int kMaxRetryPasses = 32;

private:
    std::shared_ptr<SleepInhibitors> inhibitors_;
    bool requested_ = false;
    int cutoff_ = kDefaultCutoffPercent;
    bool lowBattery_ = false;
    bool refused_ = false;
    int retryBackoff_ = 0; // passes to wait after the next refusal
    int passesUntilRetry_ = 0;
};

} // namespace vantrel::node
