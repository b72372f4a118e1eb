#pragma once
// The "get_hardware_profile" reply as read off the wire. Names default to "unknown"; the
// capability flags must be strict booleans and stay absent otherwise, so the capability
// store can apply its own defaults.
#include <optional>

#include <QJsonObject>
#include <QString>

namespace vantrel {

struct HardwareProfileReply {
    QString modelIdentifier = QStringLiteral("unknown");
    QString architecture = QStringLiteral("unknown");
    std::optional<qint64> fanCount;
    std::optional<bool> hasBattery;
    std::optional<bool> supportsClamshell;
    std::optional<bool> supportsSmcFanControl;
    std::optional<bool> supportsSafeFanControl;
    std::optional<bool> supportsBatterySmcControl;
    std::optional<bool> desktopClass;

    static HardwareProfileReply fromReply(const QJsonObject& reply);
    bool operator==(const HardwareProfileReply&) const = default;
};

} // namespace vantrel
