#pragma once
// The "fan", "battery" and "sleep" sections of the canonical user settings in their stored
// form, written from a daemon's running state and read back into it. Reading keeps what a
// section does not say from base and clamps numbers to the ranges the commands accept.
#include <optional>

#include <QJsonObject>

#include "daemonserver/BatteryConfig.h"
#include "daemonserver/FanConfig.h"

namespace vantrel::daemonserver {

// "mode" is "manual" while customActive (a curve or a fixed speed is in force).
QJsonObject storedFanSettings(const FanConfig& config, bool customActive);
FanConfig fanConfigFromStored(const QJsonObject& fan, FanConfig base);

QJsonObject storedBatterySettings(const BatteryConfig& config);
BatteryConfig batteryConfigFromStored(const QJsonObject& battery, BatteryConfig base);

struct SleepSettings {
    bool systemSleepDisabled = false;
    std::optional<int> cutoffPercent; // none: keep the daemon's cut-off
};
QJsonObject storedSleepSettings(bool systemSleepDisabled, int cutoffPercent);
SleepSettings sleepSettingsFromStored(const QJsonObject& sleep, bool systemSleepDisabled);

} // namespace vantrel::daemonserver
