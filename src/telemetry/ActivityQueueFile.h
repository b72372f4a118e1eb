#pragma once
// The usage telemetry queue on disk: a JSON array of events, replaced atomically on every
// write so a crash mid-write leaves the previous queue readable.
#include <QList>
#include <QString>

#include "telemetry/VantrelActivityEvent.h"

namespace vantrel {

class ActivityQueueFile {
public:
    static inline const QString fileName = QStringLiteral("activity-telemetry-queue.json");

    explicit ActivityQueueFile(QString path);

    QString path() const { return path_; }
    // The stored queue; empty when the file is missing, unreadable or not a queue (logged).
    QList<VantrelActivityEvent> load() const;
    bool save(const QList<VantrelActivityEvent>& events) const;

private:
    QString path_;
};

} // namespace vantrel
