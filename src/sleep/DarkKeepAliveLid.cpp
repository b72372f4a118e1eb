// The lid monitor of DarkKeepAlive: edges of the lid state and what each one sets off.
#include "sleep/DarkKeepAlive.h"

#include <QPointer>

#include "base/Log.h"
#include "base/Preferences.h"
#include "sleep/SafetyLockShieldController.h"
#include "sleep/SleepDebugLog.h"
#include "sleep/VirtualDisplayManager.h"

namespace vantrel {
namespace {

const QString kReleaseDelayText = QString::number(DarkKeepAlive::safetyShieldReleaseDelay);

// Runs on a background queue with nothing of the controller but what it was handed.
void lockScreenImmediately(ScreenLock* lock, const QString& logPath, Clock& clock, const QString& reason)
{
    const auto log = [&](const QString& message) {
        appendSleepDebugLog(logPath, clock.now(), QStringLiteral("DarkKeepAlive: ") + message);
    };
    const ScreenLockResult result
        = lock ? lock->lockScreen() : ScreenLockResult{ScreenLockResult::Status::ServiceUnavailable, {}};
    switch (result.status) {
    case ScreenLockResult::Status::Requested:
        log(QStringLiteral("System lock requested via SACLockScreenImmediate reason=") + reason);
        return;
    case ScreenLockResult::Status::LockCallMissing:
        log(QStringLiteral("System lock failed: SACLockScreenImmediate not found reason=") + reason);
        return;
    case ScreenLockResult::Status::ServiceUnavailable:
        log(QStringLiteral("System lock failed: login.framework dlopen failed reason=") + reason
            + QStringLiteral(" error=") + (result.error.isEmpty() ? QStringLiteral("unknown") : result.error));
        return;
    }
}

} // namespace

void DarkKeepAlive::startClamshellMonitor(std::optional<bool> lockOnOpen)
{
    stopClamshellMonitor();
    isClamshellMonitorRunning_ = true;
    lockOnLidOpenMonitorEnabled_ = lockOnOpen.value_or(lockOnLidOpenMonitorEnabled_);
    const std::uint64_t generation = ++monitorGeneration_;
    appendDebugLog(QStringLiteral("Clamshell monitor started. isActive=%1 mode=%2 lockOnOpen=%3")
                       .arg(boolText(isActive_))
                       .arg(currentMode_)
                       .arg(boolText(lockOnLidOpenMonitorEnabled_)));
    checkClamshellState(platform_.lid ? platform_.lid->lidClosed() : std::nullopt);
    if (!isClamshellMonitorRunning_ || generation != monitorGeneration_)
        return; // the first check already stopped or replaced this monitor

    // The lid is read off the main thread; the reading is judged on the main queue, where a
    // reading of a monitor that has been stopped or replaced meanwhile is dropped.
    QPointer<DarkKeepAlive> guard(this);
    clamshellTimer_ = dispatch_.every(
        dispatch_.global(QoS::UserInitiated), clamshellPollInterval, Duration(0),
        [lid = platform_.lid, mainQueue = dispatch_.main(), guard, generation] {
        const std::optional<bool> reading = lid ? lid->lidClosed() : std::nullopt;
        mainQueue->async([guard, generation, reading] {
            if (guard && guard->isClamshellMonitorRunning_ && guard->monitorGeneration_ == generation)
                guard->checkClamshellState(reading);
        });
        },
        clamshellPollInterval);
}

void DarkKeepAlive::stopClamshellMonitor()
{
    if (clamshellTimer_) {
        clamshellTimer_->cancel();
        clamshellTimer_.reset();
    }
    if (isClamshellMonitorRunning_)
        appendDebugLog(QStringLiteral("Clamshell monitor stopped"));
    isClamshellMonitorRunning_ = false;
    ++monitorGeneration_;
}

void DarkKeepAlive::checkClamshellState(std::optional<bool> reading)
{
    // An unreadable lid keeps the last state, so it never makes an edge.
    const bool closed = reading.value_or(isLidClosed_);
    syncLidSwitchHold();
    if (closed && !isLidClosed_)
        lidClosed();
    else if (!closed && isLidClosed_)
        lidOpened();
}

void DarkKeepAlive::lidClosed()
{
    isLidClosed_ = true;
    prepareSafetyShieldForClosedLidIfNeeded();
    const bool virtualDisplayRunning = flags_.virtualDisplay() || virtualDisplayPresent();
    releaseAssertion(displaySleepAssertionID_);
    releaseAssertion(stayAwakeAssertionID_);
    if (virtualDisplayRunning) {
        appendDebugLog(QStringLiteral("Lid closed detected. display assertions released; virtual display preserved"));
    } else {
        requestDisplaySleepNowForLidClose();
        appendDebugLog(
            QStringLiteral("Lid closed detected. display assertions released; physical display sleep requested"));
    }
    logLine(QStringLiteral("🔒 Lid closed → Display assertions released so built-in display can sleep"));
    appendDebugLog(QStringLiteral("Lid closed detected. virtualDisplayRunning=") + boolText(virtualDisplayRunning));
    appendDebugLog(QStringLiteral("Lid closed detected. system keep-alive remains active=") + boolText(isActive_)
                   + QStringLiteral(" virtualDisplayRunning=") + boolText(virtualDisplayRunning));
}

void DarkKeepAlive::lidOpened()
{
    isLidClosed_ = false;
    appendDebugLog(QStringLiteral("Lid opened detected. lockOnOpen=") + boolText(lockOnLidOpenMonitorEnabled_));
    if (lockOnLidOpenMonitorEnabled_)
        lockScreenThenReleaseSafetyShield();
    else
        parts_.shield.releaseShield(QStringLiteral("lid opened without safety lock"));
    restoreOpenLidDisplayAssertionsIfNeeded();
    logLine(QStringLiteral("🔓 Lid opened → Display assertion restored only if user requested it"));
}

void DarkKeepAlive::restoreOpenLidDisplayAssertionsIfNeeded()
{
    if (!isActive_) {
        // The stay-awake assertion follows the user's display setting both ways.
        preventDisplaySleep(flags_.displayKeepAlive());
        return;
    }
    if (currentMode_ == 0 && displaySleepAssertionID_ == 0)
        createAssertion(displaySleepAssertionID_, assertion_type::noDisplaySleep, keepAliveAssertionName);
    if (flags_.displayKeepAlive())
        preventDisplaySleep(true);
}

void DarkKeepAlive::requestDisplaySleepNowForLidClose()
{
    const QDateTime now = dispatch_.clock().now();
    if (lastLidCloseDisplaySleepRequestAt_
        && lastLidCloseDisplaySleepRequestAt_->msecsTo(now) <= displaySleepRequestDebounce.count())
        return;
    lastLidCloseDisplaySleepRequestAt_ = now;
    QPointer<DarkKeepAlive> guard(this);
    QueuePtr mainQueue = dispatch_.main();
    runProcess(QStringLiteral("/usr/bin/pmset"), {QStringLiteral("displaysleepnow")}, 1.0, true,
               [guard, mainQueue](bool ok) {
        mainQueue->async([guard, ok] {
            if (guard)
                guard->appendDebugLog(QStringLiteral("Lid closed display sleep requested via pmset displaysleepnow ok=")
                                      + boolText(ok));
        });
    });
}

void DarkKeepAlive::prepareSafetyShieldForClosedLidIfNeeded()
{
    if (!lockOnLidOpenMonitorEnabled_)
        return;
    if (!safetyShieldEnabled()) {
        appendDebugLog(QStringLiteral("Safety shield skipped: shield disabled; lock on open remains enabled"));
        return;
    }
    if (!virtualDisplayPresent()) {
        appendDebugLog(QStringLiteral("Safety lock skipped: virtual clamshell is not active"));
        return;
    }
    dispatch_.main()->async(weakly(this, [](DarkKeepAlive* self) {
        if (!self->lockOnLidOpenMonitorEnabled_)
            return;
        const bool shown = self->parts_.shield.showBuiltInDisplayShieldOnce(QStringLiteral("lid closed pre-arm"));
        self->appendDebugLog(QStringLiteral("Lid closed safety shield pre-arm requested shown=") + boolText(shown));
        logLine(shown ? QStringLiteral("🛡️ Lid closed → Built-in display shield pre-armed")
                      : QStringLiteral("⚠️ Lid closed → Built-in display shield pre-arm failed"));
    }));
}

void DarkKeepAlive::lockScreenThenReleaseSafetyShield()
{
    if (safetyShieldEnabled() && !parts_.shield.isShieldVisible()) {
        const bool shown = parts_.shield.showBuiltInDisplayShieldOnce(QStringLiteral("lid opened fallback"));
        appendDebugLog(QStringLiteral("Lid opened fallback shield shown=") + boolText(shown));
    }
    const std::uint64_t generation = parts_.shield.currentShieldGeneration();
    appendDebugLog(QStringLiteral("Lid opened; system lock will be requested now. safetyShieldEnabled=")
                   + boolText(safetyShieldEnabled()) + QStringLiteral(" shieldGeneration=")
                   + QString::number(generation) + QStringLiteral(" releaseDelay=") + kReleaseDelayText);

    dispatch_.global(QoS::UserInitiated)
        ->async([lock = platform_.screenLock, prefs = &preferences_, clock = &dispatch_.clock(), logPath = logPath_] {
            const bool shield = prefs->optionalBool(QStringLiteral("safetyShieldEnabled")).value_or(true);
            lockScreenImmediately(lock.get(), logPath, *clock,
                                  shield ? QStringLiteral("lid opened with pre-armed shield")
                                         : QStringLiteral("lid opened without shield"));
        });

    if (!safetyShieldEnabled())
        return;
    // The shield stays until the lock screen is up; a newer shield is never taken down here.
    dispatch_.after(dispatch_.main(), seconds(safetyShieldReleaseDelay),
                    weakly(this, [generation](DarkKeepAlive* self) {
                        self->parts_.shield.releaseShieldIfCurrent(QStringLiteral("post-lock transition guard release ")
                                                                       + kReleaseDelayText + QStringLiteral("s"),
                                                                   generation);
                    }));
}

} // namespace vantrel
