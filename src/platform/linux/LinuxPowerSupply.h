#pragma once
// Battery and adapter facts from /sys/class/power_supply (BAT*, AC*, ADP*, macsmc-battery …),
// mapped onto the power-source description, the smart-battery registry properties and a
// "pmset -g batt"-shaped summary. No system battery means no power source, as on a desktop Mac.
#include <optional>
#include <vector>

#include <QHash>
#include <QJsonObject>
#include <QString>

#include "platform/BatteryRegistry.h"
#include "platform/PmsetBattery.h"
#include "platform/PowerSources.h"

namespace vantrel {

class LinuxPowerSupply final : public PowerSources, public BatteryRegistry, public PmsetBattery {
public:
    // One supply folder: its name and its attribute files by name.
    struct Supply {
        QString name;
        QHash<QString, QString> attributes;
    };
    // What the tree says right now: the first system battery, every present system battery
    // (a ThinkPad may have BAT0 and BAT1) and the mains/USB adapters.
    struct State {
        std::optional<Supply> battery;
        std::vector<Supply> batteries;
        std::vector<Supply> adapters;
    };

    // root: the power_supply class folder (Paths::powerSupplyDirectory(); a fixture folder in tests).
    explicit LinuxPowerSupply(QString root);

    std::optional<QJsonObject> firstPowerSourceDescription() const override;
    std::optional<QJsonObject> smartBatteryProperties() const override;
    ProcessResult batteryStatus() const override;

    State readState() const;
    static std::optional<QJsonObject> description(const State& state);
    static std::optional<QJsonObject> registry(const State& state);
    static QByteArray pmsetText(const State& state);
    // A capacity in mAh ("full_design", "full", "now"): from charge_<which> (µAh), or from
    // energy_<which> (µWh) at the design voltage; nothing when the supply gives neither.
    static std::optional<int> capacityMah(const Supply& supply, const QString& which);
    // Several batteries as one level: each battery's capacity weighted by what it holds when
    // full (energy_full, else charge_full × voltage_min_design), a plain mean when any battery
    // lacks those; unknown when any battery's capacity is unknown or there is none.
    static std::optional<int> combinedPercent(const std::vector<Supply>& batteries);
    // "Charging" when any battery charges, else "Discharging" when any discharges, else "Full"
    // when all are full, else the first battery's status ("Unknown" when it has none).
    static QString combinedStatus(const std::vector<Supply>& batteries);

private:
    QString root_;
};

} // namespace vantrel
