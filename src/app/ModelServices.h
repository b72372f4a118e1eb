#pragma once
// The model half of the composition root: the central state and every model object its
// monitoring loop and heartbeat call into, made once and handed to the central state as its
// named collaborators. No widgets here, so tests run the whole model headless against a daemon.
#include <memory>

#include <QString>

#include "base/Paths.h"
#include "platform/DesktopServices.h"
#include "platform/PlatformServices.h"

namespace vantrel {

class BatteryConfigurationApplier;
class BatteryPolicyState;
class BatteryTelemetryLog;
class DaemonClient;
class DaemonSettingsSynchroniser;
class DarkKeepAlive;
class Dispatch;
class FanConfigurationApplier;
class FanControlState;
class FanPresetStore;
class HardwareCapabilityStore;
class HeatProtectionAlertCenter;
class LLMDetector;
class LocalActivitySampler;
class MacOSFanCurveLog;
class MacOSFanObserver;
class NativeSMC;
class OnlyPowerEnergyStore;
class OnlyPowerPolicyEvidenceRecorder;
class PowerSourceMonitor;
class Preferences;
class SafetyLockShieldController;
class SMCHelper;
class SleepRuntimeReconciler;
class SensorSource;
class ThermalManager;
class VirtualDisplayManager;

class ModelServices {
public:
    struct Inputs {
        Dispatch& dispatch;
        Preferences& preferences;
        std::shared_ptr<DaemonClient> daemon;
        Paths paths;
        PlatformServices platform;
        DesktopServices desktop; // accessibility is required; the rest may be null
        // The smc tool the sensor refresh runs (see smcToolPath).
        QString smcTool;
    };

    explicit ModelServices(Inputs inputs);
    ~ModelServices();
    ModelServices(const ModelServices&) = delete;
    ModelServices& operator=(const ModelServices&) = delete;

    // Restores the stored settings, starts the heartbeat and the monitoring loop, and runs the
    // start-up sequence; registers the central state as the process's shared instance.
    void start();

    // The installed tool when it is there, else the "vantrel-smc" built next to this program (a
    // development build is not installed; the fall-back is logged once). The tool reads the
    // simulated Mac when its state is there and this machine's hwmon sensors otherwise, so both
    // platforms use it.
    static QString smcToolPath(const Paths& paths, const QString& programDirectory);

    ThermalManager& thermal() { return *thermal_; }
    HardwareCapabilityStore& capabilities() { return *capabilities_; }
    BatteryPolicyState& battery() { return *battery_; }
    BatteryConfigurationApplier& batteryApplier() { return *batteryApplier_; }
    FanConfigurationApplier& fanApplier() { return *fanApplier_; }
    FanPresetStore& presets() { return *presets_; }
    MacOSFanObserver& fanObserver() { return *fanObserver_; }
    HeatProtectionAlertCenter& heatAlerts() { return *heatAlerts_; }
    SleepRuntimeReconciler& sleep() { return *sleepReconciler_; }
    DarkKeepAlive& keepAlive() { return *keepAwake_; }
    VirtualDisplayManager& virtualDisplays() { return *virtualDisplays_; }
    SafetyLockShieldController& shield() { return *shield_; }
    std::shared_ptr<SMCHelper> smc() const { return smc_; }
    std::shared_ptr<PowerSourceMonitor> powerSources() const { return powerSources_; }
    std::shared_ptr<BatteryTelemetryLog> batteryTelemetry() const { return batteryTelemetry_; }
    std::shared_ptr<OnlyPowerEnergyStore> onlyPowerEnergy() const { return onlyPowerEnergy_; }
    std::shared_ptr<LocalActivitySampler> activitySampler() const { return activitySampler_; }

private:
    Inputs inputs_;
    std::shared_ptr<SMCHelper> smc_;
    std::unique_ptr<NativeSMC> nativeSMC_;
    std::unique_ptr<SensorSource> sensorSource_;
    std::shared_ptr<PowerSourceMonitor> powerSources_;
    std::shared_ptr<LocalActivitySampler> activitySampler_;
    std::unique_ptr<HardwareCapabilityStore> capabilities_;
    std::unique_ptr<LLMDetector> llmDetector_;
    std::unique_ptr<FanControlState> fan_;
    std::unique_ptr<FanPresetStore> presets_;
    std::unique_ptr<FanConfigurationApplier> fanApplier_;
    std::unique_ptr<MacOSFanCurveLog> fanCurveLog_;
    std::unique_ptr<BatteryPolicyState> battery_;
    std::unique_ptr<BatteryConfigurationApplier> batteryApplier_;
    std::unique_ptr<HeatProtectionAlertCenter> heatAlerts_;
    std::unique_ptr<OnlyPowerPolicyEvidenceRecorder> evidence_;
    std::shared_ptr<BatteryTelemetryLog> batteryTelemetry_;
    std::shared_ptr<OnlyPowerEnergyStore> onlyPowerEnergy_;
    std::unique_ptr<MacOSFanObserver> fanObserver_;
    std::unique_ptr<VirtualDisplayManager> virtualDisplays_;
    std::unique_ptr<SafetyLockShieldController> shield_;
    std::unique_ptr<DarkKeepAlive> keepAwake_;
    std::unique_ptr<SleepRuntimeReconciler> sleepReconciler_;
    // Stand-in for the settings synchronisation, not built yet.
    std::unique_ptr<DaemonSettingsSynchroniser> settingsSync_;
    std::unique_ptr<ThermalManager> thermal_;
};

} // namespace vantrel
