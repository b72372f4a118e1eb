// The 1-second monitoring loop: sensor reads off the main thread, one main-thread publish.
#include "core/ThermalManager.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "base/Log.h"
#include "fan/FanControlState.h"
#include "l10n/L10n.h"
#include "sleep/SleepSettingsState.h"

namespace vantrel {

struct ThermalManager::TickResult {
    SensorSample sample;
    double batteryTemperature = 30.0;
    double gpuTemperature = 40.0;
    double vramTemperature = 40.0;
    std::optional<LLMState> llmState;
    std::vector<int> pids;
};

void ThermalManager::startRealMonitoring()
{
    // Changes of the five sleep settings (not their restored values: start() runs after restore).
    connect(sleep_.get(), &SleepSettingsState::sleepRuntimeSettingChanged, this, [this] {
        if (hooks_.scheduleSleepRuntimeReconcile)
            hooks_.scheduleSleepRuntimeReconcile(QStringLiteral("sleep-setting-change"));
    });
    auto main = services_.dispatch.main();
    timer_ = services_.dispatch.every(main, seconds(1.0), Duration(0), weakly(this, [](ThermalManager* self) {
        self->services_.dispatch.global(QoS::Utility)->async(weakly(self, [](ThermalManager* s) { s->tickBackground(); }));
    }));
}

void ThermalManager::tickBackground()
{
    TickResult result;
    if (hooks_.refreshSensors)
        result.sample = hooks_.refreshSensors();
    if (hooks_.batteryTemperature)
        result.batteryTemperature = hooks_.batteryTemperature();
    bool gpuFound = false;
    bool vramFound = false;
    for (const auto& reading : result.sample.readings) {
        if (!gpuFound && reading.key == QLatin1String("TG0D")) {
            result.gpuTemperature = reading.value;
            gpuFound = true;
        }
        if (!vramFound && reading.key == QLatin1String("TPVD")) {
            result.vramTemperature = reading.value;
            vramFound = true;
        }
    }
    {
        std::lock_guard lock(tickMutex_);
        if (llmCheckCounter_ < 5) {
            ++llmCheckCounter_;
        } else {
            if (hooks_.scanLLMProcesses) {
                auto [processes, state] = hooks_.scanLLMProcesses();
                cachedProcesses_ = std::move(processes);
                result.llmState = state;
            }
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
    batteryTemperature_ = r.batteryTemperature;
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

    if (hooks_.recordFanCurveSample)
        hooks_.recordFanCurveSample(point);
    if (r.llmState) {
        if (hooks_.publishLLMState)
            hooks_.publishLLMState(*r.llmState);
        else
            fan_->setLlmState(*r.llmState);
    }
    if (hooks_.reconcileSleepRuntime)
        hooks_.reconcileSleepRuntime(QStringLiteral("monitor"));
    if (hooks_.updateDisplayedFanTarget)
        hooks_.updateDisplayedFanTarget(cpuTemperature_);
    else
        fan_->updateDisplayedFanTarget(cpuTemperature_);

    const ThrottleDecision decision = throttleRule_.evaluate(cpuTemperature_);
    if (decision.triggerSurvival)
        triggerSurvivalMode(cpuTemperature_);
    if (decision.level && hooks_.applyThrottle)
        hooks_.applyThrottle(*decision.level, r.pids);
}

void ThermalManager::triggerSurvivalMode(double temperature)
{
    const QString message = QStringLiteral("⚠️ [SURVIVAL MODE] CRITICAL TEMPERATURE DETECTED: ") + QString::number(temperature) +
                            QStringLiteral("°C sustained for 10s. Forcing Low Power Mode.");
    logLine(message);
    // The folder is the system's temporary directory; under a re-rooted tree it may not exist yet.
    QDir().mkpath(QFileInfo(services_.paths.safetyLogFile()).absolutePath());
    QFile log(services_.paths.safetyLogFile());
    if (log.open(QIODevice::WriteOnly | QIODevice::Append)) {
        const QString line = QStringLiteral("[") + services_.dispatch.clock().now().toLocalTime().toString() +
                             QStringLiteral("] ") + message + QLatin1Char('\n');
        log.write(line.toUtf8());
    }
    const QString rounded = QString::number(static_cast<long long>(std::llround(temperature)));
    sendNotification(L10n::tr(QStringLiteral("survival.notification.title"), selectedLanguage_),
                     L10n::format(QStringLiteral("survival.notification.body"), rounded, selectedLanguage_));
}

} // namespace vantrel
