#include "daemonserver/Replies.h"

namespace vantrel::daemonserver {

QJsonObject okReply(QJsonObject extra)
{
    extra.insert(QStringLiteral("status"), QStringLiteral("ok"));
    return extra;
}

QJsonObject errorReply(const QString& code, const QString& message, QJsonObject extra)
{
    extra.insert(QStringLiteral("status"), QStringLiteral("error"));
    extra.insert(QStringLiteral("code"), code);
    extra.insert(QStringLiteral("message"), message);
    return extra;
}

QJsonObject invalidArgument(const QString& key, const QString& expected)
{
    return errorReply(QStringLiteral("ERR_INVALID_ARGUMENT"), QStringLiteral("\"%1\" must be %2").arg(key, expected),
                      QJsonObject{{QStringLiteral("reason"), QStringLiteral("invalid_%1").arg(key)}});
}

bool isError(const QJsonObject& reply)
{
    return reply.value(QStringLiteral("status")).toString() == QLatin1String("error");
}

} // namespace vantrel::daemonserver
