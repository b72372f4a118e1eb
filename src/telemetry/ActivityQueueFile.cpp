#include "telemetry/ActivityQueueFile.h"

#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonParseError>

#include "base/AtomicFile.h"
#include "base/Log.h"

namespace vantrel {

namespace {
constexpr qint64 maximumFileBytes = 8LL * 1024 * 1024;
}

ActivityQueueFile::ActivityQueueFile(QString path)
    : path_(std::move(path))
{ }

QList<VantrelActivityEvent> ActivityQueueFile::load() const
{
    if (!QFileInfo::exists(path_))
        return {};
    const auto bytes = readFile(path_, maximumFileBytes);
    if (!bytes) {
        logLine(QStringLiteral("[ActivityTelemetry] Queue file unreadable, starting empty: ") + path_);
        return {};
    }
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(*bytes, &error);
    std::optional<QList<VantrelActivityEvent>> events;
    if (error.error == QJsonParseError::NoError && document.isArray())
        events = activityEventsFromJson(document.array());
    if (!events) {
        logLine(QStringLiteral("[ActivityTelemetry] Queue file undecodable, starting empty: ") + path_);
        return {};
    }
    return *events;
}

bool ActivityQueueFile::save(const QList<VantrelActivityEvent>& events) const
{
    QString error;
    const QByteArray data = QJsonDocument(activityEventsToJson(events)).toJson(QJsonDocument::Compact);
    if (writeFileAtomically(path_, data, std::nullopt, &error))
        return true;
    logLine(QStringLiteral("[ActivityTelemetry] Could not write the queue file: ") + error);
    return false;
}

} // namespace vantrel
