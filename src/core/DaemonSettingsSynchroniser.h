#pragma once
// Keeps the published fan, battery and sleep state in line with the copy of the user's
// settings the daemon stores. A fetch reads the daemon's copy off the main thread; its result
// is applied on the main thread (the daemon's copy wins), or, when the daemon has no copy,
// settings older versions kept only locally are pushed to it once. A daemon that cannot answer
// is retried after 1, 2, 4, 8 and 16 seconds, then only by the heartbeat's minute probe.
// All operations and state belong to the main thread.
#include <functional>

#include <QObject>
#include <QString>

#include "base/BoundedBackoffState.h"
#include "base/CoalescingGenerationState.h"
#include "base/Dispatch.h"
#include "core/DaemonCanonicalSettingsFetch.h"
#include "core/SettingsSynchroniser.h"
#include "sensors/HardwareProfile.h"

namespace vantrel {

class BatteryConfigurationApplier;
class BatteryPolicyState;
class DaemonClient;
class FanConfigurationApplier;
class FanControlState;
class Preferences;
class SleepReconciler;
class SleepSettingsState;

class DaemonSettingsSynchroniser : public QObject, public SettingsSynchroniser {
    Q_OBJECT
public:
    struct Services {
        Dispatch& dispatch;
        DaemonClient& daemon;
        Preferences& preferences;
        std::function<bool()> daemonAvailable;
        std::function<HardwareProfile()> capabilityProfile; // the blank profile is the placeholder
    };
    struct Targets {
        FanControlState& fan;
        FanConfigurationApplier& fanApplier;
        BatteryPolicyState& battery;
        BatteryConfigurationApplier& batteryApplier;
        SleepReconciler& sleepRuntime;
    };

    DaemonSettingsSynchroniser(Services services, Targets targets, QObject* parent = nullptr);
    // The sleep settings live in the central state, made after this object; nothing is
    // fetched until they are bound.
    void bind(SleepSettingsState& sleep);

    bool canonicalSettingsReady() const override { return ready_; }
    bool canonicalSettingsExist() const { return exist_; }
    void reconcileDaemonCanonicalUserSettings(const QString& reason) override;
    void reconcileHardwareCapabilitiesAfterRefresh(const QString& reason);
    void probeDaemonCanonicalSettingsAfterExhaustion(const QString& reason) override;
    void resetAfterDaemonLoss() override;

    bool pendingLegacyFanMigration() const { return pendingLegacyFanMigration_; }
    bool pendingLegacyBatteryMigration() const { return pendingLegacyBatteryMigration_; }
    bool pendingLegacySleepMigration() const { return pendingLegacySleepMigration_; }
    bool retryScheduled() const { return static_cast<bool>(retryWorkItem_); }

private:
    bool hasRealProfile() const;
    void beginRefresh(const QString& reason, bool allowsRetryScheduling);
    void applyFetchResult(const DaemonCanonicalSettingsFetchResult& result, const QString& reason,
                          bool allowsRetryScheduling);
    void applyLoaded(const DaemonCanonicalSettingsFetchResult& result, const QString& reason);
    void applyAbsent(const QString& reason);
    void applyUnavailable(const QString& reason, bool allowsRetryScheduling);
    void scheduleRetry(const QString& reason);
    void cancelRetry();
    void replayPendingLegacyFanMigration(const QString& reason);
    void replayPendingLegacyBatteryMigration(const QString& reason);
    void replayPendingLegacySleepMigration(const QString& reason);
    bool migrationsMayRun() const { return ready_ && !exist_; }

    Services services_;
    Targets targets_;
    SleepSettingsState* sleep_ = nullptr;

    bool ready_ = false;
    bool exist_ = false;
    CoalescingGenerationState refreshState_;
    BoundedBackoffState retryState_;
    CancelToken retryWorkItem_;
    bool pendingLegacyFanMigration_ = false;
    bool legacyFanMigrationInFlight_ = false;
    bool pendingLegacyBatteryMigration_ = false;
    bool legacyBatteryMigrationInFlight_ = false;
    bool pendingLegacySleepMigration_ = false;
};

} // namespace vantrel
