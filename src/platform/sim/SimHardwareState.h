#pragma once
// The simulated Mac's power and model facts from the simulator's "hardware.json": the
// power-source description ("power_source"), the smart-battery registry ("battery_registry"),
// the "pmset -g batt" text ("pmset_batt") and the model names. Read anew on every call.
#include <optional>

#include <QJsonObject>
#include <QString>

#include "platform/BatteryRegistry.h"
#include "platform/OperatingSystemVersion.h"
#include "platform/PmsetBattery.h"
#include "platform/PowerSources.h"
#include "platform/SystemProfiler.h"

namespace vantrel {

class SimHardwareState final : public PowerSources,
                               public BatteryRegistry,
                               public PmsetBattery,
                               public SystemProfiler,
                               public OperatingSystemVersion {
public:
    explicit SimHardwareState(QString stateDirectory);

    std::optional<QJsonObject> firstPowerSourceDescription() const override;
    std::optional<QJsonObject> smartBatteryProperties() const override;
    // Like a tool that cannot run when the simulator has published no pmset text.
    ProcessResult batteryStatus() const override;
    std::optional<HardwareOverview> hardwareOverview() const override;
    // "macos_version" of the hardware file.
    std::optional<QString> macOSVersion() const override;

    // The whole hardware file; nothing when it is missing or not a JSON object.
    std::optional<QJsonObject> read() const;

private:
    QString file_;
};

} // namespace vantrel
