#pragma once
// The arguments of "set_smart_target_config" and "set_survival_throttling", checked the same
// way by every daemon.
#include <variant>

#include <QJsonObject>

namespace vantrel::daemonserver {

// Temperatures the daemon aims to keep components under, by component name ("CPU", "GPU" …).
struct SmartTargetsRequest {
    QJsonObject targets; // every value a number from 0 to 120
};
std::variant<SmartTargetsRequest, QJsonObject> parseSmartTargetsRequest(const QJsonObject& request);

struct SurvivalThrottlingRequest {
    bool enabled = false;
    double threshold = 0; // 50 to 110 °C
    double cooldownTarget = 0; // below the threshold
    // The stored form: "enabled", "threshold", "cooldown_target".
    QJsonObject toJson() const;
};
std::variant<SurvivalThrottlingRequest, QJsonObject> parseSurvivalThrottlingRequest(const QJsonObject& request);

} // namespace vantrel::daemonserver
