#pragma once
// A three-cell lithium-ion battery: charge in mAh, voltage that follows the state of charge,
// a charge current that tapers above 80 %, cycle counting and a cell temperature.
#include "sim/model/MachineProfile.h"

namespace vantrel::sim {

class Battery {
public:
    Battery(const MachineProfile& profile, double percent);

    // State of charge, 0 … 1, and the integer percent the system shows.
    double stateOfCharge() const;
    int percent() const;
    double chargeMah() const { return chargeMah_; }
    int rawMaxCapacityMah() const { return rawMaxMah_; }
    int designCapacityMah() const { return designMah_; }
    int cycleCount() const { return cycleCount_; }
    double temperature() const { return temperature_; }
    bool temperatureHeld() const { return temperatureHeld_; }
    double currentMa() const { return currentMa_; }
    double voltage() const; // volts at the present current
    // Full as the system shows it: the level reads 100 %, and the charger stops there.
    bool full() const { return percent() >= 100; }

    // The most the charger may push now (tapering above 80 %, 0 when full).
    double chargeCurrentLimitMa() const;

    void setPercent(double percent);
    // Sets the cell temperature; held, it stays there until released.
    void setTemperature(double celsius, bool hold);
    void releaseTemperature() { temperatureHeld_ = false; }
    void setCycleCount(int cycles) { cycleCount_ = cycles; }

    // The current that flows now (positive = charging), within what the cells take: no
    // charging when full, no discharging when empty. Moves no charge.
    void setCurrent(double currentMa);
    // Moves charge by currentMa (positive = charging) for dt seconds; the cells warm with
    // current and settle toward their surroundings.
    void step(double currentMa, double dt, double surroundings, double airflow);

private:
    int designMah_;
    int rawMaxMah_;
    int maxChargeCurrentMa_;
    int cycleCount_;
    double chargeMah_;
    double dischargedSinceCycleMah_ = 0;
    double currentMa_ = 0;
    double temperature_ = 29.0;
    bool temperatureHeld_ = false;
};

} // namespace vantrel::sim
