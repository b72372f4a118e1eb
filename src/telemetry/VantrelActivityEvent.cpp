#include "telemetry/VantrelActivityEvent.h"

#include "base/JsonAccess.h"

namespace vantrel {

bool VantrelActivityEvent::isForegroundTerminalKind(const QString& kind)
{
    return kind == activity_kind::foregroundEnded || kind == activity_kind::appBackgrounded
        || kind == activity_kind::sleep || kind == activity_kind::processEnded;
}

bool VantrelActivityEvent::isSampleKind(const QString& kind)
{
    return kind == activity_kind::foregroundHeartbeat || kind == activity_kind::foregroundSummary
        || kind == activity_kind::offlineForegroundSummary;
}

QJsonObject VantrelActivityEvent::toJson(bool withSubmissionFlag) const
{
    QJsonObject o;
    o.insert(QStringLiteral("event_id"), eventID);
    o.insert(QStringLiteral("lifecycle_session_id"), lifecycleSessionID);
    o.insert(QStringLiteral("kind"), kind);
    o.insert(QStringLiteral("occurred_at"), occurredAt.toUTC().toString(Qt::ISODate));
    o.insert(QStringLiteral("sequence"), sequence);
    o.insert(QStringLiteral("app_version"), appVersion);
    o.insert(QStringLiteral("foreground_elapsed_seconds"), foregroundElapsedSeconds);
    if (withSubmissionFlag && wasSubmitted)
        o.insert(QStringLiteral("wasSubmitted"), *wasSubmitted);
    return o;
}

std::optional<VantrelActivityEvent> VantrelActivityEvent::fromJson(const QJsonObject& o)
{
    const auto id = json::string(o, QStringLiteral("event_id"));
    const auto session = json::string(o, QStringLiteral("lifecycle_session_id"));
    const auto kind = json::string(o, QStringLiteral("kind"));
    const auto occurred = json::string(o, QStringLiteral("occurred_at"));
    const auto sequence = json::integer(o, QStringLiteral("sequence"));
    const auto version = json::string(o, QStringLiteral("app_version"));
    const auto elapsed = json::integer(o, QStringLiteral("foreground_elapsed_seconds"));
    if (!id || !session || !kind || !occurred || !sequence || !version || !elapsed)
        return std::nullopt;
    const QDateTime when = QDateTime::fromString(*occurred, Qt::ISODate);
    if (!when.isValid())
        return std::nullopt;
    VantrelActivityEvent event{*id, *session, *kind, when.toUTC(), *sequence, *version, *elapsed, std::nullopt};
    const QJsonValue flag = o.value(QStringLiteral("wasSubmitted"));
    if (!flag.isUndefined() && !flag.isNull()) {
        const auto submitted = json::asStrictBool(flag);
        if (!submitted)
            return std::nullopt;
        event.wasSubmitted = submitted;
    }
    return event;
}

QJsonArray activityEventsToJson(const QList<VantrelActivityEvent>& events, bool withSubmissionFlag)
{
    QJsonArray array;
    for (const VantrelActivityEvent& event : events)
        array.append(event.toJson(withSubmissionFlag));
    return array;
}

std::optional<QList<VantrelActivityEvent>> activityEventsFromJson(const QJsonArray& array)
{
    QList<VantrelActivityEvent> events;
    events.reserve(array.size());
    for (const QJsonValue& value : array) {
        if (!value.isObject())
            return std::nullopt;
        auto event = VantrelActivityEvent::fromJson(value.toObject());
        if (!event)
            return std::nullopt;
        events.append(std::move(*event));
    }
    return events;
}

} // namespace vantrel
