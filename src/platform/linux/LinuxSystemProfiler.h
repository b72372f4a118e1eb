#pragma once
// What the machine says it is: the firmware's DMI product fields on PCs and Intel Macs,
// the device tree's "model" and "compatible" on ARM machines (Apple silicon under Asahi).
#include <QString>

#include "platform/SystemProfiler.h"

namespace vantrel {

class LinuxSystemProfiler final : public SystemProfiler {
public:
    // sysRoot: where sysfs is mounted (Paths::sysfsDirectory(); a fixture folder in tests).
    explicit LinuxSystemProfiler(QString sysRoot);
    std::optional<HardwareOverview> hardwareOverview() const override;

private:
    QString sysRoot_;
};

} // namespace vantrel
