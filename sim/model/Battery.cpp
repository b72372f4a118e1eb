#include "sim/model/Battery.h"

#include <algorithm>
#include <cmath>

#include "sim/model/ThermalModel.h"

namespace vantrel::sim {

namespace {
constexpr double kCells = 3;
constexpr double kCellResistanceOhm = 0.05;
} // namespace

Battery::Battery(const MachineProfile& profile, double percent)
    : designMah_(profile.designCapacityMah)
    , rawMaxMah_(profile.rawMaxCapacityMah)
    , maxChargeCurrentMa_(profile.maxChargeCurrentMa)
    , cycleCount_(profile.cycleCount)
    , chargeMah_(0)
{
    setPercent(percent);
}

double Battery::stateOfCharge() const { return rawMaxMah_ > 0 ? std::clamp(chargeMah_ / rawMaxMah_, 0.0, 1.0) : 0.0; }

int Battery::percent() const { return static_cast<int>(std::lround(stateOfCharge() * 100.0)); }

double Battery::voltage() const
{
    // Open-circuit voltage of a cell from 3.45 V empty to 4.30 V full, plus the IR drop.
    const double soc = stateOfCharge();
    const double open = 3.45 + 0.85 * soc - 0.12 * std::exp(-soc * 12.0);
    return kCells * (open + kCellResistanceOhm * currentMa_ / 1000.0);
}

double Battery::chargeCurrentLimitMa() const
{
    const double soc = stateOfCharge();
    if (full())
        return 0;
    if (soc < 0.8)
        return maxChargeCurrentMa_;
    // Constant-voltage phase: the current falls toward 5 % of the maximum at full.
    return std::max(0.05 * maxChargeCurrentMa_, maxChargeCurrentMa_ * (1.0 - soc) / 0.2);
}

void Battery::setPercent(double percent) { chargeMah_ = std::clamp(percent, 0.0, 100.0) / 100.0 * rawMaxMah_; }

void Battery::setTemperature(double celsius, bool hold)
{
    temperature_ = std::clamp(celsius, -20.0, 90.0);
    temperatureHeld_ = hold;
}

void Battery::setCurrent(double currentMa)
{
    if (currentMa > 0)
        currentMa = std::min(currentMa, chargeCurrentLimitMa());
    if (currentMa < 0 && chargeMah_ <= 0)
        currentMa = 0;
    currentMa_ = currentMa;
}

void Battery::step(double currentMa, double dt, double surroundings, double airflow)
{
    setCurrent(currentMa);
    currentMa = currentMa_;
    const double delta = currentMa * dt / 3600.0;
    chargeMah_ = std::clamp(chargeMah_ + delta, 0.0, static_cast<double>(rawMaxMah_));
    if (delta < 0) {
        dischargedSinceCycleMah_ -= delta;
        if (dischargedSinceCycleMah_ >= rawMaxMah_) {
            dischargedSinceCycleMah_ -= rawMaxMah_;
            ++cycleCount_;
        }
    }
    // A battery that just became full (or empty) takes no more current from now on.
    setCurrent(currentMa_);
    if (!temperatureHeld_) {
        // About 1.6 °C per ampere above the surroundings; moving air takes up to 2 °C off.
        const double target = surroundings + 1.6 * std::abs(currentMa) / 1000.0 - 2.0 * std::clamp(airflow, 0.0, 1.0);
        temperature_ = approach(temperature_, target, 400.0, dt);
    }
}

} // namespace vantrel::sim
