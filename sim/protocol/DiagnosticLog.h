#pragma once
// The daemon's own diagnostic events (requests handled and refused, faults injected,
// state changes of the simulator), newest last, bounded.
#include <deque>

#include <QJsonArray>
#include <QJsonObject>
#include <QString>

namespace vantrel::sim {

class DiagnosticLog {
public:
    explicit DiagnosticLog(int capacity = 300)
        : capacity_(capacity)
    { }

    void record(double epochSeconds, const QString& level, const QString& component, const QString& message);
    // The newest `limit` events, newest first.
    QJsonArray newest(int limit) const;
    int size() const { return static_cast<int>(events_.size()); }

private:
    int capacity_;
    std::deque<QJsonObject> events_;
};

} // namespace vantrel::sim
