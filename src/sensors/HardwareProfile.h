#pragma once
// What this Mac can do, as the daemon's hardware profile says. The blank profile (names
// "unknown", no fans, every flag false) stands for no profile at all.
#include <optional>

#include <QJsonObject>
#include <QJsonValue>
#include <QMetaType>
#include <QString>

namespace vantrel {

struct HardwareProfile {
    Q_GADGET
    Q_PROPERTY(QString modelIdentifier MEMBER modelIdentifier)
    Q_PROPERTY(QString architecture MEMBER architecture)
    Q_PROPERTY(int fanCount MEMBER fanCount)
    Q_PROPERTY(bool hasBattery MEMBER hasBattery)
    Q_PROPERTY(bool supportsClamshell MEMBER supportsClamshell)
    Q_PROPERTY(bool supportsSMCFanControl MEMBER supportsSMCFanControl)
    Q_PROPERTY(bool supportsSafeFanControl MEMBER supportsSafeFanControl)
    Q_PROPERTY(bool supportsBatterySMCControl MEMBER supportsBatterySMCControl)
    Q_PROPERTY(bool desktopClass MEMBER desktopClass)

public:
    QString modelIdentifier = QStringLiteral("unknown");
    QString architecture = QStringLiteral("unknown");
    int fanCount = 0;
    bool hasBattery = false;
    bool supportsClamshell = false;
    bool supportsSMCFanControl = false;
    bool supportsSafeFanControl = false;
    bool supportsBatterySMCControl = false;
    bool desktopClass = false;

    static HardwareProfile blank() { return {}; }
    bool isBlank() const { return *this == blank(); }

    // Decodes a "get_hardware_profile" reply; no reply, or one whose "status" is not "ok",
    // gives the blank profile. Never fails.
    static HardwareProfile daemonProfile(const std::optional<QJsonObject>& reply);

    bool operator==(const HardwareProfile&) const = default;
};

} // namespace vantrel

Q_DECLARE_METATYPE(vantrel::HardwareProfile)
