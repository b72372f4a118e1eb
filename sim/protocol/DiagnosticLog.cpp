#include "sim/protocol/DiagnosticLog.h"

#include <QDateTime>

namespace vantrel::sim {

void DiagnosticLog::record(double epochSeconds, const QString& level, const QString& component, const QString& message)
{
    const auto when = QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(epochSeconds * 1000.0)).toLocalTime();
    events_.push_back(QJsonObject{
        {QStringLiteral("created_at"), when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))},
        {QStringLiteral("epoch_seconds"), epochSeconds},
        {QStringLiteral("level"), level},
        {QStringLiteral("component"), component},
        {QStringLiteral("message"), message},
    });
    while (static_cast<int>(events_.size()) > capacity_)
        events_.pop_front();
}

QJsonArray DiagnosticLog::newest(int limit) const
{
    QJsonArray out;
    for (auto it = events_.rbegin(); it != events_.rend() && out.size() < limit; ++it)
        out.append(*it);
    return out;
}

} // namespace vantrel::sim
