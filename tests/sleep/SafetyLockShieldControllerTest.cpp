#include "sleep/SafetyLockShieldController.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include "base/VirtualDispatch.h"
#include "sleep/FakeShieldWindows.h"
#include "sleep/SleepDebugLog.h"
#include "support/TempDir.h"

namespace vantrel {
namespace {

struct ShieldRig {
    test::TempDir temp;
    Paths paths = temp.paths();
    VirtualDispatch dispatch;
    std::shared_ptr<test::FakeShieldWindows> windows = std::make_shared<test::FakeShieldWindows>();
    std::unique_ptr<SafetyLockShieldController> controller;

    explicit ShieldRig(bool createTmp = true)
    {
        if (createTmp)
            QDir().mkpath(paths.tmpDirectory());
        windows->desktop = {test::screen(QStringLiteral("eDP-1"), true, QRect(0, 0, 1512, 982)),
                            test::screen(QStringLiteral("DP-2"), false, QRect(1512, 0, 2560, 1440))};
        controller = std::make_unique<SafetyLockShieldController>(dispatch, paths, windows);
    }

    QStringList log() const
    {
        QFile f(paths.appLogFile());
        if (!f.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

    void createSignal() const
    {
        QFile f(paths.shieldReleaseSignal());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
};

TEST(SafetyLockShieldController, LogLinesCarryTheDateToTheSecondInUtc)
{
    const QDateTime when(QDate(2026, 1, 15), QTime(12, 3, 4, 567), Qt::UTC);
    EXPECT_EQ(sleepDebugLogLine(when, QStringLiteral("SafetyLockShield: x")),
              QStringLiteral("[2026-01-15 12:03:04 +0000] SafetyLockShield: x\n"));
    EXPECT_EQ(sleepDebugLogLine(when.toOffsetFromUtc(3600), QStringLiteral("m")),
              QStringLiteral("[2026-01-15 12:03:04 +0000] m\n"));
}

TEST(SafetyLockShieldController, GenerationsMakeDelayedReleasesSafe)
{
    ShieldRig r;
    // Nothing shown: a release changes nothing and writes no line.
    r.controller->releaseShield(QStringLiteral("DarkKeepAlive stop"));
    EXPECT_EQ(r.windows->hides, 0);
    EXPECT_TRUE(r.log().isEmpty());

    ASSERT_TRUE(r.controller->showBuiltInDisplayShieldOnce(QStringLiteral("lid closed pre-arm")));
    EXPECT_EQ(r.controller->currentShieldGeneration(), 1u);
    EXPECT_TRUE(r.controller->isShieldVisible());
    ASSERT_EQ(r.windows->shows.size(), 1u);
    ASSERT_EQ(r.windows->shows[0].size(), 1u); // the external screen is left alone
    EXPECT_EQ(r.windows->shows[0][0].displayId, QStringLiteral("eDP-1"));

    // A second show replaces the first shield with a newer generation.
    ASSERT_TRUE(r.controller->showBuiltInDisplayShieldOnce(QStringLiteral("lid opened fallback")));
    EXPECT_EQ(r.controller->currentShieldGeneration(), 2u);
    EXPECT_EQ(r.windows->hides, 1);
    EXPECT_EQ(r.windows->shows.size(), 2u);

    r.controller->releaseShieldIfCurrent(QStringLiteral("post-lock guard"), 1);
    EXPECT_TRUE(r.controller->isShieldVisible());
    EXPECT_EQ(r.windows->hides, 1);

    r.controller->releaseShieldIfCurrent(QStringLiteral("post-lock guard"), 2);
    EXPECT_FALSE(r.controller->isShieldVisible());
    EXPECT_EQ(r.windows->hides, 2);
    EXPECT_FALSE(r.controller->isWatchingDirectory());
    EXPECT_FALSE(r.controller->isPolling());
    // A release of the current generation after it is gone changes nothing.
    r.controller->releaseShieldIfCurrent(QStringLiteral("post-lock guard"), 2);
    EXPECT_EQ(r.windows->hides, 2);

    const QString stamp = QStringLiteral("[2026-01-15 12:00:00 +0000] ");
    EXPECT_EQ(
        r.log(),
        QStringList(
            {stamp + "SafetyLockShield: shown on built-in displays count=1 generation=1 reason=lid closed pre-arm",
             stamp + "SafetyLockShield: released reason=replace existing shield before show",
             stamp + "SafetyLockShield: shown on built-in displays count=1 generation=2 reason=lid opened fallback",
             stamp + "SafetyLockShield: skipped stale release generation=1 current=2 reason=post-lock guard",
             stamp + "SafetyLockShield: released reason=post-lock guard generation=2"}));

    // The generation keeps counting up after a release.
    ASSERT_TRUE(r.controller->showBuiltInDisplayShieldOnce(QStringLiteral("lid closed pre-arm")));
    EXPECT_EQ(r.controller->currentShieldGeneration(), 3u);
    r.controller->releaseShield(QStringLiteral("safety lock disabled"));
    EXPECT_FALSE(r.controller->isShieldVisible());
    EXPECT_EQ(r.log().last(), stamp + "SafetyLockShield: released reason=safety lock disabled");
}

TEST(SafetyLockShieldController, WithoutABuiltInScreenNothingIsShown)
{
    ShieldRig r;
    // An external screen, and a built-in one the desktop cannot name.
    r.windows->desktop = {test::screen(QStringLiteral("HDMI-1"), false, QRect(0, 0, 1920, 1080)),
                          test::screen(QString(), true, QRect(1920, 0, 1280, 800))};
    EXPECT_FALSE(r.controller->showBuiltInDisplayShieldOnce(QStringLiteral("lid closed pre-arm")));
    EXPECT_EQ(r.controller->currentShieldGeneration(), 0u);
    EXPECT_FALSE(r.controller->isShieldVisible());
    EXPECT_TRUE(r.windows->shows.empty());
    EXPECT_FALSE(r.controller->isWatchingDirectory());
    EXPECT_FALSE(r.controller->isPolling());
    EXPECT_EQ(r.log(),
              QStringList({"[2026-01-15 12:00:00 +0000] SafetyLockShield: no built-in display found reason=lid closed "
                           "pre-arm screens=HDMI-1:builtin=false:online=true:frame=(0.0, 0.0, 1920.0, 1080.0),"
                           "0:builtin=true:online=true:frame=(1920.0, 0.0, 1280.0, 800.0)"}));
}

// Lets the real directory watcher deliver its events and the queued checks run.
bool pumpUntil(VirtualDispatch& dispatch, const std::function<bool()>& done)
{
    QDeadlineTimer deadline(5000);
    while (!deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        dispatch.runUntilIdle();
        if (done())
            return true;
    }
    return false;
}

TEST(SafetyLockShieldController, SignalFileInTheWatchedDirectoryReleasesTheShield)
{
    ShieldRig r;
    // A signal left from before is removed and does not release the new shield.
    r.createSignal();
    ASSERT_TRUE(r.controller->showBuiltInDisplayShieldOnce(QStringLiteral("lid closed pre-arm")));
    EXPECT_FALSE(QFileInfo::exists(r.paths.shieldReleaseSignal()));
    EXPECT_TRUE(r.controller->isWatchingDirectory());
    EXPECT_FALSE(r.controller->isPolling());
    EXPECT_EQ(r.dispatch.pendingTimers(), 0);
    r.dispatch.runUntilIdle();
    EXPECT_TRUE(r.controller->isShieldVisible());

    r.createSignal();
    ASSERT_TRUE(pumpUntil(r.dispatch, [&] { return !r.controller->isShieldVisible(); }));
    EXPECT_FALSE(QFileInfo::exists(r.paths.shieldReleaseSignal()));
    EXPECT_FALSE(r.controller->isWatchingDirectory());
    EXPECT_TRUE(r.log().last().endsWith(
        QStringLiteral("] SafetyLockShield: released reason=release signal file (directory monitor)")));

    // Once hidden, a new signal file is left alone.
    r.createSignal();
    r.dispatch.advanceSeconds(2);
    QCoreApplication::processEvents();
    EXPECT_TRUE(QFileInfo::exists(r.paths.shieldReleaseSignal()));
}

TEST(SafetyLockShieldController, UnwatchableDirectoryIsPolledEveryHalfSecond)
{
    ShieldRig r(false); // the signal's directory does not exist, so it cannot be watched
    ASSERT_TRUE(r.controller->showBuiltInDisplayShieldOnce(QStringLiteral("lid closed pre-arm")));
    EXPECT_TRUE(r.controller->isPolling());
    EXPECT_FALSE(r.controller->isWatchingDirectory());

    r.dispatch.advanceSeconds(0.4);
    QDir().mkpath(r.paths.tmpDirectory());
    r.createSignal();
    r.dispatch.advanceSeconds(0.09);
    EXPECT_TRUE(r.controller->isShieldVisible()); // first poll at 0.5 s
    r.dispatch.advanceSeconds(0.01);
    EXPECT_FALSE(r.controller->isShieldVisible());
    EXPECT_FALSE(QFileInfo::exists(r.paths.shieldReleaseSignal()));
    EXPECT_FALSE(r.controller->isPolling());
    EXPECT_EQ(r.dispatch.pendingTimers(), 0);
    EXPECT_EQ(r.log(),
              QStringList({"[2026-01-15 12:00:00 +0000] SafetyLockShield: released reason=release signal "
                           "file (timer fallback)"}));

    // Now that the directory exists, the next shield watches it instead of polling.
    ASSERT_TRUE(r.controller->showBuiltInDisplayShieldOnce(QStringLiteral("lid opened fallback")));
    EXPECT_TRUE(r.controller->isWatchingDirectory());
}

TEST(SafetyLockShieldController, PollingKeepsGoingUntilTheSignalAndStopsWithTheController)
{
    ShieldRig r(false);
    ASSERT_TRUE(r.controller->showBuiltInDisplayShieldOnce(QStringLiteral("lid closed pre-arm")));
    r.dispatch.advanceSeconds(5); // ten polls, no signal
    EXPECT_TRUE(r.controller->isShieldVisible());
    EXPECT_EQ(r.dispatch.pendingTimers(), 1);

    r.controller.reset();
    EXPECT_EQ(r.windows->hides, 1); // its windows go with it
    EXPECT_EQ(r.dispatch.pendingTimers(), 0);
    r.dispatch.advanceSeconds(1);
}

} // namespace
} // namespace vantrel
