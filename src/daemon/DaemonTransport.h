#pragma once
// One request/reply exchange with the root daemon. The socket transport is the real one;
// tests substitute a recording fake that answers by command name.
#include <optional>

#include <QJsonObject>

namespace vantrel {

class DaemonTransport {
public:
    virtual ~DaemonTransport() = default;
    // Sends one request (it carries "cmd") and returns the reply object, or nothing on any failure.
    // Blocks the caller until the exchange has ended.
    virtual std::optional<QJsonObject> send(const QJsonObject& request) = 0;
    // At quit: an exchange waiting for its reply stops waiting and later ones are refused, so
    // a silent daemon cannot hold the process open. What the daemon already received stands.
    virtual void abandonExchanges() { }
};

} // namespace vantrel
