#pragma once
// Turns the user's sleep intents into what is in effect: combines them with the battery
// cut-offs (with hysteresis), recent external power, a real external monitor and the
// hardware's clamshell support; asks the daemon to disable or re-enable system sleep and
// takes a feature as in effect only once the daemon confirmed that configuration; retries a
// failing configuration with back-off; then drives keep-awake, the virtual display and the
// lid-open lock. Main thread; calls from elsewhere are moved there.
#include <functional>
#include <memory>
#include <optional>

#include <QDateTime>
#include <QObject>
#include <QPointer>
#include <QString>

#include "base/Dispatch.h"
#include "daemon/SleepRuntimeApplyResult.h"
#include "sleep/SleepDaemonApplyState.h"
#include "sleep/SleepReconciler.h"

namespace vantrel {

class DaemonClient;
class KeepAliveController;
class PowerSourceMonitor;
class SleepSettingsState;
class VirtualDisplayManager;

class SleepRuntimeReconciler : public QObject, public SleepReconciler {
    Q_OBJECT
public:
    using ApplyCompletion = std::function<void(const SleepRuntimeApplyResult&)>;

    static constexpr Duration reconcileDebounce{100};
    // After the last report of external power the Mac counts as on power this long.
    static constexpr Duration externalPowerMemory{300'000};
    static const QString requestMismatchCode; // "ERR_SLEEP_APPLY_REQUEST_MISMATCH"
    static const QString supersededCode; // "ERR_SLEEP_APPLY_SUPERSEDED"

    struct Services {
        Dispatch& dispatch;
        DaemonClient& daemon;
        // May be null: no external power is seen and the battery level is unknown.
        std::shared_ptr<const PowerSourceMonitor> powerSources;
        VirtualDisplayManager& virtualDisplay;
        KeepAliveController& keepAlive;
        // The hardware profile's clamshell support.
        std::function<bool()> supportsClamshell;
        // Releases the safety shield with a reason (may be empty).
        std::function<void(const QString& reason)> releaseSafetyShield;
    };

    explicit SleepRuntimeReconciler(Services services, QObject* parent = nullptr);

    // The persisted settings live in the central state, which is made after this object; it
    // binds them here together with its App Nap reconcile. Passes before that do nothing.
    void bind(SleepSettingsState& settings, std::function<void()> reconcileAppNapActivity);

    // The user's intents; each also moves the runtime flag at once (the next pass corrects it).
    void setSleepPreventionUserIntent(bool enabled, const QString& reason);
    // Switching on is refused (intent and runtime flag false) without clamshell support.
    void setVirtualClamshellUserIntent(bool enabled, const QString& reason);
    void setSafetyLockUserIntent(bool enabled, const QString& reason);

    // The sleep screen's prevent-sleep switch: sets the intent, sends it to the daemon to be
    // kept, and completes on the main thread with the daemon's answer, a request mismatch, or
    // "ERR_SLEEP_APPLY_SUPERSEDED" when a later apply overtook it.
    void applySleepPreventionUserRequest(bool enabled, ApplyCompletion completion);

    void reconcileSleepRuntime(const QString& reason) override;
    // One pass 0.1 s after the last of a burst of calls.
    void scheduleSleepRuntimeReconcile(const QString& reason) override;
    void resetDaemonApplyState() override;

    // What is in effect; each logs a change and leaves an equal value alone.
    void setSleepPreventionRuntimeEnabled(bool enabled, const QString& reason);
    void setVirtualClamshellRuntimeEnabled(bool enabled, const QString& reason);
    void setSafetyLockRuntimeEnabled(bool enabled, const QString& reason);

    // Takes a user apply's answer as the daemon's confirmed configuration when it succeeded.
    void recordVerifiedSleepRuntimeApply(const SleepRuntimeApplyResult& result, int batteryCutoffPercent);
    void recordSleepDaemonApplyFailure(const QString& signature);

    const SleepDaemonApplyState& daemonApplyState() const { return apply_; }
    bool sleepLowBatteryVanillaActive() const { return sleepLowBatteryVanillaActive_; }
    bool virtualClamshellLowBatteryVanillaActive() const { return virtualClamshellLowBatteryVanillaActive_; }
    const std::optional<QDateTime>& lastExternalPowerSeenAt() const { return lastExternalPowerSeenAt_; }

private:
    void startDaemonApply(bool required, int cutoff, const QString& signature);
    void finishDaemonApply(const SleepRuntimeApplyResult& result, bool required, const QString& signature,
                           std::uint64_t generation);
    void finishUserApply(SleepRuntimeApplyResult result, bool enabled, int cutoff, const QString& signature,
                         std::uint64_t generation, const ApplyCompletion& completion);
    void driveControllers(bool keepAlive, bool clamshellRuntime, bool lockRuntime, bool verified, bool external);
    void safetyLockChanged();

    Services services_;
    QPointer<SleepSettingsState> settings_;
    std::function<void()> reconcileAppNapActivity_;

    std::optional<QDateTime> lastExternalPowerSeenAt_;
    bool sleepLowBatteryVanillaActive_ = false;
    bool virtualClamshellLowBatteryVanillaActive_ = false;
    SleepDaemonApplyState apply_;
    // A pass run for a daemon answer leaves a new apply to the next pass (the monitor's, at
    // the latest a second later), so a daemon that keeps answering with another state than
    // asked is asked again at that pace rather than in a tight loop.
    bool answerPass_ = false;
    CancelToken sleepRuntimeReconcileWorkItem_;
};

} // namespace vantrel
