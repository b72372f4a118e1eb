#pragma once
// The daemon's evidence events (policy decisions it took), newest last, bounded.
#include <deque>

#include <QJsonArray>
#include <QJsonObject>
#include <QString>

#include "sim/model/BatteryPolicy.h"

namespace vantrel::sim {

class EvidenceLog {
public:
    explicit EvidenceLog(int capacity = 500)
        : capacity_(capacity)
    { }

    // Records event at epochSeconds; "created_at" is local time "yyyy-MM-dd HH:mm:ss".
    void record(const PolicyEvent& event, double epochSeconds);
    // The newest `limit` events whose "policy_id" starts with prefix, newest first.
    QJsonArray newest(int limit, const QString& prefix = {}) const;
    int size() const { return static_cast<int>(events_.size()); }

private:
    int capacity_;
    std::deque<QJsonObject> events_;
};

} // namespace vantrel::sim
