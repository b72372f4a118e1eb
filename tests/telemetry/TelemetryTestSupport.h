#pragma once
// Builders and a scripted uploader for the usage telemetry tests.
#include <functional>
#include <mutex>

#include <QDateTime>
#include <QJsonArray>
#include <QList>

#include "telemetry/ActivityUploader.h"
#include "telemetry/VantrelActivityEvent.h"

namespace vantrel::test {

inline VantrelActivityEvent activityEvent(const QString& id, const QString& session, const QString& kind,
                                          const QDateTime& at, qint64 sequence, qint64 elapsed = 0,
                                          std::optional<bool> submitted = std::nullopt)
{
    return VantrelActivityEvent{id, session, kind, at, sequence, QStringLiteral("1.0.0"), elapsed, submitted};
}

inline QStringList eventIDs(const QList<VantrelActivityEvent>& events)
{
    QStringList ids;
    for (const auto& e : events)
        ids.append(e.eventID);
    return ids;
}

inline QStringList eventKinds(const QList<VantrelActivityEvent>& events)
{
    QStringList kinds;
    for (const auto& e : events)
        kinds.append(e.kind);
    return kinds;
}

// Keeps every batch and its completion; the test decides when and how each one ends.
class FakeActivityUploader final : public ActivityUploader {
public:
    void submit(const QJsonArray& batch, std::function<void(bool)> completion) override
    {
        std::lock_guard lock(mutex);
        batches.append(batch);
        completions.append(std::move(completion));
    }
    int submitted() const
    {
        std::lock_guard lock(mutex);
        return int(batches.size());
    }
    // Ends the oldest open submission.
    void complete(bool success)
    {
        std::function<void(bool)> done;
        {
            std::lock_guard lock(mutex);
            done = std::move(completions[next++]);
        }
        done(success);
    }
    bool hasOpenSubmission() const
    {
        std::lock_guard lock(mutex);
        return next < completions.size();
    }

    mutable std::mutex mutex;
    QList<QJsonArray> batches;
    QList<std::function<void(bool)>> completions;
    qsizetype next = 0;
};

} // namespace vantrel::test
