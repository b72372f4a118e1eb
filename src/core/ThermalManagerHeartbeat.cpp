// The 5-second daemon heartbeat and the daemon availability check with its transitions.
#include "core/ThermalManager.h"

#include "base/Log.h"
#include "core/SettingsSynchroniser.h"
#include "daemon/DaemonClient.h"
#include "power/BatteryConfigurationMemory.h"
#include "power/EvidenceRecorder.h"
#include "sensors/CapabilityGate.h"
#include "sleep/SleepReconciler.h"

namespace vantrel {

void ThermalManager::startAppHeartbeat()
{
    if (heartbeatTimer_)
        heartbeatTimer_->cancel();
    heartbeatTimer_
        = services_.dispatch.every(services_.dispatch.global(QoS::Utility), seconds(5.0), Duration(0),
                                   weakly(this, [](ThermalManager* self) { self->heartbeatFired(); }), Duration(0));
}

void ThermalManager::heartbeatFired()
{
    // The firings run on a concurrent queue; one whose daemon exchange outlasts the interval
    // must not overlap the next.
    if (heartbeatRunning_.exchange(true, std::memory_order_acquire))
        return;
    services_.daemon.sendAppHeartbeat();
    const bool minuteDone = ++heartbeatCounter_ >= 12;
    if (minuteDone) {
        heartbeatCounter_ = 0;
        parts_.evidence.capture();
    }
    heartbeatRunning_.store(false, std::memory_order_release);
    if (!minuteDone)
        return;
    services_.dispatch.main()->async(weakly(this, [](ThermalManager* self) {
        if (!self->daemonAvailable_)
            return;
        if (self->parts_.capabilities.hasPlaceholderProfile())
            self->parts_.capabilities.probeAfterExhaustion();
        else if (!self->parts_.settingsSync.canonicalSettingsReady())
            self->parts_.settingsSync.probeDaemonCanonicalSettingsAfterExhaustion(QStringLiteral("heartbeat-probe"));
    }));
}

QString ThermalManager::statusText(const std::optional<DaemonStatus>& status)
{
    if (!status)
        return QStringLiteral("vantrel-node is not reachable");
    const long long cpu = status->cpu_temp ? static_cast<long long>(*status->cpu_temp) : 0;
    const QString battery = status->battery_percent ? QString::number(*status->battery_percent) + QLatin1Char('%')
                                                    : QStringLiteral("N/A");
    return QStringLiteral("CPU %1°C · Fan %2/%3 RPM · Battery %4")
        .arg(cpu)
        .arg(status->fan0.value_or(0))
        .arg(status->fan1.value_or(0))
        .arg(battery);
}

void ThermalManager::checkDaemonAvailability()
{
    services_.dispatch.global(QoS::Utility)->async(weakly(this, [](ThermalManager* self) {
        std::optional<DaemonStatus> status = self->services_.daemon.getStatus();
        self->services_.dispatch.main()->async(
            weakly(self, [status](ThermalManager* s) { s->applyAvailability(status); }));
    }));
}

void ThermalManager::applyAvailability(const std::optional<DaemonStatus>& status)
{
    const bool connected = status.has_value();
    if (daemonAvailable_ != connected) {
        daemonAvailable_ = connected;
        Q_EMIT daemonAvailableChanged();
    }
    runtimeLastCheckedAt_ = services_.dispatch.clock().now();
    daemonStatusText_ = statusText(status);
    Q_EMIT daemonStatusTextChanged();

    if (!lastDaemonConnectionState_ || *lastDaemonConnectionState_ != connected) {
        lastDaemonConnectionState_ = connected;
        if (!connected) {
            parts_.settingsSync.resetAfterDaemonLoss();
            parts_.batteryConfiguration.forgetAppliedSignature();
            parts_.capabilities.clear();
            logLine(QStringLiteral(
                "Vantrel: vantrel-node daemon is not available. Install/start it with vantrel-node/install.sh."));
        } else {
            parts_.sleepRuntime.resetDaemonApplyState();
            logLine(QStringLiteral("Vantrel: vantrel-node daemon is available."));
            parts_.capabilities.refresh();
        }
        return;
    }
    if (!connected)
        return;
    CapabilityGate& store = parts_.capabilities;
    if (store.isLoaded()) {
        if (store.hasPlaceholderProfile())
            store.probeAfterExhaustion();
    } else if (store.refreshGeneration() == 0) {
        // Only a store that has never begun a refresh; one that began keeps its own retries.
        store.refresh();
    }
}

} // namespace vantrel
