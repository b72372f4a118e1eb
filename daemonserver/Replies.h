#pragma once
// Reply builders and request-argument checks shared by every command handler.
#include <optional>

#include <QJsonObject>
#include <QString>

namespace vantrel::daemonserver {

QJsonObject okReply(QJsonObject extra = {});
// {"status": "error", "code": code, "message": message} plus extra keys.
QJsonObject errorReply(const QString& code, const QString& message, QJsonObject extra = {});
// A missing or mistyped request key: code "ERR_INVALID_ARGUMENT", "reason" naming the key.
QJsonObject invalidArgument(const QString& key, const QString& expected);
bool isError(const QJsonObject& reply);

} // namespace vantrel::daemonserver
