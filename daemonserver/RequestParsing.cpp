#include "daemonserver/RequestParsing.h"

#include <QJsonDocument>

#include "base/JsonDuplicateKeys.h"
#include "daemonserver/Replies.h"

namespace vantrel::daemonserver {

ParsedRequest parseRequest(const QByteArray& bytes)
{
    if (bytes.trimmed().isEmpty())
        return {std::nullopt,
                errorReply(QStringLiteral("ERR_EMPTY_REQUEST"), QStringLiteral("The request was empty."))};
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError)
        return {std::nullopt,
                errorReply(QStringLiteral("ERR_MALFORMED_REQUEST"),
                           QStringLiteral("The request is not JSON: ") + error.errorString())};
    if (!doc.isObject())
        return {
            std::nullopt,
            errorReply(QStringLiteral("ERR_MALFORMED_REQUEST"), QStringLiteral("The request is not a JSON object."))};
    // Qt keeps the last of two equal keys; a request that names a key twice is ambiguous
    // (which "cmd" did the client mean?) and is refused rather than guessed.
    if (const auto duplicate = json::firstDuplicateKey(bytes))
        return {std::nullopt,
                errorReply(QStringLiteral("ERR_MALFORMED_REQUEST"),
                           QStringLiteral("The request names the key \"%1\" twice.").arg(*duplicate))};
    return {doc.object(), {}};
}

} // namespace vantrel::daemonserver
