#pragma once
// The typed record of a "get_status" reply.
#include <optional>

#include <QJsonObject>
#include <QString>

namespace vantrel {

struct DaemonStatus {
    QString status = QStringLiteral("error");
    std::optional<double> cpu_temp;
    std::optional<qint64> fan0;
    std::optional<qint64> fan1;
    std::optional<qint64> battery_percent;

    // From a reply: a missing or non-string "status" gives "error"; mistyped readings are absent.
    static DaemonStatus fromReply(const QJsonObject& reply);
    // The five-key JSON form; decoding requires a string "status".
    QJsonObject toJson() const;
    static std::optional<DaemonStatus> fromJson(const QJsonObject& object);
    bool isOk() const { return status == QStringLiteral("ok"); }
    bool operator==(const DaemonStatus&) const = default;
};

} // namespace vantrel
