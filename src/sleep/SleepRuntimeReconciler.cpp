#include "sleep/SleepRuntimeReconciler.h"

#include "base/Log.h"
#include "power/PowerSourceMonitor.h"
#include "sleep/KeepAliveController.h"
#include "sleep/SleepBatteryAllowance.h"
#include "sleep/SleepSettingsState.h"
#include "sleep/VirtualDisplayManager.h"

namespace vantrel {
namespace {

void logIntent(const QString& reason, const char* feature, bool value)
{
    logLine(QStringLiteral("Vantrel sleep user intent (") + reason + QStringLiteral("): ") + QLatin1String(feature)
            + QLatin1Char('=') + boolText(value));
}

void logRuntime(const QString& reason, const char* feature, bool value)
{
    logLine(QStringLiteral("Vantrel sleep runtime (") + reason + QStringLiteral("): ") + QLatin1String(feature)
            + QLatin1Char('=') + boolText(value));
}

} // namespace

const QString SleepRuntimeReconciler::requestMismatchCode = QStringLiteral("ERR_SLEEP_APPLY_REQUEST_MISMATCH");
const QString SleepRuntimeReconciler::supersededCode = QStringLiteral("ERR_SLEEP_APPLY_SUPERSEDED");

SleepRuntimeReconciler::SleepRuntimeReconciler(Services services, QObject* parent)
    : QObject(parent)
    , services_(std::move(services))
{ }

void SleepRuntimeReconciler::bind(SleepSettingsState& settings, std::function<void()> reconcileAppNapActivity)
{
    if (settings_)
        disconnect(settings_, nullptr, this, nullptr);
    settings_ = &settings;
    reconcileAppNapActivity_ = std::move(reconcileAppNapActivity);
    connect(&settings, &SleepSettingsState::lockOnLidOpenEnabledChanged, this,
            &SleepRuntimeReconciler::safetyLockChanged);
}

void SleepRuntimeReconciler::safetyLockChanged()
{
    // A loaded value is no change by the user or the reconciliation.
    if (!settings_ || settings_->isRestoring() || settings_->lockOnLidOpenEnabled())
        return;
    if (services_.releaseSafetyShield)
        services_.releaseSafetyShield(QStringLiteral("safety lock disabled"));
}

void SleepRuntimeReconciler::setSleepPreventionUserIntent(bool enabled, const QString& reason)
{
    if (!settings_)
        return;
    settings_->setUserIntendedDarkKeepAliveEnabled(enabled);
    settings_->setDarkKeepAliveEnabled(enabled);
    logIntent(reason, "darkKeepAlive", enabled);
}

void SleepRuntimeReconciler::setVirtualClamshellUserIntent(bool enabled, const QString& reason)
{
    if (!settings_)
        return;
    if (enabled && !(services_.supportsClamshell && services_.supportsClamshell())) {
        settings_->setUserIntendedVirtualDisplayEnabled(false);
        settings_->setVirtualDisplayEnabled(false);
        return;
    }
    settings_->setUserIntendedVirtualDisplayEnabled(enabled);
    settings_->setVirtualDisplayEnabled(enabled);
    logIntent(reason, "virtualClamshell", enabled);
}

void SleepRuntimeReconciler::setSafetyLockUserIntent(bool enabled, const QString& reason)
{
    if (!settings_)
        return;
    if (enabled && !(services_.supportsClamshell && services_.supportsClamshell())) {
        settings_->setUserIntendedLockOnLidOpenEnabled(false);
        settings_->setLockOnLidOpenEnabled(false);
        return;
    }
    settings_->setUserIntendedLockOnLidOpenEnabled(enabled);
    settings_->setLockOnLidOpenEnabled(enabled);
    logIntent(reason, "safetyLock", enabled);
}

void SleepRuntimeReconciler::setSleepPreventionRuntimeEnabled(bool enabled, const QString& reason)
{
    if (!settings_ || settings_->darkKeepAliveEnabled() == enabled)
        return;
    settings_->setDarkKeepAliveEnabled(enabled);
    logRuntime(reason, "darkKeepAlive", enabled);
}

void SleepRuntimeReconciler::setVirtualClamshellRuntimeEnabled(bool enabled, const QString& reason)
{
    if (!settings_ || settings_->virtualDisplayEnabled() == enabled)
        return;
    settings_->setVirtualDisplayEnabled(enabled);
    logRuntime(reason, "virtualClamshell", enabled);
}

void SleepRuntimeReconciler::setSafetyLockRuntimeEnabled(bool enabled, const QString& reason)
{
    if (!settings_ || settings_->lockOnLidOpenEnabled() == enabled)
        return;
    settings_->setLockOnLidOpenEnabled(enabled);
    logRuntime(reason, "safetyLock", enabled);
}

void SleepRuntimeReconciler::reconcileSleepRuntime(const QString& reason)
{
    Dispatch& dispatch = services_.dispatch;
    if (!dispatch.main()->isCurrent()) {
        dispatch.main()->async(
            weakly(this, [reason](SleepRuntimeReconciler* self) { self->reconcileSleepRuntime(reason); }));
        return;
    }
    if (!settings_)
        return;
    SleepSettingsState& s = *settings_;
    VirtualDisplayManager& display = services_.virtualDisplay;
    const PowerSourceMonitor* power = services_.powerSources.get();

    const bool external = display.hasRealExternalDisplay(display.virtualDisplayIds(), display.isDisplayPresent());

    const QDateTime now = dispatch.clock().now();
    if (power && power->externalPowerConnected() == true)
        lastExternalPowerSeenAt_ = now;
    bool onPower = false;
    if (lastExternalPowerSeenAt_) {
        const qint64 sinceMs = lastExternalPowerSeenAt_->msecsTo(now);
        onPower = sinceMs >= 0 && sinceMs <= externalPowerMemory.count();
    }

    std::optional<int> battery = power ? power->currentBatteryPercent() : std::nullopt;
    if (!battery && power)
        battery = power->pmsetBatteryPercent();

    const auto sleepAllowance = SleepBatteryAllowance::evaluate(onPower, battery, s.sleepBatteryCutoffPercent(),
                                                                sleepLowBatteryVanillaActive_);
    sleepLowBatteryVanillaActive_ = sleepAllowance.lowBatteryVanillaActive;
    const auto clamshellAllowance = SleepBatteryAllowance::evaluate(
        onPower, battery, s.virtualClamshellBatteryCutoffPercent(), virtualClamshellLowBatteryVanillaActive_);
    virtualClamshellLowBatteryVanillaActive_ = clamshellAllowance.lowBatteryVanillaActive;

    const bool supportsClamshell = services_.supportsClamshell && services_.supportsClamshell();
    const bool clamshell
        = !external && supportsClamshell && s.userIntendedVirtualDisplayEnabled() && clamshellAllowance.allowed;
    const bool sleep = s.userIntendedDarkKeepAliveEnabled() && sleepAllowance.allowed;
    const bool lock = clamshell && s.userIntendedLockOnLidOpenEnabled();

    if (reconcileAppNapActivity_)
        reconcileAppNapActivity_();

    // Whether the daemon must hold system sleep off; the display-only wish needs it too.
    const bool required = sleep || clamshell || s.displayKeepAliveEnabled();
    const int cutoff = s.sleepBatteryCutoffPercent();
    const QString signature = SleepDaemonApplyState::signature(required, cutoff);
    apply_.adoptSignature(signature);

    const bool verified = !required || apply_.lastSignature() == signature;
    const bool clamshellRuntime = clamshell && verified;
    const bool keepAlive = sleep ? verified : clamshellRuntime;
    const bool lockRuntime = lock && verified;

    const QString runtimeReason = QStringLiteral("reconcile-") + reason;
    setSleepPreventionRuntimeEnabled(sleep && verified, runtimeReason);
    setVirtualClamshellRuntimeEnabled(clamshellRuntime, runtimeReason);
    setSafetyLockRuntimeEnabled(lockRuntime, runtimeReason);

    if (!answerPass_ && apply_.mayApply(signature, now))
        startDaemonApply(required, cutoff, signature);

    driveControllers(keepAlive, clamshellRuntime, lockRuntime, verified, external);

    logLine(QStringLiteral("Vantrel sleep reconcile (") + reason + QStringLiteral("): external=") + boolText(external)
            + QStringLiteral(" battery=") + (battery ? QString::number(*battery) : QStringLiteral("unknown"))
            + QStringLiteral(" darkKeepAlive=") + boolText(s.darkKeepAliveEnabled())
            + QStringLiteral(" virtualClamshell=") + boolText(s.virtualDisplayEnabled()) + QStringLiteral(" assertion=")
            + boolText(keepAlive) + QStringLiteral(" mode=") + QString::number(s.darkKeepAliveMode())
            + QStringLiteral(" displayKeepAlive=") + boolText(s.displayKeepAliveEnabled())
            + QStringLiteral(" safetyLock=") + boolText(s.lockOnLidOpenEnabled()));
}

void SleepRuntimeReconciler::driveControllers(bool keepAlive, bool clamshellRuntime, bool lockRuntime, bool verified,
                                              bool external)
{
    SleepSettingsState& s = *settings_;
    VirtualDisplayManager& display = services_.virtualDisplay;
    KeepAliveController& controller = services_.keepAlive;

    if (!keepAlive) {
        controller.stop(lockRuntime);
        if (display.isDisplayPresent())
            display.stopVirtualDisplay();
    } else {
        // The virtual clamshell only works with the extended mode's idle assertion.
        if (clamshellRuntime && s.darkKeepAliveMode() != 1)
            s.setDarkKeepAliveMode(1);
        controller.start(s.darkKeepAliveMode());
        if (clamshellRuntime && s.darkKeepAliveMode() == 1)
            display.startVirtualDisplay();
        else if (display.isDisplayPresent())
            display.stopVirtualDisplay();
    }

    const bool closed = controller.readClamshellClosed();
    bool keepDisplayAwake = false;
    if (clamshellRuntime)
        keepDisplayAwake = s.displayKeepAliveEnabled() && (!closed || display.isDisplayPresent() || external);
    else
        keepDisplayAwake = verified && s.displayKeepAliveEnabled() && (!closed || external);
    controller.preventDisplaySleep(keepDisplayAwake);
    controller.updateLidOpenLockMonitoring(lockRuntime);
}

void SleepRuntimeReconciler::scheduleSleepRuntimeReconcile(const QString& reason)
{
    if (sleepRuntimeReconcileWorkItem_)
        sleepRuntimeReconcileWorkItem_->cancel();
    sleepRuntimeReconcileWorkItem_ = services_.dispatch.after(
        services_.dispatch.main(), reconcileDebounce,
        weakly(this, [reason](SleepRuntimeReconciler* self) { self->reconcileSleepRuntime(reason); }));
}

void SleepRuntimeReconciler::resetDaemonApplyState() { apply_.reset(); }

} // namespace vantrel
