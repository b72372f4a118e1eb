#include "app/ModelServices.h"

#include <stdexcept>

#include <QDir>
#include <QFileInfo>

#include "app/ThermalAutomationStatus.h"
#include "base/Dispatch.h"
#include "base/Log.h"
#include "base/Preferences.h"
#include "core/DaemonSettingsSynchroniser.h"
#include "core/ThermalManager.h"
#include "daemon/DaemonClient.h"
#include "fan/FanConfigurationApplier.h"
#include "fan/FanControlState.h"
#include "fan/FanPresetStore.h"
#include "fan/LLMDetector.h"
#include "fan/MacOSFanCurveLog.h"
#include "fan/MacOSFanObserver.h"
#include "platform/HeadlessShieldWindows.h"
#include "platform/sim/SimStateDirectory.h"
#include "power/BatteryConfigurationApplier.h"
#include "power/BatteryPolicyState.h"
#include "power/BatteryTelemetryLog.h"
#include "power/HeatProtectionAlertCenter.h"
#include "power/OnlyPowerEnergyStore.h"
#include "power/OnlyPowerPolicyEvidenceRecorder.h"
#include "power/PowerSourceMonitor.h"
#include "sensors/HardwareCapabilityStore.h"
#include "sensors/InProcessSensorSource.h"
#include "sensors/LinuxSmcKeyLineReader.h"
#include "sensors/LocalActivitySampler.h"
#include "sensors/NativeSMC.h"
#include "sensors/NativeSmcKeyLineReader.h"
#include "sensors/SMCHelper.h"
#include "sleep/DarkKeepAlive.h"
#include "sleep/SafetyLockShieldController.h"
#include "sleep/SleepRuntimeReconciler.h"
#include "sleep/SleepSettingsState.h"
#include "sleep/VirtualDisplayManager.h"

namespace vantrel {
namespace {

// Where the in-process sensor path reads the smc keys: the simulated Mac's key store through
// the native reader, or this machine's sensors with the tool's mapping.
std::unique_ptr<SmcKeyLineReader> inProcessKeyReader(PlatformKind kind, NativeSMC& native, const Paths& paths)
{
    if (kind == PlatformKind::Sim)
        return std::make_unique<NativeSmcKeyLineReader>(native);
    return std::make_unique<LinuxSmcKeyLineReader>(paths.sysfsDirectory() + QStringLiteral("/class"),
                                                   simStateDirectory(paths) + QLatin1Char('/')
                                                       + QLatin1String(simstate::smcKeysFile));
}

} // namespace

QString ModelServices::smcToolPath(const Paths& paths, const QString& programDirectory)
{
    const QString installed = paths.smcTool();
    if (QFileInfo(installed).isExecutable())
        return installed;
    const QString built = QDir(programDirectory).filePath(QStringLiteral("vantrel-smc"));
    if (!QFileInfo(built).isExecutable())
        return installed;
    static bool told = false;
    if (!told) {
        told = true;
        logLine(QStringLiteral("Vantrel: no smc tool at ") + installed + QStringLiteral("; reading sensors with ")
                + built);
    }
    return built;
}

ModelServices::ModelServices(Inputs inputs)
    : inputs_(std::move(inputs))
{
    if (!inputs_.desktop.accessibility)
        throw std::invalid_argument("ModelServices needs the desktop's accessibility service");
    const PlatformServices& platform = inputs_.platform;
    Dispatch& dispatch = inputs_.dispatch;
    DaemonClient& daemon = *inputs_.daemon;

    smc_ = std::make_shared<SMCHelper>(platform.processRunner, inputs_.smcTool);
    nativeSMC_ = std::make_unique<NativeSMC>(platform.smcUserClient);
    sensorSource_ = std::make_unique<InProcessSensorSource>(
        smc_, inProcessKeyReader(platform.kind, *nativeSMC_, inputs_.paths),
        [prefs = &inputs_.preferences] { return prefs->boolValue(QStringLiteral("inProcessSensorReading")); });
    powerSources_
        = std::make_shared<PowerSourceMonitor>(platform.powerSources, platform.batteryRegistry, platform.pmset, smc_);
    activitySampler_
        = std::make_shared<LocalActivitySampler>(platform.hostStatistics, platform.processTable,
                                                 [power = powerSources_] { return power->localBatteryActivity(); });
    capabilities_ = std::make_unique<HardwareCapabilityStore>(inputs_.daemon, dispatch);
    HardwareCapabilityStore* store = capabilities_.get();
    llmDetector_ = std::make_unique<LLMDetector>(*platform.processTable);

    fan_ = std::make_unique<FanControlState>(inputs_.preferences);
    presets_ = std::make_unique<FanPresetStore>(inputs_.paths, inputs_.preferences, dispatch.clock());
    fanApplier_ = std::make_unique<FanConfigurationApplier>(
        *fan_, daemon, dispatch, [store] { return store->isLoaded() && store->profile().supportsSafeFanControl; });
    fanCurveLog_ = std::make_unique<MacOSFanCurveLog>(inputs_.paths, dispatch);
    fanObserver_ = std::make_unique<MacOSFanObserver>(
        *fan_, *fanCurveLog_, [smc = nativeSMC_.get()](int fan) { return smc->getMaxFanRPM(fan); });

    battery_ = std::make_unique<BatteryPolicyState>(inputs_.preferences);
    batteryApplier_ = std::make_unique<BatteryConfigurationApplier>(
        *battery_, daemon, dispatch, [store] { return store->isLoaded() && store->profile().hasBattery; });
    heatAlerts_
        = std::make_unique<HeatProtectionAlertCenter>([state = battery_.get()] { return state->maxBatteryTemp(); });
    evidence_ = std::make_unique<OnlyPowerPolicyEvidenceRecorder>(daemon, dispatch, inputs_.paths);
    batteryTelemetry_ = std::make_shared<BatteryTelemetryLog>(inputs_.paths, dispatch);
    onlyPowerEnergy_ = std::make_shared<OnlyPowerEnergyStore>(
        inputs_.paths, [power = powerSources_] { return power->read().batteryMaximumCapacityPercent; });

    virtualDisplays_ = std::make_unique<VirtualDisplayManager>(inputs_.desktop.displays);
    std::shared_ptr<ShieldWindows> shieldWindows = inputs_.desktop.shieldWindows;
    if (!shieldWindows)
        shieldWindows = std::make_shared<HeadlessShieldWindows>();
    shield_ = std::make_unique<SafetyLockShieldController>(dispatch, inputs_.paths, std::move(shieldWindows));
    // The sleep flags live in the central state, made below; the controller reads them later.
    keepAwake_ = std::make_unique<DarkKeepAlive>(
        dispatch, inputs_.preferences, inputs_.paths,
        DarkKeepAlive::Platform{inputs_.desktop.powerAssertions, inputs_.desktop.screenLock, inputs_.desktop.lid,
                                platform.processRunner, inputs_.desktop.accessibility, inputs_.desktop.workspace},
        DarkKeepAlive::Collaborators{*shield_, *virtualDisplays_},
        DarkKeepAlive::SleepFlags{[this] { return thermal_ && thermal_->sleep().displayKeepAliveEnabled(); },
                                  [this] { return thermal_ && thermal_->sleep().virtualDisplayEnabled(); }});
    auto supportsClamshell = [store] { return store->profile().supportsClamshell; };
    auto releaseSafetyShield = [shield = shield_.get()](const QString& reason) { shield->releaseShield(reason); };
    sleepReconciler_ = std::make_unique<SleepRuntimeReconciler>(SleepRuntimeReconciler::Services{
        dispatch, daemon, powerSources_, *virtualDisplays_, *keepAwake_, supportsClamshell, releaseSafetyShield});
    settingsSync_ = std::make_unique<DaemonSettingsSynchroniser>(
        DaemonSettingsSynchroniser::Services{dispatch, daemon, inputs_.preferences,
                                             [this] { return thermal_ && thermal_->daemonAvailable(); },
                                             [store] { return store->profile(); }},
        DaemonSettingsSynchroniser::Targets{*fan_, *fanApplier_, *battery_, *batteryApplier_, *sleepReconciler_});

    ThermalManager::Services services{dispatch,
                                      inputs_.preferences,
                                      daemon,
                                      inputs_.paths,
                                      inputs_.desktop.notifications,
                                      inputs_.desktop.processActivity,
                                      inputs_.desktop.workspace};
    ThermalManager::Collaborators collaborators{
        *fan_,          *presets_,        *fanObserver_,     *keepAwake_,
        *sensorSource_, *llmDetector_,    *sleepReconciler_, *evidence_,
        *capabilities_, *batteryApplier_, *settingsSync_,    *inputs_.desktop.accessibility};
    thermal_ = std::make_unique<ThermalManager>(std::move(services), collaborators);
    sleepReconciler_->bind(thermal_->sleep(), [thermal = thermal_.get()] { thermal->reconcileAppNapActivity(); });
    settingsSync_->bind(thermal_->sleep());
    // Every new successful capability refresh (start-up, reconnection) re-reads the daemon's settings.
    QObject::connect(store, &HardwareCapabilityStore::successfulRefreshGenerationChanged, settingsSync_.get(),
                     [sync = settingsSync_.get()] {
        sync->reconcileHardwareCapabilitiesAfterRefresh(QStringLiteral("successful-refresh"));
    });
    keepAwake_->setAutomationStatusSink(std::make_shared<ThermalAutomationStatus>(*thermal_));
}

ModelServices::~ModelServices()
{
    // Tick bodies and heartbeats run on the global queues with these objects; let the ones in
    // flight finish before anything they use goes away.
    thermal_->stop();
    inputs_.dispatch.waitForGlobalWork();
    if (ThermalManager::shared() == thermal_.get())
        ThermalManager::setShared(nullptr);
    if (SafetyLockShieldController::shared() == shield_.get())
        SafetyLockShieldController::setShared(nullptr);
}

void ModelServices::start()
{
    ThermalManager::setShared(thermal_.get());
    SafetyLockShieldController::setShared(shield_.get());
    thermal_->start();
}

} // namespace vantrel
