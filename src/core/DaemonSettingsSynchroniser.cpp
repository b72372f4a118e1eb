#include "core/DaemonSettingsSynchroniser.h"

#include "base/Log.h"
#include "core/CanonicalUserIntent.h"
#include "core/LegacyUserDefaults.h"
#include "daemon/DaemonClient.h"
#include "fan/FanConfigurationApplier.h"
#include "power/BatteryConfigurationApplier.h"
#include "sleep/SleepReconciler.h"
#include "sleep/SleepSettingsState.h"

namespace vantrel {

DaemonSettingsSynchroniser::DaemonSettingsSynchroniser(Services services, Targets targets, QObject* parent)
    : QObject(parent)
    , services_(std::move(services))
    , targets_(targets)
{ }

void DaemonSettingsSynchroniser::bind(SleepSettingsState& sleep) { sleep_ = &sleep; }

bool DaemonSettingsSynchroniser::hasRealProfile() const { return !services_.capabilityProfile().isBlank(); }

void DaemonSettingsSynchroniser::reconcileDaemonCanonicalUserSettings(const QString& reason)
{
    cancelRetry();
    retryState_.reset();
    beginRefresh(reason, true);
}

void DaemonSettingsSynchroniser::reconcileHardwareCapabilitiesAfterRefresh(const QString& reason)
{
    if (hasRealProfile())
        reconcileDaemonCanonicalUserSettings(QStringLiteral("capability-") + reason);
}

void DaemonSettingsSynchroniser::probeDaemonCanonicalSettingsAfterExhaustion(const QString& reason)
{
    if (!services_.daemonAvailable() || !hasRealProfile() || ready_ || !retryState_.isExhausted() || retryWorkItem_)
        return;
    beginRefresh(reason, false);
}

void DaemonSettingsSynchroniser::resetAfterDaemonLoss()
{
    ready_ = false;
    exist_ = false;
    cancelRetry();
    retryState_.reset();
    refreshState_.invalidate();
}

void DaemonSettingsSynchroniser::cancelRetry()
{
    if (retryWorkItem_)
        retryWorkItem_->cancel();
    retryWorkItem_.reset();
}

void DaemonSettingsSynchroniser::beginRefresh(const QString& reason, bool allowsRetryScheduling)
{
    if (!sleep_)
        return;
    const std::optional<std::uint64_t> generation = refreshState_.begin();
    if (!generation)
        return; // the fetch already running answers this request too
    ready_ = false;
    exist_ = false;
    Dispatch& dispatch = services_.dispatch;
    DaemonClient& daemon = services_.daemon;
    QPointer<DaemonSettingsSynchroniser> guard(this);
    dispatch.global(QoS::Utility)->async([guard, &dispatch, &daemon, g = *generation, reason, allowsRetryScheduling] {
        DaemonCanonicalSettingsFetchResult result = fetchDaemonCanonicalSettings(daemon);
        dispatch.main()->async([guard, g, reason, allowsRetryScheduling, result = std::move(result)] {
            DaemonSettingsSynchroniser* self = guard.data();
            if (!self || !self->refreshState_.accept(g))
                return;
            self->applyFetchResult(result, reason, allowsRetryScheduling);
        });
    });
}

void DaemonSettingsSynchroniser::applyFetchResult(const DaemonCanonicalSettingsFetchResult& result,
                                                  const QString& reason, bool allowsRetryScheduling)
{
    switch (result.kind) {
    case DaemonCanonicalSettingsFetchResult::Kind::Loaded:
        applyLoaded(result, reason);
        break;
    case DaemonCanonicalSettingsFetchResult::Kind::Absent:
        applyAbsent(reason);
        break;
    case DaemonCanonicalSettingsFetchResult::Kind::Unavailable:
        applyUnavailable(reason, allowsRetryScheduling);
        break;
    }
}

void DaemonSettingsSynchroniser::applyLoaded(const DaemonCanonicalSettingsFetchResult& result, const QString& reason)
{
    syncUserIntentFromDaemonSettings(result.settings, targets_.fan, targets_.battery, *sleep_);
    if (result.runtimeStatus == QStringLiteral("partial"))
        logLine(QStringLiteral("Vantrel daemon user intent restored; physical runtime remains pending: ")
                + result.partialCode.value_or(QStringLiteral("ERR_RUNTIME_RESTORE_PARTIAL")));
    else
        logLine(QStringLiteral("Vantrel daemon user intent and physical runtime restored."));
    ready_ = true;
    exist_ = true;
    // The daemon's copy wins over anything still waiting to be migrated.
    pendingLegacyFanMigration_ = false;
    pendingLegacyBatteryMigration_ = false;
    pendingLegacySleepMigration_ = false;
    cancelRetry();
    retryState_.reset();
    // Reloading made the daemon restore its physical runtime from the stored copy, so what this
    // application last applied no longer holds: forget it, so the closing pass sends what the
    // reconciliation wants now (at a low battery that is "not disabled", whatever was stored).
    targets_.sleepRuntime.resetDaemonApplyState();
    targets_.sleepRuntime.reconcileSleepRuntime(reason + QStringLiteral("-restore-app-side-sleep-settings"));
}

void DaemonSettingsSynchroniser::applyAbsent(const QString& reason)
{
    ready_ = true;
    exist_ = false;
    pendingLegacyFanMigration_ = hasLegacyFanUserDefaults(services_.preferences);
    pendingLegacyBatteryMigration_ = hasLegacyBatteryUserDefaults(services_.preferences);
    pendingLegacySleepMigration_ = hasLegacySleepUserDefaults(services_.preferences);
    cancelRetry();
    retryState_.reset();
    if (!pendingLegacyFanMigration_ && !pendingLegacyBatteryMigration_ && !pendingLegacySleepMigration_)
        logLine(QStringLiteral("Vantrel daemon user settings file not found; no legacy user settings were pushed."));
    const QString migrationReason = reason + QStringLiteral("-migrate-user-settings");
    replayPendingLegacyFanMigration(migrationReason);
    replayPendingLegacyBatteryMigration(migrationReason);
    replayPendingLegacySleepMigration(migrationReason);
    targets_.sleepRuntime.reconcileSleepRuntime(reason + QStringLiteral("-restore-legacy-app-side-sleep-settings"));
}

void DaemonSettingsSynchroniser::applyUnavailable(const QString& reason, bool allowsRetryScheduling)
{
    ready_ = false;
    exist_ = false;
    logLine(QStringLiteral("Vantrel user settings sync skipped (") + reason
            + QStringLiteral("); canonical readback unavailable."));
    if (allowsRetryScheduling && services_.daemonAvailable() && hasRealProfile() && !ready_ && !retryWorkItem_)
        scheduleRetry(reason);
}

void DaemonSettingsSynchroniser::scheduleRetry(const QString& reason)
{
    const std::optional<double> delay = retryState_.nextDelay();
    if (!delay)
        return;
    retryWorkItem_ = services_.dispatch.after(services_.dispatch.main(), seconds(*delay),
                                              weakly(this, [reason](DaemonSettingsSynchroniser* self) {
                                                  self->retryWorkItem_.reset();
                                                  self->beginRefresh(reason + QStringLiteral("-retry"), true);
                                              }));
}

void DaemonSettingsSynchroniser::replayPendingLegacyFanMigration(const QString& reason)
{
    if (!migrationsMayRun() || !pendingLegacyFanMigration_ || legacyFanMigrationInFlight_
        || !services_.capabilityProfile().supportsSafeFanControl)
        return;
    legacyFanMigrationInFlight_
        = targets_.fanApplier.applyFanConfigurationNow(reason,
                                                       [guard = QPointer(this)](bool succeeded) {
        DaemonSettingsSynchroniser* self = guard.data();
        if (!self)
            return;
        self->legacyFanMigrationInFlight_ = false;
        if (succeeded) {
            self->pendingLegacyFanMigration_ = false;
            logLine(QStringLiteral("Vantrel migrated legacy fan UserDefaults to daemon user settings."));
        } else {
            logLine(QStringLiteral("Vantrel legacy fan migration remains pending after daemon rejected the apply."));
        }
          });
    if (!legacyFanMigrationInFlight_)
        logLine(QStringLiteral("Vantrel legacy fan migration deferred (") + reason
                + QStringLiteral("); fan control is not available yet."));
}

void DaemonSettingsSynchroniser::replayPendingLegacyBatteryMigration(const QString& reason)
{
    if (!migrationsMayRun() || !pendingLegacyBatteryMigration_ || legacyBatteryMigrationInFlight_
        || !services_.capabilityProfile().hasBattery)
        return;
    legacyBatteryMigrationInFlight_
        = targets_.batteryApplier.applyBatteryConfigurationNow(reason, [guard = QPointer(this)](bool accepted) {
              DaemonSettingsSynchroniser* self = guard.data();
              if (!self)
                  return;
              self->legacyBatteryMigrationInFlight_ = false;
              if (!accepted)
                  return;
              self->pendingLegacyBatteryMigration_ = false;
              logLine(QStringLiteral("Vantrel migrated legacy battery UserDefaults to daemon user settings."));
          });
}

void DaemonSettingsSynchroniser::replayPendingLegacySleepMigration(const QString& reason)
{
    if (!migrationsMayRun() || !pendingLegacySleepMigration_)
        return;
    const SleepRuntimeApplyResult result = services_.daemon.setSystemSleepDisabledResult(
        sleep_->darkKeepAliveEnabled() || sleep_->displayKeepAliveEnabled(), sleep_->sleepBatteryCutoffPercent(), true);
    if (!result.succeeded)
        return;
    pendingLegacySleepMigration_ = false;
    logLine(QStringLiteral("Vantrel migrated legacy sleep UserDefaults to daemon user settings (") + reason
            + QStringLiteral(")."));
}

} // namespace vantrel
