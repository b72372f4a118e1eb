#pragma once
// The application's heartbeat lease: each "app_heartbeat" renews it for kSeconds; when it runs
// out the daemon hands fans back to automatic control and drops its sleep inhibitors.
#include <optional>

namespace vantrel::node {

class HeartbeatLease {
public:
    static constexpr double kSeconds = 15.0;

    void renew(double uptime) { expiresAt_ = uptime + kSeconds; }
    bool active(double uptime) const { return expiresAt_ && uptime < *expiresAt_; }
    // True once, on the first check after a held lease ran out.
    bool takeLapse(double uptime)
    {
        if (!expiresAt_ || uptime < *expiresAt_)
            return false;
        expiresAt_.reset();
        return true;
    }

private:
    std::optional<double> expiresAt_;
};

} // namespace vantrel::node
