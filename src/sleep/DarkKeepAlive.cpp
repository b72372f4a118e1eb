#include "sleep/DarkKeepAlive.h"

#include "base/Log.h"
#include "base/Preferences.h"
#include "sleep/SafetyLockShieldController.h"
#include "sleep/SleepDebugLog.h"
#include "sleep/VirtualDisplayManager.h"

namespace vantrel {
namespace {

QString mark(bool value) { return value ? QStringLiteral("✅") : QStringLiteral("❌"); }

} // namespace

DarkKeepAlive::DarkKeepAlive(Dispatch& dispatch, Preferences& preferences, const Paths& paths, Platform platform,
                             Collaborators collaborators, SleepFlags flags, QObject* parent)
    : QObject(parent)
    , dispatch_(dispatch)
    , preferences_(preferences)
    , logPath_(paths.appLogFile())
    , platform_(std::move(platform))
    , parts_(collaborators)
    , flags_(std::move(flags))
{ }

DarkKeepAlive::~DarkKeepAlive()
{
    if (clamshellTimer_)
        clamshellTimer_->cancel();
}

void DarkKeepAlive::start(int mode)
{
    if (isActive_) {
        if (mode == currentMode_) {
            if (!isClamshellMonitorRunning_)
                startClamshellMonitor(lockOnLidOpenMonitorEnabled_);
            syncLidSwitchHold();
            return;
        }
        stop(false);
    }
    currentMode_ = mode;
    isActive_ = true;
    if (mode != 1) {
        createAssertion(systemSleepAssertionID_, assertion_type::preventSystemSleep, keepAliveAssertionName);
        createAssertion(displaySleepAssertionID_, assertion_type::noDisplaySleep, keepAliveAssertionName);
        logLine(QStringLiteral("☀️ Dark Keep-Alive Started [Standard]: system and display kept awake"));
        if (!isClamshellMonitorRunning_)
            startClamshellMonitor(lockOnLidOpenMonitorEnabled_);
    } else {
        createAssertion(systemSleepAssertionID_, assertion_type::preventSystemSleep, keepAliveAssertionName);
        createAssertion(idleSleepAssertionID_, assertion_type::preventUserIdleSystemSleep, keepAliveAssertionName);
        if (!isClamshellMonitorRunning_)
            startClamshellMonitor(lockOnLidOpenMonitorEnabled_);
        logLine(QStringLiteral("🌙 Dark Keep-Alive Started [Extended]: system kept awake, display may sleep"));
        logLine(QStringLiteral("   → 시스템 수면 차단: ") + mark(systemSleepAssertionID_ != 0));
        logLine(QStringLiteral("   → 유휴 수면 차단:  ") + mark(idleSleepAssertionID_ != 0));
        logLine(QStringLiteral("   → 가상 디스플레이: ") + mark(virtualDisplayPresent()));
        logLine(QStringLiteral("   → 클램셸 모니터:   ✅ (덮개 닫힘 시 물리 디스플레이 수면 허용)"));
    }
    syncLidSwitchHold();
}

void DarkKeepAlive::stop(bool preserveLidOpenMonitor)
{
    const bool wasActive = isActive_;
    if (!preserveLidOpenMonitor || !lockOnLidOpenMonitorEnabled_)
        stopClamshellMonitor();
    releaseAssertion(systemSleepAssertionID_);
    releaseAssertion(idleSleepAssertionID_);
    releaseAssertion(displaySleepAssertionID_);
    releaseAssertion(stayAwakeAssertionID_);
    parts_.shield.releaseShield(QStringLiteral("DarkKeepAlive stop"));
    if (virtualDisplayPresent())
        parts_.virtualDisplay.stopVirtualDisplay(false);
    isActive_ = false;
    if (wasActive)
        logLine(currentMode_ != 1 ? QStringLiteral("💤 Dark Keep-Alive Stopped [Standard]")
                                  : QStringLiteral("💤 Dark Keep-Alive Stopped [Extended]"));
    syncLidSwitchHold();
}

void DarkKeepAlive::preventDisplaySleep(bool enabled)
{
    if (enabled) {
        if (stayAwakeAssertionID_ != 0)
            return;
        createAssertion(stayAwakeAssertionID_, assertion_type::noDisplaySleep, stayAwakeAssertionName);
        if (stayAwakeAssertionID_ != 0)
            logLine(QStringLiteral("💡 Stay Awake ON: Display sleep prevented"));
        return;
    }
    if (stayAwakeAssertionID_ == 0)
        return;
    releaseAssertion(stayAwakeAssertionID_);
    logLine(QStringLiteral("💡 Stay Awake OFF: Display sleep allowed"));
}

void DarkKeepAlive::updateLidOpenLockMonitoring(bool enabled)
{
    lockOnLidOpenMonitorEnabled_ = enabled;
    if (!enabled && !isActive_)
        stopClamshellMonitor();
    else if (!isClamshellMonitorRunning_)
        startClamshellMonitor(enabled);
    syncLidSwitchHold();
}

bool DarkKeepAlive::readClamshellClosed()
{
    const std::optional<bool> closed = platform_.lid ? platform_.lid->lidClosed() : std::nullopt;
    return closed.value_or(isLidClosed_);
}

bool DarkKeepAlive::safetyShieldEnabled() const
{
    return preferences_.optionalBool(QStringLiteral("safetyShieldEnabled")).value_or(true);
}

void DarkKeepAlive::syncLidSwitchHold()
{
    // Where the lid switch would suspend the machine by itself, the virtual clamshell needs it held.
    const bool wanted = isActive_ && (flags_.virtualDisplay() || virtualDisplayPresent());
    if (wanted == lidSwitchHeld_ || !platform_.assertions)
        return;
    if (platform_.assertions->holdLidSwitch(wanted) || !wanted)
        lidSwitchHeld_ = wanted;
}

void DarkKeepAlive::createAssertion(PowerAssertionId& slot, const char* type, const char* name)
{
    if (!platform_.assertions)
        return;
    if (const auto id = platform_.assertions->create(QLatin1String(type), QLatin1String(name)); id && *id != 0)
        slot = *id;
}

void DarkKeepAlive::releaseAssertion(PowerAssertionId& slot)
{
    if (slot == 0)
        return;
    if (platform_.assertions)
        platform_.assertions->release(slot);
    slot = 0;
}

bool DarkKeepAlive::virtualDisplayPresent() const { return parts_.virtualDisplay.isDisplayPresent(); }

void DarkKeepAlive::appendDebugLog(const QString& message) const
{
    appendSleepDebugLog(logPath_, dispatch_.clock().now(), QStringLiteral("DarkKeepAlive: ") + message);
}

} // namespace vantrel
