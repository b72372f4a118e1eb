#include <cmath>
#include <limits>

#include <QRegularExpression>

#include <gtest/gtest.h>

#include "base/AtomicFile.h"
#include "base/NotificationCenter.h"
#include "base/Preferences.h"
#include "base/VirtualDispatch.h"
#include "support/LogCapture.h"
#include "support/TempDir.h"
#include "support/TinyFileSystem.h"
#include "telemetry/ActivityQueueFile.h"
#include "telemetry/LogindSleepSignals.h"
#include "telemetry/TelemetryTestSupport.h"
#include "telemetry/VantrelActivityTelemetry.h"

using namespace vantrel;
using test::eventKinds;
using Telemetry = VantrelActivityTelemetry;
namespace kind = activity_kind;

namespace {

struct Rig {
    VirtualDispatch dispatch;
    MemoryPreferences preferences;
    NotificationCenter center;
    test::TempDir dir;
    std::shared_ptr<test::FakeActivityUploader> uploader = std::make_shared<test::FakeActivityUploader>();
    bool eligible = false;

    QString queuePath() const { return dir.paths().appSupportFile(ActivityQueueFile::fileName); }
    QList<VantrelActivityEvent> stored() const { return ActivityQueueFile(queuePath()).load(); }
    double uptime() { return dispatch.clock().uptimeSeconds(); }

    std::shared_ptr<Telemetry> make(bool withUploader = true)
    {
        return std::make_shared<Telemetry>(Telemetry::Inputs{
            dispatch, preferences, center, queuePath(), QStringLiteral("1.0.0"), withUploader ? uploader : nullptr});
    }
    std::shared_ptr<Telemetry> started(bool online, bool withUploader = true)
    {
        auto telemetry = make(withUploader);
        if (online)
            telemetry->networkStatusChanged(true);
        telemetry->start([this] { return eligible; });
        dispatch.runUntilIdle();
        return telemetry;
    }
    void setEligible(Telemetry& telemetry, bool value)
    {
        eligible = value;
        telemetry.dashboardStateChanged();
        dispatch.runUntilIdle();
    }
};

} // namespace

TEST(ActivityTelemetry, ElapsedSecondsAndRetryDelaysAreBounded)
{
    EXPECT_EQ(Telemetry::boundedElapsedSeconds(2000), 900);
    EXPECT_EQ(Telemetry::boundedElapsedSeconds(899.4), 899);
    EXPECT_EQ(Telemetry::boundedElapsedSeconds(899.5), 900);
    EXPECT_EQ(Telemetry::boundedElapsedSeconds(0.4), 0);
    EXPECT_EQ(Telemetry::boundedElapsedSeconds(-1), 0);
    EXPECT_EQ(Telemetry::boundedElapsedSeconds(std::nan("")), 0);
    EXPECT_EQ(Telemetry::boundedElapsedSeconds(std::numeric_limits<double>::infinity()), 0);
    EXPECT_EQ(Telemetry::retryDelaySeconds(1), 60);
    EXPECT_EQ(Telemetry::retryDelaySeconds(3), 900);
    EXPECT_EQ(Telemetry::retryDelaySeconds(5), 21600);
}

TEST(ActivityTelemetry, StartRecordsTheSessionAndForegroundTimeInSamples)
{
    Rig rig;
    rig.eligible = true;
    auto telemetry = rig.started(false);
    auto state = telemetry->state();
    ASSERT_TRUE(state.isStarted);
    ASSERT_EQ(eventKinds(state.events), QStringList({"process_started", "foreground_started"}));
    EXPECT_TRUE(state.isForeground);
    EXPECT_TRUE(QRegularExpression("^[0-9a-f-]{36}$").match(state.events[0].eventID).hasMatch());
    EXPECT_NE(state.events[0].eventID, state.events[1].eventID);
    EXPECT_EQ(state.events[0].lifecycleSessionID, state.lifecycleSessionID);
    EXPECT_EQ(state.events[0].sequence, 1);
    EXPECT_EQ(state.events[1].sequence, 2);
    EXPECT_EQ(state.events[0].appVersion, "1.0.0");
    EXPECT_EQ(state.events[0].occurredAt, rig.dispatch.clock().now());
    EXPECT_EQ(rig.stored(), state.events);

    // Offline, the 300-second sample is an offline summary; a second start changes nothing.
    telemetry->start([] { return false; });
    rig.dispatch.advanceSeconds(300);
    state = telemetry->state();
    ASSERT_EQ(state.events.size(), 3);
    EXPECT_EQ(state.events[2].kind, kind::offlineForegroundSummary);
    EXPECT_EQ(state.events[2].foregroundElapsedSeconds, 300);
    EXPECT_EQ(state.events[2].sequence, 3);

    // Minimised or hidden: the interval is consumed, then the app counts as backgrounded.
    rig.dispatch.advanceSeconds(40);
    rig.setEligible(*telemetry, false);
    state = telemetry->state();
    EXPECT_EQ(eventKinds(state.events.mid(3)), QStringList({"offline_foreground_summary", "app_backgrounded"}));
    EXPECT_EQ(state.events[3].foregroundElapsedSeconds, 40);
    rig.dispatch.advanceSeconds(600);
    EXPECT_EQ(telemetry->state().events.size(), 5); // no samples in the background
    EXPECT_EQ(rig.stored(), telemetry->state().events);
}

TEST(ActivityTelemetry, GoingOfflineInTheForegroundSplitsTheInterval)
{
    Rig rig;
    rig.eligible = true;
    auto telemetry = rig.started(true);
    rig.dispatch.advanceSeconds(100);
    telemetry->networkStatusChanged(false);
    telemetry->networkStatusChanged(false); // unchanged: ignored
    rig.dispatch.runUntilIdle();
    auto events = telemetry->state().events;
    ASSERT_EQ(events.size(), 3);
    EXPECT_EQ(events[2].kind, kind::foregroundHeartbeat);
    EXPECT_EQ(events[2].foregroundElapsedSeconds, 100);

    rig.dispatch.advanceSeconds(200); // the 300-second sample
    events = telemetry->state().events;
    ASSERT_EQ(events.size(), 4);
    EXPECT_EQ(events[3].kind, kind::offlineForegroundSummary);
    EXPECT_EQ(events[3].foregroundElapsedSeconds, 200);

    rig.dispatch.advanceSeconds(30);
    telemetry->networkStatusChanged(true);
    rig.dispatch.runUntilIdle();
    // Coming back, the offline part is closed as offline time.
    events = telemetry->state().events;
    EXPECT_EQ(events.last().kind, kind::offlineForegroundSummary);
    EXPECT_EQ(events.last().foregroundElapsedSeconds, 30);
    rig.dispatch.advanceSeconds(300);
    EXPECT_EQ(telemetry->state().events.last().kind, kind::foregroundHeartbeat);
}

TEST(ActivityTelemetry, UploadsOldestUnsubmittedEventsInBatchesOf32)
{
    Rig rig;
    auto telemetry = rig.started(true);
    EXPECT_EQ(rig.uploader->submitted(), 0);

    // The batch timer sends what is there after 900 s; while in flight it is marked in the file.
    rig.dispatch.advanceSeconds(899);
    EXPECT_EQ(rig.uploader->submitted(), 0);
    rig.dispatch.advanceSeconds(1);
    ASSERT_EQ(rig.uploader->submitted(), 1);
    EXPECT_EQ(rig.uploader->batches[0].size(), 1);
    EXPECT_TRUE(telemetry->state().isUploading);
    EXPECT_EQ(rig.stored()[0].wasSubmitted, std::optional(true));
    rig.uploader->complete(true);
    rig.dispatch.runUntilIdle();
    EXPECT_TRUE(telemetry->state().events.isEmpty());
    EXPECT_TRUE(rig.stored().isEmpty());

    // 32 queued events send at once; more wait for the batch in flight.
    for (int i = 0; i < 40; ++i) {
        rig.center.post(Telemetry::workspaceWillSleep);
        rig.dispatch.runUntilIdle();
    }
    ASSERT_EQ(rig.uploader->submitted(), 2);
    const QJsonArray batch = rig.uploader->batches[1];
    ASSERT_EQ(batch.size(), 32);
    for (int i = 0; i < batch.size(); ++i) {
        EXPECT_FALSE(batch[i].toObject().contains("wasSubmitted"));
        EXPECT_EQ(batch[i].toObject().value("sequence").toInt(), i + 2);
        EXPECT_EQ(batch[i].toObject().value("kind").toString(), "sleep");
    }
    rig.uploader->complete(true);
    rig.dispatch.runUntilIdle();
    const auto left = telemetry->state().events;
    ASSERT_EQ(left.size(), 8);
    EXPECT_EQ(left[0].sequence, 34);
    EXPECT_FALSE(left[0].wasSubmitted);
    EXPECT_EQ(rig.stored(), left);
}

TEST(ActivityTelemetry, FailedUploadsBackOffUpTo21600SecondsAndOnlineResets)
{
    Rig rig;
    auto telemetry = rig.started(true);
    rig.dispatch.advanceSeconds(900);
    ASSERT_EQ(rig.uploader->submitted(), 1);

    const double delays[] = {60, 300, 900, 3600, 21600, 21600};
    for (int failure = 0; failure < 6; ++failure) {
        ASSERT_EQ(rig.uploader->submitted(), failure + 1);
        rig.uploader->complete(false);
        rig.dispatch.runUntilIdle();
        auto state = telemetry->state();
        EXPECT_EQ(state.uploadFailureCount, std::min(failure + 1, 5));
        EXPECT_DOUBLE_EQ(state.nextUploadAllowedUptime, rig.uptime() + delays[failure]);
        EXPECT_FALSE(state.isUploading);
        EXPECT_FALSE(state.events[0].wasSubmitted); // goes out again next time
        // Nothing leaves before the gate, whoever asks.
        telemetry->authenticatedSessionAvailable();
        rig.dispatch.advanceSeconds(delays[failure] - 1);
        EXPECT_EQ(rig.uploader->submitted(), failure + 1);
        rig.dispatch.advanceSeconds(1);
    }
    ASSERT_EQ(rig.uploader->submitted(), 7);
    rig.uploader->complete(false);
    rig.dispatch.runUntilIdle();
    EXPECT_DOUBLE_EQ(telemetry->state().nextUploadAllowedUptime, rig.uptime() + 21600);

    // Back online after an outage: the gate opens at once and the queue is sent.
    telemetry->networkStatusChanged(false);
    telemetry->networkStatusChanged(true);
    rig.dispatch.runUntilIdle();
    auto state = telemetry->state();
    EXPECT_EQ(state.uploadFailureCount, 0);
    EXPECT_FALSE(state.retryPending);
    ASSERT_EQ(rig.uploader->submitted(), 8);
    rig.uploader->complete(true);
    rig.dispatch.runUntilIdle();
    EXPECT_EQ(telemetry->state().nextUploadAllowedUptime, 0);
    EXPECT_TRUE(telemetry->state().events.isEmpty());
}

TEST(ActivityTelemetry, QueueSurvivesRestartAndTerminateWritesBeforeReturning)
{
    Rig rig;
    rig.eligible = true;
    auto first = rig.started(true);
    const QString firstSession = first->state().lifecycleSessionID;
    rig.dispatch.advanceSeconds(120);
    first->terminate(); // no queue draining: it has finished when it returns
    auto stored = rig.stored();
    ASSERT_EQ(eventKinds(stored),
              QStringList({"process_started", "foreground_started", "foreground_ended", "process_ended"}));
    EXPECT_EQ(stored[2].foregroundElapsedSeconds, 120);
    EXPECT_EQ(rig.uploader->submitted(), 1); // terminate tries a flush; it never completes
    EXPECT_TRUE(stored[0].isSubmitted());

    // Delayed work holds the telemetry weakly: once it is gone, time passes harmlessly.
    first.reset();
    rig.dispatch.advanceSeconds(3600);
    rig.uploader->complete(true); // an answer arriving after the end changes nothing
    rig.dispatch.runUntilIdle();

    rig.eligible = false;
    auto second = rig.started(false);
    auto state = second->state();
    ASSERT_EQ(state.events.size(), 5);
    EXPECT_EQ(state.events.mid(0, 4).first().lifecycleSessionID, firstSession);
    EXPECT_NE(state.lifecycleSessionID, firstSession);
    EXPECT_EQ(state.events[4].kind, kind::processStarted);
    EXPECT_EQ(state.events[4].sequence, 1);
    // The unfinished batch of the ended process is no longer counted as handed over.
    for (const auto& event : state.events)
        EXPECT_FALSE(event.wasSubmitted);
}

TEST(ActivityTelemetry, CorruptQueueFileStartsEmptyAndIsReplaced)
{
    Rig rig;
    ASSERT_TRUE(writeFileAtomically(rig.queuePath(), "[{\"event_id\": \"half"));
    auto telemetry = rig.started(false, false);
    EXPECT_EQ(eventKinds(telemetry->state().events), QStringList({"process_started"}));
    EXPECT_EQ(eventKinds(rig.stored()), QStringList({"process_started"}));
}

TEST(ActivityTelemetry, A257thEventCoalescesOldHeartbeatsAtStart)
{
    Rig rig;
    const QDateTime now = rig.dispatch.clock().now();
    QList<VantrelActivityEvent> earlier{
        test::activityEvent("hb1", "prev", kind::foregroundHeartbeat, now.addSecs(-7200), 1, 300),
        test::activityEvent("hb2", "prev", kind::foregroundHeartbeat, now.addSecs(-6900), 2, 300)};
    for (int i = 0; i < 253; ++i)
        earlier.append(test::activityEvent(QString("w%1").arg(i), "prev", kind::wake, now.addSecs(-6000 + i), 3 + i));
    ASSERT_TRUE(ActivityQueueFile(rig.queuePath()).save(earlier));

    rig.eligible = true;
    auto telemetry = rig.started(false);
    const auto events = telemetry->state().events;
    ASSERT_EQ(events.size(), 256);
    EXPECT_EQ(events[0].eventID, "hb1");
    EXPECT_EQ(events[0].kind, kind::foregroundSummary);
    EXPECT_EQ(events[0].foregroundElapsedSeconds, 600);
    EXPECT_EQ(events[1].eventID, "w0");
    EXPECT_EQ(eventKinds(events.mid(254)), QStringList({"process_started", "foreground_started"}));
}

TEST(ActivityTelemetry, SleepEndsTheEpisodeAndWakeResumesAndFlushes)
{
    Rig rig;
    rig.eligible = true;
    auto telemetry = rig.started(true);
    rig.dispatch.advanceSeconds(50);
    LogindSleepSignals logind(rig.center);
    logind.prepareForSleep(true);
    rig.dispatch.runUntilIdle();
    auto state = telemetry->state();
    EXPECT_FALSE(state.isForeground);
    ASSERT_EQ(eventKinds(state.events.mid(2)), QStringList({"foreground_ended", "sleep"}));
    EXPECT_EQ(state.events[2].foregroundElapsedSeconds, 50);

    logind.prepareForSleep(false);
    rig.dispatch.runUntilIdle();
    state = telemetry->state();
    EXPECT_EQ(eventKinds(state.events.mid(4)), QStringList({"wake", "foreground_started"}));
    EXPECT_TRUE(state.isForeground);
    EXPECT_EQ(rig.uploader->submitted(), 1);

    // Resigning active goes through the same foreground check.
    rig.eligible = false;
    rig.center.post(Telemetry::applicationDidResignActive);
    rig.dispatch.runUntilIdle();
    EXPECT_FALSE(telemetry->state().isForeground);
}

TEST(ActivityTelemetry, SwitchedOffRecordsAndSendsNothingAndDiscardsTheQueue)
{
    Rig rig;
    rig.eligible = true;
    auto telemetry = rig.started(true);
    ASSERT_EQ(telemetry->state().events.size(), 2);
    telemetry->setUsageEnabled(false);
    EXPECT_FALSE(telemetry->usageEnabled());
    rig.dispatch.runUntilIdle();
    EXPECT_TRUE(telemetry->state().events.isEmpty());
    EXPECT_TRUE(rig.stored().isEmpty());
    EXPECT_TRUE(QFile::exists(rig.queuePath()));

    rig.dispatch.advanceSeconds(3 * 900);
    rig.center.post(Telemetry::workspaceWillSleep);
    telemetry->terminate();
    EXPECT_TRUE(telemetry->state().events.isEmpty());
    EXPECT_EQ(rig.uploader->submitted(), 0);

    // The choice holds for the next run, which discards a queue left behind.
    telemetry.reset();
    ActivityQueueFile(rig.queuePath())
        .save({test::activityEvent("x", "old", kind::wake, QDateTime::currentDateTimeUtc(), 1)});
    auto next = rig.started(true);
    EXPECT_FALSE(next->state().usageEnabled);
    EXPECT_TRUE(next->state().events.isEmpty());
    EXPECT_TRUE(rig.stored().isEmpty());

    // Switched back on, recording resumes without counting the time spent off.
    rig.dispatch.advanceSeconds(100);
    next->setUsageEnabled(true);
    rig.dispatch.advanceSeconds(200); // 300 s after start: the first sample
    const auto events = next->state().events;
    ASSERT_EQ(events.size(), 1);
    EXPECT_EQ(events[0].kind, kind::foregroundHeartbeat);
    EXPECT_EQ(events[0].foregroundElapsedSeconds, 200);
}

TEST(ActivityQueueFileFailures, AQueueThatCannotBeWrittenKeepsTheStoredQueue)
{
    test::TinyFileSystem disk;
    if (!disk.available())
        GTEST_SKIP() << "mounting a small file system needs root";
    const QDateTime at(QDate(2026, 1, 15), QTime(12, 0), Qt::UTC);
    ActivityQueueFile queue(disk.file("Vantrel/" + ActivityQueueFile::fileName));
    const QList<VantrelActivityEvent> stored{test::activityEvent("a", "s", "app_start", at, 1),
                                             test::activityEvent("b", "s", "app_end", at.addSecs(60), 2)};
    ASSERT_TRUE(queue.save(stored));
    QList<VantrelActivityEvent> more = stored;
    for (int i = 0; i < 200; ++i)
        more.append(test::activityEvent(QString("e%1").arg(i), "s", "foreground", at.addSecs(120 + i), 3 + i, 300));

    for (const test::WriteFault fault : test::kWriteFaults) {
        SCOPED_TRACE(describe(fault));
        ASSERT_TRUE(disk.impose(fault));
        test::LogCapture log;
        EXPECT_FALSE(queue.save(more));
        EXPECT_EQ(test::eventIDs(queue.load()), (QStringList{"a", "b"})) << "the stored queue is whole";
        EXPECT_TRUE(log.contains("[ActivityTelemetry] Could not write the queue file"));
        ASSERT_TRUE(disk.lift(fault));
    }
    EXPECT_TRUE(queue.save(more));
    EXPECT_EQ(queue.load().size(), more.size());
}
