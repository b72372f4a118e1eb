#include "sleep/DarkKeepAlive.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include "base/Preferences.h"
#include "base/VirtualDispatch.h"
#include "platform/fakes/FakeAccessibilityAccess.h"
#include "platform/fakes/FakeDisplays.h"
#include "platform/fakes/FakeWorkspace.h"
#include "sleep/AutomationStatusSink.h"
#include "sleep/FakeKeepAlivePlatform.h"
#include "sleep/FakeShieldWindows.h"
#include "sleep/SafetyLockShieldController.h"
#include "sleep/VirtualDisplayManager.h"
#include "support/LogCapture.h"
#include "support/TempDir.h"

namespace vantrel {
namespace {

const QString kSystem = QStringLiteral("PreventSystemSleep");
const QString kIdle = QStringLiteral("PreventUserIdleSystemSleep");
const QString kDisplay = QStringLiteral("NoDisplaySleepAssertion");
const QString kKeepAlive = QStringLiteral("Vantrel Keep-Alive");
const QString kStayAwake = QStringLiteral("Vantrel Stay Awake");

struct RecordingSink final : AutomationStatusSink {
    std::optional<bool> trusted;
    std::optional<bool> requested;
    std::optional<bool> authorized;
    QStringList texts;
    int daemonChecks = 0;
    void setAccessibilityTrusted(bool v) override { trusted = v; }
    void setAutomationPermissionRequested(bool v) override { requested = v; }
    void setAutomationAuthorized(bool v) override { authorized = v; }
    void setAutomationStatusText(const QString& t) override { texts << t; }
    void checkDaemonAvailability() override { ++daemonChecks; }
};

struct Rig {
    test::TempDir temp;
    Paths paths = temp.paths();
    VirtualDispatch dispatch;
    MemoryPreferences prefs;
    std::shared_ptr<test::FakePowerAssertions> assertions = std::make_shared<test::FakePowerAssertions>();
    std::shared_ptr<test::FakeScreenLock> lock = std::make_shared<test::FakeScreenLock>();
    std::shared_ptr<test::ScriptedLid> lid = std::make_shared<test::ScriptedLid>();
    std::shared_ptr<test::ScriptedRunner> runner = std::make_shared<test::ScriptedRunner>();
    std::shared_ptr<test::FakeAccessibilityAccess> access = std::make_shared<test::FakeAccessibilityAccess>();
    std::shared_ptr<test::FakeWorkspace> workspace = std::make_shared<test::FakeWorkspace>();
    std::shared_ptr<test::FakeShieldWindows> windows = std::make_shared<test::FakeShieldWindows>();
    std::shared_ptr<test::FakeDisplays> displays = std::make_shared<test::FakeDisplays>();
    std::unique_ptr<SafetyLockShieldController> shield;
    VirtualDisplayManager virtualDisplay{displays};
    bool displayKeepAlive = false;
    bool virtualDisplayEnabled = false;
    std::unique_ptr<DarkKeepAlive> keepAlive;

    Rig()
    {
        QDir().mkpath(paths.tmpDirectory());
        windows->desktop = {test::screen(QStringLiteral("eDP-1"), true, QRect(0, 0, 1512, 982))};
        shield = std::make_unique<SafetyLockShieldController>(dispatch, paths, windows);
        keepAlive = std::make_unique<DarkKeepAlive>(
            dispatch, prefs, paths, DarkKeepAlive::Platform{assertions, lock, lid, runner, access, workspace},
            DarkKeepAlive::Collaborators{*shield, virtualDisplay},
            DarkKeepAlive::SleepFlags{[this] { return displayKeepAlive; }, [this] { return virtualDisplayEnabled; }});
    }

    // Sets the lid and lets the monitor see it on its next poll.
    void setLid(std::optional<bool> closed)
    {
        lid->closed = closed;
        dispatch.advance(DarkKeepAlive::clamshellPollInterval);
    }

    QStringList log() const
    {
        QFile f(paths.appLogFile());
        if (!f.open(QIODevice::ReadOnly))
            return {};
        QStringList lines;
        // Drop the time stamp: "[2026-01-15 12:00:00 +0000] " is 28 characters.
        for (const QString& line : QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts))
            lines << line.mid(28);
        return lines;
    }
    int logCount(const QString& line) const { return static_cast<int>(log().count(line)); }
};

TEST(DarkKeepAlive, ModesHoldTheirAssertionsAndAModeSwitchIsAFullRestart)
{
    Rig r;
    test::LogCapture console;
    DarkKeepAlive& k = *r.keepAlive;

    k.start(0);
    EXPECT_TRUE(k.isActive());
    EXPECT_TRUE(k.isClamshellMonitorRunning());
    EXPECT_EQ(r.assertions->count(kSystem, kKeepAlive), 1);
    EXPECT_EQ(r.assertions->count(kDisplay, kKeepAlive), 1);
    EXPECT_EQ(r.assertions->held.size(), 2u);
    EXPECT_NE(k.displaySleepAssertionId(), 0u);
    EXPECT_EQ(
        r.logCount(QStringLiteral("DarkKeepAlive: Clamshell monitor started. isActive=true mode=0 lockOnOpen=false")),
        1);

    // The same mode again changes nothing.
    k.start(0);
    EXPECT_EQ(r.assertions->created, 2);

    // Another mode: everything of the old one goes, the new one's assertions come.
    k.start(1);
    EXPECT_EQ(k.currentMode(), 1);
    EXPECT_EQ(r.assertions->count(kSystem, kKeepAlive), 1);
    EXPECT_EQ(r.assertions->count(kIdle, kKeepAlive), 1);
    EXPECT_EQ(r.assertions->count(kDisplay, kKeepAlive), 0);
    EXPECT_EQ(k.displaySleepAssertionId(), 0u);
    EXPECT_TRUE(console.contains(QStringLiteral("💤 Dark Keep-Alive Stopped [Standard]")));
    EXPECT_TRUE(console.contains(QStringLiteral("   → 시스템 수면 차단: ✅")));
    EXPECT_TRUE(console.contains(QStringLiteral("   → 가상 디스플레이: ❌")));

    // The stay-awake assertion is held once however often it is asked for, and stop drops it too.
    k.preventDisplaySleep(true);
    k.preventDisplaySleep(true);
    EXPECT_EQ(r.assertions->count(kDisplay, kStayAwake), 1);
    EXPECT_EQ(console.count(QStringLiteral("💡 Stay Awake ON: Display sleep prevented")), 1);
    k.stop(false);
    EXPECT_FALSE(k.isActive());
    EXPECT_FALSE(k.isClamshellMonitorRunning());
    EXPECT_TRUE(r.assertions->held.empty());
    EXPECT_EQ(k.stayAwakeAssertionId(), 0u);
    EXPECT_EQ(r.logCount(QStringLiteral("DarkKeepAlive: Clamshell monitor stopped")), 2);
    // Nothing to release any more: no calls for empty slots.
    const int releases = r.assertions->releases;
    k.stop(false);
    k.preventDisplaySleep(false);
    EXPECT_EQ(r.assertions->releases, releases);
}

TEST(DarkKeepAlive, RefusedAssertionsLeaveTheSlotsEmpty)
{
    Rig r;
    test::LogCapture console;
    r.assertions->failCreation = true;
    r.keepAlive->start(0);
    EXPECT_TRUE(r.keepAlive->isActive());
    EXPECT_EQ(r.keepAlive->systemSleepAssertionId(), 0u);
    EXPECT_EQ(r.keepAlive->displaySleepAssertionId(), 0u);
    r.keepAlive->preventDisplaySleep(true);
    EXPECT_EQ(r.keepAlive->stayAwakeAssertionId(), 0u);
    EXPECT_FALSE(console.contains(QStringLiteral("Stay Awake ON")));

    // The same mode does not try again; the platform working later changes nothing until a restart.
    r.assertions->failCreation = false;
    r.keepAlive->start(0);
    EXPECT_EQ(r.keepAlive->systemSleepAssertionId(), 0u);
    r.keepAlive->stop(false);
    EXPECT_EQ(r.assertions->releases, 0);
    r.keepAlive->start(0);
    EXPECT_NE(r.keepAlive->systemSleepAssertionId(), 0u);
}

TEST(DarkKeepAlive, LidCloseDropsDisplayAssertionsAndAsksTheBuiltInPanelToSleepAtMostOncePerSecond)
{
    Rig r;
    DarkKeepAlive& k = *r.keepAlive;
    r.displayKeepAlive = true;
    k.start(0);
    k.preventDisplaySleep(true);
    const PowerAssertionId system = k.systemSleepAssertionId();

    r.setLid(true); // t = 0.25
    EXPECT_TRUE(k.isLidClosed());
    EXPECT_EQ(k.displaySleepAssertionId(), 0u);
    EXPECT_EQ(k.stayAwakeAssertionId(), 0u);
    EXPECT_EQ(k.systemSleepAssertionId(), system);
    ASSERT_EQ(r.runner->launches.size(), 1u);
    EXPECT_EQ(r.runner->launches[0].program, QStringLiteral("/usr/bin/pmset"));
    EXPECT_EQ(r.runner->launches[0].arguments, QStringList{QStringLiteral("displaysleepnow")});
    EXPECT_EQ(r.logCount(QStringLiteral(
                  "DarkKeepAlive: Lid closed detected. display assertions released; physical display sleep requested")),
              1);
    EXPECT_EQ(r.logCount(QStringLiteral("DarkKeepAlive: Lid closed detected. virtualDisplayRunning=false")), 1);
    EXPECT_EQ(
        r.logCount(QStringLiteral(
            "DarkKeepAlive: Lid closed detected. system keep-alive remains active=true virtualDisplayRunning=false")),
        1);
    r.runner->next->running = false;
    r.dispatch.advance(DarkKeepAlive::processPollInterval);
    EXPECT_EQ(r.logCount(QStringLiteral(
                  "DarkKeepAlive: Lid closed display sleep requested via pmset displaysleepnow ok=true")),
              1);

    // Opening restores the standard mode's display assertion and the user's stay-awake wish.
    r.setLid(false); // t = 0.5
    EXPECT_NE(k.displaySleepAssertionId(), 0u);
    EXPECT_EQ(r.assertions->count(kDisplay, kStayAwake), 1);
    EXPECT_EQ(r.logCount(QStringLiteral("DarkKeepAlive: Lid opened detected. lockOnOpen=false")), 1);

    // Closes exactly 0.5 s and 1.0 s after the request are inside the debounce; later ones are not.
    r.runner->next = std::make_shared<test::ScriptedProcess::Script>();
    r.runner->next->running = false;
    r.setLid(true); // 0.75
    r.setLid(false); // 1.0
    r.setLid(true); // 1.25
    EXPECT_EQ(r.runner->launches.size(), 1u);
    r.setLid(false); // 1.5
    r.setLid(true); // 1.75
    EXPECT_EQ(r.runner->launches.size(), 2u);
}

TEST(DarkKeepAlive, ProgramsAreLaunchedPolledAndTimedOut)
{
    Rig r;
    std::vector<bool> results;
    const auto record = [&](bool ok) { results.push_back(ok); };

    r.runner->launchError = QStringLiteral("No such file or directory");
    r.keepAlive->runProcess(QStringLiteral("/usr/bin/missing"), {}, 1.0, true, record);
    r.dispatch.runUntilIdle();
    EXPECT_EQ(results, std::vector<bool>{false});
    EXPECT_EQ(r.logCount(
                  QStringLiteral("DarkKeepAlive: Command failed to start: /usr/bin/missing No such file or directory")),
              1);

    r.runner->launchError.clear();
    auto script = r.runner->next;
    script->exitStatus = 3;
    script->standardError = "  boom\n";
    r.keepAlive->runProcess(QStringLiteral("/bin/tool"), {QStringLiteral("-x")}, 1.0, true, record);
    r.dispatch.advanceSeconds(0.2);
    EXPECT_EQ(results.size(), 1u); // still running
    script->running = false;
    r.dispatch.advance(DarkKeepAlive::processPollInterval);
    EXPECT_EQ(results, (std::vector<bool>{false, false}));
    EXPECT_EQ(r.logCount(QStringLiteral("DarkKeepAlive: Command failed: /bin/tool status=3 error=boom")), 1);

    // Without logFailure a non-zero exit is quiet; a zero exit is success.
    r.keepAlive->runProcess(QStringLiteral("/bin/quiet"), {}, 1.0, false, record);
    r.dispatch.runUntilIdle();
    script->exitStatus = 0;
    r.keepAlive->runProcess(QStringLiteral("/bin/fine"), {}, 1.0, true, record);
    r.dispatch.runUntilIdle();
    EXPECT_EQ(results, (std::vector<bool>{false, false, false, true}));
    EXPECT_TRUE(r.log().filter(QStringLiteral("/bin/quiet")).isEmpty());

    // A program that never ends is terminated once its time is up, and not before.
    auto hung = std::make_shared<test::ScriptedProcess::Script>();
    r.runner->next = hung;
    r.keepAlive->runProcess(QStringLiteral("/bin/hang"), {}, 1.0, true, record);
    r.dispatch.advanceSeconds(0.95);
    EXPECT_EQ(results.size(), 4u);
    EXPECT_FALSE(hung->terminated);
    r.dispatch.advanceSeconds(0.1);
    EXPECT_EQ(results.size(), 5u);
    EXPECT_FALSE(results.back());
    EXPECT_TRUE(hung->terminated);
    EXPECT_TRUE(hung->destroyed);
    EXPECT_GE(hung->polls, 20);
    EXPECT_EQ(r.logCount(QStringLiteral("DarkKeepAlive: Command timed out: /bin/hang")), 1);
}

TEST(DarkKeepAlive, VirtualClamshellLidSequencePreArmsLocksAndReleasesTheShieldAfterTheLock)
{
    Rig r;
    DarkKeepAlive& k = *r.keepAlive;
    r.virtualDisplay.startVirtualDisplay();
    ASSERT_TRUE(r.virtualDisplay.isDisplayPresent());
    r.virtualDisplayEnabled = true;
    k.updateLidOpenLockMonitoring(true);
    EXPECT_TRUE(k.isClamshellMonitorRunning());
    k.start(1);
    EXPECT_TRUE(k.isLidSwitchHeld());
    EXPECT_TRUE(r.assertions->lidSwitchHeld);

    r.setLid(true);
    EXPECT_TRUE(r.shield->isShieldVisible());
    EXPECT_EQ(r.shield->currentShieldGeneration(), 1u);
    EXPECT_TRUE(r.runner->launches.empty()); // the virtual display keeps the panel's pipeline; no pmset
    EXPECT_EQ(r.logCount(QStringLiteral(
                  "DarkKeepAlive: Lid closed detected. display assertions released; virtual display preserved")),
              1);
    EXPECT_EQ(r.logCount(QStringLiteral("DarkKeepAlive: Lid closed safety shield pre-arm requested shown=true")), 1);

    r.setLid(false);
    EXPECT_EQ(r.lock->requests, 1);
    EXPECT_EQ(r.logCount(QStringLiteral("DarkKeepAlive: Lid opened; system lock will be requested now. "
                                        "safetyShieldEnabled=true shieldGeneration=1 releaseDelay=1.25")),
              1);
    EXPECT_EQ(
        r.logCount(QStringLiteral(
            "DarkKeepAlive: System lock requested via SACLockScreenImmediate reason=lid opened with pre-armed shield")),
        1);
    // The shield covers the panel until the lock screen is up, then goes.
    r.dispatch.advanceSeconds(1.2);
    EXPECT_TRUE(r.shield->isShieldVisible());
    r.dispatch.advanceSeconds(0.05);
    EXPECT_FALSE(r.shield->isShieldVisible());
    EXPECT_EQ(r.logCount(QStringLiteral("SafetyLockShield: released reason=post-lock transition guard release 1.25s "
                                        "generation=1")),
              1);

    k.stop(false);
    EXPECT_FALSE(r.virtualDisplay.isDisplayPresent());
    EXPECT_FALSE(r.assertions->lidSwitchHeld);
}

TEST(DarkKeepAlive, TheDelayedReleaseLeavesANewerShieldAlone)
{
    Rig r;
    r.virtualDisplay.startVirtualDisplay();
    r.keepAlive->updateLidOpenLockMonitoring(true);
    r.keepAlive->start(1);
    r.setLid(true);
    r.setLid(false);
    ASSERT_EQ(r.shield->currentShieldGeneration(), 1u);
    ASSERT_TRUE(r.shield->showBuiltInDisplayShieldOnce(QStringLiteral("lid closed pre-arm")));
    r.dispatch.advanceSeconds(1.5);
    EXPECT_TRUE(r.shield->isShieldVisible());
    EXPECT_EQ(
        r.logCount(QStringLiteral("SafetyLockShield: skipped stale release generation=1 current=2 reason=post-lock "
                                  "transition guard release 1.25s")),
        1);
}

TEST(DarkKeepAlive, SafetyLockWithoutShieldOrVirtualDisplayStillLocks)
{
    Rig r;
    DarkKeepAlive& k = *r.keepAlive;
    r.prefs.setValue(QStringLiteral("safetyShieldEnabled"), false);
    r.virtualDisplay.startVirtualDisplay();
    k.updateLidOpenLockMonitoring(true);
    r.setLid(true);
    EXPECT_EQ(r.logCount(QStringLiteral(
                  "DarkKeepAlive: Safety shield skipped: shield disabled; lock on open remains enabled")),
              1);
    r.setLid(false);
    EXPECT_EQ(r.lock->requests, 1);
    EXPECT_EQ(r.logCount(QStringLiteral(
                  "DarkKeepAlive: System lock requested via SACLockScreenImmediate reason=lid opened without shield")),
              1);
    r.dispatch.advanceSeconds(2);
    EXPECT_TRUE(r.windows->shows.empty());

    // The key removed reads as enabled again: without a virtual display the close only logs, and
    // the open puts up the fallback shield before locking.
    r.prefs.remove(QStringLiteral("safetyShieldEnabled"));
    r.virtualDisplay.stopVirtualDisplay();
    r.lock->answer = {ScreenLockResult::Status::ServiceUnavailable, {}};
    r.setLid(true);
    EXPECT_EQ(r.logCount(QStringLiteral("DarkKeepAlive: Safety lock skipped: virtual clamshell is not active")), 1);
    EXPECT_TRUE(r.windows->shows.empty());
    r.setLid(false);
    EXPECT_EQ(r.logCount(QStringLiteral("DarkKeepAlive: Lid opened fallback shield shown=true")), 1);
    EXPECT_EQ(r.lock->requests, 2);
    EXPECT_EQ(r.logCount(QStringLiteral("DarkKeepAlive: System lock failed: login.framework dlopen failed "
                                        "reason=lid opened with pre-armed shield error=unknown")),
              1);
    // A failed lock still takes the shield down after the delay.
    r.dispatch.advanceSeconds(1.25);
    EXPECT_FALSE(r.shield->isShieldVisible());
}

TEST(DarkKeepAlive, StopKeepsTheLidMonitorOnlyForLockOnOpen)
{
    Rig r;
    DarkKeepAlive& k = *r.keepAlive;
    k.start(1);
    k.stop(true);
    EXPECT_FALSE(k.isClamshellMonitorRunning());

    k.updateLidOpenLockMonitoring(true);
    k.start(1);
    k.stop(true);
    EXPECT_FALSE(k.isActive());
    EXPECT_TRUE(k.isClamshellMonitorRunning());
    r.setLid(true);
    r.setLid(false);
    EXPECT_EQ(r.lock->requests, 1);

    // Lock-on-open switched off while inactive stops it; while active it stays for keep-alive.
    k.updateLidOpenLockMonitoring(false);
    EXPECT_FALSE(k.isClamshellMonitorRunning());
    k.start(0);
    k.updateLidOpenLockMonitoring(false);
    EXPECT_TRUE(k.isClamshellMonitorRunning());
    k.stop(false);
    EXPECT_FALSE(k.isClamshellMonitorRunning());
    const int reads = r.lid->reads;
    r.dispatch.advanceSeconds(2);
    EXPECT_EQ(r.lid->reads, reads); // the poller is gone
}

TEST(DarkKeepAlive, AnUnreadableLidKeepsTheLastStateAcrossMonitorRestarts)
{
    Rig r;
    DarkKeepAlive& k = *r.keepAlive;
    r.lid->closed = true;
    k.start(1);
    // The first check is immediate: a lid already closed is an edge at once.
    EXPECT_TRUE(k.isLidClosed());
    r.dispatch.runUntilIdle();
    EXPECT_EQ(r.runner->launches.size(), 1u);

    r.setLid(std::nullopt);
    r.dispatch.advanceSeconds(1);
    EXPECT_TRUE(k.isLidClosed());
    EXPECT_TRUE(k.readClamshellClosed());

    // The state survives a stop and start: no second close edge for a lid that stayed closed.
    k.stop(false);
    r.lid->closed = true;
    r.dispatch.advanceSeconds(2);
    k.start(1);
    r.dispatch.advanceSeconds(1);
    EXPECT_EQ(r.logCount(QStringLiteral("DarkKeepAlive: Lid closed detected. virtualDisplayRunning=false")), 1);
    r.setLid(false);
    EXPECT_FALSE(k.isLidClosed());
    EXPECT_FALSE(k.readClamshellClosed());
    r.lid->closed = std::nullopt;
    EXPECT_FALSE(k.readClamshellClosed());
}

TEST(DarkKeepAlive, AutomationStatusAndTheAccessibilityRechecks)
{
    Rig r;
    auto sink = std::make_shared<RecordingSink>();
    r.keepAlive->setAutomationStatusSink(sink);

    r.access->trusted = false;
    r.keepAlive->refreshAutomationStatus();
    EXPECT_EQ(sink->authorized, false);
    EXPECT_EQ(sink->texts, QStringList{QStringLiteral("Accessibility required first")});
    EXPECT_EQ(r.access->automationProbes.load(), 0);

    r.access->trusted = true;
    r.access->automationAllowed = false;
    r.keepAlive->refreshAutomationStatus();
    EXPECT_EQ(sink->texts.last(), QStringLiteral("Checking System Events..."));
    r.dispatch.runUntilIdle();
    EXPECT_EQ(sink->texts.last(), QStringLiteral("System Events automation is not allowed yet"));
    EXPECT_FALSE(sink->requested.has_value());

    r.access->automationAllowed = true;
    r.keepAlive->refreshAutomationStatus();
    r.dispatch.runUntilIdle();
    EXPECT_EQ(sink->authorized, true);
    EXPECT_EQ(sink->texts.last(), QStringLiteral("System Events automation is allowed"));
    EXPECT_EQ(sink->requested, true);
    EXPECT_EQ(r.prefs.optionalBool(QStringLiteral("automationPermissionRequested")), true);

    r.keepAlive->openAccessibilitySettings();
    EXPECT_EQ(
        r.workspace->openedUrls,
        QStringList{QStringLiteral("x-apple.systempreferences:com.apple.preference.security?Privacy_Accessibility")});
    r.dispatch.advanceSeconds(0.99);
    EXPECT_EQ(sink->daemonChecks, 0);
    r.dispatch.advanceSeconds(0.01);
    EXPECT_EQ(sink->daemonChecks, 1);
    r.dispatch.advanceSeconds(2);
    EXPECT_EQ(sink->daemonChecks, 2);
    r.dispatch.advanceSeconds(3);
    EXPECT_EQ(sink->daemonChecks, 3);
    EXPECT_EQ(sink->trusted, true);

    // A probe that answers after the controller is gone reports "not allowed".
    std::optional<bool> late;
    r.keepAlive->checkSystemEventsAutomationPermission([&](bool ok) { late = ok; });
    r.keepAlive.reset();
    r.dispatch.runUntilIdle();
    EXPECT_EQ(late, false);
}

} // namespace
} // namespace vantrel
