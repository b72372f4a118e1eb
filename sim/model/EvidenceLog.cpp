#include "sim/model/EvidenceLog.h"

#include <cmath>

#include <QDateTime>
#include <QUuid>

namespace vantrel::sim {

void EvidenceLog::record(const PolicyEvent& event, double epochSeconds)
{
    const auto when
        = QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(std::floor(epochSeconds * 1000.0))).toLocalTime();
    events_.push_back(QJsonObject{
        {QStringLiteral("event_id"), QUuid::createUuid().toString(QUuid::WithoutBraces)},
        {QStringLiteral("policy_id"), event.policyId},
        {QStringLiteral("action"), event.action},
        {QStringLiteral("summary"), event.summary},
        {QStringLiteral("trigger"), event.trigger},
        {QStringLiteral("result_state"), event.resultState},
        {QStringLiteral("created_at"), when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))},
        {QStringLiteral("epoch_seconds"), epochSeconds},
    });
    while (static_cast<int>(events_.size()) > capacity_)
        events_.pop_front();
}

QJsonArray EvidenceLog::newest(int limit, const QString& prefix) const
{
    QJsonArray out;
    for (auto it = events_.rbegin(); it != events_.rend() && out.size() < limit; ++it)
        if (prefix.isEmpty() || it->value(QStringLiteral("policy_id")).toString().startsWith(prefix))
            out.append(*it);
    return out;
}

} // namespace vantrel::sim
