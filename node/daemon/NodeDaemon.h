#pragma once
// vantrel-node's daemon: request bytes and the peer's credentials in, a reply out. Checks who
// may run each command, handles it on this machine under one lock, and runs the policy loop
// (lease, sleep cut-off, battery policy, fan curve) from a dispatch timer.
#include <memory>
#include <mutex>

#include <QByteArray>
#include <QJsonObject>

#include "base/Dispatch.h"
#include "daemonserver/PeerCredentials.h"
#include "daemonserver/ShapedReply.h"
#include "node/daemon/Authorizer.h"
#include "node/daemon/NodeCommands.h"
#include "node/daemon/NodeContext.h"

namespace vantrel::node {

class NodeDaemon {
public:
    static constexpr Duration kPolicyInterval{2000};

    NodeDaemon(NodeConfig config, Dispatch& dispatch, std::shared_ptr<SleepInhibitors> inhibitors,
               std::shared_ptr<Authorizer> authorizer, bool logRequests = false,
               std::shared_ptr<daemonserver::SystemFigures> system = nullptr);
    ~NodeDaemon();

    // Restores the stored settings and starts the policy loop.
    void start();
    // Stops the loop and hands fans and sleep back to the system.
    void stop();

    daemonserver::ShapedReply respond(const QByteArray& requestBytes, const daemonserver::PeerCredentials& peer);
    QJsonObject handle(const QJsonObject& request, const daemonserver::PeerCredentials& peer);
    // One pass of the policy loop (the timer runs it; tests call it after moving the clock).
    void tick();

    // Access for tests and the program; callers hold no lock, so only between requests.
    NodeContext& context() { return *ctx_; }

private:
    Dispatch& dispatch_;
    std::shared_ptr<Authorizer> authorizer_;
    bool logRequests_;
    NodeCommandTable table_;
    std::mutex mutex_;
    std::unique_ptr<NodeContext> ctx_;
    QueuePtr queue_;
    CancelToken timer_;
};

} // namespace vantrel::node
