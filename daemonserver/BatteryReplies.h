#pragma once
// The replies of the battery commands that both daemons give in the same shape.
#include <optional>

#include <QJsonObject>
#include <QString>
#include <QStringList>

namespace vantrel::daemonserver {

// "ERR_NO_BATTERY", reason "no_battery", in the daemon's own words.
QJsonObject noBatteryReply(const QString& message);
// "set_battery_config": "last_charge_apply" ("<part>_ok" per part) and "power_only_state";
// status "partial" with code "ERR_CHARGE_APPLY_PARTIAL" when parts failed, the message being
// failedPrefix and the failed parts.
QJsonObject batteryConfigReply(const QJsonObject& lastApply, const QStringList& failed, const QString& powerOnlyState,
                               const QString& failedPrefix);
// "request_one_time_full_charge": the event summary and the reply.
QString oneTimeFullChargeSummary(std::optional<int> restoreLimit);
QJsonObject oneTimeFullChargeReply(const QString& powerOnlyState);

} // namespace vantrel::daemonserver
