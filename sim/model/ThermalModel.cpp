#include "sim/model/ThermalModel.h"

#include <algorithm>
#include <cmath>

namespace vantrel::sim {

double approach(double value, double target, double tau, double dt)
{
    if (tau <= 0)
        return target;
    return value + (target - value) * (1.0 - std::exp(-dt / tau));
}

ThermalModel::ThermalModel(const MachineProfile& profile, double ambient)
    : profile_(profile)
    , cpu_(ambient + 8)
    , gpu_(ambient + 6)
    , chassis_(ambient + 5)
    , ssd_(ambient + 9)
    , memoryVr_(ambient + 7)
{ }

void ThermalModel::step(const ThermalInputs& in, double dt)
{
    const double airflow = std::clamp(in.airflow, 0.0, 1.0);
    const double total = in.cpuWatts + in.gpuWatts + in.otherWatts;
    const double chassisTarget = in.ambient + total * profile_.chassisThermalResistance / (1.0 + 1.5 * airflow);
    chassis_ = approach(chassis_, chassisTarget, profile_.chassisTimeConstant, dt);

    const double dieResistance = profile_.cpuThermalResistance / (1.0 + 1.2 * airflow);
    // The dies share one package: each sees a part of the other's heat.
    cpu_ = approach(cpu_, chassis_ + (in.cpuWatts + 0.25 * in.gpuWatts) * dieResistance, 6.0, dt);
    gpu_ = approach(gpu_, chassis_ + (in.gpuWatts + 0.3 * in.cpuWatts) * dieResistance * 0.85, 8.0, dt);
    ssd_ = approach(ssd_, chassis_ + 4.0 + 9.0 * std::clamp(in.storageLoad, 0.0, 1.0), 180.0, dt);
    memoryVr_ = approach(memoryVr_, chassis_ + 3.0 + 0.3 * (in.cpuWatts + in.gpuWatts) / (1.0 + airflow), 40.0, dt);
}

} // namespace vantrel::sim
