#pragma once
// Lumped thermal model: CPU and GPU dies heat the chassis, the chassis warms the SSD,
// memory regulator and palm rests, airflow from the fans lowers every thermal resistance.
#include "sim/model/MachineProfile.h"

namespace vantrel::sim {

struct ThermalInputs {
    double cpuWatts = 0;
    double gpuWatts = 0;
    double otherWatts = 0; // board, display, charger losses
    double airflow = 0; // 0 (fans still) … 1 (every fan at its maximum)
    double ambient = 24.0; // room temperature, °C
    double storageLoad = 0; // 0 … 1
};

class ThermalModel {
public:
    ThermalModel(const MachineProfile& profile, double ambient);

    void step(const ThermalInputs& in, double dt);

    double cpuDie() const { return cpu_; }
    double gpuDie() const { return gpu_; }
    double chassis() const { return chassis_; }
    double ssd() const { return ssd_; }
    double memoryRegulator() const { return memoryVr_; }

private:
    const MachineProfile profile_;
    double cpu_;
    double gpu_;
    double chassis_;
    double ssd_;
    double memoryVr_;
};

// Moves value toward target with a first-order lag of time constant tau.
double approach(double value, double target, double tau, double dt);

} // namespace vantrel::sim
