#pragma once
// The canonical copy of the user's fan, battery and sleep settings: the sections the daemon
// stores (in a SettingsFile) and how they are put back into force on the simulated Mac.
#include <QJsonObject>
#include <QString>
#include <QStringList>

#include "daemonserver/UserSettingsReplies.h"
#include "sim/model/SimulatedMac.h"

namespace vantrel::sim {

inline constexpr const char* kUserSettingsFileName = "user-settings.json";
using daemonserver::kUserSettingsSchema;

// The sections as the daemon stores them, from the running state.
QJsonObject fanSettings(const FanController& fans);
QJsonObject batterySettings(const BatteryConfig& config);
QJsonObject sleepSettings(const SleepControl& sleep);

// Puts stored settings into force. Returns the codes of sections this Mac cannot run
// (empty when everything was restored).
QStringList restoreSettings(const QJsonObject& settings, SimulatedMac& mac);

} // namespace vantrel::sim
