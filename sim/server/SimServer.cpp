#include "sim/server/SimServer.h"

namespace vantrel::sim {

SimServer::SimServer(SimDaemon& daemon, QString socketPath, int requestTimeoutMs)
    : DaemonServer(
        [&daemon](const QByteArray& request, const daemonserver::PeerCredentials& peer) {
    return daemon.respond(request, peer.known ? peer.pid : 0);
        },
        std::move(socketPath), requestTimeoutMs)
{ }

} // namespace vantrel::sim
