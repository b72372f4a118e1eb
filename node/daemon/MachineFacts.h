#pragma once
// What this machine is, for "get_hardware_profile": its model from DMI or the device tree,
// the architecture, whether it is a desktop, and what the daemon can control on it.
#include <QJsonObject>
#include <QString>

namespace vantrel::node {

struct MachineFacts {
    QString modelIdentifier = QStringLiteral("unknown"); // "LENOVO 21CB" or the device-tree model
    QString modelName = QStringLiteral("unknown"); // the product's readable name where DMI has one
    QString vendor;
    QString architecture = QStringLiteral("unknown");
    int fanCount = 0;
    bool hasBattery = false;
    bool desktopClass = false;
    bool supportsSafeFanControl = false;
    bool supportsClamshell = false;
    bool chargeControl = false; // the kernel offers some charge limit

    // root: VANTREL_ROOT or "/" (DMI under sys/class/dmi/id, the model under proc/device-tree).
    static MachineFacts read(const QString& root);
    QJsonObject toProfile() const;
};

} // namespace vantrel::node
