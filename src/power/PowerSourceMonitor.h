#pragma once
// Reads the battery and adapter on demand from the power-source list, the smart-battery
// registry entry and the SMC caches. Keeps no state: every caller polls when it needs a fresh
// picture. Callable from any thread.
#include <memory>
#include <optional>

#include <QJsonObject>
#include <QString>

#include "platform/BatteryRegistry.h"
#include "platform/PmsetBattery.h"
#include "platform/PowerSources.h"
#include "power/PowerSourceInfo.h"
#include "sensors/LocalActivityFields.h"
#include "sensors/SMCHelper.h"

namespace vantrel {

class PowerSourceMonitor {
public:
    PowerSourceMonitor(std::shared_ptr<PowerSources> powerSources, std::shared_ptr<BatteryRegistry> registry,
                       std::shared_ptr<PmsetBattery> pmset, std::shared_ptr<const SMCHelper> smc);

    // The full read, with battery health and the SMC power figures.
    PowerSourceInfo read() const;
    // The light read: charge, charging state and adapter only.
    PowerSourceInfo readChargeSnapshot() const;
    // True on "AC Power", false on "Battery Power", else from the adapter's wattage; nothing
    // when neither says.
    std::optional<bool> externalPowerConnected() const;
    // The charge in percent; nothing without a power source or with a charge below 1.
    std::optional<int> currentBatteryPercent() const;
    // The first "<digits>%" in the output of "pmset -g batt".
    std::optional<int> pmsetBatteryPercent() const;
    // The mean of the SMC's "Battery" readings; nothing when there is none.
    std::optional<double> batteryTemperature() const;
    // The dashboard's battery power source text and activity state key.
    LocalBatteryActivity localBatteryActivity() const;
    // The smart-battery registry properties, or an empty dictionary.
    QJsonObject batteryRegistryProperties() const;

    // max/design in percent, capped at 100; nothing when either is outside 500…30000 mAh
    // or the ratio outside 0.1…1.2.
    static std::optional<double> batteryMaximumCapacityPercent(std::optional<int> maxCapacity,
                                                               std::optional<int> designCapacity);
    // A number's integer value (truncated); nothing for other kinds or beyond int.
    static std::optional<int> intOptional(const QJsonObject& dict, const QString& key);
    static std::optional<double> doubleOptional(const QJsonObject& dict, const QString& key);
    static std::optional<int> pmsetPercent(const ProcessResult& pmsetOutput);

private:
    std::shared_ptr<PowerSources> powerSources_;
    std::shared_ptr<BatteryRegistry> registry_;
    std::shared_ptr<PmsetBattery> pmset_;
    std::shared_ptr<const SMCHelper> smc_;
};

} // namespace vantrel
