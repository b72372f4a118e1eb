// The 5-second daemon heartbeat and the daemon availability check with its transitions.
#include "core/ThermalManager.h"

#include "base/Log.h"
#include "daemon/DaemonClient.h"

namespace vantrel {

void ThermalManager::startAppHeartbeat()
{
    if (heartbeatTimer_)
        heartbeatTimer_->cancel();
    heartbeatTimer_ = services_.dispatch.every(services_.dispatch.global(QoS::Utility), seconds(5.0), Duration(0),
                                               weakly(this, [](ThermalManager* self) { self->heartbeatFired(); }), Duration(0));
}

void ThermalManager::heartbeatFired()
{
    services_.daemon.sendAppHeartbeat();
    if (++heartbeatCounter_ < 12)
        return;
    heartbeatCounter_ = 0;
    if (hooks_.captureEvidence)
        hooks_.captureEvidence();
    services_.dispatch.main()->async(weakly(this, [](ThermalManager* self) {
        if (!self->daemonAvailable_ || !self->hooks_.capabilityStore)
            return;
        const CapabilityStoreView store = self->hooks_.capabilityStore();
        if (store.placeholderProfile) {
            if (self->hooks_.probeCapabilitiesAfterExhaustion)
                self->hooks_.probeCapabilitiesAfterExhaustion();
        } else if (self->hooks_.canonicalSettingsReady && !self->hooks_.canonicalSettingsReady()) {
            if (self->hooks_.probeCanonicalSettingsAfterExhaustion)
                self->hooks_.probeCanonicalSettingsAfterExhaustion(QStringLiteral("heartbeat-probe"));
        }
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
        self->services_.dispatch.main()->async(weakly(self, [status](ThermalManager* s) { s->applyAvailability(status); }));
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
            if (hooks_.resetCanonicalSettingsSync)
                hooks_.resetCanonicalSettingsSync();
            if (hooks_.forgetBatteryConfigSignature)
                hooks_.forgetBatteryConfigSignature();
            if (hooks_.clearCapabilities)
                hooks_.clearCapabilities();
            logLine(QStringLiteral("Vantrel: vantrel-node daemon is not available. Install/start it with vantrel-node/install.sh."));
        } else {
            if (hooks_.resetSleepApplyBookkeeping)
                hooks_.resetSleepApplyBookkeeping();
            logLine(QStringLiteral("Vantrel: vantrel-node daemon is available."));
            if (hooks_.refreshCapabilities)
                hooks_.refreshCapabilities();
        }
        return;
    }
    if (!connected || !hooks_.capabilityStore)
        return;
    const CapabilityStoreView store = hooks_.capabilityStore();
    if (store.loaded) {
        if (store.placeholderProfile && hooks_.probeCapabilitiesAfterExhaustion)
            hooks_.probeCapabilitiesAfterExhaustion();
    } else if (store.refreshGeneration == 0 && hooks_.refreshCapabilities) {
        hooks_.refreshCapabilities();
    }
}

} // namespace vantrel
