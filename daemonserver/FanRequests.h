#pragma once
// The fan commands' arguments checked the same way by every daemon, and their replies. What a
// daemon knows of its own fans (which exist, whether they may be driven) it passes in.
#include <functional>
#include <variant>

#include <QJsonObject>
#include <QString>

#include "daemonserver/FanConfig.h"

namespace vantrel::daemonserver {

// "ERR_FAN_CONTROL_UNSUPPORTED", reason "fan_control_unsupported", in the daemon's own words.
QJsonObject fanControlUnsupported(const QString& message);

// "index": an integer naming a fan hasFan accepts; else "ERR_INVALID_ARGUMENT", or
// "ERR_INVALID_FAN_INDEX" with noFanMessage ("%1" stands for the index).
std::variant<int, QJsonObject> requestedFanIndex(const QJsonObject& request, const std::function<bool(qint64)>& hasFan,
                                                 const QString& noFanMessage);
// "mode": "auto" or "manual".
std::variant<QString, QJsonObject> requestedFanMode(const QJsonObject& request);
// "rpm": an integer speed from 0 to 20000.
std::variant<int, QJsonObject> requestedFanRpm(const QJsonObject& request);
// "set_fan_config": mode, unified, preset_name, smart_app_preset and both curves (temperatures
// from -20 to 150 °C, percents from 0 to 100; a manual configuration needs points).
std::variant<FanConfig, QJsonObject> parseFanConfigRequest(const QJsonObject& request);

QString fanModeName(bool manual);
QJsonObject fanModeReply(int fan, const QString& mode);
QJsonObject fanRpmReply(int fan, int rpm);
QJsonObject fanConfigReply(const FanConfig& config);

} // namespace vantrel::daemonserver
