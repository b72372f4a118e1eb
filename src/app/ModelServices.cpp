#include "app/ModelServices.h"

#include <QDir>
#include <QFileInfo>

#include "base/Dispatch.h"
#include "core/ThermalManager.h"
#include "daemon/DaemonClient.h"
#include "fan/FanControlState.h"
#include "fan/FanPresetStore.h"
#include "fan/LLMDetector.h"
#include "fan/MacOSFanCurveLog.h"
#include "fan/MacOSFanObserver.h"
#include "power/BatteryConfigurationApplier.h"
#include "power/BatteryPolicyState.h"
#include "power/HeatProtectionAlertCenter.h"
#include "power/OnlyPowerPolicyEvidenceRecorder.h"
#include "power/PowerSourceMonitor.h"
#include "power/ThrottleManagerSwift.h"
#include "sensors/HardwareCapabilityStore.h"
#include "sensors/LocalActivitySampler.h"
#include "sensors/NativeSMC.h"
#include "sensors/SMCHelper.h"
#include "sensors/SensorSections.h"

namespace vantrel {

QString ModelServices::smcToolPath(const Paths& paths, const QString& programDirectory)
{
    const QString installed = paths.smcTool();
    if (QFileInfo(installed).isExecutable())
        return installed;
    const QString built = QDir(programDirectory).filePath(QStringLiteral("vantrel-smc"));
    return QFileInfo(built).isExecutable() ? built : installed;
}

ModelServices::ModelServices(Inputs inputs) : inputs_(std::move(inputs))
{
    const PlatformServices& platform = inputs_.platform;
    smc_ = std::make_shared<SMCHelper>(platform.processRunner, inputs_.smcTool);
    nativeSMC_ = std::make_unique<NativeSMC>(platform.smcUserClient);
    powerSources_ = std::make_shared<PowerSourceMonitor>(platform.powerSources, platform.batteryRegistry,
                                                         platform.pmset, smc_);
    activitySampler_ = std::make_shared<LocalActivitySampler>(
        platform.hostStatistics, platform.processTable, [power = powerSources_] { return power->localBatteryActivity(); });
    capabilities_ = std::make_unique<HardwareCapabilityStore>(inputs_.daemon, inputs_.dispatch);
    llmDetector_ = std::make_unique<LLMDetector>(*platform.processTable);
    presets_ = std::make_unique<FanPresetStore>(inputs_.paths, inputs_.preferences, inputs_.dispatch.clock());
    fanCurveLog_ = std::make_unique<MacOSFanCurveLog>(inputs_.paths, inputs_.dispatch);
    battery_ = std::make_unique<BatteryPolicyState>(inputs_.preferences);
    batteryApplier_ = std::make_unique<BatteryConfigurationApplier>(
        *battery_, *inputs_.daemon, inputs_.dispatch, [store = capabilities_.get()] {
            return store->isLoaded() && store->profile().hasBattery;
        });
    heatAlerts_ = std::make_unique<HeatProtectionAlertCenter>([state = battery_.get()] { return state->maxBatteryTemp(); });
    evidence_ = std::make_unique<OnlyPowerPolicyEvidenceRecorder>(*inputs_.daemon, inputs_.dispatch, inputs_.paths);

    ThermalManager::Services services{inputs_.dispatch,     inputs_.preferences,
                                      *inputs_.daemon,      inputs_.paths,
                                      inputs_.desktop.notifications, inputs_.desktop.processActivity,
                                      inputs_.desktop.workspace};
    thermal_ = std::make_unique<ThermalManager>(std::move(services), ThermalManagerHooks{});
    fanObserver_ = std::make_unique<MacOSFanObserver>(thermal_->fan(), *fanCurveLog_,
                                                      [smc = nativeSMC_.get()](int fan) { return smc->getMaxFanRPM(fan); });
    throttle_ = std::make_unique<ThrottleManagerSwift>([tm = thermal_.get()](const QString& command) { tm->sendToDaemon(command); });
    wireHooks();
}

ModelServices::~ModelServices()
{
    // Tick bodies and heartbeats run on the global queues with these objects; let the ones in
    // flight finish before anything they use goes away.
    thermal_->stop();
    inputs_.dispatch.waitForGlobalWork();
    if (ThermalManager::shared() == thermal_.get())
        ThermalManager::setShared(nullptr);
}

void ModelServices::start()
{
    ThermalManager::setShared(thermal_.get());
    thermal_->start();
}

void ModelServices::wireHooks()
{
    ThermalManagerHooks& h = thermal_->hooks();
    FanControlState& fan = thermal_->fan();

    // Construction.
    h.loadFanConfiguration = [this, &fan] {
        fan.restoreStoredConfiguration(*presets_);
        fanObserver_->refreshMacOSFanCurveAnalysis();
    };

    // Tick, background part: one smc run, then everything read from its caches.
    h.refreshSensors = [smc = smc_] {
        smc->refreshAll();
        const SMCHelper::Caches caches = smc->snapshot();
        return SensorSample{caches.cpuTemp, caches.fan0, caches.fan1, caches.readings};
    };
    h.batteryTemperature = [smc = smc_] { return getBatteryTemperature(smc->cachedReadings()); };
    h.scanLLMProcesses = [detector = llmDetector_.get()] {
        std::vector<LLMProcess> processes = detector->getProcesses();
        const LLMState state = LLMDetector::classifyState(processes);
        return std::make_pair(std::move(processes), state);
    };

    // Tick, main part.
    h.recordFanCurveSample = [observer = fanObserver_.get()](const HistoryDataPoint& point) {
        observer->recordMacOSFanCurveSample(
            FanTickReadings{point.timestamp, point.cpuTemp, point.gpuTemp, point.batteryTemp, point.fan0Rpm, point.fan1Rpm});
    };
    h.publishLLMState = [&fan](LLMState state) { fan.setLlmState(state); };
    h.updateDisplayedFanTarget = [&fan](double cpuTemperature) { fan.updateDisplayedFanTarget(cpuTemperature); };
    h.applyThrottle = [throttle = throttle_.get()](int level, const std::vector<int>& pids) {
        throttle->applyThrottle(static_cast<ThrottleLevel>(level), pids);
    };

    // Heartbeat, once a minute.
    h.captureEvidence = [recorder = evidence_.get()] { recorder->capture(); };

    // Capability store and the daemon's availability transitions.
    HardwareCapabilityStore* store = capabilities_.get();
    h.capabilityStore = [store] {
        return CapabilityStoreView{store->isLoaded(), store->profile().isBlank(), store->successfulRefreshGeneration()};
    };
    h.refreshCapabilities = [store] { store->refresh(); };
    h.probeCapabilitiesAfterExhaustion = [store] { store->probeAfterExhaustion(); };
    h.clearCapabilities = [store] { store->clear(); };
    h.forgetBatteryConfigSignature = [applier = batteryApplier_.get()] { applier->forgetAppliedSignature(); };

    if (auto accessibility = inputs_.desktop.accessibility)
        h.accessibilityTrusted = [accessibility] { return accessibility->isProcessTrusted(); };
}

} // namespace vantrel
