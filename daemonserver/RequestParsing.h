#pragma once
// Request bytes to a request object: one JSON object, no key named twice, else an error reply.
#include <optional>

#include <QByteArray>
#include <QJsonObject>

namespace vantrel::daemonserver {

struct ParsedRequest {
    std::optional<QJsonObject> request;
    QJsonObject errorReply; // what a malformed request gets
};

ParsedRequest parseRequest(const QByteArray& bytes);

} // namespace vantrel::daemonserver
