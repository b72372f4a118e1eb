#pragma once
// Brings the published fan, battery and sleep state into line with the daemon's canonical
// settings object. Each value goes through its property's setter so storing and re-applying
// happen as for a user change; missing sections, keys and mistyped values change nothing,
// except that a "battery" section always resets the protector drop and sets the safety drain
// target (none when its key is missing or not an integer).
#include <QJsonObject>

namespace vantrel {

class BatteryPolicyState;
class FanControlState;
class SleepSettingsState;

void syncUserIntentFromDaemonSettings(const QJsonObject& settings, FanControlState& fan, BatteryPolicyState& battery,
                                      SleepSettingsState& sleep);

} // namespace vantrel
