#pragma once
// "set_system_sleep_disabled" checked the same way by every daemon, and its reply.
#include <optional>
#include <variant>

#include <QJsonObject>

namespace vantrel::daemonserver {

struct SleepRequest {
    bool enabled = false; // hold system sleep off
    std::optional<int> cutoffPercent; // 5 to 95; none: keep the daemon's cut-off
    bool persist = false; // store it as the user's intent
};
std::variant<SleepRequest, QJsonObject> parseSleepRequest(const QJsonObject& request);

// What the daemon made of a sleep request.
struct SleepOutcome {
    bool effective = false; // sleep is held off now
    bool lowBatteryVanilla = false; // held back by the battery cut-off
    int cutoffPercent = 0;
};
// "requested_enabled", "effective_enabled", "low_battery_vanilla_active", "battery_cutoff_percent", "persisted".
QJsonObject sleepReply(const SleepRequest& request, const SleepOutcome& outcome);

} // namespace vantrel::daemonserver
