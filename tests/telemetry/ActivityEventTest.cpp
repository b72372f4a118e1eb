#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QJsonDocument>

#include <gtest/gtest.h>

#include "support/LogCapture.h"
#include "support/TempDir.h"
#include "telemetry/ActivityQueueFile.h"
#include "telemetry/TelemetryTestSupport.h"
#include "telemetry/VantrelActivityEvent.h"

using namespace vantrel;

namespace {
const QDateTime t0(QDate(2026, 3, 1), QTime(9, 30, 5), Qt::UTC);
}

TEST(ActivityEvent, KeysRoundTripAndUploaderFormOmitsSubmissionFlag)
{
    auto event = test::activityEvent("e1", "s1", activity_kind::foregroundHeartbeat, t0, 7, 300, true);
    const QJsonObject stored = event.toJson();
    EXPECT_EQ(stored.value("event_id").toString(), "e1");
    EXPECT_EQ(stored.value("lifecycle_session_id").toString(), "s1");
    EXPECT_EQ(stored.value("kind").toString(), "foreground_heartbeat");
    EXPECT_EQ(stored.value("occurred_at").toString(), "2026-03-01T09:30:05Z");
    EXPECT_EQ(stored.value("sequence").toInt(), 7);
    EXPECT_EQ(stored.value("app_version").toString(), "1.0.0");
    EXPECT_EQ(stored.value("foreground_elapsed_seconds").toInt(), 300);
    EXPECT_EQ(stored.value("wasSubmitted").toBool(), true);
    EXPECT_EQ(VantrelActivityEvent::fromJson(stored), event);

    const QJsonObject sent = event.toJson(false);
    EXPECT_FALSE(sent.contains("wasSubmitted"));
    EXPECT_EQ(sent.size(), 7);

    event.wasSubmitted.reset();
    EXPECT_FALSE(event.toJson().contains("wasSubmitted"));
    EXPECT_EQ(VantrelActivityEvent::fromJson(event.toJson()), event);
}

TEST(ActivityEvent, RejectsMissingOrMistypedKeys)
{
    const QJsonObject good = test::activityEvent("e1", "s1", "wake", t0, 1).toJson();
    for (const char* key : {"event_id", "lifecycle_session_id", "kind", "occurred_at", "sequence", "app_version",
                            "foreground_elapsed_seconds"}) {
        QJsonObject missing = good;
        missing.remove(key);
        EXPECT_FALSE(VantrelActivityEvent::fromJson(missing)) << key;
    }
    QJsonObject wrong = good;
    wrong.insert("sequence", "1");
    EXPECT_FALSE(VantrelActivityEvent::fromJson(wrong));
    wrong = good;
    wrong.insert("occurred_at", "yesterday");
    EXPECT_FALSE(VantrelActivityEvent::fromJson(wrong));
    wrong = good;
    wrong.insert("wasSubmitted", 1);
    EXPECT_FALSE(VantrelActivityEvent::fromJson(wrong));

    QJsonArray array{good, QJsonValue(42)};
    EXPECT_FALSE(activityEventsFromJson(array));
    EXPECT_EQ(activityEventsFromJson(QJsonArray{good})->size(), 1);
}

TEST(ActivityQueueFile, UnreadableOrForeignContentGivesEmptyQueue)
{
    test::TempDir dir;
    test::LogCapture log;
    const QString path = dir.file("Vantrel/activity-telemetry-queue.json");
    ActivityQueueFile file(path);
    EXPECT_TRUE(file.load().isEmpty());
    EXPECT_FALSE(log.contains("unreadable"));

    const QList<VantrelActivityEvent> events{test::activityEvent("a", "s", "process_started", t0, 1),
                                             test::activityEvent("b", "s", "wake", t0.addSecs(3), 2, 0, true)};
    ASSERT_TRUE(file.save(events));
    EXPECT_EQ(file.load(), events);

    for (const QByteArray& content : {QByteArray("[{\"event_id\": \"a\""), QByteArray("{\"events\": []}"),
                                      QByteArray("[{\"event_id\": 5}]"), QByteArray("\xff\xfe garbage")}) {
        dir.write("Vantrel/activity-telemetry-queue.json", content);
        EXPECT_TRUE(file.load().isEmpty()) << content.constData();
    }
    EXPECT_TRUE(log.contains("[ActivityTelemetry] Queue file undecodable, starting empty"));

    // A folder where the file should be: nothing is read, and writing reports failure.
    QFile::remove(path);
    ASSERT_TRUE(QDir().mkpath(path));
    EXPECT_TRUE(file.load().isEmpty());
    EXPECT_FALSE(file.save(events));
    EXPECT_TRUE(log.contains("[ActivityTelemetry] Could not write the queue file"));
}

TEST(ActivityQueueFile, ProcessKilledWhileRewritingLeavesReadableQueue)
{
    test::TempDir dir;
    const QString path = dir.file("Vantrel/activity-telemetry-queue.json");
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Rewrites a growing queue as fast as it can until it is killed.
        ActivityQueueFile file(path);
        QList<VantrelActivityEvent> events;
        for (int i = 0;; ++i) {
            events.append(test::activityEvent(QString::number(i), "s", "foreground_heartbeat", t0.addSecs(i), i, 300));
            if (events.size() > 256)
                events.removeFirst();
            file.save(events);
            if (i == 260 && write(ready[1], "x", 1) != 1)
                _exit(1);
        }
    }
    close(ready[1]);
    char byte = 0;
    ASSERT_EQ(read(ready[0], &byte, 1), 1);
    close(ready[0]);
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));

    const QList<VantrelActivityEvent> survived = ActivityQueueFile(path).load();
    EXPECT_EQ(survived.size(), 256);
    EXPECT_EQ(survived.last().sequence - survived.first().sequence, 255);
}
