#pragma once
// What the server sends for one request: the reply bytes, possibly delayed, split into
// segments with pauses between them, or no reply at all (the connection is just closed).
#include <vector>

#include <QByteArray>
#include <QJsonObject>

namespace vantrel::daemonserver {

struct ShapedReply {
    int delayMs = 0;
    bool closeWithoutReply = false;
    std::vector<QByteArray> segments; // written in order, pauseMs apart
    int pauseMs = 0;
};

// The reply as one compact JSON segment, sent at once.
ShapedReply plainReply(const QJsonObject& reply);

} // namespace vantrel::daemonserver
