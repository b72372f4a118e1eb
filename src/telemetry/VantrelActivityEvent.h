#pragma once
// One usage event as kept in the telemetry queue file and handed to the uploader.
#include <optional>

#include <QDateTime>
#include <QJsonArray>
#include <QJsonObject>
#include <QString>

namespace vantrel {

namespace activity_kind {
inline const QString processStarted = QStringLiteral("process_started");
inline const QString processEnded = QStringLiteral("process_ended");
inline const QString foregroundStarted = QStringLiteral("foreground_started");
inline const QString foregroundEnded = QStringLiteral("foreground_ended");
inline const QString appBackgrounded = QStringLiteral("app_backgrounded");
inline const QString foregroundHeartbeat = QStringLiteral("foreground_heartbeat");
inline const QString foregroundSummary = QStringLiteral("foreground_summary");
inline const QString offlineForegroundSummary = QStringLiteral("offline_foreground_summary");
inline const QString sleep = QStringLiteral("sleep");
inline const QString wake = QStringLiteral("wake");
} // namespace activity_kind

struct VantrelActivityEvent {
    QString eventID;
    QString lifecycleSessionID;
    QString kind;
    QDateTime occurredAt;
    qint64 sequence = 0;
    QString appVersion;
    qint64 foregroundElapsedSeconds = 0;
    std::optional<bool> wasSubmitted;

    bool isSubmitted() const { return wasSubmitted.value_or(false); }
    // Ends a foreground episode: "foreground_ended", "app_backgrounded", "sleep", "process_ended".
    static bool isForegroundTerminalKind(const QString& kind);
    // "foreground_heartbeat", "foreground_summary", "offline_foreground_summary".
    static bool isSampleKind(const QString& kind);

    // withSubmissionFlag false gives the uploader's form (no "wasSubmitted").
    QJsonObject toJson(bool withSubmissionFlag = true) const;
    // Nothing when a required key is missing or of the wrong type.
    static std::optional<VantrelActivityEvent> fromJson(const QJsonObject& object);

    bool operator==(const VantrelActivityEvent&) const = default;
};

// The queue file's document: a JSON array of events. Nothing when any element is unreadable.
QJsonArray activityEventsToJson(const QList<VantrelActivityEvent>& events, bool withSubmissionFlag = true);
std::optional<QList<VantrelActivityEvent>> activityEventsFromJson(const QJsonArray& array);

} // namespace vantrel
