#pragma once
// System sleep held off on request, with the daemon's own battery cut-off: on battery below
// the cut-off the Mac returns to its default ("vanilla") sleep until it recovers above
// cut-off + 1 or the adapter returns.
#include <optional>
#include <vector>

#include "sim/model/BatteryPolicy.h"

namespace vantrel::sim {

class SleepControl {
public:
    struct Inputs {
        bool hasBattery = true;
        bool adapterConnected = false;
        int percent = 100;
    };

    void request(bool enabled, std::optional<int> cutoffPercent, const Inputs& in, std::vector<PolicyEvent>& events);
    void step(const Inputs& in, std::vector<PolicyEvent>& events);
    void resetToVanilla(std::vector<PolicyEvent>& events);

    bool requested() const { return requested_; }
    bool effective() const { return requested_ && !lowBatteryVanilla_; }
    bool lowBatteryVanilla() const { return lowBatteryVanilla_; }
    int cutoffPercent() const { return cutoff_; }

private:
    void evaluate(const Inputs& in, std::vector<PolicyEvent>& events, const QString& trigger);

    bool requested_ = false;
    bool lowBatteryVanilla_ = false;
    int cutoff_ = 50;
    bool lastEffective_ = false;
};

} // namespace vantrel::sim
