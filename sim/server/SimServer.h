#pragma once
// The simulator's daemon socket: the shared server, answering through the simulated daemon
// (faults included).
#include "daemonserver/DaemonServer.h"
#include "sim/protocol/SimDaemon.h"

namespace vantrel::sim {

class SimServer : public daemonserver::DaemonServer {
public:
    SimServer(SimDaemon& daemon, QString socketPath, int requestTimeoutMs = kDefaultRequestTimeoutMs);
};

} // namespace vantrel::sim
