#include "daemon/HardwareProfileReply.h"

#include "base/JsonAccess.h"

namespace vantrel {

HardwareProfileReply HardwareProfileReply::fromReply(const QJsonObject& reply)
{
    HardwareProfileReply profile;
    profile.modelIdentifier
        = json::string(reply, QStringLiteral("model_identifier")).value_or(QStringLiteral("unknown"));
    profile.architecture = json::string(reply, QStringLiteral("architecture")).value_or(QStringLiteral("unknown"));
    profile.fanCount = json::integer(reply, QStringLiteral("fan_count"));
    profile.hasBattery = json::strictBool(reply, QStringLiteral("has_battery"));
    profile.supportsClamshell = json::strictBool(reply, QStringLiteral("supports_clamshell"));
    profile.supportsSmcFanControl = json::strictBool(reply, QStringLiteral("supports_smc_fan_control"));
    profile.supportsSafeFanControl = json::strictBool(reply, QStringLiteral("supports_safe_fan_control"));
    profile.supportsBatterySmcControl = json::strictBool(reply, QStringLiteral("supports_battery_smc_control"));
    profile.desktopClass = json::strictBool(reply, QStringLiteral("desktop_class"));
    return profile;
}

} // namespace vantrel
