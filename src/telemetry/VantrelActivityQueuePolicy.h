#pragma once
// Decides which usage events to drop when the queue grows old or too long. Each step
// returns whether it changed the queue; prune applies them in a fixed order.
#include <QDateTime>
#include <QList>
#include <QSet>
#include <QString>

#include "telemetry/VantrelActivityEvent.h"

namespace vantrel {

class VantrelActivityQueuePolicy {
public:
    using Events = QList<VantrelActivityEvent>;

    static constexpr int maximumEvents = 256;
    static constexpr qint64 maximumAgeSeconds = 604800;
    static constexpr qint64 maximumElapsedSeconds = 900;

    static Events prune(Events events, const QDateTime& now);

    // The events of one session by ascending sequence, then occurredAt, then eventID.
    static Events orderedSessionEvents(const Events& events, const QString& sessionID);
    // Sessions in the order of their first event in the queue.
    static QStringList sessionsInQueueOrder(const Events& events);
    // Starts of a still-open session and of a still-open episode, per session.
    static QSet<QString> requiredCapacityAnchorIDs(const Events& events);
    // The same starts, for sessions still active at cutoff whose starts lie before it.
    static QSet<QString> requiredOldAnchorIDs(const Events& events, const QDateTime& cutoff);

    // Merges the two oldest unsubmitted events of kind into one (elapsed added, capped at 900)
    // of resultKind, kept in the place of the older one.
    static bool coalesceOldestSamples(Events& events, const QString& kind, const QString& resultKind);
    static bool removeOldestUnsubmittedSample(Events& events);
    static bool removeOldestCompletedForegroundEpisode(Events& events);
    static bool removeOldestCompletedLifecycleSession(Events& events);
    static bool removeOldestNonAnchor(Events& events);
    static bool removeOldestSupersededLifecycleSession(Events& events);

private:
    // One pruning step over a queue longer than the limit.
    static void reduceOnce(Events& events);
};

} // namespace vantrel
