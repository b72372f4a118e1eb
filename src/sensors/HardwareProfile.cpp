#include "sensors/HardwareProfile.h"

#include <limits>

#include "base/JsonAccess.h"
#include "daemon/HardwareProfileReply.h"

namespace vantrel {

HardwareProfile HardwareProfile::daemonProfile(const std::optional<QJsonObject>& reply)
{
    HardwareProfile profile;
    if (!reply || !json::isOkStatus(*reply))
        return profile;
    const HardwareProfileReply fields = HardwareProfileReply::fromReply(*reply);
    profile.modelIdentifier = fields.modelIdentifier;
    profile.architecture = fields.architecture;
    // A fan count that no machine can have (negative, or beyond int) reads like a missing one.
    if (fields.fanCount && *fields.fanCount >= 0 && *fields.fanCount <= std::numeric_limits<int>::max())
        profile.fanCount = static_cast<int>(*fields.fanCount);
    profile.hasBattery = fields.hasBattery.value_or(false);
    profile.supportsClamshell = fields.supportsClamshell.value_or(false);
    profile.supportsSMCFanControl = fields.supportsSmcFanControl.value_or(false);
    profile.supportsSafeFanControl = fields.supportsSafeFanControl.value_or(false);
    profile.supportsBatterySMCControl = fields.supportsBatterySmcControl.value_or(false);
    profile.desktopClass = fields.desktopClass.value_or(false);
    return profile;
}

} // namespace vantrel
