#include <gtest/gtest.h>

#include "telemetry/TelemetryTestSupport.h"
#include "telemetry/VantrelActivityQueuePolicy.h"

using namespace vantrel;
using test::activityEvent;
using test::eventIDs;
using Policy = VantrelActivityQueuePolicy;
namespace kind = activity_kind;

namespace {

const QDateTime now(QDate(2026, 3, 10), QTime(12, 0), Qt::UTC);

// A still-open session "cur": started, in the foreground, then `count` point events.
Policy::Events openSessionWithWakes(int count, const QDateTime& from)
{
    Policy::Events events{activityEvent("cur-start", "cur", kind::processStarted, from, 1),
                          activityEvent("cur-fg", "cur", kind::foregroundStarted, from, 2)};
    for (int i = 0; i < count; ++i)
        events.append(activityEvent(QString("w%1").arg(i), "cur", kind::wake, from.addSecs(i + 1), i + 3));
    return events;
}

} // namespace

TEST(ActivityQueuePolicy, OverflowCoalescesTheTwoOldestHeartbeatsBeforeRemovingAnything)
{
    Policy::Events events{activityEvent("hb1", "cur", kind::foregroundHeartbeat, now.addSecs(-900), 1, 600),
                          activityEvent("hb2", "cur", kind::foregroundHeartbeat, now.addSecs(-600), 2, 500),
                          activityEvent("hb3", "cur", kind::foregroundHeartbeat, now.addSecs(-300), 3, 300)};
    events += openSessionWithWakes(252, now.addSecs(-200)); // 257 in all
    ASSERT_EQ(events.size(), 257);

    const Policy::Events pruned = Policy::prune(events, now);
    ASSERT_EQ(pruned.size(), 256);
    EXPECT_EQ(pruned[0].eventID, "hb1");
    EXPECT_EQ(pruned[0].kind, kind::foregroundSummary);
    EXPECT_EQ(pruned[0].foregroundElapsedSeconds, 900); // 600 + 500, capped
    EXPECT_EQ(pruned[1].eventID, "hb3");
    EXPECT_EQ(pruned[1].kind, kind::foregroundHeartbeat);
    EXPECT_EQ(pruned.mid(2), events.mid(3));

    // At the limit nothing changes.
    EXPECT_EQ(Policy::prune(pruned, now), pruned);
}

TEST(ActivityQueuePolicy, StepsApplyInOrderUntilOneChangesTheQueue)
{
    Policy::Events base = openSessionWithWakes(254, now.addSecs(-100)); // 256

    // Offline summaries merge (keeping their kind) when no heartbeat pair exists.
    Policy::Events events{activityEvent("off1", "cur", kind::offlineForegroundSummary, now.addSecs(-170), 0, 60),
                          activityEvent("hb", "cur", kind::foregroundHeartbeat, now.addSecs(-160), 0, 300),
                          activityEvent("off2", "cur", kind::offlineForegroundSummary, now.addSecs(-150), 0, 40)};
    events += base.mid(0, 254); // 257
    Policy::Events pruned = Policy::prune(events, now);
    ASSERT_EQ(pruned.size(), 256);
    EXPECT_EQ(eventIDs(pruned.mid(0, 2)), QStringList({"off1", "hb"}));
    EXPECT_EQ(pruned[0].kind, kind::offlineForegroundSummary);
    EXPECT_EQ(pruned[0].foregroundElapsedSeconds, 100);

    // A lone unsubmitted sample goes next; a submitted one is kept.
    events = base.mid(0, 255);
    events.prepend(activityEvent("sum", "cur", kind::foregroundSummary, now.addSecs(-170), 0, 60));
    events.prepend(activityEvent("sent", "cur", kind::foregroundHeartbeat, now.addSecs(-180), 0, 60, true));
    pruned = Policy::prune(events, now);
    EXPECT_EQ(pruned.size(), 256);
    EXPECT_EQ(pruned[0].eventID, "sent");
    EXPECT_FALSE(eventIDs(pruned).contains("sum"));
}

TEST(ActivityQueuePolicy, CompletedEpisodeIsRemovedOnlyWhenContiguousAndUnsubmitted)
{
    const QDateTime t = now.addSecs(-3600);
    Policy::Events events{activityEvent("s", "old", kind::processStarted, t, 1),
                          activityEvent("f1", "old", kind::foregroundStarted, t.addSecs(1), 2),
                          activityEvent("x", "other", kind::wake, t.addSecs(2), 1),
                          activityEvent("e1", "old", kind::foregroundEnded, t.addSecs(3), 3),
                          activityEvent("f2", "old", kind::foregroundStarted, t.addSecs(4), 4),
                          activityEvent("e2", "old", kind::foregroundEnded, t.addSecs(5), 5),
                          activityEvent("b2", "old", kind::appBackgrounded, t.addSecs(6), 6),
                          activityEvent("f3", "old", kind::foregroundStarted, t.addSecs(7), 7),
                          activityEvent("p", "old", kind::processEnded, t.addSecs(8), 8)};
    // The first episode has another session's event inside; the second runs to its last closer.
    ASSERT_TRUE(Policy::removeOldestCompletedForegroundEpisode(events));
    EXPECT_EQ(eventIDs(events), QStringList({"s", "f1", "x", "e1", "f3", "p"}));
    // "process_ended" does not close an episode here.
    EXPECT_FALSE(Policy::removeOldestCompletedForegroundEpisode(events));

    Policy::Events submitted{activityEvent("f", "a", kind::foregroundStarted, t, 1),
                             activityEvent("h", "a", kind::foregroundHeartbeat, t.addSecs(1), 2, 300, true),
                             activityEvent("e", "a", kind::sleep, t.addSecs(2), 3)};
    EXPECT_FALSE(Policy::removeOldestCompletedForegroundEpisode(submitted));
    EXPECT_EQ(submitted.size(), 3);
}

TEST(ActivityQueuePolicy, SessionsAndAnchors)
{
    const QDateTime t = now.addSecs(-3600);
    Policy::Events events{activityEvent("a1", "A", kind::processStarted, t, 1),
                          activityEvent("b1", "B", kind::processStarted, t.addSecs(1), 1),
                          activityEvent("a2", "A", kind::processEnded, t.addSecs(2), 3, 0, true),
                          activityEvent("b2", "B", kind::foregroundStarted, t.addSecs(3), 2),
                          activityEvent("b3", "B", kind::processEnded, t.addSecs(4), 3),
                          activityEvent("c1", "C", kind::processStarted, t.addSecs(5), 1),
                          activityEvent("c2", "C", kind::foregroundStarted, t.addSecs(6), 2)};
    // Session order follows the sequence, whatever the queue order.
    EXPECT_EQ(eventIDs(Policy::orderedSessionEvents(events, "B")), QStringList({"b1", "b2", "b3"}));
    // Only C is open, with an open episode.
    EXPECT_EQ(Policy::requiredCapacityAnchorIDs(events), QSet<QString>({"c1", "c2"}));

    // A has a submitted event, so B is the first completed session that may go.
    Policy::Events copy = events;
    ASSERT_TRUE(Policy::removeOldestCompletedLifecycleSession(copy));
    EXPECT_EQ(eventIDs(copy), QStringList({"a1", "a2", "c1", "c2"}));

    // Superseded: the newest session (C) stays; A is protected by its submitted event.
    copy = events;
    ASSERT_TRUE(Policy::removeOldestSupersededLifecycleSession(copy));
    EXPECT_EQ(eventIDs(copy), QStringList({"a1", "a2", "c1", "c2"}));
    copy = events.mid(5);
    EXPECT_FALSE(Policy::removeOldestSupersededLifecycleSession(copy));

    copy = events;
    ASSERT_TRUE(Policy::removeOldestNonAnchor(copy));
    EXPECT_EQ(copy[0].eventID, "b1");
}

TEST(ActivityQueuePolicy, OverflowOfAnchorsOnlyFallsBackToSessionsThenOldest)
{
    // 257 open sessions with a start each: every event is an anchor; the oldest superseded
    // session without a submitted event goes, the newest never.
    Policy::Events events;
    for (int i = 0; i < 257; ++i)
        events.append(activityEvent(QString("p%1").arg(i, 3, 10, QChar('0')), QString("S%1").arg(i),
                                    kind::processStarted, now.addSecs(-1000 + i), 1, 0,
                                    i == 0 ? std::optional(true) : std::nullopt));
    const Policy::Events pruned = Policy::prune(events, now);
    ASSERT_EQ(pruned.size(), 256);
    EXPECT_EQ(pruned[0].eventID, "p000");
    EXPECT_EQ(pruned[1].eventID, "p002");
    EXPECT_EQ(pruned.last().eventID, "p256");

    // All submitted and all anchors: the oldest event goes.
    Policy::Events sent = events;
    for (auto& e : sent)
        e.wasSubmitted = true;
    EXPECT_EQ(Policy::prune(sent, now)[0].eventID, "p001");
}

TEST(ActivityQueuePolicy, SevenDayCutKeepsTheStartsOfWhatIsStillOpen)
{
    const QDateTime old = now.addSecs(-8 * 86400);
    Policy::Events events{
        // A session that ended long ago: all of it goes.
        activityEvent("gone-start", "gone", kind::processStarted, old.addSecs(-100), 1),
        activityEvent("gone-end", "gone", kind::processEnded, old.addSecs(-50), 2),
        // A session running for eight days with its window still in front.
        activityEvent("run-start", "run", kind::processStarted, old, 1),
        activityEvent("run-fg1", "run", kind::foregroundStarted, old.addSecs(1), 2),
        activityEvent("run-end1", "run", kind::foregroundEnded, old.addSecs(2), 3),
        activityEvent("run-fg2", "run", kind::foregroundStarted, old.addSecs(3), 4),
        activityEvent("run-hb-old", "run", kind::foregroundHeartbeat, old.addSecs(303), 5, 300),
        activityEvent("run-hb-new", "run", kind::foregroundHeartbeat, now.addSecs(-10), 6, 300),
    };
    const Policy::Events pruned = Policy::prune(events, now);
    EXPECT_EQ(eventIDs(pruned), QStringList({"run-start", "run-fg2", "run-hb-new"}));

    // Exactly at the cut-off counts as recent.
    const QDateTime cutoff = now.addSecs(-604800);
    Policy::Events edge{activityEvent("e", "x", kind::wake, cutoff, 1)};
    EXPECT_EQ(Policy::prune(edge, now).size(), 1);
    EXPECT_TRUE(Policy::requiredOldAnchorIDs(events.mid(0, 2), cutoff).isEmpty());
}
