#pragma once
// The battery policy a "set_battery_config" request asks for, checked strictly: every key of
// the right type and in range, or an error reply naming the first one that is not.
#include <optional>
#include <variant>

#include <QJsonObject>

namespace vantrel::daemonserver {

struct BatteryRequest {
    bool limitEnabled = false;
    int limit = 80;
    bool chargeProtector = false;
    int drop = 5;
    bool heatProtect = false;
    double maxTemp = 35.0;
    bool safetyDrain = false;
    std::optional<int> drainFixedTarget; // none: drain to the charge limit
};

std::variant<BatteryRequest, QJsonObject> parseBatteryRequest(const QJsonObject& request);
// The reply for a request that breaks a rule: code "ERR_INVALID_BATTERY_CONFIG" and the "reason".
QJsonObject invalidBatteryConfig(const QString& reason, const QString& message);

} // namespace vantrel::daemonserver
