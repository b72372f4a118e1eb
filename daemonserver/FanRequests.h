#pragma once
// The fan commands' arguments checked the same way by every daemon, and their replies. What a
// daemon knows of its own fans (which exist, whether they may be driven) it passes in.
#include <functional>
#include <optional>
#include <variant>

#include <QJsonObject>
#include <QString>

#include "daemonserver/FanConfig.h"

namespace vantrel::daemonserver {

// "ERR_FAN_CONTROL_UNSUPPORTED", reason "fan_control_unsupported", in the daemon's own words.
QJsonObject fanControlUnsupported(const QString& message);

// What a daemon tells the checks about its fans.
struct FanChecks {
    std::optional<QJsonObject> refusal; // the reply when this machine's fans may not be driven
    std::function<bool(qint64)> hasFan; // a fan with this index exists and may be driven
    QString noFanMessage; // "%1" stands for the index
};

struct FanModeRequest {
    int fan = 0;
    QString mode; // "auto" or "manual"
};
// "set_fan_mode": the refusal, an integer "index" naming a fan ("ERR_INVALID_ARGUMENT" or
// "ERR_INVALID_FAN_INDEX"), then the mode.
std::variant<FanModeRequest, QJsonObject> parseFanModeRequest(const QJsonObject& request, const FanChecks& fans);

struct FanRpmRequest {
    int fan = 0;
    int rpm = 0; // 0 to 20000
};
// "set_fan_rpm": the refusal, the index as for a mode, then the speed.
std::variant<FanRpmRequest, QJsonObject> parseFanRpmRequest(const QJsonObject& request, const FanChecks& fans);

// "set_fan_config": mode, unified, preset_name, smart_app_preset and both curves (temperatures
// from -20 to 150 °C, percents from 0 to 100; a manual configuration needs points).
std::variant<FanConfig, QJsonObject> parseFanConfigRequest(const QJsonObject& request);

QString fanModeName(bool manual);
QJsonObject fanModeReply(int fan, const QString& mode);
QJsonObject fanRpmReply(int fan, int rpm);
QJsonObject fanConfigReply(const FanConfig& config);

} // namespace vantrel::daemonserver
