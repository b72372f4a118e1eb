#pragma once
// The system battery and the external supplies from <root>/sys/class/power_supply.
#include <cmath>
#include <optional>

#include <QString>

namespace vantrel::node {

struct BatteryReading {
    QString name; // "BAT0", or "BAT0+BAT1" for several batteries together
    bool present = false;
    int percent = -1; // from capacity only; charge_now/charge_full are on inconsistent scales on some kernels
    QString status; // Charging, Discharging, Full, Not charging, Unknown
    double temperatureC = NAN;
    int cycleCount = -1;
    double voltageV = NAN;
    double currentA = NAN; // negative while discharging
    double powerW = NAN; // magnitude; the direction is currentA's sign
    int designCapacityMah = -1;
    int fullChargeCapacityMah = -1;
};

struct AdapterReading {
    bool connected = false;
    double watts = NAN;
    QString name;
};

class PowerSupplies {
public:
    // root: VANTREL_ROOT or "/". Reads the tree once here; refresh() reads it again.
    explicit PowerSupplies(QString root);

    void refresh();
    // The present batteries that belong to the system (a mouse's or headset's does not), as
    // one: a ThinkPad's BAT0 and BAT1 give one level, one state and their summed flows.
    std::optional<BatteryReading> battery() const;
    // Connected when a mains supply or a USB / USB-C supply is online.
    AdapterReading adapter() const;

    // <root>/sys/class/power_supply
    QString folder() const { return folder_; }

private:
    QString folder_;
    std::optional<BatteryReading> battery_;
    AdapterReading adapter_;
};

} // namespace vantrel::node
