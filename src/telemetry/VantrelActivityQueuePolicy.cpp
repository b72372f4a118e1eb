#include "telemetry/VantrelActivityQueuePolicy.h"

#include <algorithm>

namespace vantrel {

namespace {

using Events = VantrelActivityQueuePolicy::Events;

bool anySubmitted(const Events& events, const QString& sessionID)
{
    return std::any_of(events.begin(), events.end(), [&](const VantrelActivityEvent& e) {
        return e.lifecycleSessionID == sessionID && e.isSubmitted();
    });
}

void removeSession(Events& events, const QString& sessionID)
{
    events.removeIf([&](const VantrelActivityEvent& e) { return e.lifecycleSessionID == sessionID; });
}

// The anchors of one session in session order: the last process start with no end after it,
// and the last episode start with no terminal event after it. With a cutoff, only starts
// before it count.
void collectAnchors(const Events& ordered, const QDateTime* cutoff, QSet<QString>& anchors)
{
    const VantrelActivityEvent* lastProcessStart = nullptr;
    const VantrelActivityEvent* lastForegroundStart = nullptr;
    bool processClosed = false;
    bool foregroundClosed = false;
    for (const VantrelActivityEvent& e : ordered) {
        if (e.kind == activity_kind::processStarted) {
            lastProcessStart = &e;
            processClosed = false;
        } else if (e.kind == activity_kind::processEnded) {
            processClosed = true;
        }
        if (e.kind == activity_kind::foregroundStarted) {
            lastForegroundStart = &e;
            foregroundClosed = false;
        } else if (VantrelActivityEvent::isForegroundTerminalKind(e.kind)) {
            foregroundClosed = true;
        }
    }
    const auto keep = [&](const VantrelActivityEvent* start, bool closed) {
        if (start && !closed && (!cutoff || start->occurredAt < *cutoff))
            anchors.insert(start->eventID);
    };
    keep(lastProcessStart, processClosed);
    keep(lastForegroundStart, foregroundClosed);
}

} // namespace

Events VantrelActivityQueuePolicy::orderedSessionEvents(const Events& events, const QString& sessionID)
{
    Events ordered;
    for (const VantrelActivityEvent& e : events) {
        if (e.lifecycleSessionID == sessionID)
            ordered.append(e);
    }
    std::stable_sort(ordered.begin(), ordered.end(), [](const VantrelActivityEvent& a, const VantrelActivityEvent& b) {
        if (a.sequence != b.sequence)
            return a.sequence < b.sequence;
        if (a.occurredAt != b.occurredAt)
            return a.occurredAt < b.occurredAt;
        return a.eventID < b.eventID;
    });
    return ordered;
}

QStringList VantrelActivityQueuePolicy::sessionsInQueueOrder(const Events& events)
{
    QStringList sessions;
    for (const VantrelActivityEvent& e : events) {
        if (!sessions.contains(e.lifecycleSessionID))
            sessions.append(e.lifecycleSessionID);
    }
    return sessions;
}

QSet<QString> VantrelActivityQueuePolicy::requiredCapacityAnchorIDs(const Events& events)
{
    QSet<QString> anchors;
    for (const QString& session : sessionsInQueueOrder(events))
        collectAnchors(orderedSessionEvents(events, session), nullptr, anchors);
    return anchors;
}

QSet<QString> VantrelActivityQueuePolicy::requiredOldAnchorIDs(const Events& events, const QDateTime& cutoff)
{
    QSet<QString> anchors;
    for (const QString& session : sessionsInQueueOrder(events)) {
        const Events ordered = orderedSessionEvents(events, session);
        const bool activeAtCutoff = std::any_of(ordered.begin(), ordered.end(),
                                                [&](const VantrelActivityEvent& e) { return e.occurredAt >= cutoff; });
        if (activeAtCutoff)
            collectAnchors(ordered, &cutoff, anchors);
    }
    return anchors;
}

bool VantrelActivityQueuePolicy::coalesceOldestSamples(Events& events, const QString& kind, const QString& resultKind)
{
    qsizetype first = -1;
    for (qsizetype i = 0; i < events.size(); ++i) {
        if (events[i].kind != kind || events[i].isSubmitted())
            continue;
        if (first < 0) {
            first = i;
            continue;
        }
        VantrelActivityEvent& merged = events[first];
        merged.kind = resultKind;
        merged.foregroundElapsedSeconds
            = std::min(merged.foregroundElapsedSeconds + events[i].foregroundElapsedSeconds, maximumElapsedSeconds);
        events.removeAt(i);
        return true;
    }
    return false;
}

bool VantrelActivityQueuePolicy::removeOldestUnsubmittedSample(Events& events)
{
    for (qsizetype i = 0; i < events.size(); ++i) {
        if (VantrelActivityEvent::isSampleKind(events[i].kind) && !events[i].isSubmitted()) {
            events.removeAt(i);
            return true;
        }
    }
    return false;
}

bool VantrelActivityQueuePolicy::removeOldestCompletedForegroundEpisode(Events& events)
{
    for (qsizetype start = 0; start < events.size(); ++start) {
        if (events[start].kind != activity_kind::foregroundStarted)
            continue;
        const QString session = events[start].lifecycleSessionID;
        qsizetype closing = -1;
        for (qsizetype j = start + 1; j < events.size(); ++j) {
            const VantrelActivityEvent& e = events[j];
            if (e.lifecycleSessionID != session)
                continue;
            if (e.kind == activity_kind::foregroundStarted)
                break;
            if (e.kind == activity_kind::foregroundEnded || e.kind == activity_kind::appBackgrounded
                || e.kind == activity_kind::sleep)
                closing = j;
        }
        if (closing < 0)
            continue;
        bool removable = true;
        for (qsizetype j = start; j <= closing && removable; ++j)
            removable = events[j].lifecycleSessionID == session && !events[j].isSubmitted();
        if (!removable)
            continue;
        events.remove(start, closing - start + 1);
        return true;
    }
    return false;
}

bool VantrelActivityQueuePolicy::removeOldestCompletedLifecycleSession(Events& events)
{
    for (const QString& session : sessionsInQueueOrder(events)) {
        const bool ended = std::any_of(events.begin(), events.end(), [&](const VantrelActivityEvent& e) {
            return e.lifecycleSessionID == session && e.kind == activity_kind::processEnded;
        });
        if (ended && !anySubmitted(events, session)) {
            removeSession(events, session);
            return true;
        }
    }
    return false;
}

bool VantrelActivityQueuePolicy::removeOldestNonAnchor(Events& events)
{
    const QSet<QString> anchors = requiredCapacityAnchorIDs(events);
    for (qsizetype i = 0; i < events.size(); ++i) {
        if (!anchors.contains(events[i].eventID)) {
            events.removeAt(i);
            return true;
        }
    }
    return false;
}

bool VantrelActivityQueuePolicy::removeOldestSupersededLifecycleSession(Events& events)
{
    struct Head {
        QString session;
        QDateTime occurredAt;
        QString eventID;
    };
    QList<Head> heads;
    for (const QString& session : sessionsInQueueOrder(events)) {
        const auto first = std::find_if(events.begin(), events.end(),
                                        [&](const VantrelActivityEvent& e) { return e.lifecycleSessionID == session; });
        heads.append(Head{session, first->occurredAt, first->eventID});
    }
    std::stable_sort(heads.begin(), heads.end(), [](const Head& a, const Head& b) {
        if (a.occurredAt != b.occurredAt)
            return a.occurredAt < b.occurredAt;
        return a.eventID < b.eventID;
    });
    if (heads.isEmpty())
        return false;
    heads.removeLast(); // the current session stays
    for (const Head& head : heads) {
        if (!anySubmitted(events, head.session)) {
            removeSession(events, head.session);
            return true;
        }
    }
    return false;
}

void VantrelActivityQueuePolicy::reduceOnce(Events& events)
{
    if (coalesceOldestSamples(events, activity_kind::foregroundHeartbeat, activity_kind::foregroundSummary))
        return;
    if (coalesceOldestSamples(events, activity_kind::offlineForegroundSummary, activity_kind::offlineForegroundSummary))
        return;
    if (removeOldestUnsubmittedSample(events) || removeOldestCompletedForegroundEpisode(events)
        || removeOldestCompletedLifecycleSession(events) || removeOldestNonAnchor(events)
        || removeOldestSupersededLifecycleSession(events))
        return;
    events.removeFirst();
}

Events VantrelActivityQueuePolicy::prune(Events events, const QDateTime& now)
{
    const QDateTime cutoff = now.addSecs(-maximumAgeSeconds);
    const QSet<QString> oldAnchors = requiredOldAnchorIDs(events, cutoff);
    events.removeIf(
        [&](const VantrelActivityEvent& e) { return e.occurredAt < cutoff && !oldAnchors.contains(e.eventID); });
    while (events.size() > maximumEvents)
        reduceOnce(events);
    return events;
}

} // namespace vantrel
