#pragma once
// The steps the central state calls into other parts of the application: sensor reads,
// fan target and observation, sleep reconciliation, throttle, evidence, capability store,
// settings synchronisation. The composition root fills them; an empty hook is skipped.
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include <QString>

#include "core/HistoryDataPoint.h"
#include "fan/LLMState.h"
#include "sensors/SensorReading.h"

namespace vantrel {

// One refresh of the SMC catalogue as the tick reads it from the sensor caches.
struct SensorSample {
    double cpuTemperature = 45.0;
    int fan0 = 0;
    int fan1 = 0;
    std::vector<SensorReading> readings;
};

struct CapabilityStoreView {
    bool loaded = false;
    bool placeholderProfile = true;
    std::uint64_t refreshGeneration = 0;
};

struct ThermalManagerHooks {
    // Construction: loadPresets, loadActiveFanCurves, refreshMacOSFanCurveAnalysis.
    std::function<void()> loadFanConfiguration;
    // Construction: DarkKeepAlive.updateLidOpenLockMonitoring(enabled:).
    std::function<void(bool enabled)> updateLidOpenLockMonitoring;

    // Background: SMCHelper.refreshAll() and the cached readings.
    std::function<SensorSample()> refreshSensors;
    // Background: mean battery temperature from the readings (30.0 without any).
    std::function<double()> batteryTemperature;
    // Background, every sixth tick: the running LLM processes and their classified state.
    std::function<std::pair<std::vector<LLMProcess>, LLMState>()> scanLLMProcesses;

    // Main thread, in tick order.
    std::function<void(const HistoryDataPoint&)> recordFanCurveSample;
    std::function<void(LLMState)> publishLLMState;
    std::function<void(const QString& reason)> reconcileSleepRuntime;
    std::function<void(const QString& reason)> scheduleSleepRuntimeReconcile;
    std::function<void(double cpuTemperature)> updateDisplayedFanTarget;
    std::function<void(int level, const std::vector<int>& pids)> applyThrottle;

    // Heartbeat, once a minute (off the main thread).
    std::function<void()> captureEvidence;

    // Capability store (main thread).
    std::function<CapabilityStoreView()> capabilityStore;
    std::function<void()> refreshCapabilities;
    std::function<void()> probeCapabilitiesAfterExhaustion;
    std::function<void()> clearCapabilities;

    // Daemon availability side effects owned elsewhere (main thread).
    std::function<void()> forgetBatteryConfigSignature;
    std::function<void()> resetSleepApplyBookkeeping;
    std::function<void()> resetCanonicalSettingsSync;
    std::function<bool()> canonicalSettingsReady;
    std::function<void(const QString& reason)> reconcileCanonicalSettings;
    std::function<void(const QString& reason)> probeCanonicalSettingsAfterExhaustion;

    // Start-up sequence (main thread).
    std::function<bool()> accessibilityTrusted;
    std::function<void()> refreshAutomationStatus;
};

} // namespace vantrel
