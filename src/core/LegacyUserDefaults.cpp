#include "core/LegacyUserDefaults.h"

#include <initializer_list>

#include <QString>

#include "base/Preferences.h"

namespace vantrel {
namespace {

bool anyExists(const Preferences& preferences, std::initializer_list<const char*> keys)
{
    for (const char* key : keys)
        if (preferences.exists(QString::fromLatin1(key)))
            return true;
    return false;
}

} // namespace

bool hasLegacyFanUserDefaults(const Preferences& preferences)
{
    return anyExists(preferences, {"fanMode", "isUnifiedFanControl", "smartAppPresetEnabled"})
        || !preferences.dataValue(QStringLiteral("currentCurve")).isEmpty()
        || !preferences.dataValue(QStringLiteral("currentCurveRight")).isEmpty();
}

bool hasLegacyBatteryUserDefaults(const Preferences& preferences)
{
    return anyExists(preferences,
                     {"batteryLimitEnabled", "chargeLimit", "chargeProtectorEnabled", "safetyDrainEnabled",
                      "safetyDrainTargetPercent", "heatProtectionEnabled", "maxBatteryTemp"});
}

bool hasLegacySleepUserDefaults(const Preferences& preferences)
{
    return anyExists(
        preferences,
        {"darkKeepAliveEnabled", "displayKeepAliveEnabled", "virtualDisplayEnabled", "lockOnLidOpenEnabled"});
}

} // namespace vantrel
