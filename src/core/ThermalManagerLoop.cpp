// The 1-second monitoring loop: sensor reads off the main thread, one main-thread publish.
#include "core/ThermalManager.h"

#include <QDir>
#include <QFileInfo>

#include "base/Log.h"
#include "base/OwnFileAppend.h"
#include "fan/FanControlState.h"
#include "fan/FanCurveObserver.h"
#include "fan/LanguageModelScanner.h"
#include "l10n/L10n.h"
#include "sensors/SensorSource.h"
#include "sleep/SleepReconciler.h"
#include "sleep/SleepSettingsState.h"

namespace vantrel {

struct ThermalManager::TickResult {
    SensorSample sample;
    double gpuTemperature = 40.0;
    double vramTemperature = 40.0;
    std::optional<LLMState> llmState;
    std::vector<int> pids;
};

void ThermalManager::startRealMonitoring()
{
    // Changes of the five sleep settings (not their restored values: start() runs after restore).
    connect(sleep_.get(), &SleepSettingsState::sleepRuntimeSettingChanged, this,
            [this] { parts_.sleepRuntime.scheduleSleepRuntimeReconcile(QStringLiteral("sleep-setting-change")); });
    auto main = services_.dispatch.main();
    timer_ = services_.dispatch.every(
        main, seconds(1.0), Duration(0), weakly(this, [](ThermalManager* self) {
            self->services_.dispatch.global(QoS::Utility)->async(weakly(self, [](ThermalManager* s) {
                s->tickBackground();
            }));
        }));
}

void ThermalManager::tickBackground()
{
    TickResult result;
    result.sample = parts_.sensors.readSensors();
    result.gpuTemperature = result.sample.readingOr(QStringLiteral("TG0D"), 40.0);
    result.vramTemperature = result.sample.readingOr(QStringLiteral("TPVD"), 40.0);
    {
        std::lock_guard lock(tickMutex_);
        if (llmCheckCounter_ < 5) {
            ++llmCheckCounter_;
        } else {
            LanguageModelScan scan = parts_.languageModels.scan();
            cachedProcesses_ = std::move(scan.processes);
            result.llmState = scan.state;
            llmCheckCounter_ = 0;
        }
        for (const auto& p : cachedProcesses_)
            result.pids.push_back(p.pid);
    }
    services_.dispatch.main()->async(weakly(this, [result](ThermalManager* self) { self->tickMain(result); }));
}

void ThermalManager::tickMain(const TickResult& r)
{
    cpuTemperature_ = r.sample.cpuTemperature;
    gpuTemperature_ = r.gpuTemperature;
    vramTemperature_ = r.vramTemperature;
    batteryTemperature_ = r.sample.batteryTemperature;
    fan0RPM_ = r.sample.fan0;
    fan1RPM_ = r.sample.fan1;
    currentFanRPM_ = std::max(fan0RPM_, fan1RPM_);
    allSensors_ = r.sample.readings;
    Q_EMIT readingsChanged();
    Q_EMIT allSensorsChanged();

    HistoryDataPoint point;
    point.timestamp = services_.dispatch.clock().now();
    point.cpuTemp = cpuTemperature_;
    point.batteryTemp = batteryTemperature_;
    point.gpuTemp = gpuTemperature_;
    point.fan0Rpm = fan0RPM_;
    point.fan1Rpm = fan1RPM_;
    historyData_.push_back(point);
    if (historyData_.size() >= 61)
        historyData_.erase(historyData_.begin(), historyData_.end() - 60);
    Q_EMIT historyDataChanged();

    parts_.fanObserver.recordMacOSFanCurveSample(point);
    if (r.llmState)
        parts_.fan.setLlmState(*r.llmState);
    parts_.sleepRuntime.reconcileSleepRuntime(QStringLiteral("monitor"));
    parts_.fan.updateDisplayedFanTarget(cpuTemperature_);

    const ThrottleDecision decision = throttleRule_.evaluate(cpuTemperature_);
    if (decision.triggerSurvival)
        triggerSurvivalMode(cpuTemperature_);
    if (decision.level)
        throttle_.applyThrottle(*decision.level, r.pids);
}

void ThermalManager::triggerSurvivalMode(double temperature)
{
    const QString message = QStringLiteral("⚠️ [SURVIVAL MODE] CRITICAL TEMPERATURE DETECTED: ")
        + QString::number(temperature) + QStringLiteral("°C sustained for 10s. Forcing Low Power Mode.");
    logLine(message);
    // The folder is the system's temporary directory; under a re-rooted tree it may not exist yet.
    QDir().mkpath(QFileInfo(services_.paths.safetyLogFile()).absolutePath());
    const QString line = QStringLiteral("[") + services_.dispatch.clock().now().toLocalTime().toString()
        + QStringLiteral("] ") + message + QLatin1Char('\n');
    appendToOwnFile(services_.paths.safetyLogFile(), line.toUtf8());
    const QString rounded = QString::number(static_cast<long long>(std::llround(temperature)));
    sendNotification(L10n::tr(QStringLiteral("survival.notification.title"), selectedLanguage_),
                     L10n::format(QStringLiteral("survival.notification.body"), rounded, selectedLanguage_));
}

} // namespace vantrel
