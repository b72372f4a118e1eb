#pragma once
// The whole simulated Mac, stepped one simulated second at a time: load heats the dies,
// fans cool them, the adapter and the battery policy decide where power comes from, and
// every policy decision lands in the evidence log. Not thread-safe: its owner locks.
#include <optional>

#include "sim/model/Battery.h"
#include "sim/model/BatteryPolicy.h"
#include "sim/model/EvidenceLog.h"
#include "sim/model/FanController.h"
#include "sim/model/MachineProfile.h"
#include "sim/model/PlatformState.h"
#include "sim/model/SleepControl.h"
#include "sim/model/ThermalModel.h"

namespace vantrel::sim {

// "set_survival_throttling": the daemon caps CPU load above the trip until it cools down.
struct SurvivalThrottling {
    bool enabled = false;
    double threshold = 95.0;
    double cooldownTarget = 85.0;
};

// Every temperature sensor, °C.
struct SensorReadings {
    double cpuAverage = 0; // TPMP
    double cpuMax = 0; // TPDX
    double cpuHotspot = 0; // TCHP
    double cpuDieTop = 0; // TCMz
    double gpu = 0; // TG0D
    double vram = 0; // TPVD
    double battery[3] = {}; // TB0T … TB2T
    double ssd[2] = {}; // TD00, TD10
    double ambient = 0; // TAOL
    double palmRest[2] = {}; // Ts0P, Ts1P
    double memoryVr = 0; // TMVR
};

class SimulatedMac {
public:
    // A throttled CPU runs at most this share of the requested load.
    static constexpr double kSurvivalLoadCap = 0.4;
    // An app heartbeat keeps its lease this long.
    static constexpr double kAppLeaseSeconds = 15.0;

    SimulatedMac(const MachineProfile& profile, double startEpochSeconds, double batteryPercent = 72.0);

    const MachineProfile& profile() const { return profile_; }

    // Advances the simulation by whole seconds.
    void step(int seconds);
    // Re-evaluates the policy, the power flow (watts, battery current, adapter current) and
    // the sleep state after a command without advancing time, so every readout agrees at once.
    void settle();

    // Inputs (control commands).
    void setLoad(double cpuPercent, double gpuPercent);
    void setAmbient(double celsius) { ambient_ = celsius; }
    void setAdapter(bool connected, std::optional<int> watts = std::nullopt);
    void setLidClosed(bool closed) { lidClosed_ = closed; }
    void setExternalDisplays(int count) { externalDisplays_ = std::max(0, count); }
    void recordHeartbeat()
    {
        lastHeartbeatUptime_ = uptime_;
        ++heartbeats_;
    }

    double cpuLoad() const { return cpuLoad_; }
    double gpuLoad() const { return gpuLoad_; }
    double ambient() const { return ambient_; }
    bool adapterConnected() const { return adapterConnected_; }
    int adapterWatts() const { return adapterWatts_; }
    bool lidClosed() const { return lidClosed_; }
    int externalDisplays() const { return externalDisplays_; }
    bool appLeaseActive() const;
    // Heartbeats received since the simulator started.
    long long heartbeats() const { return heartbeats_; }

    // Parts.
    FanController& fans() { return fans_; }
    const FanController& fans() const { return fans_; }
    Battery* battery() { return battery_ ? &*battery_ : nullptr; }
    const Battery* battery() const { return battery_ ? &*battery_ : nullptr; }
    BatteryPolicy& policy() { return policy_; }
    const BatteryPolicy& policy() const { return policy_; }
    SleepControl& sleep() { return sleep_; }
    const SleepControl& sleep() const { return sleep_; }
    PlatformState& platform() { return platform_; }
    const PlatformState& platform() const { return platform_; }
    EvidenceLog& evidence() { return evidence_; }
    const EvidenceLog& evidence() const { return evidence_; }
    SurvivalThrottling& survivalThrottling() { return survival_; }
    const SurvivalThrottling& survivalThrottling() const { return survival_; }
    bool survivalThrottleActive() const { return survivalActive_; }
    // Records an event of a command (fan config, reset …) at the current time.
    void recordEvent(const PolicyEvent& event) { evidence_.record(event, epoch_); }

    // Readouts.
    double epochSeconds() const { return epoch_; }
    double uptimeSeconds() const { return uptime_; }
    SensorReadings sensors() const;
    double cpuTemperature() const { return thermal_.cpuDie(); }
    double cpuWatts() const { return cpuWatts_; }
    double gpuWatts() const { return gpuWatts_; }
    double systemWatts() const { return systemWatts_; }
    // Adapter output current at 20 V, amperes (0 when the system runs from the battery).
    double adapterAmps() const { return adapterAmps_; }
    // Battery power, watts; negative while discharging.
    double batteryWatts() const;
    bool isCharging() const;
    // The adapter is connected and actually feeding the Mac.
    bool adapterInUse() const { return adapterConnected_ && policy_.decision().adapterInputEnabled; }
    PolicyInputs policyInputs() const;
    SleepControl::Inputs sleepInputs() const;

private:
    void stepOnce();
    void recordEvents(std::vector<PolicyEvent>& events);
    // CPU, GPU and system watts for the present load, throttling and displays; returns the
    // watts of everything else (base and displays).
    double updatePower();
    // What flows into (positive) or out of the battery for the present watts and decision.
    double batteryCurrentMa(const PolicyDecision& decision) const;
    double chargeWatts() const;
    void updateAdapterAmps();

    MachineProfile profile_;
    ThermalModel thermal_;
    FanController fans_;
    std::optional<Battery> battery_;
    BatteryPolicy policy_;
    SleepControl sleep_;
    PlatformState platform_;
    EvidenceLog evidence_;
    SurvivalThrottling survival_;

    double epoch_;
    double uptime_ = 0;
    std::optional<double> lastHeartbeatUptime_;
    long long heartbeats_ = 0;
    double cpuLoad_ = 0.05;
    double gpuLoad_ = 0.02;
    double ambient_ = 24.0;
    bool adapterConnected_;
    int adapterWatts_;
    bool lidClosed_ = false;
    int externalDisplays_ = 0;
    double throttleFactor_ = 1.0;
    bool survivalActive_ = false;
    double cpuWatts_ = 0;
    double gpuWatts_ = 0;
    double systemWatts_ = 0;
    double adapterAmps_ = 0;
};

} // namespace vantrel::sim
