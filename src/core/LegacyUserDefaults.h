#pragma once
// Whether the application's own preferences still hold fan, battery or sleep settings from a
// version that kept them only locally (they are pushed to the daemon once when it has no copy).
class QString;

namespace vantrel {

class Preferences;

bool hasLegacyFanUserDefaults(const Preferences& preferences);
bool hasLegacyBatteryUserDefaults(const Preferences& preferences);
bool hasLegacySleepUserDefaults(const Preferences& preferences);

} // namespace vantrel
