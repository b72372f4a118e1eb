#pragma once
// The arguments of the battery commands, checked strictly the same way by every daemon: every
// key of the right type and in range, or an error reply naming the first one that is not.
#include <optional>
#include <variant>

#include <QJsonObject>

#include "daemonserver/BatteryConfig.h"

namespace vantrel::daemonserver {

// "set_battery_config": the whole policy.
std::variant<BatteryConfig, QJsonObject> parseBatteryRequest(const QJsonObject& request);
// "set_charge_limit": "limit", an integer from 20 to 100.
std::variant<int, QJsonObject> requestedChargeLimit(const QJsonObject& request);
// "request_one_time_full_charge": the optional "restore_limit", an integer from 20 to 100.
std::variant<std::optional<int>, QJsonObject> requestedRestoreLimit(const QJsonObject& request);
// The reply for a request that breaks a rule: code "ERR_INVALID_BATTERY_CONFIG" and the "reason".
QJsonObject invalidBatteryConfig(const QString& reason, const QString& message);

} // namespace vantrel::daemonserver
